// Transfer benchmark: the same file served on loopback by nginx (HTTP/2 over TLS), fetched by our
// FileDownloader as the game fetch uses it (plain) and as the engine install uses it (SHA-512
// on the way), and by curl alone and curl followed by sha512sum, each in its own process. A last
// pair fetches through the fault server, which breaks the first transfer at 40 %: our downloader
// resuming on its own against `curl` and then `curl -C -`.
// Prints throughput (transfer time as each tool measures it, so process start-up is left out)
// and peak resident memory.
//
//   bench_transfer [--size-mb N] [--runs N]
#include "download/FileDownloader.h"
#include "support/Sha512Hasher.h"
#include "testkit/HttpTestServer.h"
#include "testkit/NginxServer.h"
#include "testkit/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Sample {
    double seconds = 0;
    long peakRssKiB = 0;
};

long highWaterKiB(const QString& statusPath) {
    QFile status(statusPath);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Child mode: one download; prints its transfer time in seconds and its peak RSS in KiB. A broken
// transfer is tried again at once: the figure is for the transfer, not for the wait.
int fetch(const QString& url, qint64 expectedSize, bool sha512) {
    DownloadTimeouts timeouts;
    timeouts.retryDelays = {std::chrono::milliseconds(0)};
    FileDownloader downloader(nullptr, timeouts);
    DownloadChecks checks;
    checks.sha512 = sha512;
    const auto start = std::chrono::steady_clock::now();
    const QString path = downloader.download(QUrl(url), nullptr, checks);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const qint64 size = QFileInfo(path).size();
    QDir(QFileInfo(path).absolutePath()).removeRecursively();
    if (size != expectedSize) {
        std::fprintf(stderr, "short download: %lld bytes\n", static_cast<long long>(size));
        return 1;
    }
    std::printf("%.6f %ld\n", took.count(), highWaterKiB(QStringLiteral("/proc/self/status")));
    return 0;
}

// Runs `args` with stdout going to `reportPath`, where it prints its transfer time (and, if
// it can, its own peak RSS). Otherwise the peak RSS is the child's high-water mark as last
// seen while it ran: the spawner's own memory would taint getrusage's figure.
Sample runChild(const std::vector<std::string>& args, const QString& reportPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, reportPath.toLocal8Bit().constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + args[0]);
    const QString statusPath = QStringLiteral("/proc/%1/status").arg(pid);
    long seenKiB = 0;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        seenKiB = std::max(seenKiB, highWaterKiB(statusPath));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(args[0] + " failed");
    QFile report(reportPath);
    report.open(QIODevice::ReadOnly);
    const QList<QByteArray> fields = report.readAll().simplified().split(' ');
    const long reportedKiB = fields.size() > 1 ? fields.at(1).toLong() : 0;
    // A child that reports no time of its own is timed from outside.
    const double seconds = fields.value(0).toDouble();
    return {seconds > 0 ? seconds : wall.count(), std::max(seenKiB, reportedKiB)};
}

double sha512MegabytesPerSecond(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    Sha512Hasher hash;
    QByteArray block(64 * 1024, Qt::Uninitialized);
    const auto start = std::chrono::steady_clock::now();
    for (qint64 n; (n = file.read(block.data(), block.size())) > 0;)
        hash.add(QByteArrayView(block.constData(), n));
    hash.hexDigest();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return static_cast<double>(file.size()) / 1e6 / took.count();
}

void writeTestFile(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the test file");
    QByteArray block(1024 * 1024, Qt::Uninitialized);
    quint64 state = 88172645463325252ull;
    for (qint64 written = 0; written < size; written += block.size()) {
        for (char& byte : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            byte = static_cast<char>(state);
        }
        file.write(block.constData(), std::min<qint64>(block.size(), size - written));
    }
}

Sample median(std::vector<Sample> samples) {
    std::sort(samples.begin(), samples.end(),
              [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; });
    Sample middle = samples[samples.size() / 2];
    for (const Sample& s : samples)
        middle.peakRssKiB = std::max(middle.peakRssKiB, s.peakRssKiB);
    return middle;
}

void printRow(const char* tool, const Sample& s, qint64 size, bool withRss = true) {
    std::printf("%-22s %10.1f", tool, static_cast<double>(size) / 1e6 / s.seconds);
    if (withRss)
        std::printf(" %14.1f\n", static_cast<double>(s.peakRssKiB) / 1024.0);
    else
        std::printf(" %14s\n", "-"); // only the shell's own memory would show
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name, qint64 fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args.at(at + 1).toLongLong() : fallback;
    };
    if (const qsizetype at = args.indexOf(QStringLiteral("--ca")); at > 0 && at + 1 < args.size())
        NginxServer::trust(args.at(at + 1));
    if (const qsizetype at = args.indexOf(QStringLiteral("--fetch"));
        at > 0 && at + 2 < args.size())
        return fetch(args.at(at + 1), args.at(at + 2).toLongLong(),
                     args.contains(QStringLiteral("--sha512")));

    const qint64 size = option("--size-mb", 100) * 1000 * 1000;
    const int runs = static_cast<int>(option("--runs", 3));
    try {
        QTemporaryDir work;
        const QString payload = work.filePath(QStringLiteral("payload.zip"));
        writeTestFile(payload, size);
        NginxServer nginx(work.path());
        if (!nginx.running())
            throw std::runtime_error("nginx did not start");
        const QString plainUrl = nginx.plainUrl() + QStringLiteral("/payload.zip");
        const std::string plain = plainUrl.toStdString();
        const std::string tls = (nginx.baseUrl() + QStringLiteral("/payload.zip")).toStdString();
        const std::string ca = nginx.certificatePath().toStdString();
        testkit::HttpTestServer faults;
        const QString report = work.filePath(QStringLiteral("report.txt"));
        const std::string out = work.filePath(QStringLiteral("curl.out")).toStdString();
        const std::string self = QCoreApplication::applicationFilePath().toStdString();
        const std::string sizeArg = std::to_string(size);
        const std::string curl = "curl -s --noproxy '*' --cacert '" + ca + "' -o '" + out + "' ";

        std::vector<Sample> ours, oursHashing, curls, curlAndHash, oursTls, curlTls, oursResuming,
            curlResuming;
        const auto fetched = [&](std::vector<std::string> args) {
            const Sample sample = runChild(args, report);
            QFile::remove(QString::fromStdString(out));
            return sample;
        };
        // curl on its own (not under a shell), so that its own memory is what is seen.
        const auto timedCurl = [&](const std::string& url) {
            return fetched({"curl", "-s", "--noproxy", "*", "--cacert", ca, "-o", out, "-w",
                            "%{time_total}", url});
        };
        // Each resume run has its own path, so that its first request is the one that breaks.
        const auto breaksOnce = [&](int run, const char* tool) {
            const QString path = QStringLiteral("/%1-%2.zip").arg(QLatin1String(tool)).arg(run);
            faults.setRoute(path, {},
                            {{"proxy", plainUrl},
                             {"answers", QJsonArray{QJsonObject{{"drop_after", size * 2 / 5}}}}});
            return faults.url(path).toString().toStdString();
        };
        for (int run = 0; run < runs; ++run) {
            ours.push_back(fetched({self, "--fetch", plain, sizeArg}));
            curls.push_back(timedCurl(plain));
            oursHashing.push_back(fetched({self, "--fetch", plain, sizeArg, "--sha512"}));
            curlAndHash.push_back(fetched(
                {"sh", "-c", curl + "'" + plain + "' && sha512sum '" + out + "' >/dev/null"}));
            oursTls.push_back(fetched({self, "--fetch", tls, sizeArg, "--ca", ca}));
            curlTls.push_back(timedCurl(tls));
            oursResuming.push_back(fetched({self, "--fetch", breaksOnce(run, "ours"), sizeArg}));
            const std::string cut = breaksOnce(run, "curl");
            curlResuming.push_back(
                fetched({"sh", "-c", curl + "'" + cut + "'; " + curl + "-C - '" + cut + "'"}));
        }
        std::printf("%lld MB over loopback from nginx, median of %d runs (peak RSS: largest run)\n",
                    static_cast<long long>(size / 1000 / 1000), runs);
        std::printf("%-22s %10s %14s\n", "tool", "MB/s", "peak RSS MiB");
        printRow("FileDownloader", median(ours), size);
        printRow("curl -s -o", median(curls), size);
        printRow("FileDownloader+SHA-512", median(oursHashing), size);
        printRow("curl + sha512sum", median(curlAndHash), size, false);
        std::printf("HTTP/2 over TLS:\n");
        printRow("FileDownloader", median(oursTls), size);
        printRow("curl -s -o", median(curlTls), size);
        std::printf("Broken at 40 %% once, then resumed (through the fault server):\n");
        printRow("FileDownloader", median(oursResuming), size);
        printRow("curl; curl -C -", median(curlResuming), size, false);
        std::printf("(for scale: SHA-512 alone, file in page cache: %.1f MB/s)\n",
                    sha512MegabytesPerSecond(payload));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_transfer: %s\n", error.what());
        return 1;
    }
}
