// Loads a base file (version 2.0, or 2.0b as the converter allows it) from
// arbitrary bytes, as connecting a file does, and reads every record that
// loaded. A file whose lead says keyed is read with the key of the keyed
// sample, so that seeds made from it reach the codec. scripts/fuzz.sh builds
// and runs it.

#include "base/base_file.h"
#include "base/cipher.h"
#include "fuzz/fuzz_input.h"
#include "platform/memory_file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace talsk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string sampleKey = deriveFileKey(fuzz::typedKeyOf20Sample());
    PhoneBase base;
    base.file = std::make_unique<MemoryFile>(std::vector<unsigned char>(data, data + size));
    base.key = size > 3 && data[3] != 0 ? sampleKey : "";
    if (readHeader(base, {.fromDisk = false, .allow20b = true}))
        (void)loadTables(base, kMaskAllTables);
    if (!base.connected) return 0;
    // Every field of every loaded record must lie inside its pool.
    size_t total = 0;
    for (const BaseTable& t : base.tables) {
        if (!t.loaded) continue;
        for (int32_t i = 0; i < t.count; ++i) {
            FieldPointers f = fieldPointers(t, i);
            for (int k = 1; k <= kFieldCount; ++k)
                total += std::strlen(f[k]);
        }
    }
    // Indexing again (as saving does first) must agree.
    if (base.version == kVersion20 && !saveBase(base, kMaskAllTables | kMaskValidateOnly))
        __builtin_trap();
    return total == SIZE_MAX ? 1 : 0;
}
