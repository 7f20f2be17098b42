#include "gui/mainwindow/commands.h"

namespace talsk::cmd {

namespace {

constexpr KeyTable M = KeyTable::Main;
constexpr KeyTable R = KeyTable::Results;
constexpr KeyTable P = KeyTable::FieldPanel;

constexpr std::string_view kFile = "&Файл";
constexpr std::string_view kView = "&Вид";
constexpr std::string_view kSearch = "&Поиск";
constexpr std::string_view kTable = "Таблица";
constexpr std::string_view kSort = "Таблица/Упорядочить";
constexpr std::string_view kSelect = "Таблица/Выделение";
constexpr std::string_view kUtilities = "Утилиты";
constexpr std::string_view kHelpMenu = "&?";

// In menu order within each popup.
const std::vector<Command> kCommands = {
    {EditRecords, kFile, "Редактировать", "F2", M, "", "Редактирование данных - F2",
     "Редактирование файлов с данными", false},
    {AddToBase, kFile, "Добавить в базу", "Ins", P, "", "Добавить содержимое полей в базу - Ins",
     "Добавление содержимого полей поиска в базу", false},
    {FileInfo, kFile, "Информация", "F7", M, "", "Информация о файлах - F7",
     "Информация о подключенных файлах", false},
    {ConnectFiles, kFile, "Подключить файлы", "F4", M, "", "Подключение файлов - F4",
     "Подключение файлов с данными", false},
    {Settings, kFile, "Настройки", "F9", M, "", "Настройки программы - F9",
     "Изменение настроек программы", false},
    {Exit, kFile, "В&ыход", "F10", M, "", "Выход - F10", "Выход из программы", false},

    {ClearAll, kView, "Очистить все", "Shift+Esc", M, "", "Очистить таблицу и поля - Shift+Esc",
     "Очистка таблицы и полей поиска", false},
    {RestoreSettings, kView, "Восстанов. настройки", "", M, "Ctrl+F9", "Восстановить настройки",
     "Восстановление сохраненных настроек окна", false},
    {SaveSettings, kView, "Сохранить настройки", "Shift+F9", M, "", "Сохранить настройки",
     "Сохранение настроек программы", false},
    {GeneralBar, kView, "Общий поиск", "Ctrl+S", M, "", "Общий поиск",
     "Показать или скрыть панель общего поиска", true},
    {FieldPanel, kView, "Поиск по полям", "Ctrl+F", M, "", "Поиск по полям",
     "Показать или скрыть панель поиска по полям", true},
    {ToolBar, kView, "Панель инструментов", "", M, "", "Панель инструментов",
     "Показать или скрыть панель инструментов", true},
    {SearchAreaBar, kView, "Область поиска", "", M, "", "Область поиска",
     "Показать или скрыть панель области поиска", true},
    {AlwaysOnTop, kView, "Поверх всех окон", "Ctrl+T", M, "", "Поверх всех окон",
     "Окно программы поверх всех окон", true},

    {ShowAllRecords, kSearch, "Вывести все записи", "Alt+A;Shift+Return;Shift+Enter", M, "Alt+A",
     "Вывести все записи", "Вывод всех записей области поиска", false},
    {GeneralSearchMenu, kSearch, "Общий поиск", "", M, "", "Общий поиск",
     "Поиск текста во всех полях", false},
    {FieldSearchMenu, kSearch, "Поиск по полям", "", M, "", "Поиск по полям",
     "Поиск по заполненным полям", false},
    {SearchLogDialog, kSearch, "Журнал поиска", "F6", M, "", "Журнал поиска - F6", "Журнал поиска",
     false},
    {LogForward, kSearch, "Вперед", "PgUp", P, "", "Данные следующего поиска - PgUp",
     "Данные следующего поиска - PgUp", false},
    {LogBack, kSearch, "Назад", "PgDown", P, "", "Данные предыдущего поиска - PgDown",
     "Данные предыдущего поиска - PgDown", false},
    {CaseSensitive, kSearch, "С учетом регистра", "", M, "", "Поиск с учетом регистра",
     "Поиск с учетом регистра букв", true},

    {ClearTable, kTable, "Очистить таблицу", "Esc", R, "", "Очистить таблицу - Esc",
     "Удаление всех строк таблицы", false},
    {RemoveFromList, kTable, "Удалить из списка", "Del", R, "", "Удалить из списка - Del",
     "Удаление выделенных строк из списка", false},
    {SortPhone, kSort, "телефон", "", R, "", "", "Упорядочить по телефону", false},
    {SortName, kSort, "фамилия", "", R, "", "", "Упорядочить по фамилии", false},
    {SortAddress, kSort, "адрес", "", R, "", "", "Упорядочить по адресу", false},
    {SortOrganization, kSort, "организация", "", R, "", "", "Упорядочить по организации", false},
    {SortComment, kSort, "комметарий", "", R, "", "", "Упорядочить по комментарию", false},
    {SelectAll, kSelect, "выделить все", "Ctrl+A", R, "", "", "Выделить все строки", false},
    {InvertSelection, kSelect, "инвертировать", "Ctrl+I", R, "", "", "Инвертировать выделение",
     false},
    {ClearSelection, kSelect, "убрать", "Ctrl+N", R, "", "", "Убрать выделение", false},
    {EditRecord, kTable, "Редактировать запись", "Return;Enter;F2", R, "Enter",
     "Редактировать запись - Enter", "Редактирование текущей записи", false},
    {DeleteFromFile, kTable, "Удалить из файла", "Ctrl+Del", R, "", "Удалить из файла - Ctrl+Del",
     "Удаление текущей записи из файла", false},
    {CopyRows, kTable, "Копировать", "Ctrl+C;Ctrl+Ins", R, "", "Копировать строки - Ctrl+C",
     "Копирование выделенных строк в буфер обмена", false},
    {CopyPhone, kTable, "Копировать телефон", "Ctrl+Shift+C", R, "",
     "Копировать телефон - Ctrl+Shift+C", "Копирование номера телефона текущей строки", false},
    {SaveList, kTable, "Сохранить список ...", "", M, "", "Сохранить список",
     "Сохранение строк таблицы в файл CSV или текстовый", false},
    {PrintList, kTable, "Печать ...", "Ctrl+P", M, "", "Печать - Ctrl+P",
     "Печать строк таблицы с предварительным просмотром", false},
    {GridLines, kTable, "Сетка", "Ctrl+G;Ctrl+F9", M, "", "Сетка таблицы - Ctrl+G",
     "Показать или скрыть линии сетки таблицы", true},

    {ChangeKey, kUtilities, "Изменить ключ файла", "", M, "", "", "Изменение ключа файла", false},
    {ChangeVersion, kUtilities, "Изменить версию файла", "", M, "", "",
     "Конвертирование файла в другую версию", false},
    {MergeFiles, kUtilities, "Объединить файлы", "", M, "", "", "Объединение файлов", false},
    {ImportDbf, kUtilities, "Конвертировать DBF", "", M, "", "",
     "Конвертирование таблиц DBF в файл справочника", false},
    {SaveToDbf, kUtilities, "Сохранить в DBF", "", M, "", "", "", false},

    {Help, kHelpMenu, "Помощь", "", M, "F1", "Помощь - F1", "Справка по программе", false},
    {About, kHelpMenu, "О программе", "", M, "", "О программе", "Сведения о программе и ее версии",
     false},

    // Without a menu item.
    {Minimize, "", "", "Esc", M, "", "", "", false},
    {RunActiveSearch, "", "", "F3", M, "", "", "", false},
    {FocusCycle, "", "", "Ctrl+Tab", M, "", "", "", false},
    {Undo, "", "", "Alt+Backspace;Ctrl+Z", M, "", "", "", false},
    {ReloadFiles, "", "", "", M, "", "", "", false},
    {HelpKey, "", "", "F1", M, "", "", "", false},
    {FieldSearchNow, "", "", "Return;Enter;Ctrl+Return;Ctrl+Enter", P, "", "Поиск - Enter", "",
     false},
    {PanelEscape, "", "", "Esc", P, "", "", "", false},
    {NextField, "", "", "Down", P, "", "", "", false},
    {PreviousField, "", "", "Up", P, "", "", "", false},
};

const std::vector<std::string_view> kPopups = {kFile,  kView,      kSearch,
                                               kTable, kUtilities, kHelpMenu};

const std::vector<ToolButton> kToolbar = {
    {ClearAll, "Очистить", ":/icons/clear.svg"},
    {0, "", ""},
    {ConnectFiles, "Файлы", ":/icons/files.svg"},
    {EditRecords, "Редактир.", ":/icons/edit.svg"},
    {0, "", ""},
    {Settings, "Настройки", ":/icons/settings.svg"},
    {FileInfo, "Инфо", ":/icons/info.svg"},
    {0, "", ""},
    {CaseSensitive, "Регистр", ":/icons/case.svg"},
    {GridLines, "Сетка", ":/icons/grid.svg"},
    {0, "", ""},
    {About, "О прогр.", ":/icons/about.svg"},
};

} // namespace

const std::vector<Command>& commandTable() {
    return kCommands;
}

const Command* findCommand(int id) {
    for (const Command& c : kCommands)
        if (c.id == id) return &c;
    return nullptr;
}

std::vector<std::string_view> commandKeys(const Command& c) {
    std::vector<std::string_view> keys;
    std::string_view rest = c.keys;
    while (!rest.empty()) {
        size_t cut = rest.find(';');
        keys.push_back(rest.substr(0, cut));
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    return keys;
}

const std::vector<std::string_view>& menuPopups() {
    return kPopups;
}

const std::vector<ToolButton>& toolbarButtons() {
    return kToolbar;
}

} // namespace talsk::cmd
