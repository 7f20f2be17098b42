// Loads a base file from arbitrary bytes, as connecting a file does, and reads
// every record that loaded. Build with clang:
//   CXX=clang++ cmake -S . -B build/fuzz -DTALSK_FUZZ=ON -DTALSK_TESTS=OFF
//   cmake --build build/fuzz --target load_fuzz && build/fuzz/fuzz/load_fuzz CORPUS_DIR
// A file whose lead says keyed is read with the key "fuzz", so that seed
// files saved with that key reach the codec.

#include "base/base_file.h"
#include "platform/memory_file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace talsk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PhoneBase base;
    base.file = std::make_unique<MemoryFile>(std::vector<unsigned char>(data, data + size));
    base.key = size > 3 && data[3] != 0 ? "fuzz" : "";
    if (readHeader(base, {.fromDisk = false, .allow20b = true})) loadTables(base, kMaskAllTables);
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
