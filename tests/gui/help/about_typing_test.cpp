// The About box's typing without a window: what each step shows and how
// long it pauses.

#include "gui/help/about_box_typing.h"

#include <gtest/gtest.h>

namespace talsk {
namespace {

std::vector<TypingStep> allSteps(AboutTyping& typing) {
    std::vector<TypingStep> steps;
    TypingStep step;
    while (typing.next(step))
        steps.push_back(step);
    return steps;
}

TEST(AboutTyping, TitleAtOnceThenCharacterByCharacterWithCursor) {
    const std::string cursor(kTypingCursor);
    AboutTyping typing({"Справочник", "ab c", "", "Я"}, 200, 16);
    struct Expected {
        size_t line;
        std::string text;
        int pauseMs;
    };
    const Expected expected[] = {
        {0, "Справочник", 200}, // the whole title, then the long pause
        {1, "a" + cursor, 16},  // the cursor while the line is not complete
        {1, "ab" + cursor, 16}, //
        {1, "ab " + cursor, 0}, // no pause after a space
        {1, "ab c", 16},        // complete: no cursor
        {3, "Я", 16},           // the empty line 2 has no step; Я is one character
    };
    const std::vector<TypingStep> steps = allSteps(typing);
    ASSERT_EQ(steps.size(), std::size(expected));
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(steps[i].line, expected[i].line);
        EXPECT_EQ(steps[i].text, expected[i].text);
        EXPECT_EQ(steps[i].pauseMs, expected[i].pauseMs);
    }
    EXPECT_TRUE(typing.finished());
    TypingStep after;
    EXPECT_FALSE(typing.next(after));
}

TEST(AboutTyping, EveryLineOfTheBoxEndsComplete) {
    const std::vector<std::string>& lines = aboutLines();
    ASSERT_EQ(lines.size(), 7u);
    AboutTyping typing(lines);
    std::vector<std::string> shown(lines.size());
    size_t lastLine = 0;
    for (const TypingStep& s : allSteps(typing)) {
        ASSERT_GE(s.line, lastLine); // lines in order, never back
        lastLine = s.line;
        shown[s.line] = s.text;
    }
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(shown[i], lines[i]) << i;
}

} // namespace
} // namespace talsk
