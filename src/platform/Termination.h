// The ways the system and the desktop ask the program to end, as one Qt signal.
#pragma once

#include <QObject>

namespace tresslin {

// SIGTERM, SIGINT and SIGHUP, the end of the desktop session and the application quitting all
// emit endRequested on the GUI thread, so the program can end the way Esc ends it.
class TerminationWatch : public QObject {
    Q_OBJECT
  public:
    explicit TerminationWatch(QObject* parent = nullptr);

  signals:
    void endRequested();
};

// A full disk or a file-size limit must fail the write, not kill the program (SIGXFSZ).
void ignoreFileSizeSignal();

}  // namespace tresslin
