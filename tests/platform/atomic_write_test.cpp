// Whole-file writing: content replaced at once, permissions as a user expects.

#include "platform/atomic_write.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace talsk::test {
namespace {

mode_t modeOf(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(AtomicWrite, PermissionsOfNewKeptAndOwnerOnlyFiles) {
    TempDir dir;
    const mode_t old = umask(022);
    const std::string fresh = dir.file("fresh.cfg");
    ASSERT_TRUE(writeFileAtomically(fresh, "abc", 3, false));
    EXPECT_EQ(modeOf(fresh), 0644u)
        << "a new file gets what the umask allows, not the temp file's 0600";

    chmod(fresh.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(fresh, "defg", 4, false));
    EXPECT_EQ(modeOf(fresh), 0640u);
    std::string bytes;
    ASSERT_TRUE(readFileHead(fresh, 100, bytes));
    EXPECT_EQ(bytes, "defg");

    const std::string secret = dir.file("Key");
    ASSERT_TRUE(writeFileAtomically(secret, "k", 1, true));
    EXPECT_EQ(modeOf(secret), 0600u);

    std::unique_ptr<File> held;
    const std::string base = dir.file("new.btn");
    ASSERT_TRUE(writeFileImage(base, "0123456789", 10, held));
    ASSERT_TRUE(held && held->isOpen());
    EXPECT_EQ(modeOf(base), 0644u);
    // The written file stays locked for writing by its holder.
    EXPECT_EQ(fileSystem().open(base, OpenMode::ReadWriteExclusive), nullptr);
    umask(old);
    EXPECT_EQ(dir.entries().size(), 3u) << "no temporary file is left behind";
}

TEST(AtomicWrite, ReadFileHeadCapsAndRefusesFolders) {
    TempDir dir;
    ASSERT_TRUE(writeFileAtomically(dir.file("f"), "0123456789", 10, false));
    std::string bytes;
    ASSERT_TRUE(readFileHead(dir.file("f"), 4, bytes));
    EXPECT_EQ(bytes, "0123");
    EXPECT_FALSE(readFileHead(dir.path(), 4, bytes));
    EXPECT_FALSE(readFileHead(dir.file("missing"), 4, bytes));
}

} // namespace
} // namespace talsk::test
