// Start-up: from just before a process is spawned to the first paint of its window, for the
// program (showing the last-file offer) and for the minimal Qt Widgets program, on the offscreen
// platform. Each probe prints the monotonic time of its first paint and exits.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

long long nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Runs the probe and gives the nanoseconds from spawn to its first paint, or -1.
long long startToPaint(const char* exe, const char* arg) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    char* argv[] = {const_cast<char*>(exe), const_cast<char*>(arg), nullptr};
    pid_t pid = 0;
    const long long t0 = nowNs();
    const int rc = posix_spawn(&pid, exe, &fa, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return -1;
    }
    std::string text;
    char buf[64];
    ssize_t n;
    while ((n = read(out[0], buf, sizeof buf)) > 0) text.append(buf, std::size_t(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.empty()) return -1;
    return std::atoll(text.c_str()) - t0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The two programs in turn, so both see the same machine; each iteration is one start of each.
void BM_StartupPair(benchmark::State& state) {
    const char* minimal[] = {TRESSLIN_MINIMAL_QT, "--first-paint"};
    const char* ours[] = {TRESSLIN_STARTUP_PROBE, nullptr};
    // Warm the page cache and the font cache.
    startToPaint(minimal[0], minimal[1]);
    startToPaint(ours[0], ours[1]);
    std::vector<double> m, t;
    for (auto _ : state) {
        const bool oursFirst = (m.size() % 2) != 0;
        long long a = 0, b = 0;
        if (oursFirst) b = startToPaint(ours[0], ours[1]);
        a = startToPaint(minimal[0], minimal[1]);
        if (!oursFirst) b = startToPaint(ours[0], ours[1]);
        if (a < 0 || b < 0) return state.SkipWithError("a probe did not paint");
        m.push_back(double(a) / 1e6);
        t.push_back(double(b) / 1e6);
        state.SetIterationTime(double(b) / 1e9);
    }
    state.counters["minimal_ms"] = median(m);
    state.counters["tresslin_ms"] = median(t);
    state.counters["ratio"] = median(t) / median(m);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A settings folder naming a last file, so the program shows the last-file offer.
    char dir[] = "/tmp/tresslin-startup-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    const std::string conf = std::string(dir) + "/Tresslin";
    mkdir(conf.c_str(), 0700);
    if (std::FILE* f = std::fopen((conf + "/Tresslin.ini").c_str(), "w")) {
        std::fputs("[Settings]\nLast File=/tmp/book.txt\nLast Line=120\n", f);
        std::fclose(f);
    }
    setenv("XDG_CONFIG_HOME", dir, 1);

    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("Startup/first_paint", BM_StartupPair)
        ->UseManualTime()
        ->Iterations(15)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return 0;
}
