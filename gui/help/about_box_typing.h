#pragma once
// The About box's lines as they are typed: which control's text changes at
// each step, to what, and how long to pause before the next step. Plain
// C++, so the typing can be checked without a window or a thread.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace talsk {

// Drawn after the typed part of a line while the line is not complete.
inline constexpr std::string_view kTypingCursor = "\u2588";

// The seven lines, UTF-8, in the order they are written.
const std::vector<std::string>& aboutLines();

struct TypingStep {
    size_t line = 0;  // index into the lines
    std::string text; // the line's whole text after this step
    int pauseMs = 0;  // wait before the next step
};

class AboutTyping {
public:
    // The first line appears at once and is followed by firstPauseMs; the
    // others appear character by character, charPauseMs after every
    // character that is not a space.
    explicit AboutTyping(std::vector<std::string> lines, int firstPauseMs = 200,
                         int charPauseMs = 16);

    // The next step; false once every line is typed. An empty line is typed
    // without a step.
    bool next(TypingStep& step);
    bool finished() const { return line_ >= lines_.size(); }

private:
    std::vector<std::string> lines_;
    int firstPauseMs_;
    int charPauseMs_;
    size_t line_ = 0;
    size_t typed_ = 0; // bytes of the current line already shown
};

} // namespace talsk
