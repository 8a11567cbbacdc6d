#include "app/UserSettings.h"

std::unique_ptr<QSettings> openUserSettings() {
    return std::make_unique<QSettings>(QStringLiteral("Quillfire"), QStringLiteral("Quillfire"));
}
