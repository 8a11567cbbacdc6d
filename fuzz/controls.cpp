#include "project/Controls.h"
#include "Fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const ControlEntry& entry :
         ProjectInspector::parseControls(QString::fromUtf8(bytes(data, size))))
        FUZZ_CHECK(!entry.keys.isEmpty()); // only actions with a recognisable input
    return 0;
}
