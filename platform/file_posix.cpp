#include "platform/file.h"
#include "platform/temp_name.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace talsk {

namespace {

WriteError writeErrorOf(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return WriteError::NoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
        return WriteError::NoAccess;
    case EWOULDBLOCK:
    case EBUSY:
    case ETXTBSY:
        return WriteError::Locked;
    case EISDIR:
        return WriteError::IsFolder;
    case ENOTDIR:
        return WriteError::NoFolder;
    case ELOOP:
        return WriteError::LinkLoop;
    default:
        return WriteError::Other;
    }
}

// Creating a file, a missing name can only be a missing folder.
WriteError creationErrorOf(int error) {
    return error == ENOENT ? WriteError::NoFolder : writeErrorOf(error);
}

void tell(WriteError* why, WriteError error) {
    if (why != nullptr) *why = error;
}

// The folder of a native path ("." when it has none) and its last name.
void splitNative(const std::string& native, std::string& folder, std::string& name) {
    const auto slash = native.rfind('/');
    folder = slash == std::string::npos ? "." : native.substr(0, slash == 0 ? 1 : slash);
    name = slash == std::string::npos ? native : native.substr(slash + 1);
}

// Whether a user is a member of a group, by the user database; a user it does
// not know is a member of none.
bool inGroup(uid_t user, gid_t group) {
    std::vector<char> buf(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(user, &entry, buf.data(), buf.size(), &found) != 0 || found == nullptr)
        return false;
    if (entry.pw_gid == group) return true;
    int count = 64;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    while (getgrouplist(entry.pw_name, entry.pw_gid, groups.data(), &count) < 0) {
        if (count <= static_cast<int>(groups.size())) return false;
        groups.resize(static_cast<size_t>(count));
    }
    for (int i = 0; i < count; ++i)
        if (groups[static_cast<size_t>(i)] == group) return true;
    return false;
}

// Whether the name still leads to the open file (nobody removed or replaced it).
bool stillNamed(int fd, const std::string& native) {
    struct stat byHandle {};
    struct stat byName {};
    return fstat(fd, &byHandle) == 0 && lstat(native.c_str(), &byName) == 0 &&
           byHandle.st_dev == byName.st_dev && byHandle.st_ino == byName.st_ino;
}

class PosixFile : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { close(); }

    bool isOpen() const override { return fd_ >= 0; }
    int64_t length() override {
        struct stat st {};
        if (fd_ < 0 || fstat(fd_, &st) != 0) return -1;
        return st.st_size;
    }
    bool seek(int64_t offset) override {
        return fd_ >= 0 && offset >= 0 && lseek(fd_, offset, SEEK_SET) == offset;
    }
    int64_t read(void* buffer, int64_t size) override {
        if (fd_ < 0 || size < 0) return -1;
        int64_t done = 0;
        auto* p = static_cast<char*>(buffer);
        while (done < size) {
            ssize_t n = ::read(fd_, p + done, static_cast<size_t>(size - done));
            if (n < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            if (n == 0) break;
            done += n;
        }
        return done;
    }
    bool write(const void* data, int64_t size) override {
        if (fd_ < 0 || size < 0) return false;
        int64_t done = 0;
        auto* p = static_cast<const char*>(data);
        while (done < size) {
            ssize_t n = ::write(fd_, p + done, static_cast<size_t>(size - done));
            if (n < 0) {
                if (errno == EINTR) continue;
                return failed(errno);
            }
            done += n;
        }
        return true;
    }
    bool truncate(int64_t size) override {
        return fd_ >= 0 && (ftruncate(fd_, size) == 0 || failed(errno));
    }
    bool reserve(int64_t size) override {
        if (fd_ < 0 || size < 0) return false;
        if (size == 0) return true;
        int error;
        do
            error = posix_fallocate(fd_, 0, size);
        while (error == EINTR);
        return error == 0 || failed(error);
    }
    bool flush() override { return fd_ >= 0 && (fsync(fd_) == 0 || failed(errno)); }
    void close() override {
        if (fd_ >= 0) {
            ::close(fd_); // releases the flock held by this open
            fd_ = -1;
        }
    }
    WriteError lastError() const override { return lastError_; }

private:
    bool failed(int error) {
        lastError_ = writeErrorOf(error);
        return false;
    }

    int fd_;
    WriteError lastError_ = WriteError::None;
};

// Takes the writer lock of an open file description: a second open of the same
// file, in this process or another, fails to take it, as with Windows sharing modes.
bool lockForWriting(int fd) {
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
}

class PosixFileSystem : public FileSystem {
public:
    FileAttributes attributes(const std::string& path) override {
        FileAttributes a;
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) return a;
        a.exists = true;
        a.directory = S_ISDIR(st.st_mode);
        a.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
        a.links = static_cast<uint32_t>(st.st_nlink);
        a.identified = true;
        a.device = static_cast<uint64_t>(st.st_dev);
        a.index = static_cast<uint64_t>(st.st_ino);
        return a;
    }

    std::unique_ptr<File> open(const std::string& path, OpenMode mode, WriteError* why) override {
        int flags = O_CLOEXEC;
        switch (mode) {
        case OpenMode::ReadWriteExclusive:
            flags |= O_RDWR;
            break;
        case OpenMode::ReadShared:
            flags |= O_RDONLY;
            break;
        case OpenMode::CreateExclusive:
            flags |= O_RDWR | O_CREAT;
            break;
        }
        // Without O_NONBLOCK a pipe would wait for a writer; only regular
        // files are opened.
        int fd = ::open(path.c_str(), flags | O_NONBLOCK, 0644);
        if (fd < 0) {
            tell(why,
                 mode == OpenMode::CreateExclusive ? creationErrorOf(errno) : writeErrorOf(errno));
            return nullptr;
        }
        auto refuse = [&](WriteError error) {
            ::close(fd);
            tell(why, error);
            return nullptr;
        };
        struct stat st {};
        if (fstat(fd, &st) != 0) return refuse(writeErrorOf(errno));
        if (!S_ISREG(st.st_mode)) return refuse(WriteError::NotRegular);
        if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
            return refuse(WriteError::Other);
        if (mode != OpenMode::ReadShared) {
            if (!lockForWriting(fd)) return refuse(WriteError::Locked);
            if (mode == OpenMode::CreateExclusive && ftruncate(fd, 0) != 0)
                return refuse(writeErrorOf(errno));
        }
        return std::make_unique<PosixFile>(fd);
    }

    std::unique_ptr<File> createTemp(const std::string& path, std::string& tempPath,
                                     WriteError* why) override {
        std::string folder, name;
        splitNative(path, folder, name);
        const std::string pattern = folder + "/" + tempPrefix(name) + "XXXXXX";
        // Between creating the file and locking it, a cleaner of stale
        // temporary files may take it away: then another one is made.
        for (int attempt = 0; attempt < 8; ++attempt) {
            std::vector<char> buf(pattern.begin(), pattern.end());
            buf.push_back('\0');
            int fd = mkstemp(buf.data());
            if (fd < 0) {
                tell(why, creationErrorOf(errno));
                return nullptr;
            }
            if (!lockForWriting(fd) || !stillNamed(fd, buf.data())) {
                ::close(fd);
                continue;
            }
            tempPath = buf.data();
            return std::make_unique<PosixFile>(fd);
        }
        tell(why, WriteError::Other);
        return nullptr;
    }

    void removeStaleTemps(const std::string& path) override {
        std::string folder, name;
        splitNative(path, folder, name);
        const std::string prefix = tempPrefix(name);
        DIR* dir = opendir(folder.c_str());
        if (dir == nullptr) return;
        while (dirent* e = readdir(dir)) {
            if (!isTempOf(e->d_name, prefix)) continue;
            const std::string full = folder + "/" + e->d_name;
            const int fd = ::open(full.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
            if (fd < 0) continue;
            // Only a file this user's saves made, with one name; a live
            // writer holds its lock until it renamed or removed it.
            struct stat st {};
            if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
                st.st_nlink == 1 && lockForWriting(fd) && stillNamed(fd, full))
                unlink(full.c_str());
            ::close(fd);
        }
        closedir(dir);
    }

    bool replace(const std::string& source, const std::string& target) override {
        const std::string& to = target;
        if (rename(source.c_str(), to.c_str()) != 0) return false;
        // Make the new name durable as well.
        auto slash = to.rfind('/');
        std::string folder =
            slash == std::string::npos ? "." : to.substr(0, slash == 0 ? 1 : slash);
        int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            fsync(dfd);
            ::close(dfd);
        }
        return true;
    }

    bool remove(const std::string& path) override { return unlink(path.c_str()) == 0; }

    bool syncFolder(const std::string& path) override {
        std::string folder, name;
        splitNative(path, folder, name);
        const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd < 0) return false;
        // Some file systems cannot sync a folder and say so: their names are
        // as durable as they get.
        const bool synced = fsync(dfd) == 0 || errno == EINVAL || errno == EROFS;
        ::close(dfd);
        return synced;
    }

    std::string resolve(const std::string& path, WriteError* why) override {
        std::string current = path;
        for (int hop = 0; hop < 40; ++hop) {
            char buf[PATH_MAX];
            if (realpath(current.c_str(), buf) != nullptr) return buf;
            // Writing there would replace a link of the circle by a file.
            if (errno == ELOOP) break;
            // A link to a file that does not exist yet: the file it names is
            // the one to write, and the link stays.
            const ssize_t n = readlink(current.c_str(), buf, sizeof buf);
            if (n <= 0 || n == static_cast<ssize_t>(sizeof buf)) return current;
            std::string next(buf, static_cast<size_t>(n));
            if (next[0] != '/') {
                const auto slash = current.rfind('/');
                if (slash != std::string::npos) next = current.substr(0, slash + 1) + next;
            }
            current = next;
        }
        tell(why, WriteError::LinkLoop);
        return path;
    }

    bool keepOwner(const std::string& from, const std::string& to) override {
        struct stat old {};
        struct stat now {};
        const std::string& temp = to;
        if (stat(from.c_str(), &old) != 0 || lstat(temp.c_str(), &now) != 0)
            return true; // nothing known to keep
        if (now.st_uid != old.st_uid || now.st_gid != old.st_gid) {
            // The name is not followed: others may write in the folder.
            // Failing that, the group alone; what was kept is read back below.
            if (fchownat(AT_FDCWD, temp.c_str(), old.st_uid, old.st_gid, AT_SYMLINK_NOFOLLOW) != 0)
                (void)!fchownat(AT_FDCWD, temp.c_str(), static_cast<uid_t>(-1), old.st_gid,
                                AT_SYMLINK_NOFOLLOW);
            if (lstat(temp.c_str(), &now) != 0) return false;
        }
        if (now.st_uid == old.st_uid || old.st_uid == 0) return true;
        // The old owner keeps what he could do (read, write) through the
        // group's bits when he is a member of the file's group, else the others'.
        const mode_t had = (old.st_mode >> 6) & 06;
        const mode_t gets =
            inGroup(old.st_uid, now.st_gid) ? (old.st_mode >> 3) & 06 : old.st_mode & 06;
        return (gets & had) == had;
    }

    void copyPermissions(const std::string& from, const std::string& to) override {
        struct stat st {};
        if (stat(from.c_str(), &st) == 0) chmod(to.c_str(), st.st_mode & 07777);
    }

    void setDefaultPermissions(const std::string& path) override {
        // Temporary files are made owner-only; a new file gets what open() would give it.
        mode_t mask = umask(022);
        umask(mask);
        chmod(path.c_str(), 0666 & ~mask);
    }

    bool listFolder(const std::string& folder, std::vector<std::string>& names) override {
        const std::string native = folder.empty() ? "." : folder;
        DIR* dir = opendir(native.c_str());
        if (dir == nullptr) return false;
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            struct stat st {};
            std::string full = native + "/" + name;
            if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
        }
        closedir(dir);
        return true;
    }
};

} // namespace

FileSystem& nativeFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

bool makeFolders(const std::string& path, bool ownerOnly) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) == 0) return !path.empty() && S_ISDIR(st.st_mode);
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeFolders(path.substr(0, slash), ownerOnly))
        return false;
    return mkdir(path.c_str(), ownerOnly ? 0700 : 0777) == 0 || errno == EEXIST;
}

bool makeOwnerOnly(const std::string& folder) {
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return (st.st_mode & 077) == 0 || chmod(folder.c_str(), st.st_mode & 0700) == 0;
}

bool setCurrentFolder(const std::string& path) {
    return !path.empty() && chdir(path.c_str()) == 0;
}

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(path.empty() ? "." : path, ec);
    return ec ? std::string() : p.lexically_normal().string();
}

std::FILE* openReadStream(const std::string& path) {
    return std::fopen(path.c_str(), "rb");
}

// Names on this platform's file systems are byte strings: case counts. A
// platform whose file names ignore letter case compares them that way here.
bool samePath(const std::string& a, const std::string& b) {
    return a == b;
}

std::string pathInFolder(const std::string& folder, const std::string& path) {
    if (folder.empty() || path.empty() || path[0] == '/') return path;
    return joinPath(folder, path);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

} // namespace talsk
