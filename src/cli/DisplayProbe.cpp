#include "cli/DisplayProbe.h"

#include <QDir>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QTcpSocket>

namespace {

constexpr int answerWithinMs = 1000;

bool socketAnswers(const QString& path, QLocalSocket::SocketOptions options) {
    QLocalSocket socket;
    socket.setSocketOptions(options);
    socket.connectToServer(path);
    return socket.waitForConnected(answerWithinMs);
}

// DISPLAY is [host]:number[.screen]. Without a host the server listens on a local socket, on
// Linux also in the abstract namespace, which a private /tmp does not hide.
bool xServerAnswers() {
    static const QRegularExpression form(QStringLiteral("^(.*):(\\d+)(\\.\\d+)?$"));
    const QRegularExpressionMatch display = form.match(qEnvironmentVariable("DISPLAY"));
    if (!display.hasMatch())
        return false;
    const QString host = display.captured(1);
    const int number = display.captured(2).toInt();
    if (host.isEmpty() || host == QLatin1String("unix")) {
        const QString path = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
        return socketAnswers(path, QLocalSocket::AbstractNamespaceOption) ||
               socketAnswers(path, QLocalSocket::NoOptions);
    }
    QTcpSocket socket;
    socket.connectToHost(host, static_cast<quint16>(6000 + number));
    return socket.waitForConnected(answerWithinMs);
}

bool waylandAnswers() {
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    const QString path = QDir::isAbsolutePath(name)
                             ? name
                             : qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/') + name;
    return socketAnswers(path, QLocalSocket::NoOptions);
}

} // namespace

QByteArray answeringDisplayPlatform() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Only the screen's size is wanted, so any answering display will do; the user's choice
    // of platform goes first.
    const bool waylandFirst = qgetenv("QT_QPA_PLATFORM").startsWith("wayland");
    if (waylandFirst && waylandAnswers())
        return QByteArrayLiteral("wayland");
    if (xServerAnswers())
        return QByteArrayLiteral("xcb");
    if (!waylandFirst && waylandAnswers())
        return QByteArrayLiteral("wayland");
#endif
    return {};
}
