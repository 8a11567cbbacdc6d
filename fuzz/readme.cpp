#include "Fuzz.h"
#include "project/GameInfoReader.h"
#include "project/InstalledVersion.h"
#include "project/LicenceNames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(bytes(data, size));
    FUZZ_CHECK(!ProjectInspector::detail::summary(text).contains('\n'));
    ProjectInspector::licenceName(text);
    const QString commit = InstalledVersion::commitIn(bytes(data, size));
    FUZZ_CHECK(commit.isEmpty() || commit.size() == 40);
    return 0;
}
