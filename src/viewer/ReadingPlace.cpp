#include "viewer/ReadingPlace.h"

#include "settings/RecentBooks.h"
#include "settings/Settings.h"

namespace tresslin {

ReadingPlace::ReadingPlace(std::function<void()> saveWindow, QObject* parent)
    : QObject(parent), saveWindow_(std::move(saveWindow)) {
    timer_.setObjectName(QStringLiteral("tmrReadingPlace"));
    timer_.setSingleShot(true);
    timer_.setInterval(kSettleMs);
    connect(&timer_, &QTimer::timeout, this, &ReadingPlace::settle);
}

void ReadingPlace::show(const QString& path, std::int32_t line) {
    const Place now{path, path.isEmpty() ? 0 : line};
    if (now == shown_) return;
    // The book being left keeps the line it was left at, whenever the timer would have come.
    if (!shown_.path.isEmpty() && shown_.path != now.path) recordRecent(shown_);
    shown_ = now;
    if (!shown_.path.isEmpty()) schedule();
}

void ReadingPlace::windowMoved() {
    windowMoved_ = true;
    schedule();
}

void ReadingPlace::schedule() {
    // Not restarted by later changes: continuous reading (a held key, auto-show) would
    // otherwise never be written, and a kill would lose all of it.
    if (!timer_.isActive()) timer_.start();
}

void ReadingPlace::recordRecent(const Place& place) {
    writeRecentBooks(withBookFirst(readRecentBooks(), {place.path, place.line}));
}

void ReadingPlace::settle() {
    timer_.stop();
    if (!shown_.path.isEmpty() && shown_ != written_) {
        WriteSetting(settings::LastFile, shown_.path);
        settings::writeNumber(settings::LastLine, shown_.line);
        recordRecent(shown_);
        written_ = shown_;
    }
    if (windowMoved_) {
        windowMoved_ = false;
        saveWindow_();
    }
    settings::flush();
}

void ReadingPlace::saveNow() {
    settle();
}

void ReadingPlace::leave() {
    timer_.stop();
    windowMoved_ = false;
    if (!shown_.path.isEmpty()) recordRecent(shown_);
}

}  // namespace tresslin
