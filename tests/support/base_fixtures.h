#pragma once
// Building, saving and loading whole bases in tests.

#include "base/records.h"
#include "support/random_records.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace talsk::test {

struct BaseContent {
    std::vector<RecordTexts> tables[kTableCount];
};

// Appends a record given as up to seven UTF-8 fields.
void appendRecord(PhoneBase& base, TableKind kind, std::initializer_list<const char*> fields);

BaseContent randomContent(RecordGenerator& gen, int population, int organizations, int cityCodes);
// Fills the base's tables (dates fixed) and its key; keyed follows the key.
void fillBase(PhoneBase& base, const BaseContent& content, const std::string& key);
// The records of every table of a base.
BaseContent contentOf(const PhoneBase& base);

// readHeader and loadTables as connecting does, from file bytes held in memory.
void loadFromBytes(PhoneBase& base, const std::vector<unsigned char>& bytes, const std::string& key,
                   bool allow20b = false);
// Saves the content into a file of a temporary folder and returns its bytes.
std::vector<unsigned char> savedBytes(const BaseContent& content, const std::string& key);

// Runs `edit` on the deciphered 96-byte header block of a file image.
void patchHeader(std::vector<unsigned char>& bytes,
                 const std::function<void(unsigned char*)>& edit);
void putI32(unsigned char* p, int32_t v);
int32_t getI32(const unsigned char* p);

// For a connected base: every loaded table's index stays inside its pool and
// every field keeps to its maximum; a failed table holds nothing.
void expectConsistent(const PhoneBase& base);

} // namespace talsk::test
