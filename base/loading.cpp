#include "base/loading.h"

#include "base/char_tables.h"
#include "base/cipher.h"
#include "base/key_store.h"
#include "base/load_status.h"
#include "base/open_ahead.h"
#include "platform/memory_advice.h"

#include <algorithm>
#include <system_error>

namespace talsk {

namespace {

// The key boxes take at most kMaxKeyLength characters; an empty text is no key.
std::string fileKeyOf(const std::string& typed) {
    return typed.empty() ? std::string() : deriveFileKey(typed.substr(0, kMaxKeyLength));
}

} // namespace

std::vector<KeyEntryFile> keyEntryFiles(const BaseSet& set) {
    std::vector<KeyEntryFile> files;
    for (const PhoneBase& base : set.bases)
        if (base.keyed && base.key.empty())
            files.push_back(KeyEntryFile{
                base.path, static_cast<LoadStatus>(base.status), base.rememberKey != 0, {}});
    return files;
}

bool applyKeyEntry(BaseSet& set, const std::vector<KeyEntryFile>& files, bool confirmed) {
    const bool anyKey = std::any_of(files.begin(), files.end(),
                                    [](const KeyEntryFile& f) { return !f.typedKey.empty(); });
    confirmed = confirmed && anyKey;
    for (const KeyEntryFile& f : files) {
        const int i = findBase(set, f.path);
        if (i == kNoBase) continue;
        PhoneBase& base = set.bases[static_cast<size_t>(i)];
        if (!confirmed) {
            base.key.clear();
            base.rememberKey = 0;
            continue;
        }
        const bool typed = !f.typedKey.empty();
        if (typed) base.key = fileKeyOf(f.typedKey);
        base.rememberKey = f.remember && typed ? 1 : 0;
    }
    return confirmed;
}

std::vector<FileListEntry> filesListEntries(const BaseSet& set, bool readOnlyMode) {
    std::vector<FileListEntry> files;
    for (const PhoneBase& base : set.bases)
        if (readOnlyMode ? base.connected != 0 && base.readOnly != 0 : base.connected == 0)
            files.push_back(
                FileListEntry{base.path, static_cast<LoadStatus>(base.status), base.openCause});
    return files;
}

void applyFilesListAnswer(ProgramSettings& settings, bool readOnlyMode,
                          const FilesListAnswer& answer) {
    if (answer.choice != FilesListChoice::Ok) return;
    uint8_t& setting = readOnlyMode ? settings.noReadOnlyMessage : settings.noLoadErrorMessage;
    setting = answer.dontShowAgain ? 1 : 0;
}

Loader::Loader(BaseSet& set, ProgramSettings& settings, LoadingHost& host, const KeyStore* keys,
               std::string* folderNoticeShown)
    : set_(set), settings_(settings), host_(host), keys_(keys),
      folderNoticeShown_(folderNoticeShown) {}

// Every slot starts empty. A slot that names the same file as before keeps
// the key given to it (by the connected-files dialog or an earlier entry).
void Loader::rebuildSet() {
    set_.folder = settings_.programFolder;
    const int n = settings_.fileCount < 0 ? 0 : std::min<int>(settings_.fileCount, kMaxFiles);
    std::vector<PhoneBase> old = std::move(set_.bases);
    set_.bases.clear();
    (void)resizeBaseSet(set_, n); // n is within 0..kMaxFiles
    for (int i = 0; i < n; ++i) {
        PhoneBase& base = set_.bases[static_cast<size_t>(i)];
        base.path = settings_.filePaths[static_cast<size_t>(i)];
        base.folder = set_.folder;
        if (static_cast<size_t>(i) < old.size() && old[static_cast<size_t>(i)].path == base.path) {
            base.key = old[static_cast<size_t>(i)].key;
            base.rememberKey = old[static_cast<size_t>(i)].rememberKey;
        }
    }
    for (PhoneBase& base : old)
        closeBase(base);
    recountTotals(set_);
}

void Loader::loadingPass(LoadReport& report, bool firstPass) {
    const OpenOptions options{
        .autoKey = settings_.autoKeyEntry != 0, .keys = keys_, .pairFilters = pairFilters_};
    // Bases opened ahead, whose result is waiting: the files are read many
    // at a time, what the host sees follows the list one file at a time.
    std::vector<uint8_t> attempted;
    size_t i = 0;
    bool retried = false; // the base at i was converted and is tried again
    while (i < set_.bases.size()) {
        PhoneBase& base = set_.bases[i];
        const bool ahead = i < attempted.size() && attempted[i] != 0;
        if (base.connected && !ahead) {
            ++i;
            retried = false;
            continue;
        }
        if (!ahead) openAhead(set_, i, options, attempted);
        attempted[i] = 0;
        host_.showStatusText("Загрузка " + base.path);
        if (base.connected) {
            ++i;
            retried = false;
            continue;
        }
        switch (base.status) {
        case StatusVersionMismatch: {
            // One conversion per file and pass: a converter that leaves an old
            // version behind must not make this loop forever.
            if (retried) break;
            const std::string question = "Преобразовать файл " + base.path + " в версию 2.0";
            if (!host_.askYesNo(question, "Конвертирование")) break;
            std::string typedKey;
            if (!host_.runConverter(base.path, fullBasePath(set_, base.path), typedKey)) break;
            base.key = fileKeyOf(typedKey);
            ++report.converted;
            retried = true;
            continue;
        }
        case StatusKeyMissing:
            if (firstPass) report.keysMissing = true;
            break;
        case StatusNotFound:
            if (settings_.autoRemoveMissing) {
                removeBase(set_, &settings_, static_cast<int>(i));
                attempted.erase(attempted.begin() + static_cast<std::ptrdiff_t>(i));
                ++report.removed;
                retried = false;
                continue;
            }
            break;
        case StatusLoadFailed:
            if (firstPass) report.dataFailed = true;
            break;
        default:
            break;
        }
        ++i;
        retried = false;
    }
}

void Loader::tellFolderSkips(FolderScanSkips skipped) {
    std::vector<std::string> paths;
    for (const std::string& name : skipped.unstorable)
        paths.push_back(fullBasePath(set_, name));
    const std::vector<std::string> untold = host_.notToldYet(paths);
    std::vector<std::string> names;
    for (size_t i = 0; i < paths.size(); ++i)
        if (std::find(untold.begin(), untold.end(), paths[i]) != untold.end())
            names.push_back(skipped.unstorable[i]);
    skipped.unstorable = std::move(names);
    const std::string text = folderScanMessage(skipped);
    if (!text.empty()) host_.showWarning(text);
}

LoadReport Loader::run() {
    LoadReport report;
    host_.showStatusText("Подготовка к загрузке данных");
    // Before the decode threads first start: they share one kept heap.
    keepFreedLargeBlocks();
    // The set is rebuilt below; a worker that still reads it must stop first.
    if (!host_.cancelSearch()) {
        report.searchStillRunning = true;
        return report;
    }
    loadLayoutTable(set_.layout);

    rebuildSet();
    FolderScanSkips skipped;
    if (settings_.connectFolderFiles) scanFolder(set_, &settings_, &skipped);

    loadingPass(report, true);

    host_.showStatusText("Проверка данных");
    if (report.keysMissing || report.dataFailed) {
        std::vector<KeyEntryFile> files = keyEntryFiles(set_);
        // An empty list closes the key entry at once, as cancelled.
        if (!files.empty()) {
            report.keyEntryShown = true;
            const bool answer = host_.askKeys(files);
            report.keyEntryConfirmed = applyKeyEntry(set_, files, answer);
            if (report.keyEntryConfirmed) loadingPass(report, false);
        }
    }

    verifyLoaded(set_);
    for (const PhoneBase& base : set_.bases) {
        report.anyNotConnected = report.anyNotConnected || !base.connected;
        report.anyReadOnly = report.anyReadOnly || (base.connected && base.readOnly);
    }

    recountTotals(set_);
    host_.sizeResultStore(set_);
    // The pools of files no longer connected are not wanted by a later load.
    returnFreedMemory();
    if (keys_ != nullptr && !keys_->saveKeys(set_, &report.keysNotSaved) &&
        report.keysNotSaved == WriteError::None)
        report.keysNotSaved = WriteError::Other;
    host_.refreshViews(set_);
    host_.showStatusText("Загрузка файлов завершена");

    // Said once: the same files left out again on every later load are not
    // news, and a name the settings cannot hold is not news at a later start.
    report.folderNotice = folderScanMessage(skipped);
    const bool news = folderNoticeShown_ == nullptr || report.folderNotice != *folderNoticeShown_;
    if (!report.folderNotice.empty() && news) tellFolderSkips(skipped);
    if (folderNoticeShown_ != nullptr) *folderNoticeShown_ = report.folderNotice;

    if (report.anyNotConnected && !settings_.noLoadErrorMessage) {
        const std::vector<FileListEntry> files = filesListEntries(set_, false);
        if (!files.empty()) {
            const FilesListAnswer answer = host_.showFilesList(files, false, true);
            applyFilesListAnswer(settings_, false, answer);
            if (answer.choice == FilesListChoice::Change) {
                report.changeRequested = true;
                host_.editConnectedFiles();
            }
        }
    }
    if (report.anyReadOnly && !settings_.noReadOnlyMessage) {
        const std::vector<FileListEntry> files = filesListEntries(set_, true);
        if (!files.empty())
            applyFilesListAnswer(settings_, true, host_.showFilesList(files, true, false));
    }
    return report;
}

} // namespace talsk
