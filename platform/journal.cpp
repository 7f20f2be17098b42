#include "platform/journal.h"

#include "platform/little_endian.h"
#include "platform/user_folders.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace talsk {

namespace {

constexpr char kMagic[8] = {'T', 'a', 'l', 's', 'k', 'J', 'n', 'l'};
constexpr uint32_t kVersion = 1;
constexpr int64_t kHeaderSize = 48; // magic, version, 0, device, index, old length, checksum
constexpr int64_t kChunk = int64_t{1} << 20;

std::mutex gReporterLock;
RecoveryReporter gReporter;

void report(const std::string& path, Recovery what) {
    std::lock_guard<std::mutex> lock(gReporterLock);
    if (gReporter) gReporter(path, what);
}

void putU64(unsigned char* p, uint64_t v) {
    putU32(p, static_cast<uint32_t>(v));
    putU32(p + 4, static_cast<uint32_t>(v >> 32));
}

uint64_t getU64(const unsigned char* p) {
    return getU32(p) | (static_cast<uint64_t>(getU32(p + 4)) << 32);
}

// FNV-1a over the header (its checksum field left out) and the old content,
// eight bytes a step. Writer and reader add the same pieces in the same order.
class Checksum {
public:
    void add(const unsigned char* p, size_t n) {
        uint64_t h = h_;
        size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            uint64_t word;
            std::memcpy(&word, p + i, 8);
            h = (h ^ word) * 0x100000001b3ULL;
        }
        for (; i < n; ++i)
            h = (h ^ p[i]) * 0x100000001b3ULL;
        h_ = h;
    }
    uint64_t value() const { return h_; }

private:
    uint64_t h_ = 0xcbf29ce484222325ULL;
};

struct Header {
    uint64_t device = 0;
    uint64_t index = 0;
    int64_t oldLength = 0;
    uint64_t checksum = 0;
};

void encode(const Header& h, unsigned char (&out)[kHeaderSize]) {
    std::memset(out, 0, sizeof out);
    std::memcpy(out, kMagic, sizeof kMagic);
    putU32(out + 8, kVersion);
    putU64(out + 16, h.device);
    putU64(out + 24, h.index);
    putU64(out + 32, static_cast<uint64_t>(h.oldLength));
    putU64(out + 40, h.checksum);
}

WriteError causeOf(const File& file) {
    const WriteError error = file.lastError();
    return error == WriteError::None ? WriteError::Other : error;
}

// Copies `length` bytes from the start of `from` to the current place of
// `to`, adding them to the checksum.
bool copyContent(File& from, File& to, int64_t length, Checksum& sum) {
    std::vector<unsigned char> buffer(static_cast<size_t>(std::min(length, kChunk)));
    if (!from.seek(0)) return false;
    for (int64_t done = 0; done < length;) {
        const int64_t want = std::min(length - done, kChunk);
        if (!from.readExact(buffer.data(), want)) return false;
        sum.add(buffer.data(), static_cast<size_t>(want));
        if (!to.write(buffer.data(), want)) return false;
        done += want;
    }
    return true;
}

// A journal under way: the file it is, open and locked while the save lasts.
struct OpenJournal {
    std::string path;
    std::unique_ptr<File> file;
};

WriteError createJournal(FileSystem& fs, const std::string& journalPath, const std::string& target,
                         std::unique_ptr<File>& journal) {
    WriteError error = WriteError::Other;
    journal = fs.open(journalPath, OpenMode::CreateExclusive, &error);
    if (!journal) return error;
    // It holds the old content: only those who could read the file may read it.
    fs.copyPermissions(target, journalPath);
    return WriteError::None;
}

// Copies the old content of `file` to a new journal, synced with its name.
WriteError writeJournal(FileSystem& fs, const std::string& target, File& file,
                        const FileAttributes& identity, OpenJournal& out) {
    const int64_t oldLength = file.length();
    if (oldLength < 0) return causeOf(file);
    out.path = journalBeside(target, identity);
    WriteError error =
        out.path.empty() ? WriteError::Other : createJournal(fs, out.path, target, out.file);
    if (error != WriteError::None) {
        // The folder takes no new file: the user's own data folder does.
        out.path = journalOfIdentity(identity);
        if (out.path.empty()) return error;
        const auto slash = out.path.find_last_of("/\\");
        if (!makeFolders(out.path.substr(0, slash), true)) return error;
        error = createJournal(fs, out.path, target, out.file);
        if (error != WriteError::None) return error;
    }
    Header h;
    h.device = identity.device;
    h.index = identity.index;
    h.oldLength = oldLength;
    unsigned char header[kHeaderSize];
    encode(h, header);
    Checksum sum;
    sum.add(header, kHeaderSize - 8);
    // The header goes last: until it is there the journal cannot pass for whole.
    const unsigned char blank[kHeaderSize] = {};
    if (!out.file->write(blank, kHeaderSize)) return causeOf(*out.file);
    if (!copyContent(file, *out.file, oldLength, sum))
        return out.file->lastError() != WriteError::None ? causeOf(*out.file) : causeOf(file);
    h.checksum = sum.value();
    encode(h, header);
    if (!out.file->seek(0) || !out.file->write(header, kHeaderSize) || !out.file->flush())
        return causeOf(*out.file);
    if (!fs.syncFolder(out.path)) return WriteError::Other;
    return WriteError::None;
}

// Reads a journal's header and checks it whole against its content. False
// for a torn journal (or one that is not a journal at all).
bool readJournal(File& journal, Header& h) {
    unsigned char header[kHeaderSize];
    if (!journal.seek(0) || !journal.readExact(header, kHeaderSize)) return false;
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0 || getU32(header + 8) != kVersion)
        return false;
    h.device = getU64(header + 16);
    h.index = getU64(header + 24);
    h.oldLength = static_cast<int64_t>(getU64(header + 32));
    h.checksum = getU64(header + 40);
    if (h.oldLength < 0 || journal.length() != kHeaderSize + h.oldLength) return false;
    Checksum sum;
    sum.add(header, kHeaderSize - 8);
    std::vector<unsigned char> buffer(static_cast<size_t>(std::min(h.oldLength, kChunk)));
    for (int64_t done = 0; done < h.oldLength;) {
        const int64_t want = std::min(h.oldLength - done, kChunk);
        if (!journal.readExact(buffer.data(), want)) return false;
        sum.add(buffer.data(), static_cast<size_t>(want));
        done += want;
    }
    return sum.value() == h.checksum;
}

// Puts the journal's old content back into the file and cuts it to its old
// length, synced. The journal stays: a cut-short restore is done again.
bool restore(File& journal, const Header& h, File& file) {
    if (!journal.seek(kHeaderSize) || !file.seek(0)) return false;
    std::vector<unsigned char> buffer(static_cast<size_t>(std::min(h.oldLength, kChunk)));
    for (int64_t done = 0; done < h.oldLength;) {
        const int64_t want = std::min(h.oldLength - done, kChunk);
        if (!journal.readExact(buffer.data(), want) || !file.write(buffer.data(), want))
            return false;
        done += want;
    }
    return file.flush() && file.truncate(h.oldLength) && file.flush();
}

bool sameFile(const Header& h, const FileAttributes& a) {
    return a.identified && h.device == a.device && h.index == a.index;
}

// The journal's work is done: emptied and synced first, so that a crash before
// its name goes leaves a torn journal, which undoes nothing.
bool retire(FileSystem& fs, OpenJournal& journal) {
    if (!journal.file->truncate(0) || !journal.file->flush()) return false;
    journal.file->close();
    fs.remove(journal.path);
    fs.syncFolder(journal.path);
    return true;
}

// A save that failed after the file was touched: the old content back now.
void undo(FileSystem& fs, OpenJournal& journal, File& file) {
    Header h;
    if (readJournal(*journal.file, h) && restore(*journal.file, h, file)) retire(fs, journal);
}

// Undoes what one journal holds for `target`, when it names it.
Recovery recoverFrom(FileSystem& fs, const std::string& journalPath, const std::string& target,
                     const FileAttributes& a) {
    if (!fs.attributes(journalPath).exists) return Recovery::None;
    // The file's writer lock first: a live save holds it, and its journal is
    // not ours to undo.
    WriteError why = WriteError::Other;
    std::unique_ptr<File> file = fs.open(target, OpenMode::ReadWriteExclusive, &why);
    if (!file) return why == WriteError::Locked ? Recovery::None : Recovery::Failed;
    std::unique_ptr<File> journal = fs.open(journalPath, OpenMode::ReadWriteExclusive);
    if (!journal) return Recovery::None; // being written, or not a file of ours
    Header h;
    if (!readJournal(*journal, h)) {
        // Torn while it was written: the file was not touched yet.
        journal->close();
        fs.remove(journalPath);
        return Recovery::None;
    }
    if (!sameFile(h, a)) return Recovery::None; // some other file's
    if (!restore(*journal, h, *file)) return Recovery::Failed;
    file->close();
    OpenJournal done{journalPath, std::move(journal)};
    retire(fs, done);
    return Recovery::RolledBack;
}

} // namespace

namespace {

// The identity in hexadecimal, the same in both places.
std::string identityName(const FileAttributes& a) {
    char name[48];
    std::snprintf(name, sizeof name, "%016" PRIx64 "-%016" PRIx64, a.device, a.index);
    return name;
}

} // namespace

std::string journalBeside(const std::string& target, const FileAttributes& a) {
    if (!a.identified) return {};
    const auto slash = target.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    return folder + ".talsk-journal-" + identityName(a);
}

std::string journalOfIdentity(const FileAttributes& a) {
    if (!a.identified) return {};
    const std::string data = userDataFolder();
    if (data.empty()) return {};
    return joinPath(joinPath(data, "talsk-journals"), identityName(a) + ".journal");
}

WriteError writeJournaled(FileSystem& fs, const std::string& target, File& file, const void* data,
                          int64_t size) {
    const FileAttributes identity = fs.attributes(target);
    OpenJournal journal;
    WriteError error = writeJournal(fs, target, file, identity, journal);
    if (error != WriteError::None) {
        if (journal.file) {
            journal.file->close();
            fs.remove(journal.path);
        }
        return error;
    }
    const int64_t oldLength = file.length();
    if (!file.reserve(size) || !file.seek(0) || !file.write(data, size) || !file.flush() ||
        !file.truncate(size) || !file.flush()) {
        error = causeOf(file);
        // Room found before the disk filled up may have lengthened the file.
        if (file.length() != oldLength) file.truncate(oldLength);
        undo(fs, journal, file);
        return error;
    }
    if (!retire(fs, journal)) {
        // The journal would undo the save at the next open: the save failed.
        error = causeOf(*journal.file);
        undo(fs, journal, file);
        return error;
    }
    return WriteError::None;
}

Recovery recoverFile(const std::string& path) {
    if (path.empty()) return Recovery::None;
    FileSystem& fs = fileSystem();
    const std::string target = fs.resolve(path);
    const FileAttributes a = fs.attributes(target);
    if (!a.exists || a.directory) return Recovery::None;
    if (!a.identified) return Recovery::None;
    Recovery result = recoverFrom(fs, journalBeside(target, a), target, a);
    if (result == Recovery::None) {
        const std::string own = journalOfIdentity(a);
        if (!own.empty()) result = recoverFrom(fs, own, target, a);
    }
    if (result != Recovery::None) report(path, result);
    return result;
}

void setRecoveryReporter(RecoveryReporter reporter) {
    std::lock_guard<std::mutex> lock(gReporterLock);
    gReporter = std::move(reporter);
}

} // namespace talsk
