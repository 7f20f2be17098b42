#include "gui/mainwindow/commands.h"

#include "edit/record_editor_logic.h"
#include "gui/mainwindow/field_search_panel.h"
#include "gui/mainwindow/focus_rules.h"
#include "gui/mainwindow/general_search_bar.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/results_table.h"

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

// What the main window does for each command; w is the window, f what it
// shows when the command comes.

void editRecords(CMainFrame& w, const FrameFlags&) {
    w.openEditor({});
}

void addToBase(CMainFrame& w, const FrameFlags& f) {
    if (f.fieldPanelVisible) w.fieldPanel()->runCommand(AddToBase);
}

void fileInfo(CMainFrame& w, const FrameFlags&) {
    w.openFileInfo();
}

void connectFiles(CMainFrame& w, const FrameFlags&) {
    w.openConnectedFiles();
}

void settings(CMainFrame& w, const FrameFlags&) {
    w.openSettingsSheet();
}

void exitProgram(CMainFrame& w, const FrameFlags&) {
    w.close();
}

void clearAll(CMainFrame& w, const FrameFlags&) {
    w.results().clearResults();
    w.setGridKind(w.tableMaskFromBar(), true);
    w.fieldPanel()->clearFields();
    w.generalBar()->clearText();
}

void restoreSettings(CMainFrame& w, const FrameFlags&) {
    w.applySettingsToUi();
}

void saveSettings(CMainFrame& w, const FrameFlags&) {
    w.collectUiIntoSettings();
    w.saveSettingsFile();
}

void generalBar(CMainFrame& w, const FrameFlags& f) {
    w.bar(GeneralBar)->setVisible(!f.generalBarVisible);
}

void fieldPanel(CMainFrame& w, const FrameFlags& f) {
    w.bar(FieldPanel)->setVisible(!f.fieldPanelVisible);
}

void toolBar(CMainFrame& w, const FrameFlags& f) {
    w.bar(ToolBar)->setVisible(!f.toolBarVisible);
}

void searchAreaBar(CMainFrame& w, const FrameFlags& f) {
    w.bar(SearchAreaBar)->setVisible(!f.searchAreaBarVisible);
}

void alwaysOnTop(CMainFrame& w, const FrameFlags&) {
    w.toggleAlwaysOnTop();
}

void showAllRecords(CMainFrame& w, const FrameFlags&) {
    w.showAllRecords();
}

void generalSearch(CMainFrame& w, const FrameFlags& f) {
    if (f.generalBarVisible) w.generalBar()->generalSearchNow();
}

void fieldSearch(CMainFrame& w, const FrameFlags& f) {
    if (f.fieldPanelVisible) w.fieldPanel()->fieldSearchNow(false);
}

void searchLog(CMainFrame& w, const FrameFlags& f) {
    if (f.fieldPanelVisible) w.fieldPanel()->openSearchLog(w.historyPosition());
}

void logForward(CMainFrame& w, const FrameFlags& f) {
    if (f.fieldPanelVisible) w.stepLog(true);
}

void logBack(CMainFrame& w, const FrameFlags& f) {
    if (f.fieldPanelVisible) w.stepLog(false);
}

void caseSensitive(CMainFrame& w, const FrameFlags&) {
    w.settings().caseSensitive = w.settings().caseSensitive == 1 ? 0 : 1;
    w.clearSearchState();
}

void yoAsYe(CMainFrame& w, const FrameFlags&) {
    w.setYoAsYe(w.settings().yoAsYe != 1);
}

void clearTable(CMainFrame& w, const FrameFlags&) {
    w.results().clearResults();
    w.setGridKind(w.tableMaskFromBar(), true);
}

void gridLines(CMainFrame& w, const FrameFlags&) {
    w.results().toggleGridLines();
}

void copyRows(CMainFrame& w, const FrameFlags&) {
    w.results().copyRows();
}

void copyPhone(CMainFrame& w, const FrameFlags&) {
    w.results().copyPhone();
}

void saveList(CMainFrame& w, const FrameFlags&) {
    w.results().saveList();
}

void printList(CMainFrame& w, const FrameFlags&) {
    w.printResults();
}

void changeKey(CMainFrame& w, const FrameFlags&) {
    w.openChangeKey();
}

void changeVersion(CMainFrame& w, const FrameFlags&) {
    w.openVersionConverter();
}

void mergeFiles(CMainFrame& w, const FrameFlags&) {
    w.openMergeDialog();
}

void importDbf(CMainFrame& w, const FrameFlags&) {
    w.runDbfImport();
}

void help(CMainFrame& w, const FrameFlags&) {
    w.openHelp();
}

void about(CMainFrame& w, const FrameFlags&) {
    w.openAbout();
}

void minimize(CMainFrame& w, const FrameFlags&) {
    w.minimizeWindow();
}

void runActiveSearch(CMainFrame& w, const FrameFlags&) {
    if (w.results().hasFocus()) return;
    w.runCommand(w.searchFocus() != 0 ? FieldSearchMenu : GeneralSearchMenu);
}

void focusCycle(CMainFrame& w, const FrameFlags&) {
    const int target = focusCycleTarget(w.results().hasFocus(), w.searchFocus());
    if (target < 0)
        w.results().setFocus(Qt::TabFocusReason);
    else
        w.focusSearchField(target);
}

void reloadFiles(CMainFrame& w, const FrameFlags&) {
    w.loadFiles();
}

// In menu order within each popup.
const std::vector<Command> kCommands = {
    {EditRecords, kFile, "Редактировать", "F2", M, "", "Редактирование данных - F2",
     "Редактирование файлов с данными", false, rule::always, editRecords},
    {AddToBase, kFile, "Добавить в базу", "Ins", P, "", "Добавить содержимое полей в базу - Ins",
     "Добавление содержимого полей поиска в базу", false, rule::whileFieldPanel, addToBase},
    {FileInfo, kFile, "Информация", "F7", M, "", "Информация о файлах - F7",
     "Информация о подключенных файлах", false, rule::always, fileInfo},
    {ConnectFiles, kFile, "Подключить файлы", "F4", M, "", "Подключение файлов - F4",
     "Подключение файлов с данными", false, rule::always, connectFiles},
    {Settings, kFile, "Настройки", "F9", M, "", "Настройки программы - F9",
     "Изменение настроек программы", false, rule::always, settings},
    {Exit, kFile, "В&ыход", "F10", M, "", "Выход - F10", "Выход из программы", false, rule::always,
     exitProgram},

    {ClearAll, kView, "Очистить все", "Shift+Esc", M, "", "Очистить таблицу и поля - Shift+Esc",
     "Очистка таблицы и полей поиска", false, rule::always, clearAll},
    {RestoreSettings, kView, "Восстанов. настройки", "", M, "Ctrl+F9", "Восстановить настройки",
     "Восстановление сохраненных настроек окна", false, rule::always, restoreSettings},
    {SaveSettings, kView, "Сохранить настройки", "Shift+F9", M, "", "Сохранить настройки",
     "Сохранение настроек программы", false, rule::always, saveSettings},
    {GeneralBar, kView, "Общий поиск", "Ctrl+S", M, "", "Общий поиск",
     "Показать или скрыть панель общего поиска", true, rule::generalBarShown, generalBar},
    {FieldPanel, kView, "Поиск по полям", "Ctrl+F", M, "", "Поиск по полям",
     "Показать или скрыть панель поиска по полям", true, rule::fieldPanelShown, fieldPanel},
    {ToolBar, kView, "Панель инструментов", "", M, "", "Панель инструментов",
     "Показать или скрыть панель инструментов", true, rule::toolBarShown, toolBar},
    {SearchAreaBar, kView, "Область поиска", "", M, "", "Область поиска",
     "Показать или скрыть панель области поиска", true, rule::searchAreaBarShown, searchAreaBar},
    {AlwaysOnTop, kView, "Поверх всех окон", "Ctrl+T", M, "", "Поверх всех окон",
     "Окно программы поверх всех окон", true, rule::alwaysOnTop, alwaysOnTop},

    {ShowAllRecords, kSearch, "Вывести все записи", "Alt+A;Shift+Return;Shift+Enter", M, "Alt+A",
     "Вывести все записи", "Вывод всех записей области поиска", false, rule::always,
     showAllRecords},
    {GeneralSearchMenu, kSearch, "Общий поиск", "", M, "", "Общий поиск",
     "Поиск текста во всех полях", false, rule::whileGeneralBar, generalSearch},
    {FieldSearchMenu, kSearch, "Поиск по полям", "", M, "", "Поиск по полям",
     "Поиск по заполненным полям", false, rule::whileFieldPanel, fieldSearch},
    {SearchLogDialog, kSearch, "Журнал поиска", "F6", M, "", "Журнал поиска - F6", "Журнал поиска",
     false, rule::whileFieldPanel, searchLog},
    {LogForward, kSearch, "Вперед", "PgUp", P, "", "Данные следующего поиска - PgUp",
     "Данные следующего поиска - PgUp", false, rule::whileFieldPanel, logForward},
    {LogBack, kSearch, "Назад", "PgDown", P, "", "Данные предыдущего поиска - PgDown",
     "Данные предыдущего поиска - PgDown", false, rule::whileFieldPanel, logBack},
    {CaseSensitive, kSearch, "С учетом регистра", "", M, "", "Поиск с учетом регистра",
     "Поиск с учетом регистра букв", true, rule::caseSensitive, caseSensitive},
    {YoAsYe, kSearch, "Е и Ё не различать", "", M, "", "Е и Ё не различать",
     "Поиск без различия букв Е и Ё", true, rule::yoAsYe, yoAsYe},

    {ClearTable, kTable, "Очистить таблицу", "Esc", R, "", "Очистить таблицу - Esc",
     "Удаление всех строк таблицы", false, rule::always, clearTable},
    {RemoveFromList, kTable, "Удалить из списка", "Del", R, "", "Удалить из списка - Del",
     "Удаление выделенных строк из списка", false, rule::always},
    {SortPhone, kSort, "телефон", "", R, "", "", "Упорядочить по телефону", false, rule::always},
    {SortName, kSort, "фамилия", "", R, "", "", "Упорядочить по фамилии", false, rule::always},
    {SortAddress, kSort, "адрес", "", R, "", "", "Упорядочить по адресу", false, rule::always},
    {SortOrganization, kSort, "организация", "", R, "", "", "Упорядочить по организации", false,
     rule::always},
    {SortComment, kSort, "комметарий", "", R, "", "", "Упорядочить по комментарию", false,
     rule::always},
    {SelectAll, kSelect, "выделить все", "Ctrl+A", R, "", "", "Выделить все строки", false,
     rule::always},
    {InvertSelection, kSelect, "инвертировать", "Ctrl+I", R, "", "", "Инвертировать выделение",
     false, rule::always},
    {ClearSelection, kSelect, "убрать", "Ctrl+N", R, "", "", "Убрать выделение", false,
     rule::always},
    {EditRecord, kTable, "Редактировать запись", "Return;Enter;F2", R, "Enter",
     "Редактировать запись - Enter", "Редактирование текущей записи", false, rule::always},
    {DeleteFromFile, kTable, "Удалить из файла", "Ctrl+Del", R, "", "Удалить из файла - Ctrl+Del",
     "Удаление текущей записи из файла", false, rule::always},
    {CopyRows, kTable, "Копировать", "Ctrl+C;Ctrl+Ins", R, "", "Копировать строки - Ctrl+C",
     "Копирование выделенных строк в буфер обмена", false, rule::always, copyRows},
    {CopyPhone, kTable, "Копировать телефон", "Ctrl+Shift+C", R, "",
     "Копировать телефон - Ctrl+Shift+C", "Копирование номера телефона текущей строки", false,
     rule::always, copyPhone},
    {SaveList, kTable, "Сохранить список ...", "", M, "", "Сохранить список",
     "Сохранение строк таблицы в файл CSV или текстовый", false, rule::always, saveList},
    {PrintList, kTable, "Печать ...", "Ctrl+P", M, "", "Печать - Ctrl+P",
     "Печать строк таблицы с предварительным просмотром", false, rule::always, printList},
    {GridLines, kTable, "Сетка", "Ctrl+G;Ctrl+F9", M, "", "Сетка таблицы - Ctrl+G",
     "Показать или скрыть линии сетки таблицы", true, rule::gridLines, gridLines},

    {ChangeKey, kUtilities, "Изменить ключ файла", "", M, "", "", "Изменение ключа файла", false,
     rule::always, changeKey},
    {ChangeVersion, kUtilities, "Изменить версию файла", "", M, "", "",
     "Конвертирование файла в другую версию", false, rule::always, changeVersion},
    {MergeFiles, kUtilities, "Объединить файлы", "", M, "", "", "Объединение файлов", false,
     rule::always, mergeFiles},
    {ImportDbf, kUtilities, "Конвертировать DBF", "", M, "", "",
     "Конвертирование таблиц DBF в файл справочника", false, rule::always, importDbf},
    {SaveToDbf, kUtilities, "Сохранить в DBF", "", M, "", "", "", false, rule::always},

    {Help, kHelpMenu, "Помощь", "", M, "F1", "Помощь - F1", "Справка по программе", false,
     rule::always, help},
    {About, kHelpMenu, "О программе", "", M, "", "О программе", "Сведения о программе и ее версии",
     false, rule::always, about},

    // Without a menu item.
    {Minimize, "", "", "Esc", M, "", "", "", false, rule::always, minimize},
    {RunActiveSearch, "", "", "F3", M, "", "", "", false, rule::always, runActiveSearch},
    {FocusCycle, "", "", "Ctrl+Tab", M, "", "", "", false, rule::always, focusCycle},
    {Undo, "", "", "Alt+Backspace;Ctrl+Z", M, "", "", "", false, rule::always},
    {ReloadFiles, "", "", "", M, "", "", "", false, rule::always, reloadFiles},
    {HelpKey, "", "", "F1", M, "", "", "", false, rule::always, help},
    {FieldSearchNow, "", "", "Return;Enter;Ctrl+Return;Ctrl+Enter", P, "", "Поиск - Enter", "",
     false, rule::always},
    {PanelEscape, "", "", "Esc", P, "", "", "", false, rule::always},
    {NextField, "", "", "Down", P, "", "", "", false, rule::always},
    {PreviousField, "", "", "Up", P, "", "", "", false, rule::always},
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
