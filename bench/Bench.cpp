// zarn-bench: the median over repeated runs of the scheduled-task probe (the helper's --show, and
// the form's own read of its folder), the date operations that scheduling uses, and the
// application's start-up on the offscreen platform.
//
// `zarn-bench --startup-child <fd>` is the child of the process start-up benchmark: it starts
// the application, writes one byte to <fd> once the form is shown and the probe is done, and
// quits.

#include "app/AppDelegate.h"
#include "dates/DateFormatter.h"
#include "dates/DateUtilities.h"
#include "shell/Shell.h"
#include "shell/SystemCommands.h"
#include "task/TaskRecord.h"

#include <QApplication>
#include <QMainWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The real helper built beside the benchmark; its --show only reads. Where no task is scheduled
// it finds no record and the form opens unscheduled, without the "already scheduled" sheet.
const zarn::SystemCommands& benchCommands() {
    static const zarn::SystemCommands commands = [] {
        std::error_code error;
        const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
        return zarn::SystemCommands::forLinux((self.parent_path() / "zarn-shutdown").string());
    }();
    return commands;
}

zarn::Environment benchEnvironment() {
    zarn::Environment environment;
    environment.commands = benchCommands();
    return environment;
}

void probe(benchmark::State& state) {
    const std::string& command = benchCommands().probe;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zarn::findScheduledTaskPid(command));
    }
}

// The form's probe: the helper's task folder read in process, under the checks of --show.
void probeInProcess(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(zarn::probeScheduledTask(benchCommands()).pid);
    }
}

// The task of a probe's output: the record line that --show prints, parsed.
void readTaskBack(benchmark::State& state) {
    zarn::task::TaskRecord record;
    record.pid = 4242;
    record.startTime = 123456;
    record.action = zarn::task::Action::Reboot;
    record.deadline = std::chrono::floor<std::chrono::minutes>(std::chrono::system_clock::now() +
                                                               std::chrono::hours(5));
    record.stamp = zarn::task::stampFromInstant(record.deadline);
    record.uid = 1000;
    const std::string line = zarn::task::formatTaskRecord(record);
    for (auto _ : state) {
        benchmark::DoNotOptimize(zarn::task::scheduledTaskFromProbe(record.pid, line));
    }
}

void dateByAddingHoursMins(benchmark::State& state) {
    zarn::Date base = std::chrono::system_clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(base);
        benchmark::DoNotOptimize(zarn::dates::dateByAddingDays(base, 0, 0, 0, 23, 59));
    }
}

// As each Schedule Task press does it: a new formatter, then one stamp.
void stampWithNewFormatter(benchmark::State& state) {
    const zarn::Date date = std::chrono::system_clock::now() + std::chrono::hours(5);
    for (auto _ : state) {
        zarn::dates::DateFormatter formatter = zarn::dates::DateFormatter::posix();
        formatter.setDateFormat("yyMMddHHmm");
        benchmark::DoNotOptimize(formatter.stringFromDate(date));
    }
}

void stampOnly(benchmark::State& state) {
    zarn::dates::DateFormatter formatter = zarn::dates::DateFormatter::posix();
    formatter.setDateFormat("yyMMddHHmm");
    const zarn::Date date = std::chrono::system_clock::now() + std::chrono::hours(5);
    for (auto _ : state) {
        benchmark::DoNotOptimize(formatter.stringFromDate(date));
    }
}

void confirmation(benchmark::State& state) {
    const zarn::Date date = std::chrono::system_clock::now() + std::chrono::hours(5);
    for (auto _ : state) {
        benchmark::DoNotOptimize(zarn::confirmationText(1, date));
    }
}

// Start-up inside this process: the delegate built and launched until its window is shown;
// tearing it down is not timed.
void startupInProcess(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = Clock::now();
        auto delegate = std::make_unique<zarn::AppDelegate>(benchEnvironment());
        delegate->applicationDidFinishLaunching();
        const bool shown = delegate->window() != nullptr && delegate->window()->isVisible();
        const auto end = Clock::now();
        if (!shown) {
            state.SkipWithError("the main window was not shown");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        delegate.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

// A child started by the benchmark, killed and reaped whatever happens.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    /// Waits up to `patience` for the child to end; true when it exited with status 0.
    bool reap(std::chrono::milliseconds patience) {
        const auto until = Clock::now() + patience;
        while (Clock::now() < until) {
            int status = 0;
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            }
            if (done < 0) {
                pid_ = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

private:
    pid_t pid_;
};

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { close(); }
    int get() const { return fd_; }
    void close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    int fd_;
};

constexpr int childReadyFd = 3;

// Start-up of a new process: from spawning it to its byte that says the form is shown.
void startupProcess(benchmark::State& state) {
    for (auto _ : state) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            state.SkipWithError("pipe failed");
            break;
        }
        Fd readEnd(fds[0]);
        Fd writeEnd(fds[1]);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // dup2 onto the agreed number clears close-on-exec there only.
        posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), childReadyFd);
        std::string self = "/proc/self/exe";
        std::string flag = "--startup-child";
        std::string fdText = std::to_string(childReadyFd);
        char* argv[] = {self.data(), flag.data(), fdText.data(), nullptr};

        const auto start = Clock::now();
        pid_t pid = -1;
        const int spawned = ::posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            state.SkipWithError("could not start the child");
            break;
        }
        Child child(pid);
        writeEnd.close();
        pollfd ready{readEnd.get(), POLLIN, 0};
        char byte = 0;
        const bool signalled =
            ::poll(&ready, 1, 30000) == 1 && ::read(readEnd.get(), &byte, 1) == 1;
        const auto end = Clock::now();
        if (!signalled || !child.reap(std::chrono::seconds(10))) {
            state.SkipWithError("the child did not show its form and exit");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

int runStartupChild(int argc, char** argv) {
    const int fd = std::atoi(argv[2]);
    QApplication application(argc, argv);
    zarn::AppDelegate delegate(benchEnvironment());
    delegate.applicationDidFinishLaunching();
    if (delegate.window() == nullptr || !delegate.window()->isVisible()) {
        return 1;
    }
    const char byte = 1;
    return ::write(fd, &byte, 1) == 1 ? 0 : 1;
}

// Collects the median of each benchmark's repetitions and prints them as one table at the end.
class MedianTable : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context& context) override {
        std::printf("zarn-bench: medians of %d runs each, %d CPUs\n", repetitions_,
                    context.cpu_info.num_cpus);
        return true;
    }
    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports) {
            if (run.error_occurred) {
                rows_.push_back({run.run_name.function_name, "failed: " + run.error_message, ""});
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                rows_.push_back({run.run_name.function_name,
                                 formatMicros(run.GetAdjustedRealTime(), run.time_unit),
                                 formatMicros(run.GetAdjustedCPUTime(), run.time_unit)});
            }
        }
    }
    void Finalize() override {
        std::size_t width = std::strlen("benchmark");
        for (const Row& row : rows_) {
            width = std::max(width, row.name.size());
        }
        std::printf("%-*s  %14s  %14s\n", static_cast<int>(width), "benchmark", "wall (median)",
                    "cpu (median)");
        std::printf("%s\n", std::string(width + 32, '-').c_str());
        for (const Row& row : rows_) {
            std::printf("%-*s  %14s  %14s\n", static_cast<int>(width), row.name.c_str(),
                        row.wall.c_str(), row.cpu.c_str());
        }
        std::fflush(stdout);
    }
    explicit MedianTable(int repetitions) : repetitions_(repetitions) {}

private:
    struct Row {
        std::string name;
        std::string wall;
        std::string cpu;
    };
    // Every row in microseconds, so the column compares at a glance.
    static std::string formatMicros(double value, benchmark::TimeUnit unit) {
        const double micros = value * 1e6 / benchmark::GetTimeUnitMultiplier(unit);
        char text[32];
        std::snprintf(text, sizeof text, micros < 10 ? "%.3f us" : "%.1f us", micros);
        return text;
    }

    int repetitions_;
    std::vector<Row> rows_;
};

constexpr int repetitions = 9;

// Fixed counts for the slow cases (each starts processes) keep the whole run well under two
// minutes on a busy machine; the fast ones run for a minimum time.
void registerAll() {
    const auto common = [](benchmark::internal::Benchmark* b) {
        b->Repetitions(repetitions)->Unit(benchmark::kMicrosecond);
    };
    // Most of the probe's time is spent in the helper, outside this process's CPU time.
    common(benchmark::RegisterBenchmark("probe/findScheduledTaskPid (zarn-shutdown --show)", probe)
               ->UseRealTime()
               ->Iterations(20));
    common(benchmark::RegisterBenchmark("probe/in process (the task folder read)", probeInProcess)
               ->MinTime(0.1));
    common(benchmark::RegisterBenchmark("probe/scheduledTaskFromProbe (record line, parsed)",
                                        readTaskBack)
               ->MinTime(0.1));
    common(
        benchmark::RegisterBenchmark("dates/dateByAddingDays (hours, mins)", dateByAddingHoursMins)
            ->MinTime(0.1));
    common(benchmark::RegisterBenchmark("dates/stamp yyMMddHHmm (new posix formatter)",
                                        stampWithNewFormatter)
               ->MinTime(0.1));
    common(benchmark::RegisterBenchmark("dates/stamp yyMMddHHmm (formatter reused)", stampOnly)
               ->MinTime(0.1));
    common(benchmark::RegisterBenchmark("dates/confirmationText", confirmation)->MinTime(0.1));
    common(benchmark::RegisterBenchmark("startup/in process (form shown, probe done)",
                                        startupInProcess)
               ->UseManualTime()
               ->Iterations(10));
    common(
        benchmark::RegisterBenchmark("startup/new process (form shown, probe done)", startupProcess)
            ->UseManualTime()
            ->Iterations(5));
}

// The offscreen platform warns about every window feature it lacks; the table is the output.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quietQt);
    // Start-up is measured on the offscreen platform, with or without a display.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc == 3 && std::strcmp(argv[1], "--startup-child") == 0) {
        return runStartupChild(argc, argv);
    }
    QApplication application(argc, argv);
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 64;
    }
    MedianTable reporter(repetitions);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
