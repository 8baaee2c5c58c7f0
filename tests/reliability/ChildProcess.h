// Starting, watching and ending the processes the reliability tests run.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <QString>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tresslin::test {

struct ChildOptions {
    std::vector<std::string> args;           // args[0] is the program's path
    std::map<std::string, std::string> env;  // set on top of this process's environment
    std::vector<std::string> unset;          // removed from it
    std::string cwd;                         // working folder; empty: this one
    rlim_t fileSizeLimit = RLIM_INFINITY;    // RLIMIT_FSIZE of the child
    bool captureStdout = false;              // readable through Child::out
    unsigned hangAlarmSeconds = 60;          // SIGALRM ends a child that hangs this long
};

struct Child {
    pid_t pid = -1;
    int out = -1;
};

Child StartChild(const ChildOptions& options);
// Blocks until the child ends; its wait status.
int WaitChild(Child& child);
// The next line the child prints (without the newline); empty at end of output.
std::string ReadLine(Child& child);
// A description of a wait status for messages: "exit 0", "signal 9 (Killed)".
std::string DescribeStatus(int status);

// Checks cond every few milliseconds until it holds or capMs pass; whether it held.
bool PollUntil(const std::function<bool()>& cond, int capMs);
// Whether the process has a handler installed for sig (it has got far enough to catch it).
bool CatchesSignal(pid_t pid, int sig);

// The program and the helper process, as built in by CMake unless the environment says
// otherwise (TRESSLIN_BINARY, TRESSLIN_RELIABILITY_CHILD).
std::string ProgramPath();
std::string HelperPath();
// An environment for a child whose home, settings, caches and runtime folder all lie in home,
// on the offscreen platform.
std::map<std::string, std::string> PrivateHomeEnv(const QString& home);

// The whole contents of a file; empty when it cannot be read.
QByteArray FileBytes(const QString& path);
// Names in a folder, sorted, without "." and "..".
QStringList FolderNames(const QString& path);

}  // namespace tresslin::test
