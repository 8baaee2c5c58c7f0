// Repair of a save lock left behind by a killed process.
#pragma once

#include <QString>

namespace tresslin {

// QSettings guards each save with "<file>.lock", whose owner holds an flock on it. A process
// killed between creating that file and writing its owner into it leaves it empty, and
// QLockFile then waits 30 s for it to grow stale: every save would block the window until then.
// Removes such an empty lock of file when nobody holds it.
void removeAbandonedLock(const QString& file);

}  // namespace tresslin
