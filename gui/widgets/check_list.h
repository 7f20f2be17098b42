#pragma once
// CheckList: a list whose items carry check boxes, with a context menu that
// checks, clears or inverts every item at once.

#include <QListWidget>

namespace talsk {

class CheckList : public QListWidget {
    Q_OBJECT

public:
    // Commands of the context menu.
    static constexpr int kCheckAll = 32818;
    static constexpr int kClearAll = 32819;
    static constexpr int kInvertAll = 32820;

    explicit CheckList(QWidget* parent = nullptr);

    // Appends an unchecked item.
    void addCheckItem(const QString& text);
    void setCheck(int item, bool checked);
    bool getCheck(int item) const;
    // Applies one of the three menu commands to every item.
    void runCommand(int command);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace talsk
