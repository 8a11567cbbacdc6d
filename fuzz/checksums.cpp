#include "Fuzz.h"
#include "engine/ChecksumList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(bytes(data, size));
    const auto digest = ChecksumList::digestFor(text, "Godot_v4.3-stable_linux.x86_64.zip");
    FUZZ_CHECK(!digest || (!digest->isEmpty() && *digest == digest->toLower()));
    return 0;
}
