#include "gui/help/help_window.h"

#include "gui/widgets/app_texts.h"
#include "gui/widgets/text.h"
#include "gui/widgets/user_settings.h"

#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// Q_INIT_RESOURCE must stand outside any namespace.
static void registerHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace talsk {

namespace {

struct Topic {
    const char* page;
    const char* title;
};

// The list of topics beside the page, in reading order.
constexpr Topic kTopics[] = {
    {"index.html", "Содержание"},
    {"start.html", "Запуск программы"},
    {"files.html", "Подключение файлов и ключи"},
    {"query.html", "Язык запросов"},
    {"panels.html", "Панели поиска"},
    {"results.html", "Таблица результатов"},
    {"editor.html", "Редактирование записей"},
    {"utilities.html", "Утилиты"},
    {"keys.html", "Клавиши"},
};

const QString kRoot = QStringLiteral("qrc:/help/");
const QString kGeometryKey = QStringLiteral("help/geometry");

bool pageExists(const QString& page) {
    return !page.isEmpty() && QFile::exists(QStringLiteral(":/help/") + page);
}

const char* kStyle = "h1 { color: #24477a; font-size: large; }"
                     "h2 { color: #24477a; font-size: medium; margin-top: 14px; }"
                     "code, kbd { font-family: 'DejaVu Sans Mono', monospace; color: #6b2d0b; }"
                     "th { background-color: #e4eaf3; text-align: left; }"
                     "p.note { color: #555555; }";

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    static const bool registered = (registerHelpResources(), true);
    (void)registered;
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Справка: ") + fromUtf8(kAppTitle));

    topics_ = new QListWidget;
    topics_->setObjectName(QStringLiteral("helpTopics"));
    topics_->setSpacing(2);
    for (const Topic& t : kTopics) {
        auto* item = new QListWidgetItem(QString::fromUtf8(t.title), topics_);
        item->setData(Qt::UserRole, QString::fromLatin1(t.page));
    }
    browser_ = new QTextBrowser;
    browser_->setObjectName(QStringLiteral("helpPage"));
    browser_->setOpenExternalLinks(false);
    browser_->document()->setDefaultStyleSheet(QString::fromLatin1(kStyle));
    QFont font = browser_->font();
    font.setPointSizeF(font.pointSizeF() * 1.1);
    browser_->setFont(font);

    back_ = new QPushButton(QStringLiteral("< Назад"));
    forward_ = new QPushButton(QStringLiteral("Вперед >"));
    auto* contents = new QPushButton(QStringLiteral("Содержание"));
    back_->setEnabled(false);
    forward_->setEnabled(false);
    for (QPushButton* b : {back_, forward_, contents})
        b->setAutoDefault(false);
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this,
            [this] { showTopic(QString::fromLatin1(kContents)); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::pageChanged);
    connect(browser_, &QTextBrowser::historyChanged, this, &HelpWindow::pageChanged);
    connect(topics_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showTopic(item->data(Qt::UserRole).toString()); });
    connect(topics_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showTopic(item->data(Qt::UserRole).toString()); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addWidget(contents);
    buttons->addStretch(1);
    auto* splitter = new QSplitter;
    splitter->addWidget(topics_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    const QFontMetrics fm(topics_->font());
    splitter->setSizes({fm.horizontalAdvance(QStringLiteral("Подключение файлов и ключи")) + 30,
                        fm.averageCharWidth() * 125});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    // Where the user left it last time; else over the window it helps with.
    if (!restoreGeometry(userSettings().value(kGeometryKey).toByteArray())) {
        resize(fm.averageCharWidth() * 160, fm.lineSpacing() * 44);
        if (parent != nullptr) move(parent->geometry().center() - rect().center());
    }
    // On the screen, also when it was left on a larger one.
    if (const QScreen* s = parent != nullptr ? parent->screen() : screen()) {
        const QRect avail = s->availableGeometry();
        QRect g = geometry();
        if (!avail.contains(g)) {
            g.setSize(g.size().boundedTo(avail.size() * 9 / 10));
            g.moveCenter(avail.center());
            setGeometry(g);
        }
    }
}

HelpWindow::~HelpWindow() {
    if (isVisible()) saveGeometryForUser();
}

void HelpWindow::closeEvent(QCloseEvent* event) {
    saveGeometryForUser();
    QWidget::closeEvent(event);
}

// Escape closes the help as it closes the program's dialogs.
void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

void HelpWindow::saveGeometryForUser() const {
    userSettings().setValue(kGeometryKey, saveGeometry());
}

void HelpWindow::showTopic(const QString& topic) {
    const QString page = topic.section(QLatin1Char('#'), 0, 0);
    if (pageExists(page)) {
        browser_->setSource(QUrl(kRoot + topic));
    } else if (pageExists(QString::fromLatin1(kContents))) {
        browser_->setSource(QUrl(kRoot + QString::fromLatin1(kContents)));
    } else {
        // No help built in: say so in the window, never in a message box.
        browser_->setHtml(QStringLiteral("<p>Справка не найдена.</p>"));
    }
    pageChanged(); // the same page again emits no change
}

QString HelpWindow::currentTopic() const {
    return browser_->source().fileName();
}

void HelpWindow::pageChanged() {
    const QString page = currentTopic();
    for (int i = 0; i < topics_->count(); ++i) {
        if (topics_->item(i)->data(Qt::UserRole).toString() == page) {
            topics_->setCurrentRow(i);
            return;
        }
    }
    topics_->clearSelection();
}

HelpWindow* showHelp(QWidget* owner, const QString& topic) {
    auto* window = owner != nullptr
                       ? owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly)
                       : nullptr;
    const bool fresh = window == nullptr;
    if (fresh) window = new HelpWindow(owner);
    if (!topic.isEmpty() || fresh)
        window->showTopic(topic.isEmpty() ? QString::fromLatin1(HelpWindow::kContents) : topic);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace talsk
