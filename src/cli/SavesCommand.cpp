#include "cli/SavesCommand.h"

#include "app/SaveBackups.h"
#include "cli/Command.h"
#include "cli/CommandOptions.h"
#include "cli/ModelSession.h"
#include "cli/RunWait.h"
#include "support/Paths.h"

namespace {

int list(QTextStream& out) {
    const QList<SaveBackups::Backup> backups = SaveBackups::list();
    if (backups.isEmpty()) {
        out << "No backups of saved games yet. One is made in " << Paths::saveBackupsFolder()
            << " before every update, reinstall and removal.\n";
        return ExitCode::ok;
    }
    out << "Backups of saved games in " << Paths::saveBackupsFolder() << ", newest first:\n";
    for (qsizetype i = 0; i < backups.size(); ++i)
        out << QStringLiteral("%1  ").arg(i + 1, 3) << SaveBackups::label(backups[i]) << '\n';
    out << "Restore one with: quillfire saves --restore N\n";
    return ExitCode::ok;
}

int restore(int number, QTextStream& out, QTextStream& err) {
    ModelSession session(false);
    if (!session.claimFolders(err))
        return ExitCode::failure;
    const QList<SaveBackups::Backup> backups = SaveBackups::list();
    if (number > backups.size()) {
        err << "There is no backup " << number << "; quillfire saves lists them.\n";
        return ExitCode::failure;
    }
    const SaveBackups::Backup& backup = backups[number - 1];
    AppModel& model = session.model();
    const QString failure =
        awaitSignal(model, &AppModel::restoreFinished, [&] { model.restoreSaves(backup.path); });
    if (!failure.isEmpty()) {
        err << failure << '\n';
        return ExitCode::failure;
    }
    out << "Restored the saved games of " << SaveBackups::label(backup)
        << ". The saves they replaced were backed up first.\n";
    return ExitCode::ok;
}

} // namespace

int runSaves(const QStringList& args, QTextStream& out, QTextStream& err) {
    QCommandLineParser parser;
    const QCommandLineOption restoreOption(QStringLiteral("restore"), QString(),
                                           QStringLiteral("N"));
    parser.addOption(restoreOption);
    if (!parseCommandOptions(parser, "saves", args, err))
        return ExitCode::usage;
    if (!parser.isSet(restoreOption))
        return list(out);
    bool isNumber = false;
    const int number = parser.value(restoreOption).toInt(&isNumber);
    if (!isNumber || number < 1) {
        err << "quillfire saves: --restore takes a backup's number, as quillfire saves lists it\n";
        return ExitCode::usage;
    }
    return restore(number, out, err);
}
