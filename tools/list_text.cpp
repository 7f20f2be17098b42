#include "tools/list_text.h"

#include "platform/atomic_write.h"
#include "platform/cp1251.h"

namespace talsk {

namespace {

bool special(char c) {
    return c == ';' || c == '"' || c == '\r' || c == '\n';
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace

ListText::ListText(ListFormat format) : format_(format) {
    if (format_ == ListFormat::Csv) text_ = "\xEF\xBB\xBF";
}

void ListText::startCell() {
    if (rowStarted_) text_.push_back(format_ == ListFormat::Csv ? ';' : '\t');
    rowStarted_ = true;
}

bool ListText::needsQuotes(std::string_view utf8) const {
    if (format_ != ListFormat::Csv) return false;
    for (char c : utf8)
        if (special(c)) return true;
    return false;
}

void ListText::put(char32_t c) {
    if (format_ == ListFormat::Text && (c == '\t' || c == '\r' || c == '\n'))
        c = ' ';
    else if (format_ == ListFormat::Csv && c == '"')
        text_.push_back('"');
    appendUtf8(text_, c);
}

void ListText::cell(std::string_view utf8) {
    startCell();
    const bool quoted = needsQuotes(utf8);
    if (quoted) text_.push_back('"');
    for (char c : utf8) {
        // Multibyte sequences pass through; only ASCII is ever escaped.
        if (static_cast<unsigned char>(c) < 0x80)
            put(static_cast<unsigned char>(c));
        else
            text_.push_back(c);
    }
    if (quoted) text_.push_back('"');
}

void ListText::cellCp1251(std::string_view cp1251) {
    startCell();
    // The special characters are ASCII, the same bytes in both encodings.
    const bool quoted = needsQuotes(cp1251);
    if (quoted) text_.push_back('"');
    for (char c : cp1251)
        put(cp1251ToUnicode(static_cast<unsigned char>(c)));
    if (quoted) text_.push_back('"');
}

void ListText::endRow() {
    text_.append(format_ == ListFormat::Csv ? "\r\n" : "\n");
    rowStarted_ = false;
}

ListFormat listFormatForName(std::string_view fileName) {
    if (fileName.size() < 4) return ListFormat::Text;
    std::string_view tail = fileName.substr(fileName.size() - 4);
    std::string lower;
    for (char c : tail)
        lower.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    return lower == ".csv" ? ListFormat::Csv : ListFormat::Text;
}

bool saveListText(const std::string& path, const ListText& list, WriteError* cause) {
    return writeFileAtomically(path, list.text().data(), list.text().size(), false, cause);
}

} // namespace talsk
