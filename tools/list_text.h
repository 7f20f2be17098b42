#pragma once
// A list of rows leaving the program as text: the clipboard's tab-separated
// lines and the saved list's CSV (a byte-order mark, ';' between cells,
// quoting as RFC 4180 has it, so that spreadsheets in a Russian locale open it
// in columns) or plain text. Built in one pass into one buffer: a million
// rows cost one growing string, not a string per cell.

#include "platform/write_error.h"

#include <string>
#include <string_view>

namespace talsk {

enum class ListFormat {
    Text, // cells separated by tabs, "\n" after each row; a tab or line break
          // inside a cell becomes a space, so that a row stays one line
    Csv,  // UTF-8 with a byte-order mark, ';', "\r\n"; a cell holding ';',
          // '"', CR or LF is quoted, its quotes doubled
};

class ListText {
public:
    explicit ListText(ListFormat format);

    void reserve(size_t bytes) { text_.reserve(bytes); }
    // One cell of the current row, UTF-8 or Windows-1251.
    void cell(std::string_view utf8);
    void cellCp1251(std::string_view cp1251);
    void endRow();

    const std::string& text() const { return text_; }
    std::string take() { return std::move(text_); }
    ListFormat format() const { return format_; }

private:
    void startCell();
    // Appends one character, escaped as the format wants.
    void put(char32_t c);
    bool needsQuotes(std::string_view utf8) const;

    ListFormat format_;
    bool rowStarted_ = false;
    std::string text_;
};

// CSV for a name ending in ".csv" (any case), plain text otherwise.
ListFormat listFormatForName(std::string_view fileName);

// Writes the list through the atomic save; false with the cause on failure.
[[nodiscard]] bool saveListText(const std::string& path, const ListText& list,
                                WriteError* cause = nullptr);

} // namespace talsk
