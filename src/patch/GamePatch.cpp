#include "patch/GamePatch.h"

#include "patch/HipFireEdits.h"
#include "project/ProjectFile.h"
#include "support/LogStore.h"

#include <QFileInfo>
#include <QSaveFile>

#include <optional>

namespace GamePatch {

namespace {

// Replaces the first occurrence of the anchor; false when there is none.
bool replaceFirst(QString& text, const HipFire::Edit& edit) {
    const qsizetype at = text.indexOf(edit.anchor);
    if (at < 0)
        return false;
    text.replace(at, edit.anchor.size(), edit.replacement);
    return true;
}

// Written next to the file and renamed over it, so a script is never left half
// written. Unbuffered, because a buffered flush takes a short write (disk full,
// size limit) for success and would commit a truncated script.
std::optional<QString> writeAtomically(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const QByteArray bytes = text.toUtf8();
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return file.errorString();
        done += written;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace

bool applyHipFire(const QString& projectDir, LogStore& log) {
    const QString playerPath = projectDir + QLatin1Char('/') + HipFire::playerScript;
    const QString bulletPath = projectDir + QLatin1Char('/') + HipFire::bulletScript;
    std::optional<QString> player = ProjectInspector::readText(playerPath);
    std::optional<QString> bullet = ProjectInspector::readText(bulletPath);
    if (!player || !bullet) {
        log.append(QStringLiteral("Hip-fire change skipped: game scripts not found."));
        return false;
    }
    const bool bulletPatched = bullet->contains(HipFire::marker);
    if (player->contains(HipFire::marker) && bulletPatched)
        return true;

    for (const HipFire::Edit& edit : HipFire::playerEdits) {
        if (!replaceFirst(*player, edit)) {
            log.append(QStringLiteral("Hip-fire change skipped: the game's player script looks "
                                      "different from what was expected."));
            return false;
        }
    }
    // The bullet anchor survives its own change, so a bullet script that already
    // carries it must not be changed again.
    if (bulletPatched || !replaceFirst(*bullet, HipFire::bulletEdit)) {
        log.append(QStringLiteral("Hip-fire change skipped: the game's bullet script looks "
                                  "different from what was expected."));
        return false;
    }
    bullet->append(HipFire::bulletBlock);

    // The player script goes first: a failure between the two writes leaves a
    // state that the next run recognises and leaves alone.
    for (const auto& [path, text] :
         {std::pair{playerPath, *player}, std::pair{bulletPath, *bullet}}) {
        if (const std::optional<QString> error = writeAtomically(path, text)) {
            log.append(QStringLiteral("Hip-fire change could not be saved: ") + *error +
                       QStringLiteral(" (") + QFileInfo(path).fileName() + QLatin1Char(')'));
            return false;
        }
    }
    log.append(
        QStringLiteral("Applied hip-fire change (gun fires when not aiming, less accurate)."));
    return true;
}

} // namespace GamePatch
