// Reads arbitrary bytes as a version 1.0 base file, as the file information
// reads its header and the converter its body and every record.

#include "base/legacy_10.h"
#include "platform/memory_file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace talsk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(std::vector<unsigned char>(data, data + size));
    PhoneBase header;
    (void)readLegacy10Header(file, header); // the body is read whatever the lead says
    Legacy10Body body;
    int32_t status = 0;
    // No keyed sample of this version exists; any typed key serves.
    if (!readLegacy10Body(file, header.keyed ? "fuzz" : "", body, status)) return 0;
    RecordFields fields;
    walkLegacy10Body(body, [&](TableKind kind, const LegacyRecord& record) {
        legacyToFields(record, kind, fields);
        // Every 1.0 record fits the seven-field record.
        for (int k = 1; k <= kFieldCount; ++k)
            if (std::strlen(fields.field(k)) > static_cast<size_t>(kFieldMax[k])) __builtin_trap();
    });
    return 0;
}
