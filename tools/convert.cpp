#include "tools/convert.h"

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/legacy_10.h"
#include "base/legacy_12.h"
#include "base/legacy_records.h"
#include "base/legacy_scramble.h"
#include "base/load_status.h"
#include "base/table_builder.h"
#include "platform/journal.h"
#include "platform/little_endian.h"
#include "tools/destination.h"

#include <cstring>
#include <memory>
#include <vector>

namespace talsk {

namespace {

// What is known of the source's key: the typed texts to try (in order) and
// the file key.
struct SourceKey {
    std::vector<std::string> typed;
    std::string fileKey;
};

class Progress {
public:
    Progress(const ConvertProgress& callback, int32_t total)
        : callback_(callback), total_(total), step_(progressStep(total)) {}
    void advance() {
        ++done_;
        if (callback_ && done_ % step_ == 0) callback_(done_, total_);
    }

private:
    const ConvertProgress& callback_;
    int32_t total_;
    int32_t step_;
    int32_t done_ = 0;
};

// The converted records and what the target keeps of the source.
class Target {
public:
    explicit Target(uint16_t version) : version_(version) {}

    uint8_t keyed = 0;
    std::string typedKey; // scrambles a keyed 1.2 target
    std::string fileKey;  // protects a keyed 2.0 target
    BaseDate created[kTableCount];
    BaseDate updated[kTableCount];

    void reserve(TableKind kind, int32_t sourceTextSize) {
        const size_t bytes = static_cast<size_t>(sourceTextSize) / 5 * 6;
        if (version_ == kVersion20)
            builders_[static_cast<int>(kind)].reserve(bytes);
        else if (kind != TableKind::CityCodes)
            legacy_[static_cast<int>(kind)].text.reserve(bytes);
    }

    // Carries the first `tables` tables' dates over and reserves room for their
    // records; returns how many records they hold.
    int32_t carryTables(const PhoneBase& base, int tables) {
        int32_t total = 0;
        for (int k = 0; k < tables; ++k) {
            const BaseTable& t = base.tables[static_cast<size_t>(k)];
            created[k] = t.created;
            updated[k] = t.updated;
            reserve(static_cast<TableKind>(k), t.textSize);
            total += t.count;
        }
        return total;
    }

    bool add(TableKind kind, const LegacyRecord& record) {
        if (version_ == kVersion20) {
            legacyToFields(record, kind, fields_);
            return builders_[static_cast<int>(kind)].add(fields_);
        }
        return addLegacy(kind, record);
    }

    bool add(TableKind kind, const RecordFields& fields) {
        if (version_ == kVersion20) return builders_[static_cast<int>(kind)].add(fields);
        fieldsToLegacy12(fields, kind, record_);
        return addLegacy(kind, record_);
    }

    // Writes the target through `held` (the destination's locked handle, or
    // the source's when converting in place).
    bool write(const std::string& path, std::unique_ptr<File>& held, WriteError& cause) {
        if (version_ != kVersion20) {
            for (int k = 0; k < kLegacy12TableCount; ++k) {
                legacy_[k].created = created[k];
                legacy_[k].updated = updated[k];
            }
            const bool ok = writeLegacy12(path, legacy_, keyed != 0, typedKey, held, &cause);
            if (held) held->close();
            return ok;
        }
        PhoneBase base;
        base.path = path;
        base.keyed = keyed;
        base.key = keyed ? fileKey : std::string();
        bool ok = true;
        for (int k = 0; k < kTableCount && ok; ++k) {
            BaseTable& t = base.tables[static_cast<size_t>(k)];
            ok = builders_[k].install(t, BaseDate{});
            t.created = created[k];
            t.updated = updated[k];
        }
        base.file = std::move(held);
        ok = ok && saveBase(base, kMaskAllTables, &cause);
        closeBase(base);
        return ok;
    }

private:
    bool addLegacy(TableKind kind, const LegacyRecord& record) {
        if (kind == TableKind::CityCodes) return true; // version 1.2 has no city codes
        Legacy12Table& t = legacy_[static_cast<int>(kind)];
        if (!packLegacy12(record, kind, t.text)) return false;
        ++t.count;
        return true;
    }

    uint16_t version_;
    TableBuilder builders_[kTableCount];
    Legacy12Table legacy_[kLegacy12TableCount];
    RecordFields fields_;
    LegacyRecord record_;
};

ConvertResult result(ConvertOutcome outcome, int32_t status = 0) {
    ConvertResult r;
    r.outcome = outcome;
    r.status = status;
    return r;
}

ConvertResult writeFailure(ConvertOutcome outcome, WriteError cause) {
    ConvertResult r;
    r.outcome = outcome;
    r.cause = cause;
    return r;
}

// The typed texts to try for a keyed legacy source.
ConvertResult keyedCandidates(const SourceKey& key, bool keyed, std::vector<std::string>& out) {
    out.clear();
    if (!keyed) {
        out.emplace_back();
        return result(ConvertOutcome::Done);
    }
    for (const std::string& t : key.typed)
        if (!t.empty()) out.push_back(t);
    if (out.empty()) return result(ConvertOutcome::CannotRead, StatusKeyMissing);
    return result(ConvertOutcome::Done);
}

void keepKey(Target& target, bool keyed, const std::string& typed) {
    target.keyed = keyed ? 1 : 0;
    target.typedKey = keyed ? typed : std::string();
    target.fileKey = keyed ? deriveFileKey(typed) : std::string();
}

ConvertResult read10(File& file, const SourceKey& key, Target& target,
                     const ConvertProgress& callback) {
    PhoneBase header;
    if (!readLegacy10Header(file, header)) return result(ConvertOutcome::CannotRead, header.status);
    std::vector<std::string> candidates;
    ConvertResult r = keyedCandidates(key, header.keyed != 0, candidates);
    if (r.outcome != ConvertOutcome::Done) return r;
    int32_t status = StatusLoadFailed;
    bool damaged = false;
    Legacy10Body body;
    const std::string* used = nullptr;
    for (const std::string& typed : candidates) {
        if (!readLegacy10Body(file, typed, body, status)) continue;
        // Check every record before converting any.
        if (walkLegacy10Body(body, [](TableKind, const LegacyRecord&) {})) {
            used = &typed;
            break;
        }
        damaged = true;
    }
    if (used == nullptr)
        return damaged ? result(ConvertOutcome::Damaged)
                       : result(ConvertOutcome::CannotRead, status);
    keepKey(target, header.keyed != 0, *used);
    for (int k = 0; k < 2; ++k) {
        target.created[k] = body.created[k];
        target.updated[k] = body.updated[k];
    }
    target.reserve(TableKind::Population, static_cast<int32_t>(body.bytes.size()));
    Progress progress(callback, body.count[0] + body.count[1]);
    bool added = true;
    walkLegacy10Body(body, [&](TableKind kind, const LegacyRecord& record) {
        added = target.add(kind, record) && added;
        progress.advance();
    });
    return added ? result(ConvertOutcome::Done) : result(ConvertOutcome::SaveFailed);
}

ConvertResult read12(File& file, const SourceKey& key, Target& target,
                     const ConvertProgress& callback) {
    PhoneBase base;
    if (!readLegacy12Header(file, base)) return result(ConvertOutcome::CannotRead, base.status);
    std::vector<std::string> candidates;
    ConvertResult r = keyedCandidates(key, base.keyed != 0, candidates);
    if (r.outcome != ConvertOutcome::Done) return r;
    const std::string* used = nullptr;
    for (const std::string& typed : candidates) {
        closeBase(base);
        base = PhoneBase{};
        if (readLegacy12(file, typed, base)) {
            used = &typed;
            break;
        }
    }
    if (used == nullptr) return result(ConvertOutcome::CannotRead, base.status);
    keepKey(target, base.keyed != 0, *used);
    Progress progress(callback, target.carryTables(base, kLegacy12TableCount));
    LegacyRecord record;
    bool added = true;
    for (int k = 0; k < kLegacy12TableCount; ++k) {
        const auto kind = static_cast<TableKind>(k);
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        for (int32_t i = 0; i < t.count; ++i) {
            legacy12Record(t, kind, i, record);
            added = target.add(kind, record) && added;
            progress.advance();
        }
    }
    closeBase(base);
    return added ? result(ConvertOutcome::Done) : result(ConvertOutcome::SaveFailed);
}

// Versions 2.0 and 2.0b. The source's file moves into `source` and back out,
// open, when the tables loaded.
ConvertResult read20(std::unique_ptr<File>& source, const std::string& path, uint16_t targetVersion,
                     const SourceKey& key, FieldCutting cutting, Target& target,
                     const ConvertProgress& callback) {
    PhoneBase base;
    base.path = path;
    base.file = std::move(source);
    if (!readHeader(base, {.fromDisk = false, .allow20b = true})) {
        source = std::move(base.file);
        return result(ConvertOutcome::CannotRead, base.status);
    }
    if (base.keyed) {
        if (key.fileKey.empty()) {
            source = std::move(base.file);
            return result(ConvertOutcome::CannotRead, StatusKeyMissing);
        }
        base.key = key.fileKey;
    }
    (void)loadTables(base, kMaskAllTables); // each carried table is checked below
    // Version 1.2 carries no city codes; every table carried over must have loaded.
    const int carried = targetVersion == kVersion20 ? kTableCount : kLegacy12TableCount;
    for (int k = 0; k < carried; ++k)
        if (!base.tables[static_cast<size_t>(k)].loaded) {
            const int32_t status = base.status;
            closeBase(base);
            return result(ConvertOutcome::CannotRead, status);
        }
    target.keyed = base.keyed;
    target.fileKey = base.key;
    if (targetVersion == kVersion12 && base.keyed) {
        // Version 1.2 is scrambled with the typed text, which must be known.
        if (key.typed.size() != 1) {
            closeBase(base);
            return result(ConvertOutcome::CannotRead, StatusKeyMissing);
        }
        target.typedKey = key.typed.front();
    }
    if (targetVersion == kVersion12 && cutting == FieldCutting::Refuse) {
        // Version 1.2 keeps shorter fields: cutting them is the caller's choice.
        ConvertResult refused = result(ConvertOutcome::WouldCut);
        refused.cut = cutFieldsIn12(base);
        if (refused.cut.records > 0) {
            closeBase(base);
            return refused;
        }
    }
    // The range counts every record converted, the city codes of a 2.0b source
    // too: a range of population and organizations alone would fill the bar
    // before the city codes are done and leave the count past its end.
    Progress progress(callback, target.carryTables(base, carried));
    RecordFields fields;
    bool added = true;
    for (int k = 0; k < carried; ++k) {
        const auto kind = static_cast<TableKind>(k);
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        for (int32_t i = 0; i < t.count; ++i) {
            unpackRecord(t, i, fields);
            added = target.add(kind, fields) && added;
            progress.advance();
        }
    }
    source = std::move(base.file);
    closeBase(base);
    return added ? result(ConvertOutcome::Done) : result(ConvertOutcome::SaveFailed);
}

uint16_t normalized(uint16_t version) {
    return version == kVersion10b ? kVersion10a : version;
}

ConvertResult convert(const std::string& sourcePath, const std::string& destinationPath,
                      uint16_t targetVersion, const SourceKey& key, FieldCutting cutting,
                      const ConvertProgress& progress) {
    FileSystem& fs = fileSystem();
    if (sourcePath.empty() || destinationPath.empty())
        return result(ConvertOutcome::CannotRead, StatusNotFound);
    const FileAttributes a = fs.attributes(sourcePath);
    if (!a.exists || a.directory) return result(ConvertOutcome::CannotRead, StatusNotFound);
    const bool inPlace = samePath(fs.resolve(sourcePath), fs.resolve(destinationPath));
    // In place, the source's own handle keeps the writer lock until the end;
    // the read-only attribute keeps the file as it is, whoever runs the program.
    if (inPlace && a.readOnly)
        return writeFailure(ConvertOutcome::CannotOpen, WriteError::NoAccess);
    WriteError cause = WriteError::Other;
    (void)recoverFile(sourcePath);
    std::unique_ptr<File> source =
        fs.open(sourcePath, inPlace ? OpenMode::ReadWriteExclusive : OpenMode::ReadShared, &cause);
    if (!source) {
        if (inPlace) return writeFailure(ConvertOutcome::CannotOpen, cause);
        ConvertResult unread = result(ConvertOutcome::CannotRead, StatusCannotOpen);
        unread.cause = cause;
        return unread;
    }
    unsigned char word[2];
    if (source->length() <= 20 || !source->seek(0) || !source->readExact(word, 2))
        return result(ConvertOutcome::CannotRead, StatusNoData);
    const uint16_t version = normalized(getU16(word));
    if (!conversionExists(version, targetVersion)) return result(ConvertOutcome::NothingToConvert);

    std::unique_ptr<File> held;
    if (!inPlace) {
        cause = prepareDestination(destinationPath, held);
        if (cause != WriteError::None) return writeFailure(ConvertOutcome::CannotCreate, cause);
    }

    Target target(targetVersion);
    ConvertResult r;
    if (version == kVersion10a)
        r = read10(*source, key, target, progress);
    else if (version == kVersion12)
        r = read12(*source, key, target, progress);
    else
        r = read20(source, sourcePath, targetVersion, key, cutting, target, progress);
    if (r.outcome != ConvertOutcome::Done) return r;
    if (inPlace)
        held = std::move(source);
    else if (source)
        source->close();
    if (inPlace && !held) {
        // Reading closed the source (a table it does not carry failed): lock it again.
        held = fs.open(sourcePath, OpenMode::ReadWriteExclusive, &cause);
        if (!held) return writeFailure(ConvertOutcome::CannotOpen, cause);
    }
    if (!target.write(destinationPath, held, cause))
        return writeFailure(ConvertOutcome::SaveFailed, cause);
    return result(ConvertOutcome::Done);
}

} // namespace

int32_t progressStep(int32_t total) {
    const int32_t step = total / 300;
    return step < 1 ? 1 : step;
}

bool conversionExists(uint16_t sourceVersion, uint16_t targetVersion) {
    switch (normalized(sourceVersion)) {
    case kVersion10a:
        return targetVersion == kVersion12 || targetVersion == kVersion20;
    case kVersion12:
    case kVersion20b:
        return targetVersion == kVersion20;
    case kVersion20:
        return targetVersion == kVersion12;
    default:
        return false;
    }
}

ConvertResult convertFile(const std::string& sourcePath, const std::string& destinationPath,
                          uint16_t targetVersion, const std::string& fileKey,
                          const ConvertProgress& progress, FieldCutting cutting) {
    SourceKey key;
    key.fileKey = fileKey;
    if (!fileKey.empty()) key.typed = typedKeysOfFileKey(fileKey);
    return convert(sourcePath, destinationPath, targetVersion, key, cutting, progress);
}

ConvertResult convertFileWithTypedKey(const std::string& sourcePath,
                                      const std::string& destinationPath, uint16_t targetVersion,
                                      const std::string& typedKey, const ConvertProgress& progress,
                                      FieldCutting cutting) {
    SourceKey key;
    const std::string typed(typedKey.c_str(), strnlen(typedKey.c_str(), typedKey.size()));
    key.fileKey = deriveFileKey(typed);
    if (!typed.empty()) key.typed.push_back(typed);
    return convert(sourcePath, destinationPath, targetVersion, key, cutting, progress);
}

} // namespace talsk
