#include "Fuzz.h"
#include "project/GameInfoReader.h"

#include <QRegularExpression>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QTemporaryDir dir;
    writeFile(dir.filePath("project.godot"), bytes(data, size));
    // The version goes into a download address: it must be a release number whatever the file.
    const GameInfo info = ProjectInspector::inspect(dir.path());
    FUZZ_CHECK(QRegularExpression("^[34]\\.\\d+(\\.\\d+)?$").match(info.engineVersion).hasMatch());
    return 0;
}
