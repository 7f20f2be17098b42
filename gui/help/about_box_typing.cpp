#include "gui/help/about_box_typing.h"

#include "gui/widgets/app_texts.h"

#include <utility>

namespace talsk {

namespace {

// Bytes of the UTF-8 character that starts at s[i]; a stray byte counts as one.
size_t charLength(std::string_view s, size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    size_t n = 1;
    if (lead >= 0xF0)
        n = 4;
    else if (lead >= 0xE0)
        n = 3;
    else if (lead >= 0xC0)
        n = 2;
    size_t k = 1;
    while (k < n && i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80)
        ++k;
    return k;
}

} // namespace

const std::vector<std::string>& aboutLines() {
    static const std::vector<std::string> lines = {
        std::string(kAppTitle),
        "Версия 1.02    ",
        "от 19.11.2002",
        "",
        " ",
        "",
        "Спасибо, что пользуетесь справочником. Приятных вам звонков!",
    };
    return lines;
}

AboutTyping::AboutTyping(std::vector<std::string> lines, int firstPauseMs, int charPauseMs)
    : lines_(std::move(lines)), firstPauseMs_(firstPauseMs), charPauseMs_(charPauseMs) {}

bool AboutTyping::next(TypingStep& step) {
    while (line_ < lines_.size()) {
        const std::string& text = lines_[line_];
        if (line_ == 0) {
            // The title is there at once.
            step = {0, text, firstPauseMs_};
            ++line_;
            return true;
        }
        if (typed_ >= text.size()) {
            ++line_;
            typed_ = 0;
            continue;
        }
        const size_t length = charLength(text, typed_);
        const bool space = text[typed_] == ' ';
        typed_ += length;
        step.line = line_;
        step.text = text.substr(0, typed_);
        if (typed_ < text.size()) step.text += kTypingCursor;
        step.pauseMs = space ? 0 : charPauseMs_;
        return true;
    }
    return false;
}

} // namespace talsk
