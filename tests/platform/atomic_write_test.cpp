// Whole-file writing: content replaced at once, permissions as a user expects.

#include "platform/atomic_write.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace talsk::test {
namespace {

#ifndef _WIN32 // permission bits and the umask are POSIX's
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
#endif

TEST(AtomicWrite, ReadFileHeadCapsAndRefusesFolders) {
    TempDir dir;
    ASSERT_TRUE(writeFileAtomically(dir.file("f"), "0123456789", 10, false));
    std::string bytes;
    ASSERT_TRUE(readFileHead(dir.file("f"), 4, bytes));
    EXPECT_EQ(bytes, "0123");
    EXPECT_FALSE(readFileHead(dir.path(), 4, bytes));
    EXPECT_FALSE(readFileHead(dir.file("missing"), 4, bytes));
}

// Whatever fails, the old file keeps every byte, and the cause is named. Only
// a folder that refuses new files by permission makes the save write in place,
// and then a full disk is found before anything is written.
TEST(AtomicWrite, FailedWriteKeepsTheOldFileAndNamesTheCause) {
    struct Case {
        const char* what;
        WriteError refuseTemp;
        int64_t failTempWritesAfter;
        int64_t failOpenWritesAfter;
        bool failReserve;
        WriteError cause;
    };
    const Case cases[] = {
        {"disk full for the temporary file", WriteError::None, 5, -1, false, WriteError::NoSpace},
        {"no block or inode for a temporary file", WriteError::NoSpace, -1, 5, false,
         WriteError::NoSpace},
        {"any other refusal of a temporary file", WriteError::Other, -1, 5, false,
         WriteError::Other},
        {"no permission, and no room", WriteError::NoAccess, -1, 5, true, WriteError::NoSpace},
    };
    const std::string bigger(3000, 'n');
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.file("base.btn");
        writeBytes(path, std::vector<unsigned char>(1000, 'o'));
        FaultFileSystem fs;
        fs.refuseTemp = c.refuseTemp;
        fs.failTempWritesAfter = c.failTempWritesAfter;
        fs.failOpenWritesAfter = c.failOpenWritesAfter;
        fs.failReserve = c.failReserve;
        std::unique_ptr<File> held;
        WriteError cause = WriteError::None;
        {
            ScopedFileSystem scoped(fs);
            EXPECT_FALSE(writeFileImage(path, bigger.data(), 3000, held, &cause)) << c.what;
        }
        EXPECT_EQ(cause, c.cause) << c.what;
        EXPECT_EQ(readBytes(path), std::vector<unsigned char>(1000, 'o')) << c.what;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"base.btn"}) << c.what;
    }
}

#ifndef _WIN32 // symbolic links and other users are POSIX's here
// A link to a file not there yet makes that file; a file with several names
// keeps them all, for base files and small files alike.
TEST(AtomicWrite, LinksStay) {
    TempDir dir;
    ASSERT_EQ(symlink("made.btn", dir.file("link.btn").c_str()), 0);
    std::unique_ptr<File> held;
    ASSERT_TRUE(writeFileImage(dir.file("link.btn"), "abc", 3, held));
    held.reset();
    struct stat st {};
    ASSERT_EQ(lstat(dir.file("link.btn").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readBytes(dir.file("made.btn")), (std::vector<unsigned char>{'a', 'b', 'c'}));

    writeBytes(dir.file("a.btn"), std::vector<unsigned char>(500, 'x'));
    ASSERT_EQ(link(dir.file("a.btn").c_str(), dir.file("b.btn").c_str()), 0);
    ASSERT_TRUE(writeFileImage(dir.file("a.btn"), "shorter", 7, held));
    EXPECT_TRUE(held && held->isOpen());
    held.reset();
    EXPECT_EQ(readBytes(dir.file("b.btn")).size(), 7u);
    ASSERT_TRUE(writeFileAtomically(dir.file("b.btn"), "small", 5, false));
    for (const char* name : {"a.btn", "b.btn"}) {
        ASSERT_EQ(stat(dir.file(name).c_str(), &st), 0);
        EXPECT_EQ(st.st_nlink, 2u) << name;
        EXPECT_EQ(readBytes(dir.file(name)), (std::vector<unsigned char>{'s', 'm', 'a', 'l', 'l'}));
    }
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.btn", "b.btn", "link.btn", "made.btn"}));
}

struct Identity {
    uid_t uid;
    gid_t gid;
    std::vector<gid_t> groups;
};
constexpr uid_t kNobody = 65534; // nobody:nogroup; nobody is in nogroup

// Runs fn in a child process, as `as` when given and the test runs as root;
// fn's result, or -1 when the child did not end by itself.
int inChild(const Identity* as, const std::function<int()>& fn) {
    const pid_t child = fork();
    if (child == 0) {
        if (as && geteuid() == 0 &&
            (setgroups(as->groups.size(), as->groups.data()) || setgid(as->gid) || setuid(as->uid)))
            _exit(255);
        _exit(fn());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}
#endif

struct Writer {
    const char* name;
    WriteError (*save)(const std::string& path, const std::string& bytes);
};
const Writer kWriters[] = {
    {"image",
     [](const std::string& path, const std::string& bytes) {
         std::unique_ptr<File> held;
         WriteError cause = WriteError::None;
         (void)writeFileImage(path, bytes.data(), static_cast<int64_t>(bytes.size()), held, &cause);
         return cause;
     }},
    {"small file",
     [](const std::string& path, const std::string& bytes) {
         WriteError cause = WriteError::None;
         (void)writeFileAtomically(path, bytes.data(), bytes.size(), false, &cause);
         return cause;
     }},
};

TEST(AtomicWrite, CauseNamesWhatIsWrongWithTheDestination) {
    struct Case {
        const char* name;
        WriteError cause;
    };
    const Case cases[] = {
        {"folder.btn", WriteError::IsFolder},  {"none/a.btn", WriteError::NoFolder},
        {"plain/a.btn", WriteError::NoFolder}, {"readonly/a.btn", WriteError::NoAccess},
        {"a.btn", WriteError::None},
    };
#ifndef _WIN32
    const Identity user{40001, 40001, {}}; // root would pass the read-only folder
#endif
    for (const Writer& w : kWriters)
        for (const Case& c : cases) {
            TempDir dir;
#ifdef _WIN32
            // A folder has no write bits there: access lists refuse writes.
            if (c.cause == WriteError::NoAccess) continue;
            std::filesystem::create_directory(nativePath(dir.file("folder.btn")));
            std::filesystem::create_directory(nativePath(dir.file("readonly")));
            writeBytes(dir.file("plain"), {1});
            const int got = int(w.save(dir.file(c.name), "new"));
#else
            chmod(dir.path().c_str(), 0777);
            mkdir(dir.file("folder.btn").c_str(), 0777);
            mkdir(dir.file("readonly").c_str(), 0555);
            writeBytes(dir.file("plain"), {1});
            const int got = inChild(&user, [&] { return int(w.save(dir.file(c.name), "new")); });
#endif
            EXPECT_EQ(got, int(c.cause)) << w.name << ", " << c.name;
            const bool made = c.cause == WriteError::None;
            EXPECT_EQ(dir.entries().size(), made ? 4u : 3u) << w.name << ", " << c.name;
        }
}

#ifndef _WIN32 // owners and groups are POSIX's
// The owner keeps his file: given back to him, or to his group, or written in
// place where he would be shut out.
TEST(AtomicWrite, SaveByAnotherUserLeavesTheOwnerHisFile) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can make files of other users";
    struct Case {
        const char* what;
        Identity saver;
        uid_t owner;
        mode_t mode;
        uid_t ownerAfter;
        bool inPlace;
    };
    const Identity user{40001, 40001, {kNobody}}; // a member of the file's group
    const Case cases[] = {
        {"root gives it back", {0, 0, {}}, kNobody, 0640, kNobody, false},
        {"the owner is in the kept group", user, kNobody, 0660, 40001, false},
        {"an owner not in the group is not shut out", user, 40002, 0660, 40002, true},
        {"the others' bits let the owner in", user, 40002, 0666, 40001, false},
    };
    for (const Writer& w : kWriters)
        for (const Case& c : cases) {
            TempDir dir;
            chmod(dir.path().c_str(), 0777);
            const std::string path = dir.file("shared.btn");
            writeBytes(path, std::vector<unsigned char>(100, 'o'));
            ASSERT_EQ(chown(path.c_str(), c.owner, kNobody), 0);
            ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
            struct stat before {};
            struct stat after {};
            stat(path.c_str(), &before);
            const std::string what = std::string(w.name) + ": " + c.what;
            EXPECT_EQ(inChild(&c.saver, [&] { return int(w.save(path, "new")); }), 0) << what;
            ASSERT_EQ(stat(path.c_str(), &after), 0);
            EXPECT_EQ(readBytes(path), (std::vector<unsigned char>{'n', 'e', 'w'})) << what;
            EXPECT_EQ(after.st_uid, c.ownerAfter) << what;
            EXPECT_EQ(after.st_gid, kNobody) << what;
            EXPECT_EQ(after.st_mode & 07777, c.mode) << what;
            EXPECT_EQ(after.st_ino == before.st_ino, c.inPlace) << what;
            const Identity owner{c.owner, c.owner, {}};
            EXPECT_EQ(inChild(&owner, [&] { return ::open(path.c_str(), O_RDWR) >= 0 ? 0 : 1; }), 0)
                << what << ": the owner can open his file";
            EXPECT_EQ(dir.entries(), std::vector<std::string>{"shared.btn"}) << what;
        }
}
#endif

// A save removes the temporary file a killed save left, and nothing that only
// looks like one.
TEST(AtomicWrite, SavesRemoveOnlyTheirOwnStaleTemporaryFiles) {
    const std::vector<std::string> lookAlikes = {
        ".t.btn.backup",        ".t.btn.old123",       ".t.btn.notes1",      ".t.btn.talsk-ab12",
        ".t.btn.talsk-abc1234", ".t.btn.talsk-ab.123", "t.btn.talsk-abc123", ".u.btn.talsk-abc123",
    };
    for (const Writer& w : kWriters) {
        TempDir dir;
        const std::string path = dir.file("t.btn");
        writeBytes(path, {1});
        for (const std::string& name : lookAlikes)
            writeBytes(dir.file(name), {1});
#ifdef _WIN32
        std::filesystem::create_directory(nativePath(dir.file(".t.btn.talsk-dir123")));
        // A save still writing holds its file; one that was killed left it unheld.
        std::string live, killed;
        std::unique_ptr<File> writing = nativeFileSystem().createTemp(path, live);
        ASSERT_TRUE(writing && nativeFileSystem().createTemp(path, killed));
        const std::vector<std::string> kept = dir.entries();
        ASSERT_EQ(w.save(path, "new"), WriteError::None) << w.name;
        writing.reset();
        const std::vector<std::string> left = dir.entries();
        EXPECT_EQ(left.size(), kept.size() - 1) << w.name;
        EXPECT_EQ(std::count(left.begin(), left.end(), killed.substr(dir.path().size() + 1)), 0)
            << w.name;
#else
        writeBytes(dir.file("notes"), {1});
        ASSERT_EQ(link(dir.file("notes").c_str(), dir.file(".t.btn.talsk-hard12").c_str()), 0);
        ASSERT_EQ(symlink("notes", dir.file(".t.btn.talsk-link12").c_str()), 0);
        ASSERT_EQ(mkdir(dir.file(".t.btn.talsk-dir123").c_str(), 0700), 0);
        if (geteuid() == 0) { // another user's
            writeBytes(dir.file(".t.btn.talsk-nobody"), {1});
            ASSERT_EQ(chown(dir.file(".t.btn.talsk-nobody").c_str(), kNobody, kNobody), 0);
        }
        const std::vector<std::string> kept = dir.entries();
        const int killed = inChild(nullptr, [&] {
            std::string temp;
            std::unique_ptr<File> f = nativeFileSystem().createTemp(path, temp);
            if (f && f->write("x", 1)) raise(SIGKILL);
            return 1;
        });
        ASSERT_EQ(killed, -1);
        ASSERT_EQ(dir.entries().size(), kept.size() + 1) << "the killed save left its file";
        EXPECT_EQ(w.save(path, "new"), WriteError::None) << w.name;
        EXPECT_EQ(dir.entries(), kept) << w.name;
#endif
    }
}

} // namespace
} // namespace talsk::test
