#include "gui/mainwindow/pair_filter_filler.h"

namespace talsk {

namespace {
// How soon to look again while a background search reads the tables.
constexpr int kWhileSearchingMs = 50;
} // namespace

PairFilterFiller::PairFilterFiller(BaseSet& set, SearchSession& session, QObject* parent)
    : QObject(parent), set_(set), session_(session) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &PairFilterFiller::step);
}

void PairFilterFiller::start() {
    timer_.start(0);
}

void PairFilterFiller::step() {
    if (!session_.basesFree()) {
        timer_.start(kWhileSearchingMs);
        return;
    }
    if (buildNextPairFilter(set_)) timer_.start(0);
}

} // namespace talsk
