// The real program and the helper process, started in private homes and ended as the desktop or
// a crash would end them.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>

#include "support/TestSupport.h"

namespace tresslin::test {

// Home, settings, caches and runtime folder all in home, on the offscreen platform; started
// in home.
inline QProcessEnvironment PrivateHome(const QString& home) {
    QDir().mkpath(home + "/runtime");
    QFile::setPermissions(home + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.insert("XDG_CACHE_HOME", home + "/.cache");
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    env.insert("XDG_RUNTIME_DIR", home + "/runtime");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

// Whether the process has a handler for sig yet (from SigCgt in /proc/PID/status).
inline bool CatchesSignal(qint64 pid, int sig) {
    const QByteArray status = FileBytes(QStringLiteral("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("SigCgt:");
    return at >= 0 && (status.mid(at + 7, 17).trimmed().toULongLong(nullptr, 16) >> (sig - 1)) & 1;
}

// Runs program args until it ends by itself, or with SIGTERM once it can take it (the window
// is up); whether it then ended normally with status 0. Writes may be limited to fileSize bytes.
inline bool RunsAndEndsCleanly(const QString& program, const QStringList& args,
                               const QProcessEnvironment& env, bool terminate = true,
                               rlim_t fileSize = RLIM_INFINITY) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(env.value("HOME"));
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.setChildProcessModifier([fileSize] {
        const rlimit limit{fileSize, fileSize};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    p.start(program, args);
    if (!p.waitForStarted()) return false;
    if (terminate) {
        const bool up =
            QTest::qWaitFor([&] { return CatchesSignal(p.processId(), SIGTERM); }, 30000);
        EXPECT_TRUE(up) << "never ready for SIGTERM";
        up ? p.terminate() : p.kill();
    }
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}  // namespace tresslin::test
