#include "viewer/ReadingPlace.h"

#include "platform/FileNames.h"
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

void ReadingPlace::show(const BookLocation& book, std::int32_t line) {
    const Place now{book, book.empty() ? 0 : line};
    if (now == shown_) return;
    // The book being left keeps the line it was left at, whenever the timer would have come.
    if (!shown_.book.empty() && shown_.book != now.book) recordRecent(shown_);
    shown_ = now;
    if (!shown_.book.empty()) schedule();
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
    writeRecentBooks(withBookFirst(readRecentBooks(), {place.book, place.line}));
}

void ReadingPlace::settle() {
    timer_.stop();
    if (!shown_.book.empty() && shown_ != written_) {
        WriteSetting(settings::LastFile, storedText(shown_.book));
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
    if (!shown_.book.empty()) recordRecent(shown_);
}

}  // namespace tresslin
