// Ends a start-up probe at the first paint of a named widget: prints the CLOCK_MONOTONIC time
// (nanoseconds) just after that widget has painted, then leaves at once.
#pragma once

#include <unistd.h>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>
#include <cstdio>
#include <ctime>

namespace tresslin::bench {

class FirstPaint : public QObject {
  public:
    explicit FirstPaint(QString objectName) : name_(std::move(objectName)) {}

    bool eventFilter(QObject* obj, QEvent* e) override {
        if (e->type() != QEvent::Paint || obj->objectName() != name_) return false;
        QCoreApplication::instance()->removeEventFilter(this);
        // Let the widget paint, then take the time.
        obj->event(e);
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        std::printf("%lld\n", static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
        std::fflush(stdout);
        _exit(0);
    }

  private:
    QString name_;
};

}  // namespace tresslin::bench
