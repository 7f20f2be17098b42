#include "support/loading_fixtures.h"

#include "base/base_file.h"
#include "base/cipher.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace talsk::test {

void writeBaseFile(const std::string& path, int population, int organizations, int cityCodes,
                   const std::string& typedKey, uint64_t seed) {
    RecordGenerator gen(seed);
    PhoneBase base;
    base.path = path;
    fillBase(base, randomContent(gen, population, organizations, cityCodes),
             deriveFileKey(typedKey));
    ASSERT_TRUE(saveBase(base, kMaskAllTables)) << path;
    closeBase(base);
}

void setVersionWord(const std::string& path, uint16_t version) {
    std::vector<unsigned char> bytes = readBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    bytes[0] = static_cast<unsigned char>(version);
    bytes[1] = static_cast<unsigned char>(version >> 8);
    writeBytes(path, bytes);
}

} // namespace talsk::test
