#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <set>
#include <sstream>

extern char** environ;

namespace tresslin::test {

Child StartChild(const ChildOptions& options) {
    // Everything the child needs is prepared before fork: after it, only system calls.
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        bool drop = options.env.count(name) > 0;
        for (const auto& u : options.unset) drop = drop || u == name;
        if (!drop) envStrings.push_back(entry);
    }
    for (const auto& [name, value] : options.env) envStrings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = options.args;
    std::vector<char*> argv;
    for (auto& s : args) argv.push_back(s.data());
    argv.push_back(nullptr);

    int pipeFds[2] = {-1, -1};
    if (options.captureStdout && pipe2(pipeFds, O_CLOEXEC) != 0) return {};
    const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
    const pid_t pid = fork();
    if (pid == 0) {
        if (options.captureStdout) dup2(pipeFds[1], STDOUT_FILENO);
        if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
        if (options.fileSizeLimit != RLIM_INFINITY) setrlimit(RLIMIT_FSIZE, &limit);
        // An alarm survives exec: a child that hangs ends instead of stalling the test.
        alarm(options.hangAlarmSeconds);
        execve(argv[0], argv.data(), envp.data());
        // Says why, with nothing but system calls.
        const char* why = strerror(errno);
        [[maybe_unused]] ssize_t n = write(STDERR_FILENO, "exec failed: ", 13);
        n = write(STDERR_FILENO, argv[0], strlen(argv[0]));
        n = write(STDERR_FILENO, ": ", 2);
        n = write(STDERR_FILENO, why, strlen(why));
        n = write(STDERR_FILENO, "\n", 1);
        _exit(127);
    }
    Child child;
    child.pid = pid;
    if (options.captureStdout) {
        close(pipeFds[1]);
        child.out = pipeFds[0];
    }
    return child;
}

int WaitChild(Child& child) {
    int status = 0;
    while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (child.out >= 0) close(child.out);
    child.out = -1;
    child.pid = -1;
    return status;
}

std::string ReadLine(Child& child) {
    std::string line;
    char c = 0;
    while (true) {
        const ssize_t n = read(child.out, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == '\n') break;
        line += c;
    }
    return line;
}

std::string DescribeStatus(int status) {
    if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) +
               ")";
    return "status " + std::to_string(status);
}

bool PollUntil(const std::function<bool()>& cond, int capMs) {
    for (int waited = 0;; waited += 5) {
        if (cond()) return true;
        if (waited >= capMs) return false;
        const timespec step{0, 5 * 1000 * 1000};
        nanosleep(&step, nullptr);
    }
}

bool CatchesSignal(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0) {
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            return (mask >> (sig - 1)) & 1;
        }
    }
    return false;
}

std::string ProgramPath() {
    return qEnvironmentVariable("TRESSLIN_BINARY", TRESSLIN_BINARY_PATH).toStdString();
}
std::string HelperPath() {
    return qEnvironmentVariable("TRESSLIN_RELIABILITY_CHILD", TRESSLIN_CHILD_PATH).toStdString();
}

std::map<std::string, std::string> PrivateHomeEnv(const QString& home) {
    const std::string h = home.toStdString();
    QDir().mkpath(home + "/runtime");
    QFile::setPermissions(home + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return {{"HOME", h},
            {"XDG_CONFIG_HOME", h + "/.config"},
            {"XDG_CACHE_HOME", h + "/.cache"},
            {"XDG_DATA_HOME", h + "/.local/share"},
            {"XDG_STATE_HOME", h + "/.local/state"},
            {"XDG_RUNTIME_DIR", h + "/runtime"},
            {"QT_QPA_PLATFORM", "offscreen"}};
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QStringList FolderNames(const QString& path) {
    return QDir(path).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace tresslin::test
