#include "gui/files/connected_files_model.h"

#include "base/cipher.h"
#include "platform/file.h"

#include <algorithm>

namespace talsk {

namespace {

bool isBaseFileName(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return tail == ".btn";
}

// Rows in ascending order, each once, within 0..count-1.
std::vector<int> cleanRows(std::vector<int> rows, size_t count) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [count](int r) { return r < 0 || static_cast<size_t>(r) >= count; }),
               rows.end());
    return rows;
}

} // namespace

ConnectedFilesModel::ConnectedFilesModel(const BaseSet& set, const ProgramSettings& settings)
    : folder_(set.folder) {
    const int n = std::clamp<int>(settings.fileCount, 0, kMaxFiles);
    for (int i = 0; i < n; ++i) {
        const std::string& name = settings.filePaths[static_cast<size_t>(i)];
        const std::string key =
            static_cast<size_t>(i) < set.bases.size() ? set.bases[static_cast<size_t>(i)].key : "";
        original_.push_back(name);
        originalKeys_.push_back(key);
        files_.push_back({name, key});
    }
    for (const PhoneBase& base : set.bases) {
        previousPaths_.push_back(base.path);
        previous_.push_back({base.key, base.rememberKey});
    }
    rescanFolder();
}

std::string ConnectedFilesModel::pathOf(const std::string& name) const {
    return pathInFolder(folder_, name);
}

bool ConnectedFilesModel::existsInFolder(const std::string& name) const {
    const FileAttributes a = fileSystem().attributes(pathOf(name));
    return a.exists && !a.directory;
}

bool ConnectedFilesModel::listed(const std::string& name) const {
    return std::any_of(files_.begin(), files_.end(),
                       [&](const ConnectedFile& f) { return samePath(f.name, name); });
}

void ConnectedFilesModel::rescanFolder() {
    unused_.clear();
    std::vector<std::string> names;
    if (!fileSystem().listFolder(folder_, names)) return;
    for (const std::string& name : names)
        if (isBaseFileName(name) && !listed(name)) unused_.push_back(name);
    std::sort(unused_.begin(), unused_.end());
}

AddRefusal ConnectedFilesModel::addUnused(const std::vector<int>& rows) {
    AddRefusal refusal = AddRefusal::None;
    std::vector<int> taken;
    for (int row : cleanRows(rows, unused_.size())) {
        const std::string& name = unused_[static_cast<size_t>(row)];
        if (files_.size() >= static_cast<size_t>(kMaxFiles))
            refusal = AddRefusal::ListFull;
        else if (!storablePath(name))
            refusal = AddRefusal::NameNotStorable;
        else if (!pathWithinLimit(name))
            refusal = AddRefusal::NameTooLong;
        else if (listed(name))
            refusal = AddRefusal::AlreadyListed;
        if (refusal != AddRefusal::None) {
            refused_ = name;
            break;
        }
        files_.push_back({name, std::nullopt});
        taken.push_back(row);
    }
    for (auto it = taken.rbegin(); it != taken.rend(); ++it)
        unused_.erase(unused_.begin() + *it);
    return refusal;
}

void ConnectedFilesModel::remove(const std::vector<int>& rows) {
    const std::vector<int> clean = cleanRows(rows, files_.size());
    for (auto it = clean.rbegin(); it != clean.rend(); ++it) {
        const std::string name = files_[static_cast<size_t>(*it)].name;
        files_.erase(files_.begin() + *it);
        if (existsInFolder(name) && isBaseFileName(name) &&
            std::find(unused_.begin(), unused_.end(), name) == unused_.end())
            unused_.push_back(name);
    }
    std::sort(unused_.begin(), unused_.end());
}

bool ConnectedFilesModel::moveUp(int row) {
    if (row <= 0 || static_cast<size_t>(row) >= files_.size()) return false;
    std::swap(files_[static_cast<size_t>(row)], files_[static_cast<size_t>(row - 1)]);
    return true;
}

bool ConnectedFilesModel::moveDown(int row) {
    if (row < 0 || static_cast<size_t>(row) + 1 >= files_.size()) return false;
    std::swap(files_[static_cast<size_t>(row)], files_[static_cast<size_t>(row + 1)]);
    return true;
}

void ConnectedFilesModel::removeMissing() {
    std::erase_if(files_, [this](const ConnectedFile& f) { return !existsInFolder(f.name); });
}

void ConnectedFilesModel::setTypedKey(int row, const std::string& typed) {
    if (row < 0 || static_cast<size_t>(row) >= files_.size() || typed.empty()) return;
    files_[static_cast<size_t>(row)].key = deriveFileKey(typed.substr(0, kMaxKeyLength));
}

std::optional<ConnectedFilesModel::Previous>
ConnectedFilesModel::previousOf(const std::string& name) const {
    for (size_t i = 0; i < previousPaths_.size(); ++i)
        if (samePath(previousPaths_[i], name)) return previous_[i];
    return std::nullopt;
}

std::string ConnectedFilesModel::effectiveKey(const ConnectedFile& file) const {
    if (file.key) return *file.key;
    const std::optional<Previous> before = previousOf(file.name);
    return before ? before->key : std::string();
}

bool ConnectedFilesModel::changed() const {
    if (reload_ || files_.size() != original_.size()) return true;
    for (size_t i = 0; i < files_.size(); ++i)
        if (files_[i].name != original_[i] || effectiveKey(files_[i]) != originalKeys_[i])
            return true;
    return false;
}

bool ConnectedFilesModel::commit(BaseSet& set, ProgramSettings& settings) const {
    if (!changed()) return false;
    for (PhoneBase& base : set.bases)
        closeBase(base);
    set.bases.clear();

    const size_t n = std::min(files_.size(), static_cast<size_t>(kMaxFiles));
    for (size_t i = 0; i < settings.filePaths.size(); ++i)
        settings.filePaths[i] = i < n ? files_[i].name : std::string();
    settings.fileCount = static_cast<int16_t>(n);

    (void)resizeBaseSet(set, static_cast<int>(n)); // n is within 0..kMaxFiles
    for (size_t i = 0; i < n; ++i) {
        PhoneBase& base = set.bases[i];
        base.path = files_[i].name;
        base.folder = set.folder;
        const std::optional<Previous> before = previousOf(base.path);
        base.key = effectiveKey(files_[i]);
        if (before && before->key == base.key)
            base.rememberKey = before->rememberKey;
        else
            base.rememberKey = base.key.empty() ? 0 : 1;
    }
    recountTotals(set);
    return true;
}

} // namespace talsk
