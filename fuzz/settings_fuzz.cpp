// Reads a configuration file "Orv   2000.cfg" of arbitrary bytes as the
// program does at start-up; whatever the file holds, the record must come
// out valid.

#include "base/settings.h"
#include "fuzz/fuzz_input.h"

#include <cstddef>
#include <cstdint>

using namespace talsk;

namespace {

bool valid(const ProgramSettings& s) {
    bool ok = s.fileCount >= 0 && s.fileCount <= kMaxFiles && s.saveAsChoice >= 0 &&
              s.saveAsChoice <= s.fileCount && s.searchFilesChoice >= 0 &&
              s.searchFilesChoice <= s.fileCount + 2 && s.searchTablesChoice <= 5 &&
              s.startFocus <= 7 && s.searchLogCapacity < 1000 && s.backgroundDelayMs >= 1 &&
              s.backgroundDelayMs <= 9999;
    for (int32_t w : s.columnWidthsPx)
        ok = ok && w >= 0 && w <= 3000;
    for (float share : s.columnWidthShares)
        ok = ok && share >= 0.001f && share <= 1.0f;
    for (const std::string& path : s.filePaths)
        ok = ok && pathWithinLimit(path);
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::writeScratchFile(kConfigFileName, data, size);
    ProgramSettings settings;
    settings.programFolder = fuzz::scratchFolder();
    if (!loadSettings(settings) || !valid(settings)) __builtin_trap();
    return 0;
}
