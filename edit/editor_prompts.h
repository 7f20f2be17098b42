#pragma once
// The questions and messages of the record editor, behind an interface so
// that the window shows them in message boxes and the tests answer them from
// a script. Texts and captions are UTF-8.

namespace talsk {

enum class PromptAnswer { Yes, No, Cancel };
enum class PromptIcon { Information, Warning, Error, Question };

// Question buttons: Yes / No, or Yes / No / Cancel.
enum class PromptButtons { YesNo, YesNoCancel };

class EditorPrompts {
public:
    virtual ~EditorPrompts() = default;
    // A question with the question icon. An empty caption means the
    // program's title.
    virtual PromptAnswer ask(const char* caption, const char* text, PromptButtons buttons) = 0;
    // A message with an OK button.
    virtual void tell(PromptIcon icon, const char* caption, const char* text) = 0;
};

namespace editorText {
constexpr const char* kEditorCaption = "Редактирование";
constexpr const char* kConfirmCaption = "Подтверждение";
constexpr const char* kErrorCaption = "Ошибка";
constexpr const char* kProgramCaption = ""; // the program's title

constexpr const char* kAskSaveChanges = "Сохранить внесенные изменения";
constexpr const char* kUnknownFile = "Неизвестное имя файла";
constexpr const char* kNothingGiven = "Укажите что-нибудь";
constexpr const char* kDuplicatePhone =
    "Данный телефон уже есть в файле   \n Вы хотите сохранить данные?";
constexpr const char* kConfirmSave = "Сохранить данные?";
constexpr const char* kReadOnly = "Файл доступен только для чтения\nредактирование невозможно";
constexpr const char* kSaveFailed =
    "Ошибка при сохранении базы, данные не были сохранены\n перезапустите программу";
constexpr const char* kConfirmDelete = "Удалить данные ?";
} // namespace editorText

} // namespace talsk
