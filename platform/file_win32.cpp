#include "platform/file.h"
#include "platform/temp_name.h"
#include "platform/wide_text.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <windows.h>

namespace talsk {

namespace {

WriteError writeErrorOf(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return WriteError::NoSpace;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return WriteError::NoAccess;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return WriteError::Locked;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return WriteError::NoFolder;
    case ERROR_CANT_RESOLVE_FILENAME:
        return WriteError::LinkLoop;
    default:
        return WriteError::Other;
    }
}

void tell(WriteError* why, WriteError error) {
    if (why != nullptr) *why = error;
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// Where a path's root ends: "C:\", "\", "\\server\share\" and the like stay
// whole when the path is split.
size_t rootLength(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && isSeparator(path[2]) ? 3 : 2;
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        size_t at = 2;
        for (int part = 0; part < 2 && at < path.size(); ++part) {
            while (at < path.size() && !isSeparator(path[at]))
                ++at;
            if (at < path.size()) ++at;
        }
        return at;
    }
    return !path.empty() && isSeparator(path[0]) ? 1 : 0;
}

// The folder of a path ("." when it has none) and its last name.
void splitNative(const std::string& path, std::string& folder, std::string& name) {
    const size_t root = rootLength(path);
    size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos || slash < root) {
        folder = root > 0 ? path.substr(0, root) : ".";
        name = path.substr(root);
        return;
    }
    folder = slash + 1 == root ? path.substr(0, root) : path.substr(0, slash);
    name = path.substr(slash + 1);
}

// A name that is not valid UTF-8 cannot be on a Windows disk: it is opened as
// an empty name, which fails as a missing file.
std::wstring wide(const std::string& path) {
    std::wstring w;
    if (!utf8ToWide(path, w)) w.clear();
    return w;
}

bool isFolder(const std::string& path) {
    const DWORD a = GetFileAttributesW(wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Every open shares deletion, so that a save can rename its new file over
// a file that is open, as on Linux. The sharing of writes is what keeps
// writers apart; reading is never denied.
constexpr DWORD kShareReaders = FILE_SHARE_READ | FILE_SHARE_DELETE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The writer lock: one byte far past any content, locked exclusively. Only
// other writer locks meet it, so readers of the content are never stopped.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

bool lockForWriting(HANDLE h) {
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

bool isRegularFile(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
           (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// The rename wants the new name whole, not relative to the current folder.
std::wstring fullPath(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    full.resize(n < full.size() ? n : 0);
    return full;
}

class Win32File;

// The files this process holds with the writer lock. Windows renames nothing
// over an open file (before Windows 10), and a save renames its new file over
// the file its caller holds: that handle is let go for the rename and, when
// the rename fails, taken again.
std::mutex gHeldMutex;
std::vector<Win32File*> gHeld;

class Win32File : public File {
public:
    // name: the file's full path when the handle holds the writer lock.
    Win32File(HANDLE h, std::wstring name) : h_(h), name_(std::move(name)) {
        if (name_.empty()) return;
        std::lock_guard<std::mutex> lock(gHeldMutex);
        gHeld.push_back(this);
    }
    ~Win32File() override {
        close();
        if (name_.empty()) return;
        std::lock_guard<std::mutex> lock(gHeldMutex);
        gHeld.erase(std::find(gHeld.begin(), gHeld.end(), this));
    }

    const std::wstring& name() const { return name_; }
    // Lets the file go for a rename over it; false when it was not open.
    bool letGo() {
        if (!isOpen()) return false;
        close();
        return true;
    }
    void renamed(std::wstring name) { name_ = std::move(name); }
    // Takes the file let go back, as it was opened (the position is lost:
    // every use seeks first).
    void takeBack() {
        h_ = CreateFileW(name_.c_str(), GENERIC_READ | GENERIC_WRITE, kShareReaders, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (isOpen() && !lockForWriting(h_)) close();
    }

    bool isOpen() const override { return h_ != INVALID_HANDLE_VALUE; }
    int64_t length() override {
        LARGE_INTEGER size{};
        if (!isOpen() || !GetFileSizeEx(h_, &size)) return -1;
        return size.QuadPart;
    }
    bool seek(int64_t offset) override {
        LARGE_INTEGER to{};
        to.QuadPart = offset;
        return isOpen() && offset >= 0 && SetFilePointerEx(h_, to, nullptr, FILE_BEGIN);
    }
    int64_t read(void* buffer, int64_t size) override {
        if (!isOpen() || size < 0) return -1;
        int64_t done = 0;
        auto* p = static_cast<char*>(buffer);
        while (done < size) {
            DWORD n = 0;
            if (!ReadFile(h_, p + done, chunk(size - done), &n, nullptr)) return -1;
            if (n == 0) break;
            done += n;
        }
        return done;
    }
    bool write(const void* data, int64_t size) override {
        if (!isOpen() || size < 0) return false;
        int64_t done = 0;
        auto* p = static_cast<const char*>(data);
        while (done < size) {
            DWORD n = 0;
            if (!WriteFile(h_, p + done, chunk(size - done), &n, nullptr)) return failed();
            if (n == 0) return failed(ERROR_WRITE_FAULT);
            done += n;
        }
        return true;
    }
    bool truncate(int64_t size) override { return size >= 0 && setEnd(size); }
    bool reserve(int64_t size) override {
        if (!isOpen() || size < 0) return false;
        const int64_t now = length();
        if (now < 0) return failed();
        // Lengthening the file allocates its clusters, or fails for want of them.
        return size <= now || setEnd(size);
    }
    bool flush() override { return isOpen() && (FlushFileBuffers(h_) || failed()); }
    void close() override {
        if (isOpen()) {
            CloseHandle(h_); // releases the writer lock taken through it
            h_ = INVALID_HANDLE_VALUE;
        }
    }
    WriteError lastError() const override { return lastError_; }

private:
    static DWORD chunk(int64_t left) {
        return left > (1 << 30) ? DWORD(1) << 30 : static_cast<DWORD>(left);
    }
    // Moves the end of the file; the position for reading and writing stays.
    bool setEnd(int64_t size) {
        if (!isOpen()) return false;
        LARGE_INTEGER zero{}, here{}, to{};
        to.QuadPart = size;
        if (!SetFilePointerEx(h_, zero, &here, FILE_CURRENT)) return failed();
        const bool ok = SetFilePointerEx(h_, to, nullptr, FILE_BEGIN) && SetEndOfFile(h_);
        const DWORD error = GetLastError();
        SetFilePointerEx(h_, here, nullptr, FILE_BEGIN);
        return ok || failed(error);
    }
    bool failed(DWORD error = GetLastError()) {
        lastError_ = writeErrorOf(error);
        return false;
    }

    HANDLE h_;
    std::wstring name_;
    WriteError lastError_ = WriteError::None;
};

std::string randomSuffix() {
    static const char kAlphabet[] =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    thread_local std::mt19937 random(std::random_device{}() ^ GetCurrentProcessId() ^
                                     GetTickCount());
    std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
    std::string suffix(kTempSuffix, '0');
    for (char& c : suffix)
        c = kAlphabet[pick(random)];
    return suffix;
}

// A path with its link prefix ("\\?\", "\\?\UNC\") taken off where the rest
// is an ordinary path.
std::string withoutLongPrefix(std::string path) {
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
    if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

bool renameOverOpenFile(const std::wstring& from, const std::wstring& relativeTo) {
    const std::wstring to = fullPath(relativeTo);
    if (to.empty()) return false;
    constexpr auto kRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22); // FileRenameInfoEx
    constexpr DWORD kReplace = 0x1, kPosixRule = 0x2;                          // FILE_RENAME_FLAG_*
    HANDLE h = CreateFileW(from.c_str(), DELETE | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const size_t nameBytes = to.size() * sizeof(wchar_t);
    std::vector<unsigned char> info(offsetof(FILE_RENAME_INFO, FileName) + nameBytes +
                                    sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(info.data());
    const DWORD flags = kReplace | kPosixRule; // the union's Flags, in place of ReplaceIfExists
    std::memcpy(info.data(), &flags, sizeof flags);
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, to.c_str(), nameBytes);
    const bool ok =
        SetFileInformationByHandle(h, kRenameInfoEx, rename, static_cast<DWORD>(info.size())) != 0;
    CloseHandle(h);
    return ok;
}

// Written through: the new name is on the disk when this returns.
bool move(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

class Win32FileSystem : public FileSystem {
public:
    FileAttributes attributes(const std::string& path) override {
        FileAttributes a;
        const std::wstring name = wide(path);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (name.empty() || !GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data))
            return a;
        a.exists = true;
        a.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        a.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        a.links = 1;
        HANDLE h = CreateFileW(name.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            BY_HANDLE_FILE_INFORMATION info{};
            if (GetFileInformationByHandle(h, &info)) {
                a.links = info.nNumberOfLinks;
                a.identified = true;
                a.device = info.dwVolumeSerialNumber;
                a.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
            }
            CloseHandle(h);
        }
        return a;
    }

    std::unique_ptr<File> open(const std::string& path, OpenMode mode, WriteError* why) override {
        DWORD access = GENERIC_READ | GENERIC_WRITE, share = kShareReaders,
              disposition = OPEN_EXISTING;
        switch (mode) {
        case OpenMode::ReadWriteExclusive:
            break;
        case OpenMode::ReadShared:
            access = GENERIC_READ;
            share = kShareAll;
            break;
        case OpenMode::CreateExclusive:
            disposition = OPEN_ALWAYS;
            break;
        }
        HANDLE h = CreateFileW(wide(path).c_str(), access, share, nullptr, disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            // Windows refuses to open a folder as a file with "access denied".
            if (error == ERROR_ACCESS_DENIED && isFolder(path))
                tell(why, WriteError::IsFolder);
            else if (error == ERROR_FILE_NOT_FOUND && mode == OpenMode::CreateExclusive)
                tell(why, WriteError::NoFolder);
            else
                tell(why, writeErrorOf(error));
            return nullptr;
        }
        auto refuse = [&](WriteError error) {
            CloseHandle(h);
            tell(why, error);
            return nullptr;
        };
        // Devices, pipes and the like are not files to read a base from.
        if (!isRegularFile(h)) return refuse(WriteError::NotRegular);
        if (mode != OpenMode::ReadShared) {
            if (!lockForWriting(h)) return refuse(WriteError::Locked);
            if (mode == OpenMode::CreateExclusive && !SetEndOfFile(h))
                return refuse(writeErrorOf(GetLastError()));
        }
        return std::make_unique<Win32File>(h, mode == OpenMode::ReadShared ? std::wstring()
                                                                           : fullPath(wide(path)));
    }

    std::unique_ptr<File> createTemp(const std::string& path, std::string& tempPath,
                                     WriteError* why) override {
        std::string folder, name;
        splitNative(path, folder, name);
        const std::string prefix = joinPath(folder, tempPrefix(name));
        for (int attempt = 0; attempt < 64; ++attempt) {
            const std::string candidate = prefix + randomSuffix();
            HANDLE h =
                CreateFileW(wide(candidate).c_str(), GENERIC_READ | GENERIC_WRITE, kShareReaders,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE) {
                const DWORD error = GetLastError();
                if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
                tell(why,
                     error == ERROR_FILE_NOT_FOUND ? WriteError::NoFolder : writeErrorOf(error));
                return nullptr;
            }
            // The lock is taken before anyone else could: a cleaner of stale
            // temporary files that opened it in between finds it held.
            if (!lockForWriting(h)) {
                CloseHandle(h);
                continue;
            }
            tempPath = candidate;
            return std::make_unique<Win32File>(h, fullPath(wide(candidate)));
        }
        tell(why, WriteError::Other);
        return nullptr;
    }

    void removeStaleTemps(const std::string& path) override {
        std::string folder, name;
        splitNative(path, folder, name);
        const std::string prefix = tempPrefix(name);
        std::vector<std::string> names;
        if (!listFolder(folder, names)) return;
        for (const std::string& entry : names) {
            if (!isTempOf(entry, prefix)) continue;
            // Owners are left to the folder's permissions: a file this user
            // may not delete is refused below. One with other names, or whose
            // writer lock is held by a live save, stays.
            HANDLE h =
                CreateFileW(wide(joinPath(folder, entry)).c_str(), GENERIC_READ | DELETE, kShareAll,
                            nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
            if (h == INVALID_HANDLE_VALUE) continue;
            BY_HANDLE_FILE_INFORMATION info{};
            if (isRegularFile(h) && GetFileInformationByHandle(h, &info) &&
                info.nNumberOfLinks == 1 && lockForWriting(h)) {
                FILE_DISPOSITION_INFO gone{};
                gone.DeleteFile = TRUE;
                SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone);
            }
            CloseHandle(h);
        }
    }

    bool replace(const std::string& source, const std::string& target) override {
        const std::wstring from = wide(source), to = wide(target);
        if (from.empty() || to.empty()) return false;
        // The saving program itself holds the old file open until the new one
        // took its place; Windows 10 renames over an open file only when told
        // to with the POSIX rule. Older systems (and wine) do not know it.
        const std::wstring fullFrom = fullPath(from), fullTo = fullPath(to);
        std::lock_guard<std::mutex> lock(gHeldMutex);
        bool moved = renameOverOpenFile(from, to) || move(from, to);
        const DWORD error = GetLastError();
        if (!moved && (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)) {
            std::vector<Win32File*> letGo;
            for (Win32File* f : gHeld)
                if (sameName(f->name(), fullTo) && f->letGo()) letGo.push_back(f);
            moved = !letGo.empty() && move(from, to);
            if (!moved)
                for (Win32File* f : letGo)
                    f->takeBack();
        }
        // The handles of the new file now hold the target.
        if (moved)
            for (Win32File* f : gHeld)
                if (sameName(f->name(), fullFrom)) f->renamed(fullTo);
        return moved;
    }

    bool remove(const std::string& path) override { return DeleteFileW(wide(path).c_str()) != 0; }

    // NTFS journals its own names: a created or removed name is durable once
    // the call returns.
    bool syncFolder(const std::string&) override { return true; }

    std::string resolve(const std::string& path, WriteError* why) override {
        // Only a link is followed: other names stay as the user gave them.
        const std::wstring name = wide(path);
        const DWORD a = GetFileAttributesW(name.c_str());
        if (name.empty() || a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
            return path;
        HANDLE h = CreateFileW(name.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            // Links in a circle cannot be resolved; a link to nothing (yet) is written.
            if (GetLastError() == ERROR_CANT_RESOLVE_FILENAME) tell(why, WriteError::LinkLoop);
            return path;
        }
        std::wstring final(MAX_PATH, L'\0');
        DWORD n = GetFinalPathNameByHandleW(h, final.data(), static_cast<DWORD>(final.size()), 0);
        if (n >= final.size()) {
            final.resize(n);
            n = GetFinalPathNameByHandleW(h, final.data(), static_cast<DWORD>(final.size()), 0);
        }
        CloseHandle(h);
        if (n == 0 || n >= final.size()) return path;
        final.resize(n);
        return withoutLongPrefix(wideToUtf8(final));
    }

    // A new file takes the permissions (the access list) of its folder, as
    // every file made there does: there is no owner to give back.
    bool keepOwner(const std::string&, const std::string&) override { return true; }

    // What stands for permissions besides the access list: the hidden and
    // system attributes. The read-only one is never copied: such a file is
    // not saved over.
    void copyPermissions(const std::string& from, const std::string& to) override {
        constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        const DWORD a = GetFileAttributesW(wide(from).c_str());
        const DWORD b = GetFileAttributesW(wide(to).c_str());
        if (a == INVALID_FILE_ATTRIBUTES || b == INVALID_FILE_ATTRIBUTES) return;
        const DWORD wanted = (b & ~kKept) | (a & kKept);
        if (wanted != b)
            SetFileAttributesW(wide(to).c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted);
    }

    // A new file already has what its folder gives every new file.
    void setDefaultPermissions(const std::string&) override {}

    bool listFolder(const std::string& folder, std::vector<std::string>& names) override {
        const std::string pattern = joinPath(folder.empty() ? "." : folder, "*");
        WIN32_FIND_DATAW found{};
        HANDLE h = FindFirstFileExW(wide(pattern).c_str(), FindExInfoBasic, &found,
                                    FindExSearchNameMatch, nullptr, 0);
        if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                names.push_back(wideToUtf8(found.cFileName, wcslen(found.cFileName)));
        } while (FindNextFileW(h, &found));
        FindClose(h);
        return true;
    }
};

} // namespace

FileSystem& nativeFileSystem() {
    static Win32FileSystem fs;
    return fs;
}

bool makeFolders(const std::string& path, bool ownerOnly) {
    if (path.empty()) return false;
    const std::wstring name = wide(path);
    const DWORD a = GetFileAttributesW(name.c_str());
    if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::string parent, last;
    splitNative(path, parent, last);
    if (parent != "." && parent != path && !makeFolders(parent, ownerOnly)) return false;
    // A folder made under the user's profile is the user's alone already.
    return CreateDirectoryW(name.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// The user's own folders (the application data) are closed to other users
// by their access lists; nothing is taken away here.
bool makeOwnerOnly(const std::string& folder) {
    return isFolder(folder);
}

bool setCurrentFolder(const std::string& path) {
    return !path.empty() && SetCurrentDirectoryW(wide(path).c_str());
}

// Through wide names: a narrow std::filesystem::path would take the code page.
std::string absolutePath(const std::string& path) {
    std::wstring w;
    if (!utf8ToWide(path.empty() ? "." : path, w)) return {};
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(w, ec);
    return ec ? std::string() : wideToUtf8(p.lexically_normal().wstring());
}

std::FILE* openReadStream(const std::string& path) {
    std::wstring w;
    if (!utf8ToWide(path, w)) {
        errno = ENOENT;
        return nullptr;
    }
    return _wfopen(w.c_str(), L"rb");
}

// Windows' file systems ignore letter case and take either slash.
bool samePath(const std::string& a, const std::string& b) {
    std::wstring x, y;
    if (!utf8ToWide(a, x) || !utf8ToWide(b, y)) return a == b;
    for (std::wstring* s : {&x, &y})
        for (wchar_t& c : *s)
            if (c == L'/') c = L'\\';
    return CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

std::string pathInFolder(const std::string& folder, const std::string& path) {
    if (folder.empty() || path.empty() || rootLength(path) > 0) return path;
    return joinPath(folder, path);
}

// Windows takes the forward slash too: joined with it, the paths the program
// shows read as they do on other systems.
std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (isSeparator(folder.back())) return folder + name;
    return folder + "/" + name;
}

} // namespace talsk
