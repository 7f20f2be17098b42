#pragma once
// The committed sample files of tests/data: where they are, their expected
// records (export lines, as talsk-cli export prints them), and the byte
// comparison that pins the formats the program writes.
//
// The samples are the reference: a writer that no longer reproduces one
// byte for byte has changed a file format. TALSK_WRITE_SAMPLES=1 in the
// environment makes the tests write the samples anew instead (only ever
// done on purpose, and reviewed as a format change).

#include "support/base_fixtures.h"

#include <string>
#include <vector>

namespace talsk::test {

std::string samplePath(const std::string& name);
std::vector<unsigned char> sampleBytes(const std::string& name);

// Compares bytes with the sample `name`, naming the first differing offset;
// in writing mode stores them as the sample instead.
void expectSampleBytes(const std::string& name, const std::vector<unsigned char>& bytes);

// The records of an export listing (UTF-8 lines of table, index and seven
// escaped fields), in Windows-1251 by table. Lines out of order or badly
// formed fail the calling test.
BaseContent parseExportLines(const std::string& utf8Text);
// The expected records kept beside sample `name`: NAME.expected.tsv.
BaseContent expectedRecords(const std::string& name);

// Replaces the date source for one scope.
class FixedDate {
public:
    explicit FixedDate(BaseDate date);
    ~FixedDate();
    FixedDate(const FixedDate&) = delete;
    FixedDate& operator=(const FixedDate&) = delete;
};

// The dates the writers put into the samples: tables are filled on the first
// and last edited on the second.
constexpr BaseDate kSampleCreated{2001, 2, 3};
constexpr BaseDate kSampleUpdated{2002, 12, 30};

// Typed keys of the keyed samples.
constexpr const char* kKeyOf20Sample = "Тальск-2000"; // base20-keyed.btn, UTF-8
constexpr const char* kKeyOf12Sample = "ключ-12";     // base12-keyed.btn, UTF-8

} // namespace talsk::test
