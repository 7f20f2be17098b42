// Base files named from outside join the settings' list by their full paths.

#include "base/named_files.h"

#include <gtest/gtest.h>

namespace talsk {
namespace {

TEST(NamedFiles, JoinTheListOnceEachUnlessItCannotHoldThem) {
    ProgramSettings settings;
    settings.programFolder = "/p";
    settings.fileCount = 2;
    settings.filePaths[0] = "a.btn"; // in the program folder
    settings.filePaths[1] = "/q/b.btn";
    const std::vector<int> listed =
        listNamedFiles(settings, {"/p/a.btn", "/q/b.btn", "/r/c.btn", "/r/c.btn",
                                  "/r/\xE6\x97\xA5.btn", "/r/" + std::string(300, 'x') + ".btn"});
    EXPECT_EQ(listed, (std::vector<int>{0, 1, 2, 2, -1, -1}));
    EXPECT_EQ(settings.fileCount, 3);
    EXPECT_EQ(settings.filePaths[0], "a.btn");
    EXPECT_EQ(settings.filePaths[2], "/r/c.btn");

    settings.fileCount = kMaxFiles; // a full list takes no more
    EXPECT_EQ(listNamedFiles(settings, {"/r/d.btn"}), std::vector<int>{-1});
    EXPECT_EQ(settings.fileCount, kMaxFiles);
}

TEST(NamedFiles, BtnInAnyLetterCase) {
    for (const char* name : {"a.btn", "A.BTN", "/x/y.Btn", ".btn"})
        EXPECT_TRUE(endsWithBtn(name)) << name;
    for (const char* name : {"btn", "a.btn.txt", "a.bt", "", "abtn"})
        EXPECT_FALSE(endsWithBtn(name)) << name;
}

} // namespace
} // namespace talsk
