// Reads arbitrary bytes as a version 1.2 base file, as the converter and
// talsk-cli export do, and maps every record that loaded to the seven-field
// form. A file with a user key is read with the key of the keyed sample.

#include "base/legacy_12.h"
#include "base/legacy_records.h"
#include "fuzz/fuzz_input.h"
#include "platform/memory_file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace talsk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string sampleKey = fuzz::typedKeyOf12Sample();
    MemoryFile file(std::vector<unsigned char>(data, data + size));
    PhoneBase base;
    (void)readLegacy12(file, size > 4 && data[4] == 0 ? sampleKey : "", base);
    LegacyRecord record;
    RecordFields fields;
    for (int k = 0; k < kLegacy12TableCount; ++k) {
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        if (!t.loaded || t.text.empty()) continue;
        for (int32_t i = 0; i < t.count; ++i) {
            legacy12Record(t, static_cast<TableKind>(k), i, record);
            legacyToFields(record, static_cast<TableKind>(k), fields);
            for (int f = 1; f <= kFieldCount; ++f)
                if (std::strlen(fields.field(f)) > static_cast<size_t>(kFieldMax[f]))
                    __builtin_trap();
        }
    }
    return 0;
}
