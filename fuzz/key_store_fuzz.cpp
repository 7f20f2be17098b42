// Reads a key store of arbitrary bytes as loading does when it looks keys up,
// then remembers one more key in it: the new key must be found whatever the
// store held before.

#include "base/base_set.h"
#include "base/key_store.h"
#include "fuzz/fuzz_input.h"

#include <cstddef>
#include <cstdint>

using namespace talsk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The files whose keys the sample store remembers.
    static const std::string samplePaths[] = {
        utf8ToCp1251("/home/оператор/справочник/base20-keyed.btn"), utf8ToCp1251("архив.btn"),
        "max.btn"};
    const KeyStore store(fuzz::writeScratchFile("Key", data, size));
    for (const std::string& path : samplePaths)
        if (store.lookupKey(path).size() > kMaxKeyLength) __builtin_trap();
    BaseSet set;
    set.bases.emplace_back();
    PhoneBase& base = set.bases.back();
    base.path = "fuzz.btn";
    base.key = "\x01\xFF key";
    base.keyed = 1;
    base.rememberKey = 1;
    if (!store.saveKeys(set) || store.lookupKey(base.path) != base.key) __builtin_trap();
    return 0;
}
