#pragma once
// The "О программе" box: the program's picture and seven lines that appear
// as if typed. A worker thread paces the typing and hands every text to the
// window's thread by a queued call; it never touches a widget. "Лицензия"
// opens the licence text.

#include "platform/search_thread.h"

#include <QDialog>

#include <atomic>
#include <cstdint>
#include <vector>

class QLabel;
class QPlainTextEdit;

namespace talsk {

// Opens the About box modally.
void runAboutBox(QWidget* parent);

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
    ~AboutBox() override;

    // The text of line i as shown now (the cursor block included).
    QString lineText(size_t i) const;
    // The lines are still being typed.
    bool typing() const { return thread_.active(); }
    // Closing waits at most this long at a time for the typing to stop.
    static constexpr int kCloseWaitMs = 300;

    void done(int result) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void typeLines(); // runs on the worker
    void setLine(size_t i, const QString& text);
    void showAllLines();

    std::vector<QLabel*> labels_;        // the typed lines but the last
    QPlainTextEdit* greeting_ = nullptr; // the last line, the greeting
    bool closeRetryPending_ = false;
    QPoint dragOffset_; // where the box was taken, from its corner
    std::atomic<uint8_t> stop_{0};
    SearchThread thread_; // after stop_: joined before the flag goes
};

} // namespace talsk
