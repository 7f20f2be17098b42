#pragma once
// Loading of the connected files (the load command): the set is rebuilt from
// the settings, every file is opened, keys come from the key store or are
// asked for, old versions are offered for conversion, failures are listed.
// Everything the user sees or answers goes through a LoadingHost.

#include "base/base_set.h"
#include "base/load_status.h"
#include "platform/write_error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace talsk {

class KeyStore;

// One file of the key entry for several files.
struct KeyEntryFile {
    std::string path;                     // as listed
    LoadStatus status = StatusCannotOpen; // shown in short form when the file is selected
    bool remember = false;                // check box "remember the key"; starts as rememberKey
    std::string typedKey;                 // answer: the key as typed (Windows-1251), or empty
};

// One file of the list of files that did not connect or connected read-only.
struct FileListEntry {
    std::string path;                     // as listed
    LoadStatus status = StatusCannotOpen; // shown in full form when the file is selected
    WriteError cause = WriteError::None;  // why it did not open, when known
};

enum class FilesListChoice { Cancel, Ok, Change };

struct FilesListAnswer {
    FilesListChoice choice = FilesListChoice::Cancel;
    bool dontShowAgain = false; // "Не показывать это в дальнейшем", stored on OK only
};

// The window side of loading. Texts are UTF-8.
class LoadingHost {
public:
    virtual ~LoadingHost() = default;

    // The status bar text.
    virtual void showStatusText(const std::string& text) = 0;
    // Yes / No question; true for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
    // Converts an old-version file in place to version 2.0 (path as listed,
    // fullPath the path to open). On success typedKey is the key typed for
    // it as the user typed it (empty for a file without key).
    virtual bool runConverter(const std::string& path, const std::string& fullPath,
                              std::string& typedKey) = 0;
    // Key entry for several files. The answer goes into the entries; true
    // when the user confirmed.
    virtual bool askKeys(std::vector<KeyEntryFile>& files) = 0;
    // The list of files that did not connect (readOnlyMode false, with the
    // button to change the connected files) or that connected read-only.
    virtual FilesListAnswer showFilesList(const std::vector<FileListEntry>& files,
                                          bool readOnlyMode, bool showChangeButton) = 0;
    // The connected-files dialog, asked for from the list of failed files.
    virtual void editConnectedFiles() {}
    // A warning with OK alone, captioned "Ошибка".
    virtual void showWarning(const std::string& /*text*/) {}
    // Of the folder's files whose names the settings cannot hold (full
    // paths), those the user has not been told of at an earlier load or
    // start; the ones given count as told from now on.
    virtual std::vector<std::string> notToldYet(const std::vector<std::string>& paths) {
        return paths;
    }

    // Stops a running background search and waits for it; false when it
    // would not stop and still reads the bases.
    [[nodiscard]] virtual bool cancelSearch() { return true; }
    // Sizes the search result store for the set's new totals.
    virtual void sizeResultStore(BaseSet& /*set*/) {}
    // Refreshes the views that show the set.
    virtual void refreshViews(BaseSet& /*set*/) {}
};

// The key entry's list: every base that is keyed and has no key.
std::vector<KeyEntryFile> keyEntryFiles(const BaseSet& set);
// Applies the key entry's answer to the bases of the set. Confirmed with at
// least one key: listed bases get the file key of their typed key (cut to
// the key length), and rememberKey exactly
// when checked and a key was typed. Otherwise (cancelled, or confirmed with
// no key at all, which the dialog does not allow) every listed base gets an
// empty key and rememberKey 0. Returns whether it counted as confirmed.
bool applyKeyEntry(BaseSet& set, const std::vector<KeyEntryFile>& files, bool confirmed);

// The files list: bases not connected, or in readOnlyMode connected bases
// that are read-only; a base is never in both.
std::vector<FileListEntry> filesListEntries(const BaseSet& set, bool readOnlyMode);
// On OK the check box turns the message that opened the list off or on.
void applyFilesListAnswer(ProgramSettings& settings, bool readOnlyMode,
                          const FilesListAnswer& answer);

struct LoadReport {
    bool keysMissing = false; // some keyed file had no key in the first pass
    bool dataFailed = false;  // some file failed with status 5 in the first pass
    bool keyEntryShown = false;
    bool keyEntryConfirmed = false;
    int converted = 0; // old-version files converted and retried
    int removed = 0;   // missing files taken off the list
    bool anyNotConnected = false;
    bool anyReadOnly = false;
    bool changeRequested = false; // "Изменить" was chosen in the list of failed files
    WriteError keysNotSaved = WriteError::None; // why the remembered keys were not saved
    std::string folderNotice;                   // which files of the folder were left out, and why
    bool searchStillRunning = false; // the search would not stop: the set was left as it was
};

class Loader {
public:
    // keys may be null (no remembered keys, nothing saved). folderNoticeShown
    // keeps the last word about folder files left out from one load to the
    // next, so that the same word is said once; none: every load says it.
    Loader(BaseSet& set, ProgramSettings& settings, LoadingHost& host, const KeyStore* keys,
           std::string* folderNoticeShown = nullptr);
    LoadReport run();
    // The tables' pair filters are left for buildNextPairFilter.
    void leavePairFilters() { pairFilters_ = false; }

private:
    void rebuildSet();
    void loadingPass(LoadReport& report, bool firstPass);
    void tellFolderSkips(FolderScanSkips skipped);

    BaseSet& set_;
    ProgramSettings& settings_;
    LoadingHost& host_;
    const KeyStore* keys_;
    std::string* folderNoticeShown_;
    bool pairFilters_ = true;
};

} // namespace talsk
