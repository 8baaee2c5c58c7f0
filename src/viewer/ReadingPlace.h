// Keeps the reader's place on disk while the program runs, so that a kill or a power cut loses
// at most the last few seconds of reading.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "book/BookLocation.h"

namespace tresslin {

class ReadingPlace : public QObject {
    Q_OBJECT
  public:
    static constexpr int kSettleMs = 3000;

    // saveWindow stores the window's place; called when a move or resize has settled.
    explicit ReadingPlace(std::function<void()> saveWindow, QObject* parent = nullptr);

    // The book and line (from 1) on view; an empty location when there is nothing to remember.
    void show(const BookLocation& book, std::int32_t line);
    void windowMoved();
    // Writes what is pending now (the window is about to be hidden).
    void saveNow();
    // The program ends: the book being read takes the first place in the recent list. The last
    // book and line are the shutdown's own to write.
    void leave();

    const QTimer& timer() const { return timer_; }

  public slots:
    // The timer's end: the latest place, once, then straight to the disk.
    void settle();

  private:
    struct Place {
        BookLocation book;
        std::int32_t line = 0;
        bool operator==(const Place&) const = default;
    };
    void schedule();
    void recordRecent(const Place& place);

    std::function<void()> saveWindow_;
    QTimer timer_;
    Place shown_;
    Place written_;
    bool windowMoved_ = false;
};

}  // namespace tresslin
