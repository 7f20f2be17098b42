// Lists leaving the program as text: the clipboard's lines and the saved CSV,
// read back by Python's csv module as a spreadsheet would read it.

#include "platform/cp1251.h"
#include "support/temp_dir.h"
#include "tools/list_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace talsk::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

ListText listOf(ListFormat format, const Rows& rows) {
    ListText list(format);
    for (const auto& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            // Alternate the two entries so that both escape the same way.
            if (c % 2 == 0)
                list.cell(row[c]);
            else
                list.cellCp1251(utf8ToCp1251(row[c]));
        }
        list.endRow();
    }
    return list;
}

#ifndef _WIN32 // no Python beside the Windows test programs
std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

// The rows Python's csv module reads from the file, each cell as "x" + hex.
std::vector<std::string> readByPython(const std::string& path) {
    const std::string script =
        "import csv,sys\n"
        "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
        "    for row in csv.reader(f, delimiter=';'):\n"
        "        print(' '.join('x' + c.encode('utf-8').hex() for c in row))\n";
    const std::string command = "python3 -c \"" + script + "\" '" + path + "'";
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return lines;
    std::string line;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    EXPECT_EQ(pclose(pipe), 0);
    return lines;
}
#endif

const Rows kAwkward = {
    {"Телефон", "Фамилия", "Адрес"},
    {"22-33-44", "Иванов; Пётр", "ул. \"Мира\"  5 - 2"},
    {"", "tab\there", "line\nbreak"},
    {"crlf\r\nend", "\"", ";"},
    {"ё№", "plain", ""},
};

TEST(ListTextTest, CsvReadsBackAsTheRows) {
    TempDir dir;
    const std::string path = dir.file("list.csv");
    const ListText list = listOf(ListFormat::Csv, kAwkward);
    ASSERT_TRUE(saveListText(path, list));
    const std::vector<unsigned char> bytes = readBytes(path);
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "\xEF\xBB\xBF");

#ifndef _WIN32
    std::vector<std::string> expected;
    for (const auto& row : kAwkward) {
        std::string line;
        for (const auto& cell : row)
            line += (line.empty() ? "x" : " x") + hex(cell);
        expected.push_back(line);
    }
    EXPECT_EQ(readByPython(path), expected);
#endif
}

TEST(ListTextTest, TextKeepsEachRowOnOneLine) {
    const ListText list = listOf(ListFormat::Text, kAwkward);
    EXPECT_EQ(list.text(), "Телефон\tФамилия\tАдрес\n"
                           "22-33-44\tИванов; Пётр\tул. \"Мира\"  5 - 2\n"
                           "\ttab here\tline break\n"
                           "crlf  end\t\"\t;\n"
                           "ё№\tplain\t\n");
}

TEST(ListTextTest, FormatFollowsTheName) {
    const struct {
        const char* name;
        ListFormat format;
    } cases[] = {{"a.csv", ListFormat::Csv},      {"/x/СПИСОК.CSV", ListFormat::Csv},
                 {"a.txt", ListFormat::Text},     {"csv", ListFormat::Text},
                 {"a.csv.txt", ListFormat::Text}, {"", ListFormat::Text}};
    for (const auto& c : cases)
        EXPECT_EQ(listFormatForName(c.name), c.format) << c.name;
}

TEST(ListTextTest, FailedSaveNamesItsCause) {
    TempDir dir;
    WriteError cause = WriteError::None;
    EXPECT_FALSE(
        saveListText(dir.file("missing/list.csv"), listOf(ListFormat::Csv, kAwkward), &cause));
    EXPECT_EQ(cause, WriteError::NoFolder);
    EXPECT_FALSE(saveListText(dir.path(), listOf(ListFormat::Text, kAwkward), &cause));
    EXPECT_EQ(cause, WriteError::IsFolder);
}

} // namespace
} // namespace talsk::test
