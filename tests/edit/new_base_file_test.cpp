// The name a new base file gets.

#include "edit/new_base_file.h"

#include <gtest/gtest.h>

#include <utility>

namespace talsk {
namespace {

TEST(NewBaseFileName, BtnIsAppendedUnlessItEndsTheName) {
    const std::pair<const char*, const char*> cases[] = {
        {"new", "new.btn"},
        {"x.btn", "x.btn"},
        {"a.btn", "a.btn"},
        {"btn", "btn.btn"},
        {"A.BTN", "A.BTN.btn"},
        {"d/x.btn", "d/x.btn"},
        {"x.btn.txt", "x.btn.txt.btn"},
    };
    for (auto [typed, name] : cases)
        EXPECT_EQ(withBtnExtension(typed), name) << typed;
}

} // namespace
} // namespace talsk
