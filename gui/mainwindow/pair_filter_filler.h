#pragma once
// The letter-pair filters of the connected tables, built after the files
// have connected, one table per turn of the event loop, whenever no search
// reads the tables: the totals show sooner, and a search before the last is
// built only skips less.

#include "base/base_set.h"
#include "search/search_session.h"

#include <QObject>
#include <QTimer>

namespace talsk {

class PairFilterFiller : public QObject {
    Q_OBJECT

public:
    PairFilterFiller(BaseSet& set, SearchSession& session, QObject* parent);
    // After a load or a change of records: builds what is missing.
    void start();

private:
    void step();

    BaseSet& set_;
    SearchSession& session_;
    QTimer timer_;
};

} // namespace talsk
