#include "support/Platform.h"

#include <QString>
#include <QSysInfo>

Platform hostPlatform() {
#if defined(Q_OS_MACOS)
    return Platform::MacOS;
#else
    const QString arch = QSysInfo::currentCpuArchitecture();
    return arch.startsWith(QLatin1String("arm64")) ? Platform::LinuxArm64 : Platform::LinuxX86_64;
#endif
}
