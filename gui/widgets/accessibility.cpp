#include "gui/widgets/accessibility.h"

#include "gui/widgets/check_list.h"
#include "gui/widgets/check_list_accessible.h"
#include "gui/widgets/image_button.h"
#include "gui/widgets/phone_grid.h"
#include "gui/widgets/phone_grid_accessible.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace talsk {

namespace {

constexpr const char* kCountsProperty = "talskCounts";

// A picture button is a button: named by its caption, or by its tool tip
// when it shows only the picture; pressing it does what a click does.
class ImageButtonAccessible : public QAccessibleWidget {
public:
    explicit ImageButtonAccessible(ImageButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            const QString caption = nameOfCaption(button()->caption());
            return caption.isEmpty() ? widget()->toolTip() : caption;
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State st = QAccessibleWidget::state();
        st.pressed = button()->state() == ImageButton::State::Pressed;
        return st;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction() && widget()->isEnabled()) button()->click();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    ImageButton* button() const { return static_cast<ImageButton*>(widget()); }
};

// A counter reads "what: count"; its label's own change of text tells the
// screen reader that the name changed.
class CounterAccessible : public QAccessibleWidget {
public:
    explicit CounterAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        const auto* label = static_cast<const QLabel*>(widget());
        const QString counts = label->property(kCountsProperty).toString();
        if (t == QAccessible::Value) return label->text();
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        const QString value = label->text().trimmed();
        return value.isEmpty() ? counts : counts + QStringLiteral(": ") + value;
    }
};

QAccessibleInterface* makeInterface(const QString&, QObject* object) {
    if (auto* grid = qobject_cast<CPhoneGrid*>(object)) return new GridAccessible(grid);
    if (auto* button = qobject_cast<ImageButton*>(object)) return new ImageButtonAccessible(button);
    if (auto* list = qobject_cast<CheckList*>(object)) return new CheckListAccessible(list);
    if (auto* label = qobject_cast<QLabel*>(object))
        if (label->property(kCountsProperty).isValid()) return new CounterAccessible(label);
    return nullptr;
}

} // namespace

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(makeInterface);
        return true;
    }();
    (void)installed;
}

QString nameOfCaption(const QString& caption) {
    QString name;
    name.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i; // "&&" stands for "&"
        name.append(caption[i]);
    }
    name = name.trimmed();
    while (name.endsWith(u':') || name.endsWith(u','))
        name = name.chopped(1).trimmed();
    return name;
}

void nameAfterCaption(QWidget* control, const QString& caption) {
    control->setAccessibleName(nameOfCaption(caption));
}

void nameCounter(QLabel* label, const QString& counts) {
    installAccessibility();
    label->setProperty(kCountsProperty, counts);
    // Setting its text when it was made gave it a plain label's interface,
    // which gives way to the counter's.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(label);
    if (made != nullptr && dynamic_cast<CounterAccessible*>(made) == nullptr)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

} // namespace talsk
