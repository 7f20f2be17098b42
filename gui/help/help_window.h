#pragma once
// The program's help: its pages (resources/help) in a window with a list of
// topics and back / forward, beside the main window.

#include <QWidget>

class QListWidget;
class QPushButton;
class QTextBrowser;

namespace talsk {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Shows a page by its name ("query.html", optionally with "#anchor");
    // an unknown page shows the contents instead.
    void showTopic(const QString& topic);
    // The name of the page shown, without an anchor.
    QString currentTopic() const;

    static constexpr const char* kContents = "index.html";

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pageChanged();
    void saveGeometryForUser() const;

    QTextBrowser* browser_ = nullptr;
    QListWidget* topics_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* forward_ = nullptr;
};

// Opens owner's help window (one per owner, made on first use), brings it to
// the front and shows topic; an empty topic keeps the page it shows, or the
// contents the first time.
HelpWindow* showHelp(QWidget* owner, const QString& topic = {});

} // namespace talsk
