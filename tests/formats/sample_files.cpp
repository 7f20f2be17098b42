#include "formats/sample_files.h"

#include "platform/cp1251.h"
#include "platform/local_date.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

namespace talsk::test {

namespace {

bool writingSamples() {
    const char* v = std::getenv("TALSK_WRITE_SAMPLES");
    return v != nullptr && std::string(v) == "1";
}

const char* const kTableNames[kTableCount] = {"population", "organizations", "citycodes"};

// \t, \n and \\ back to their characters; false on any other escape.
bool unescape(const std::string& text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return false;
        }
    }
    return true;
}

} // namespace

std::string samplePath(const std::string& name) {
    return TALSK_TEST_DATA "/" + name;
}

std::vector<unsigned char> sampleBytes(const std::string& name) {
    std::vector<unsigned char> bytes = readBytes(samplePath(name));
    EXPECT_FALSE(bytes.empty()) << "sample " << name << " is missing";
    return bytes;
}

void expectSampleBytes(const std::string& name, const std::vector<unsigned char>& bytes) {
    if (writingSamples()) {
        writeBytes(samplePath(name), bytes);
        return;
    }
    const std::vector<unsigned char> sample = sampleBytes(name);
    size_t at = 0;
    while (at < sample.size() && at < bytes.size() && sample[at] == bytes[at])
        ++at;
    EXPECT_TRUE(at == sample.size() && at == bytes.size())
        << name << ": written " << bytes.size() << " bytes, sample " << sample.size()
        << " bytes, first difference at offset " << at;
}

BaseContent parseExportLines(const std::string& utf8Text) {
    BaseContent content;
    std::istringstream in(utf8Text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> parts;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            parts.push_back(line.substr(start, tab - start));
        parts.push_back(line.substr(start));
        EXPECT_EQ(parts.size(), 2u + kFieldCount) << line;
        if (parts.size() != 2u + kFieldCount) continue;
        int k = 0;
        while (k < kTableCount && parts[0] != kTableNames[k])
            ++k;
        EXPECT_LT(k, kTableCount) << line;
        if (k == kTableCount) continue;
        EXPECT_EQ(parts[1], std::to_string(content.tables[k].size())) << line;
        RecordTexts record;
        for (int f = 0; f < kFieldCount; ++f) {
            std::string raw;
            EXPECT_TRUE(unescape(parts[static_cast<size_t>(f) + 2], raw)) << line;
            record[static_cast<size_t>(f)] = utf8ToCp1251(raw);
        }
        content.tables[k].push_back(record);
    }
    return content;
}

BaseContent expectedRecords(const std::string& name) {
    const std::vector<unsigned char> tsv = sampleBytes(name + ".expected.tsv");
    return parseExportLines(std::string(tsv.begin(), tsv.end()));
}

FixedDate::FixedDate(BaseDate date) {
    setDateSource([date] { return LocalDate{date.year, date.month, date.day}; });
}

FixedDate::~FixedDate() {
    setDateSource({});
}

} // namespace talsk::test
