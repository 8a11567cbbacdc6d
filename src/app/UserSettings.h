#pragma once

#include <QSettings>

#include <memory>

// The user-defaults store shared by the window and the command line.
std::unique_ptr<QSettings> openUserSettings();
