// Measures the launcher's SHA-512 and zip unpacking beside the reference tools, on the same
// files, in one run: sha512sum and openssl for the digest, bsdtar for unpacking. Prints wall
// times (best of several runs) and the launcher code's peak resident memory.

#include "engine/EngineManager.h"
#include "support/Sha512Hasher.h"
#include "support/ZipExtractor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>

namespace {

constexpr int runs = 5;
constexpr qint64 mebibyte = 1024 * 1024;

// Fast, reproducible filler: random bytes do not compress, text does.
class Filler {
public:
    quint64 next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    QByteArray random(qint64 size) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qint64 i = 0; i + 8 <= size; i += 8) {
            const quint64 value = next();
            memcpy(bytes.data() + i, &value, 8);
        }
        return bytes;
    }
    QByteArray text(qint64 size) {
        static const char* words[] = {"func ",    "var ",    "extends ", "Node2D",   "\n",
                                      "\t",       "return ", "self.",    "position", " = ",
                                      "Vector2(", "0, 0)",   "# "};
        QByteArray bytes;
        while (bytes.size() < size)
            bytes += words[next() % std::size(words)];
        bytes.truncate(size);
        return bytes;
    }

private:
    quint64 state_ = 0x9E3779B97F4A7C15ull;
};

void writeFile(const QString& path, const std::function<QByteArray(qint64)>& chunk, qint64 size) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + path.toStdString());
    for (qint64 left = size; left > 0; left -= mebibyte)
        file.write(chunk(std::min(left, mebibyte)));
}

void runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw std::runtime_error(program.toStdString() + " failed");
}

// Peak resident memory of this process since the last reset, in MiB (Linux only).
void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}
double peakMemoryMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

struct Measure {
    double seconds = 0;
    double peakMiB = 0;
};

// Runs each contender `runs` times, taking turns so that a busy spell on the machine hits all of
// them alike, and keeps each one's best time. `reset` runs untimed before every run.
std::vector<Measure> race(const std::vector<std::function<void()>>& contenders,
                          const std::function<void()>& reset = {}) {
    std::vector<Measure> results(contenders.size(), Measure{1e9, 0});
    for (int i = 0; i < runs; ++i) {
        for (size_t c = 0; c < contenders.size(); ++c) {
            if (reset)
                reset();
            resetPeakMemory();
            QElapsedTimer timer;
            timer.start();
            contenders[c]();
            results[c].seconds = std::min(results[c].seconds, timer.nsecsElapsed() / 1e9);
            results[c].peakMiB = std::max(results[c].peakMiB, peakMemoryMiB());
        }
    }
    return results;
}

void report(const char* what, const Measure& ours,
            const std::vector<std::pair<QString, double>>& references) {
    double bestReference = 1e9;
    QString line =
        QStringLiteral("%1  ours %2 s").arg(QLatin1String(what), -34).arg(ours.seconds, 0, 'f', 3);
    for (const auto& [name, seconds] : references) {
        line += QStringLiteral("   %1 %2 s").arg(name).arg(seconds, 0, 'f', 3);
        bestReference = std::min(bestReference, seconds);
    }
    line += QStringLiteral("   ours/best %1   peak RSS %2 MiB")
                .arg(ours.seconds / bestReference, 0, 'f', 2)
                .arg(ours.peakMiB, 0, 'f', 1);
    QTextStream(stdout) << line << Qt::endl;
}

QString zipFolder(const QString& folder, const QString& zip) {
    runTool(QStringLiteral("bsdtar"), {QStringLiteral("-a"), QStringLiteral("-cf"), zip,
                                       QStringLiteral("-C"), folder, QStringLiteral(".")});
    return zip;
}

// One big, mostly incompressible program plus a few small files, like an engine build.
QString engineLikeZip(const QString& root, Filler& filler) {
    const QString folder = root + QStringLiteral("/engine-src");
    writeFile(
        folder + QStringLiteral("/Godot_v4.2.2-stable_linux.x86_64"),
        [&](qint64 n) {
            return n == mebibyte && filler.next() % 10 == 0 ? QByteArray(n, '\0')
                                                            : filler.random(n);
        },
        76 * mebibyte);
    for (int i = 0; i < 4; ++i)
        writeFile(
            folder + QStringLiteral("/data/part%1.txt").arg(i),
            [&](qint64 n) { return filler.text(n); }, 200 * 1024);
    QFile::setPermissions(folder + QStringLiteral("/Godot_v4.2.2-stable_linux.x86_64"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                              QFile::ExeUser);
    return zipFolder(folder, root + QStringLiteral("/engine.zip"));
}

// 5000 small text files in 50 folders, like a game repository.
QString gameLikeZip(const QString& root, Filler& filler) {
    const QString folder = root + QStringLiteral("/game-src");
    for (int i = 0; i < 5000; ++i)
        writeFile(
            folder + QStringLiteral("/scenes%1/node%2.gd").arg(i % 50).arg(i),
            [&](qint64 n) { return filler.text(n); },
            200 + static_cast<qint64>(filler.next() % 8000));
    return zipFolder(folder, root + QStringLiteral("/game.zip"));
}

void benchUnpack(const char* what, const QString& zip, const QString& root) {
    const QString out = root + QStringLiteral("/out");
    const auto fresh = [&] {
        QDir(out).removeRecursively();
        QDir().mkpath(out);
    };
    const auto ignore = [](const QString&) {};
    const std::vector<Measure> times =
        race({[&] {
                  if (ZipExtractor::extract(zip, out, ignore) != 0)
                      throw std::runtime_error("unpack failed");
              },
              [&] {
                  runTool(QStringLiteral("bsdtar"),
                          {QStringLiteral("-xf"), zip, QStringLiteral("-C"), out});
              }},
             fresh);
    report(what, times[0], {{QStringLiteral("bsdtar -xf"), times[1].seconds}});
    QDir(out).removeRecursively();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    if (!root.isValid())
        return 1;
    Filler filler;
    try {
        const QString big = root.filePath(QStringLiteral("random-100MB.bin"));
        writeFile(
            big, [&](qint64 n) { return filler.random(n); }, 100 * 1000 * 1000);
        const std::vector<Measure> times =
            race({[&] { fileSha512(big); },
                  [&] { runTool(QStringLiteral("sha512sum"), {big}); },
                  [&] {
                      runTool(QStringLiteral("openssl"),
                              {QStringLiteral("dgst"), QStringLiteral("-sha512"), big});
                  }});
        report("SHA-512 of 100 MB", times[0],
               {{QStringLiteral("sha512sum"), times[1].seconds},
                {QStringLiteral("openssl dgst"), times[2].seconds}});
        QFile::remove(big);

        const QString engine = engineLikeZip(root.path(), filler);
        QTextStream(stdout) << "engine-like zip: " << QFileInfo(engine).size() / mebibyte << " MiB"
                            << Qt::endl;
        benchUnpack("unpack engine-like zip", engine, root.path());

        const QString game = gameLikeZip(root.path(), filler);
        QTextStream(stdout) << "game-like zip: 5000 files, " << QFileInfo(game).size() / mebibyte
                            << " MiB" << Qt::endl;
        benchUnpack("unpack game-like zip", game, root.path());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_archive: %s\n", error.what());
        return 1;
    }
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    QTextStream(stdout) << "reference tools' peak RSS (largest run): "
                        << children.ru_maxrss / 1024.0 << " MiB" << Qt::endl;
    return 0;
}
