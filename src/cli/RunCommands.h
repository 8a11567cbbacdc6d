#pragma once

#include <QStringList>
#include <QTextStream>

// The commands that do what the window's buttons do.
int runPlay(const QStringList& args, QTextStream& out, QTextStream& err); // Play
int runSetup(const QStringList& args, QTextStream& out,
             QTextStream& err); // download and set up, no launch
int runUpdate(const QStringList& args, QTextStream& out, QTextStream& err);    // Update the game
int runRollback(const QStringList& args, QTextStream& out, QTextStream& err); // Go back
int runRepair(const QStringList& args, QTextStream& out, QTextStream& err);    // Check and repair
int runReinstall(const QStringList& args, QTextStream& out, QTextStream& err); // Reinstall
int runRemove(const QStringList& args, QTextStream& out, QTextStream& err);    // Remove everything
