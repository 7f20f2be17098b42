#pragma once
// The word over the empty results while no base file is connected: where
// the program looks for its files and how to get one.

#include "base/base_set.h"

#include <QLabel>

namespace talsk {

class NoBaseHint : public QLabel {
    Q_OBJECT

public:
    // Lies over `area` and follows its size.
    explicit NoBaseHint(QWidget* area);

    // Shown, naming the set's folder, while no base is connected; hidden otherwise.
    void follow(const BaseSet& set);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace talsk
