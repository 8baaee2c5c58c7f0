// Shared pieces of the reliability tests: a stored settings file, a window session that uses
// every kind of setting, and running the real program until SIGTERM.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include "ChildProcess.h"
#include "support/TestSupport.h"

namespace tresslin::test {

// A settings file as the program writes it, every key set.
inline QByteArray StoredSettings(const QString& lastFile) {
    return "[COLORS]\nBACK_COLOR=16777215\nTEXT_COLOR=255\n\n"
           "[Position]\nLeft=1440\nTop=720\nWidth=7000\n\n"
           "[Settings]\nLast File=" +
           lastFile.toUtf8() +
           "\nLast Line=5\nText Coding=0\n\n"
           "[TIMER]\nT_INTERVAL=700\n";
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Starts the program on book with its settings in configHome and everything else of its own in
// home; ends it with SIGTERM once it can take it; its wait status.
inline int RunProgramUntilTerm(const QString& home, const QString& configHome, const QString& book,
                               rlim_t fileSizeLimit = RLIM_INFINITY) {
    ChildOptions o;
    o.args = {ProgramPath(), book.toStdString()};
    o.env = PrivateHomeEnv(home);
    o.env["XDG_CONFIG_HOME"] = configHome.toStdString();
    o.fileSizeLimit = fileSizeLimit;
    o.cwd = home.toStdString();
    Child c = StartChild(o);
    EXPECT_GT(c.pid, 0);
    if (c.pid <= 0) return -1;
    const bool ready = PollUntil([&] { return CatchesSignal(c.pid, SIGTERM); }, 20000);
    EXPECT_TRUE(ready) << "the program never installed its SIGTERM handler";
    kill(c.pid, ready ? SIGTERM : SIGKILL);
    return WaitChild(c);
}

}  // namespace tresslin::test
