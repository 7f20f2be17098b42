#pragma once
// The editing behind the connected-files dialog, without any window: the
// list of connected files with a key per file, the files of the folder not
// in it, and what OK makes of the set and the settings.

#include "base/base_set.h"

#include <optional>
#include <string>
#include <vector>

namespace talsk {

struct ConnectedFile {
    std::string name;               // as listed
    std::optional<std::string> key; // the file key kept for it; none for a file added here
};

// NameNotStorable: the settings file cannot hold a character of the name.
enum class AddRefusal { None, ListFull, NameTooLong, NameNotStorable, AlreadyListed };

class ConnectedFilesModel {
public:
    // Starts from the settings' list, each entry with the key of the base at
    // its position, and the ".btn" files of the set's folder not listed.
    ConnectedFilesModel(const BaseSet& set, const ProgramSettings& settings);

    const std::vector<ConnectedFile>& files() const { return files_; }
    const std::vector<std::string>& unused() const { return unused_; }

    // ">" and ">>": the unused files at these rows go to the end of the list,
    // in order, until one is refused; that one and the rest stay.
    AddRefusal addUnused(const std::vector<int>& rows);
    // The name the last refused add stopped at.
    const std::string& refusedName() const { return refused_; }
    // "<" and "<<": the listed files at these rows leave the list with their
    // keys; those that exist in the folder become unused files again.
    void remove(const std::vector<int>& rows);
    // Swaps the file at row with its neighbour; false at the ends.
    bool moveUp(int row);
    bool moveDown(int row);
    // "Обновить": the unused files again from the folder.
    void rescanFolder();
    // "Убрать несуществующие": listed files missing from the folder go.
    void removeMissing();
    // A key typed for the listed file at row (Windows-1251); empty does nothing.
    void setTypedKey(int row, const std::string& typed);
    // "Перезагрузить": OK reloads even an unchanged set.
    void markReload() { reload_ = true; }

    // The full path of a listed or unused name.
    std::string pathOf(const std::string& name) const;
    bool existsInFolder(const std::string& name) const;
    // Whether OK would change anything: another list, another key at any
    // position, or a reload asked for.
    bool changed() const;
    // On OK: when changed, closes every base, puts the list into the
    // settings and rebuilds the set from it, each base with its file's key.
    // A file with no key kept here takes the key it had before, so keys
    // always follow their files, never positions. A key that differs from
    // the file's earlier one is remembered. Returns changed().
    bool commit(BaseSet& set, ProgramSettings& settings) const;

private:
    struct Previous {
        std::string key;
        uint8_t rememberKey = 0;
    };
    // The key and remember flag the file had in the set when the dialog opened.
    std::optional<Previous> previousOf(const std::string& name) const;
    std::string effectiveKey(const ConnectedFile& file) const;
    bool listed(const std::string& name) const;

    std::string folder_;
    std::vector<std::string> original_;      // the settings' list
    std::vector<std::string> originalKeys_;  // the key of the base at each position
    std::vector<std::string> previousPaths_; // the set's bases with their keys
    std::vector<Previous> previous_;
    std::vector<ConnectedFile> files_;
    std::vector<std::string> unused_;
    bool reload_ = false;
    std::string refused_;
};

} // namespace talsk
