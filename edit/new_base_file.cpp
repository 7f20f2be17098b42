// Creating and connecting a new empty base file.

#include "edit/new_base_file.h"

#include "base/cipher.h"
#include "base/load_status.h"
#include "platform/file.h"

namespace talsk {

namespace {

constexpr const char* kExtension = ".btn";
constexpr const char* kNoName = "Введите имя файла";
constexpr const char* kBadName = "Неверное имя файла";
constexpr const char* kNoKey = "Введите ключ";
constexpr const char* kOverwrite = "Файл уже существует\n перезаписать?";
constexpr const char* kInUse = "Файл используется программой";
constexpr const char* kCannotCreate = "Не возможно создать файл\n";
constexpr const char* kTooLong = "Please enter no more than 260 characters.";

// Writes the empty file (atomically, replacing one that exists) and connects
// it as loading would, the typed key in place.
bool writeAndConnect(PhoneBase& base, const std::string& folder, const std::string& name,
                     const NewBaseRequest& request) {
    resetBase(base);
    base.path = name;
    base.folder = folder;
    base.flagByte = 3;
    base.keyed = request.useKey ? 1 : 0;
    base.key = request.useKey ? deriveFileKey(request.key) : std::string();
    base.rememberKey = request.rememberKey ? 1 : 0;
    const uint8_t remember = base.rememberKey;
    // No table bits: write the tables as they stand (all empty).
    if (!saveBase(base, 0) || !openBase(base, nullptr)) return false;
    base.rememberKey = remember;
    base.connected = 1;
    base.status = StatusConnected;
    return true;
}

} // namespace

std::string withBtnExtension(const std::string& name) {
    if (name.size() < 5 || name.find(kExtension, name.size() - 5) == std::string::npos)
        return name + kExtension;
    return name;
}

int createBaseFile(BaseSet& set, ProgramSettings* settings, const NewBaseRequest& request,
                   EditorPrompts& prompts) {
    const char* refusal = nullptr;
    if (request.name.empty())
        refusal = kNoName;
    else if (request.name == kExtension)
        refusal = kBadName;
    else if (request.useKey && request.key.empty())
        refusal = kNoKey;
    if (refusal != nullptr) {
        prompts.tell(PromptIcon::Information, editorText::kProgramCaption, refusal);
        return kNoBase;
    }
    const std::string name = withBtnExtension(request.name);
    if (!storablePath(name)) { // the settings' list could not name it again
        // Captioned as wherever else this name is refused.
        prompts.tell(PromptIcon::Warning, editorText::kErrorCaption,
                     unstorablePathMessage(name).c_str());
        return kNoBase;
    }
    if (!pathWithinLimit(name)) { // the settings' list holds no longer name
        prompts.tell(PromptIcon::Information, editorText::kProgramCaption, kTooLong);
        return kNoBase;
    }

    int index = findBase(set, name);
    if (index == kNoBase) {
        if (set.count() >= kMaxFiles) return kNoBase; // the dialog offers no new file then
        if (fileSystem().attributes(fullBasePath(set, name)).exists &&
            prompts.ask(editorText::kProgramCaption, kOverwrite, PromptButtons::YesNo) !=
                PromptAnswer::Yes)
            return kNoBase;
    } else if (set.bases[size_t(index)].connected) {
        prompts.tell(PromptIcon::Warning, editorText::kProgramCaption, kInUse);
        return kNoBase;
    }

    // A new base joins the set only once its file exists, so a failure
    // leaves no empty entry behind.
    PhoneBase fresh;
    PhoneBase& base = index == kNoBase ? fresh : set.bases[size_t(index)];
    if (!writeAndConnect(base, set.folder, name, request)) {
        resetBase(base);
        const std::string text = kCannotCreate + name;
        prompts.tell(PromptIcon::Warning, editorText::kProgramCaption, text.c_str());
        return kNoBase;
    }
    if (index == kNoBase) {
        set.bases.push_back(std::move(fresh));
        index = set.count() - 1;
    }
    if (ProgramSettings* s = settings) {
        s->filePaths[size_t(index)] = name;
        if (s->fileCount <= index) s->fileCount = int16_t(index + 1);
    }
    recountTotals(set);
    return index;
}

} // namespace talsk
