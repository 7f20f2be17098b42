// Reads the header of a file of arbitrary bytes as the file information does
// (any version), through a real file.

#include "base/file_info.h"
#include "fuzz/fuzz_input.h"

#include <cstddef>
#include <cstdint>

using namespace talsk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::writeScratchFile("info.btn", data, size);
    PhoneBase base;
    const bool valid = readFileInfo(path, base);
    // The file is closed again and never counts as connected.
    if (base.file || base.connected) __builtin_trap();
    if (valid && (base.tables[0].count < 0 || base.tables[1].count < 0)) __builtin_trap();
    return 0;
}
