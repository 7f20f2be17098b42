#include "platform/cp1251.h"
#include "platform/file.h"
#include "platform/local_date.h"
#include "platform/memory_file.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace talsk;
using namespace talsk::test;

namespace {

FileSystem& fs() {
    return nativeFileSystem();
}

std::string readAll(File& f) {
    std::string s(static_cast<size_t>(f.length()), '\0');
    EXPECT_TRUE(f.seek(0));
    EXPECT_TRUE(f.readExact(s.data(), static_cast<int64_t>(s.size())));
    return s;
}

} // namespace

TEST(PosixFile, ReadWriteSeekTruncate) {
    TempDir dir;
    const std::string path = dir.file("a.bin");
    auto f = fs().open(path, OpenMode::CreateExclusive);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->length(), 0);
    ASSERT_TRUE(f->write("hello world", 11));
    EXPECT_EQ(f->length(), 11);
    ASSERT_TRUE(f->seek(6));
    char buf[16] = {};
    EXPECT_EQ(f->read(buf, 16), 5); // short read at the end
    EXPECT_STREQ(buf, "world");
    EXPECT_EQ(f->read(buf, 4), 0);
    ASSERT_TRUE(f->seek(2));
    EXPECT_FALSE(f->readExact(buf, 10));
    EXPECT_FALSE(f->seek(-1));
    ASSERT_TRUE(f->seek(20)); // past the end; writing there fills the gap with zeros
    ASSERT_TRUE(f->write("!", 1));
    EXPECT_EQ(f->length(), 21);
    ASSERT_TRUE(f->truncate(5));
    EXPECT_EQ(readAll(*f), "hello");
    EXPECT_TRUE(f->flush());
    f->close();
    EXPECT_FALSE(f->isOpen());
    EXPECT_EQ(f->read(buf, 1), -1);
    EXPECT_FALSE(f->write("x", 1));
    EXPECT_EQ(f->length(), -1);

    // Creating again empties the file.
    auto g = fs().open(path, OpenMode::CreateExclusive);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->length(), 0);
}

TEST(PosixFile, MissingFilesDoNotOpen) {
    TempDir dir;
    EXPECT_FALSE(fs().open(dir.file("none"), OpenMode::ReadShared));
    EXPECT_FALSE(fs().open(dir.file("none"), OpenMode::ReadWriteExclusive));
    EXPECT_FALSE(fs().open(dir.file("no/such/folder"), OpenMode::CreateExclusive));
}

#ifndef _WIN32 // named pipes are POSIX's
// A name that is no regular file (here a pipe nobody writes to) must not
// stop the program waiting for a writer: it simply does not open.
TEST(PosixFile, PipeDoesNotOpenNorWait) {
    TempDir dir;
    const std::string path = dir.file("pipe.btn");
    ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
    for (const std::string& name : {path, std::string("/dev/zero")})
        for (OpenMode mode :
             {OpenMode::ReadShared, OpenMode::ReadWriteExclusive, OpenMode::CreateExclusive}) {
            WriteError why = WriteError::None;
            EXPECT_FALSE(fs().open(name, mode, &why)) << name;
            EXPECT_EQ(why, WriteError::NotRegular) << name;
        }
}
#endif

// Writers lock each other out, within this process as across processes;
// readers are never refused.
TEST(PosixFile, WriterLock) {
    TempDir dir;
    const std::string path = dir.file("lock.btn");
    writeBytes(path, {1, 2, 3});
    auto reader = fs().open(path, OpenMode::ReadShared);
    ASSERT_TRUE(reader);
    auto writer = fs().open(path, OpenMode::ReadWriteExclusive);
    ASSERT_TRUE(writer);
    EXPECT_FALSE(fs().open(path, OpenMode::ReadWriteExclusive));
    EXPECT_FALSE(fs().open(path, OpenMode::CreateExclusive));
    auto reader2 = fs().open(path, OpenMode::ReadShared);
    ASSERT_TRUE(reader2);
    char c = 0;
    EXPECT_EQ(reader2->read(&c, 1), 1);
    EXPECT_EQ(c, 1);

#ifndef _WIN32 // another process, forked
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool opened = nativeFileSystem().open(path, OpenMode::ReadWriteExclusive) != nullptr;
        bool read = nativeFileSystem().open(path, OpenMode::ReadShared) != nullptr;
        _exit(!opened && read ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#endif

    writer->close();
    EXPECT_TRUE(fs().open(path, OpenMode::ReadWriteExclusive));
    // The create mode did not empty the file while it was refused.
    EXPECT_EQ(readBytes(path).size(), 3u);
}

TEST(PosixFile, Attributes) {
    TempDir dir;
    EXPECT_FALSE(fs().attributes(dir.file("none")).exists);
    FileAttributes folder = fs().attributes(dir.path());
    EXPECT_TRUE(folder.exists);
    EXPECT_TRUE(folder.directory);
    writeBytes(dir.file("f"), {0});
    FileAttributes file = fs().attributes(dir.file("f"));
    EXPECT_TRUE(file.exists);
    EXPECT_FALSE(file.directory);
    EXPECT_FALSE(file.readOnly);
    EXPECT_EQ(file.links, 1u);
#ifdef _WIN32
    namespace fs = std::filesystem;
    fs::permissions(nativePath(dir.file("f")), fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_TRUE(talsk::nativeFileSystem().attributes(dir.file("f")).readOnly);
    fs::permissions(nativePath(dir.file("f")), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_FALSE(talsk::nativeFileSystem().attributes(dir.file("f")).readOnly);
#else
    // The read-only attribute is the lack of every write bit, whoever asks.
    for (mode_t mode : {0444, 0400, 0000}) {
        ASSERT_EQ(chmod(dir.file("f").c_str(), mode), 0);
        EXPECT_TRUE(fs().attributes(dir.file("f")).readOnly) << mode;
    }
    for (mode_t mode : {0200, 0020, 0002}) {
        ASSERT_EQ(chmod(dir.file("f").c_str(), mode), 0);
        EXPECT_FALSE(fs().attributes(dir.file("f")).readOnly) << mode;
    }
#endif
}

TEST(PosixFile, TemporaryFileAndReplace) {
    TempDir dir;
    const std::string target = dir.file("base.btn");
    writeBytes(target, {9, 9});
#ifndef _WIN32
    ASSERT_EQ(chmod(target.c_str(), 0604), 0);
#endif
    std::string tempPath;
    auto temp = fs().createTemp(target, tempPath);
    ASSERT_TRUE(temp);
    // Beside the target, and locked for writing.
    EXPECT_EQ(tempPath.substr(0, dir.path().size()), dir.path());
    EXPECT_FALSE(fs().open(tempPath, OpenMode::ReadWriteExclusive));
    ASSERT_TRUE(temp->write("new", 3));
    ASSERT_TRUE(temp->flush());
    fs().copyPermissions(target, tempPath);
    ASSERT_TRUE(fs().replace(tempPath, target));
    EXPECT_EQ(readBytes(target), (std::vector<unsigned char>{'n', 'e', 'w'}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"base.btn"});
#ifndef _WIN32
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
#endif
    // The handle now belongs to the target and still holds its lock.
    EXPECT_FALSE(fs().open(target, OpenMode::ReadWriteExclusive));
    EXPECT_EQ(readAll(*temp), "new");

    EXPECT_FALSE(fs().createTemp(dir.file("no/such/file"), tempPath));
    EXPECT_FALSE(fs().replace(dir.file("none"), target));
#ifdef _WIN32
    temp->close(); // there a name goes only with the last open handle
#endif
    EXPECT_TRUE(fs().remove(target));
    EXPECT_FALSE(fs().remove(target));
}

#ifndef _WIN32 // symbolic links need a privilege on Windows
TEST(PosixFile, ResolveFollowsLinks) {
    TempDir dir;
    writeBytes(dir.file("real"), {1});
    ASSERT_EQ(symlink(dir.file("real").c_str(), dir.file("link").c_str()), 0);
    ASSERT_EQ(symlink("link", dir.file("link2").c_str()), 0); // relative, two steps
    const std::string real = fs().resolve(dir.file("real"));
    EXPECT_EQ(fs().resolve(dir.file("link")), real);
    EXPECT_EQ(fs().resolve(dir.file("link2")), real);
    EXPECT_EQ(fs().resolve(dir.file("none")), dir.file("none"));
    // A link to a file not made yet leads to it; links in a circle to nothing.
    ASSERT_EQ(symlink("later", dir.file("dangling").c_str()), 0);
    ASSERT_EQ(symlink("loop2", dir.file("loop1").c_str()), 0);
    ASSERT_EQ(symlink("loop1", dir.file("loop2").c_str()), 0);
    WriteError why = WriteError::None;
    EXPECT_EQ(fs().resolve(dir.file("dangling"), &why), dir.file("later"));
    EXPECT_EQ(why, WriteError::None);
    EXPECT_EQ(fs().resolve(dir.file("loop1"), &why), dir.file("loop1"));
    EXPECT_EQ(why, WriteError::LinkLoop);
}
#endif

// Paths are the system's bytes end to end: no character is replaced, and a
// backslash is part of a name.
TEST(PosixFile, NamesPassUnchanged) {
#ifdef _WIN32 // names are UTF-16 there, and a backslash parts folders
    for (const std::string name : {"Тальск.btn", "café 😀東京.btn"}) {
#else
    for (const std::string name : {"Тальск.btn", "café 😀\\東京.btn", "caf\xe9.btn"}) {
#endif
        TempDir dir;
        const std::string path = joinPath(dir.path(), name);
        auto f = fs().open(path, OpenMode::CreateExclusive);
        ASSERT_TRUE(f) << name;
        f->close();
        EXPECT_EQ(dir.entries(), std::vector<std::string>{name});
        std::filesystem::create_directory(nativePath(dir.file("folder")));
        std::vector<std::string> names;
        ASSERT_TRUE(fs().listFolder(dir.path(), names));
        EXPECT_EQ(names, std::vector<std::string>{name}); // regular files only
        EXPECT_TRUE(fs().attributes(path).exists);
        EXPECT_EQ(fs().resolve(path), fs().resolve(dir.path()) + "/" + name);
        EXPECT_FALSE(fs().listFolder(dir.file("none"), names));
    }
}

TEST(PosixFile, JoinPath) {
    EXPECT_EQ(joinPath("", "a.btn"), "a.btn");
    EXPECT_EQ(joinPath("dir", "a.btn"), "dir/a.btn");
    EXPECT_EQ(joinPath("dir/", "a.btn"), "dir/a.btn");
#ifdef _WIN32
    EXPECT_EQ(joinPath("a\\", "b.btn"), "a\\b.btn");
    EXPECT_EQ(pathInFolder("dir", "C:\\x.btn"), "C:\\x.btn");
    EXPECT_EQ(pathInFolder("dir", "\\\\host\\share\\x.btn"), "\\\\host\\share\\x.btn");
    EXPECT_TRUE(samePath("C:/Dir/Тальск.BTN", "c:\\dir\\тальск.btn"));
#else
    EXPECT_EQ(joinPath("a\\", "b.btn"), "a\\/b.btn"); // a backslash belongs to the name
#endif
}

TEST(MemoryFile, BehavesLikeAFile) {
    MemoryFile f({'a', 'b', 'c'});
    char buf[8] = {};
    EXPECT_EQ(f.read(buf, 8), 3);
    EXPECT_EQ(f.read(buf, 8), 0);
    ASSERT_TRUE(f.seek(100));
    EXPECT_EQ(f.read(buf, 1), 0);
    ASSERT_TRUE(f.seek(5));
    ASSERT_TRUE(f.write("z", 1));
    EXPECT_EQ(f.bytes(), (std::vector<unsigned char>{'a', 'b', 'c', 0, 0, 'z'}));
    ASSERT_TRUE(f.truncate(2));
    EXPECT_EQ(f.length(), 2);
    EXPECT_FALSE(f.seek(-1));
    EXPECT_EQ(f.read(buf, -1), -1);
    f.close();
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(f.read(buf, 1), -1);
    EXPECT_FALSE(f.write("x", 1));
}

TEST(LocalDate, ReplaceableSource) {
    setDateSource([] { return LocalDate{1999, 12, 31}; });
    LocalDate d = today();
    EXPECT_EQ(d.year, 1999);
    EXPECT_EQ(d.month, 12);
    EXPECT_EQ(d.day, 31);
    setDateSource({});
    d = today();
    EXPECT_GE(d.year, 2024);
    EXPECT_GE(d.month, 1);
    EXPECT_LE(d.month, 12);
    EXPECT_GE(d.day, 1);
    EXPECT_LE(d.day, 31);
}
