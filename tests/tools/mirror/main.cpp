// quillfire-mirror --root DIR [--port N]: serves DIR over HTTP on 127.0.0.1 as a stand-in
// for the hosting service, and prints its base URL for QUILLFIRE_HOSTING_URL.
#include "testkit/HttpTestServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves a folder over HTTP on 127.0.0.1 as a local hosting mirror."));
    parser.addHelpOption();
    const QCommandLineOption root(QStringLiteral("root"), QStringLiteral("Folder to serve."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Port to listen on (default: any free one)."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    parser.addOptions({root, port});
    parser.process(app);
    if (!parser.isSet(root) || !QFileInfo(parser.value(root)).isDir())
        parser.showHelp(2);

    try {
        testkit::HttpTestServer server(testkit::HttpTestServer::Tls::Off,
                                       static_cast<quint16>(parser.value(port).toUInt()));
        server.serveFolder(QFileInfo(parser.value(root)).absoluteFilePath());
        std::printf("%s\n", qPrintable(server.baseUrl()));
        std::fflush(stdout);
        return app.exec();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillfire-mirror: %s\n", error.what());
        return 1;
    }
}
