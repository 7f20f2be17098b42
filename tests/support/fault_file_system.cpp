#include "support/fault_file_system.h"

#include "platform/atomic_write.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talsk::test {

namespace {

// Forwards to a real file; writes fail once a byte budget is spent, flushes
// and reserves on request, and nothing changes once the process died.
class FaultFile : public File {
public:
    FaultFile(FaultFileSystem& fs, std::unique_ptr<File> inner, int64_t writeBudget, bool failFlush,
              bool failReserve)
        : fs_(fs), inner_(std::move(inner)), budget_(writeBudget), failFlush_(failFlush),
          failReserve_(failReserve) {}

    bool isOpen() const override { return inner_->isOpen(); }
    int64_t length() override { return inner_->length(); }
    bool seek(int64_t offset) override { return inner_->seek(offset); }
    int64_t read(void* buffer, int64_t size) override { return inner_->read(buffer, size); }
    bool write(const void* data, int64_t size) override {
        if (!fs_.change()) {
            if (fs_.diesNow()) inner_->write(data, size / 2);
            return died();
        }
        if (budget_ >= 0) {
            if (size > budget_) {
                // A short write, as a full disk gives, then the error.
                inner_->write(data, budget_);
                budget_ = 0;
                error_ = WriteError::NoSpace;
                return false;
            }
            budget_ -= size;
        }
        return inner_->write(data, size);
    }
    bool truncate(int64_t size) override { return fs_.change() ? inner_->truncate(size) : died(); }
    bool reserve(int64_t size) override {
        if (!fs_.change()) return died();
        if (!failReserve_ || size <= inner_->length()) return inner_->reserve(size);
        // Part of the room is found before the disk is full.
        inner_->reserve(inner_->length() + 1);
        error_ = WriteError::NoSpace;
        return false;
    }
    bool flush() override {
        if (!fs_.change()) return died();
        if (!failFlush_) return inner_->flush();
        error_ = WriteError::Other;
        return false;
    }
    void close() override { inner_->close(); }
    WriteError lastError() const override {
        return error_ != WriteError::None ? error_ : inner_->lastError();
    }

private:
    bool died() {
        error_ = WriteError::Other;
        return false;
    }

    FaultFileSystem& fs_;
    std::unique_ptr<File> inner_;
    int64_t budget_;
    bool failFlush_;
    bool failReserve_;
    WriteError error_ = WriteError::None;
};

bool inFolder(const std::string& path, const std::string& folder) {
    return !folder.empty() && path.size() > folder.size() &&
           path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/' &&
           path.find('/', folder.size() + 1) == std::string::npos;
}

} // namespace

FileAttributes FaultFileSystem::attributes(const std::string& path) {
    FileAttributes a = real().attributes(path);
    if (a.exists && (readOnlyPaths.count("*") || readOnlyPaths.count(path))) a.readOnly = true;
    return a;
}

std::unique_ptr<File> FaultFileSystem::open(const std::string& path, OpenMode mode,
                                            WriteError* why) {
    // A file with the read-only attribute cannot be opened for writing.
    if (mode != OpenMode::ReadShared && (readOnlyPaths.count("*") || readOnlyPaths.count(path))) {
        if (why) *why = WriteError::NoAccess;
        return nullptr;
    }
    if (mode != OpenMode::ReadShared && inFolder(path, refusingFolder) &&
        !real().attributes(path).exists) {
        if (why) *why = WriteError::NoAccess;
        return nullptr;
    }
    if (mode == OpenMode::CreateExclusive && !change()) {
        if (why) *why = WriteError::Other;
        return nullptr;
    }
    std::unique_ptr<File> f = real().open(path, mode, why);
    if (!f) return f;
    return std::make_unique<FaultFile>(*this, std::move(f), failOpenWritesAfter, false,
                                       failReserve);
}

std::unique_ptr<File> FaultFileSystem::createTemp(const std::string& path, std::string& tempPath,
                                                  WriteError* why) {
    const WriteError refused = inFolder(path, refusingFolder) ? WriteError::NoAccess : refuseTemp;
    if (refused != WriteError::None) {
        if (why) *why = refused;
        return nullptr;
    }
    if (!change()) {
        if (why) *why = WriteError::Other;
        return nullptr;
    }
    std::unique_ptr<File> f = real().createTemp(path, tempPath, why);
    if (!f) return f;
    ++tempsCreated;
    return std::make_unique<FaultFile>(*this, std::move(f), failTempWritesAfter, failTempFlush,
                                       false);
}

bool FaultFileSystem::replace(const std::string& source, const std::string& target) {
    if (failReplace || !change()) return false;
    ++replaces;
    return real().replace(source, target);
}

void leaveJournaledSave(const std::string& path, const std::vector<unsigned char>& bytes,
                        const std::string& refusingFolder) {
    const std::vector<unsigned char> old = readBytes(path);
    // Counted once whole; the last four changes empty, sync, remove and sync
    // the journal, and the save is killed at the first of them.
    int64_t all = 0;
    for (const bool whole : {true, false}) {
        FaultFileSystem fs;
        fs.refusingFolder = refusingFolder;
        fs.crashAtChange = whole ? -1 : all - 3;
        ScopedFileSystem scoped(fs);
        std::unique_ptr<File> held;
        EXPECT_EQ(writeFileImage(path, bytes.data(), static_cast<int64_t>(bytes.size()), held),
                  whole);
        held.reset();
        all = fs.changes;
        if (whole) writeBytes(path, old);
    }
}

} // namespace talsk::test
