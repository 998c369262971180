// zarn-startup-bench: how long the release zarn takes to map and paint its window, and how much
// memory it holds then, beside a bare Qt window (zarn-bare-window), both started on an X server
// of the benchmark's own.
//
//   zarn-startup-bench [--rounds N] [label=program ...]
//
// The programs measured are zarn-bare-window and zarn from beside this one, then any given as
// label=program (another build of zarn, say). Every round starts each program once, the order
// rotated from round to round, so that a busy machine slows all of them alike; the ratios are
// the medians of each round's ratio to the bare window.
//
// For each start: map is the time from spawning the program to the MapNotify of its window,
// paint the time to the first Damage event on that window after the map, RSS the program's VmRSS
// 300 ms after the map. The program is ended once measured.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr auto rssDelay = std::chrono::milliseconds(300);
// A start that has not mapped and painted by then has failed, however busy the machine.
constexpr auto patience = std::chrono::seconds(30);

struct Program {
    std::string label;
    std::string path;
};

struct Sample {
    double mapMs = 0;
    double paintMs = 0;
    double rssMb = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A started process, ended (and reaped) when it goes out of scope whatever happened.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { end(); }

    /// Spawns `argv` with `env`; `actions` may be null. False when it could not be started.
    bool spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               const posix_spawn_file_actions_t* actions) {
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        std::vector<char*> vars;
        for (const std::string& var : env) {
            vars.push_back(const_cast<char*>(var.c_str()));
        }
        vars.push_back(nullptr);
        return ::posix_spawnp(&pid_, args[0], actions, nullptr, args.data(), vars.data()) == 0;
    }
    pid_t pid() const { return pid_; }

    /// SIGTERM, then SIGKILL if it has not ended within a second; reaped either way.
    void end() {
        if (pid_ <= 0) {
            return;
        }
        ::kill(pid_, SIGTERM);
        const auto until = Clock::now() + std::chrono::seconds(1);
        while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
            if (Clock::now() >= until) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

std::optional<double> rssMegabytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
        }
    }
    return std::nullopt;
}

std::vector<std::string> inherited() {
    std::vector<std::string> env;
    for (char** var = environ; *var != nullptr; ++var) {
        env.emplace_back(*var);
    }
    return env;
}

// An Xvfb on a display it picks itself, and a connection to it that watches the windows made
// on its root: their creation, their mapping and the damage to them.
class Display {
public:
    Display() = default;
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;
    ~Display() {
        if (connection_ != nullptr) {
            xcb_disconnect(connection_);
        }
    }

    /// Starts the server and connects; an error text when either fails.
    std::optional<std::string> start() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            return "pipe: " + std::string(std::strerror(errno));
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The server writes its display number to fd 3; dup2 clears close-on-exec there only.
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const bool started = server_.spawn({"Xvfb", "-displayfd", "3", "-screen", "0",
                                            "1280x1024x24", "-nolisten", "tcp", "-noreset"},
                                           inherited(), &actions);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (!started) {
            ::close(fds[0]);
            return std::string("Xvfb could not be started (is it installed?)");
        }
        std::string number;
        const auto until = Clock::now() + std::chrono::seconds(20);
        while (number.find('\n') == std::string::npos && Clock::now() < until) {
            pollfd ready{fds[0], POLLIN, 0};
            char buffer[16];
            if (::poll(&ready, 1, 100) == 1) {
                const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                number.append(buffer, static_cast<std::size_t>(n));
            }
        }
        ::close(fds[0]);
        if (number.find('\n') == std::string::npos) {
            return std::string("Xvfb did not say which display it took");
        }
        name_ = ":" + number.substr(0, number.find('\n'));
        connection_ = xcb_connect(name_.c_str(), nullptr);
        if (xcb_connection_has_error(connection_) != 0) {
            return "cannot connect to Xvfb on " + name_;
        }
        const xcb_query_extension_reply_t* damage =
            xcb_get_extension_data(connection_, &xcb_damage_id);
        if (damage == nullptr || damage->present == 0) {
            return std::string("Xvfb has no Damage extension");
        }
        damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(connection_,
                                            xcb_damage_query_version(connection_, 1, 1), nullptr));
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
        return std::nullopt;
    }

    const std::string& name() const { return name_; }

    /// Starts `program` and measures it; ended before this returns. Nothing when it did not map
    /// and paint its window in time.
    std::optional<Sample> measure(const Program& program, const std::vector<std::string>& env,
                                  const std::string& log) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        Process process;
        const auto start = Clock::now();
        const bool started = process.spawn({program.path}, env, &actions);
        posix_spawn_file_actions_destroy(&actions);
        if (!started) {
            return std::nullopt;
        }

        // Each window made on the root gets a damage object at once, before it can be mapped and
        // drawn; only the damage after the map of the first window mapped counts.
        std::map<xcb_window_t, xcb_damage_damage_t> damages;
        xcb_window_t window = XCB_NONE;
        std::optional<Clock::time_point> mapped;
        std::optional<Clock::time_point> painted;
        std::optional<double> rss;
        const int fd = xcb_get_file_descriptor(connection_);
        while (!(painted && rss) && Clock::now() - start < patience) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const auto now = Clock::now();
                const uint8_t type = event->response_type & 0x7f;
                if (type == XCB_CREATE_NOTIFY) {
                    const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
                    const xcb_damage_damage_t damage = xcb_generate_id(connection_);
                    xcb_damage_create(connection_, damage, created->window,
                                      XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                    damages[created->window] = damage;
                } else if (type == XCB_MAP_NOTIFY) {
                    const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                    if (!mapped && map->override_redirect == 0) {
                        window = map->window;
                        mapped = now;
                    }
                } else if (type == damageEvent_) {
                    const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event);
                    if (mapped && !painted && damage->drawable == window) {
                        painted = now;
                    }
                }
                free(event);
            }
            xcb_flush(connection_);
            if (xcb_connection_has_error(connection_) != 0) {
                break;
            }
            if (mapped && !rss && Clock::now() >= *mapped + rssDelay) {
                rss = rssMegabytes(process.pid());
                if (!rss) {
                    break;
                }
            }
            pollfd ready{fd, POLLIN, 0};
            ::poll(&ready, 1, 1);
        }
        for (const auto& [drawable, damage] : damages) {
            xcb_damage_destroy(connection_, damage);
        }
        process.end();
        drain();
        if (!painted || !rss) {
            return std::nullopt;
        }
        return Sample{Millis(*mapped - start).count(), Millis(*painted - start).count(), *rss};
    }

private:
    // Reads everything the server has sent, up to a round trip: the next start begins clean.
    void drain() {
        free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            free(event);
        }
    }

    Process server_;
    xcb_connection_t* connection_ = nullptr;
    std::string name_;
    xcb_window_t root_ = XCB_NONE;
    uint8_t damageEvent_ = 0;
};

// The programs' environment: this one's, with the display, home and XDG directories of the run.
std::vector<std::string> programEnvironment(const std::string& display,
                                            const std::filesystem::path& home) {
    std::vector<std::string> env;
    for (const std::string& text : inherited()) {
        const std::string name = text.substr(0, text.find('='));
        if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "HOME" &&
            name != "QT_QPA_PLATFORM" && name != "SESSION_MANAGER" && name.rfind("XDG_", 0) != 0) {
            env.push_back(text);
        }
    }
    env.push_back("DISPLAY=" + display);
    env.push_back("QT_QPA_PLATFORM=xcb");
    env.push_back("HOME=" + home.string());
    for (const auto& [name, dir] : {std::pair{"XDG_CONFIG_HOME", ".config"},
                                    {"XDG_DATA_HOME", ".local/share"},
                                    {"XDG_CACHE_HOME", ".cache"},
                                    {"XDG_STATE_HOME", ".local/state"},
                                    {"XDG_RUNTIME_DIR", "runtime"}}) {
        std::filesystem::create_directories(home / dir);
        env.push_back(std::string(name) + "=" + (home / dir).string());
    }
    // Qt refuses a runtime directory that others can read.
    ::chmod((home / "runtime").c_str(), 0700);
    return env;
}

void printTable(const std::vector<Program>& programs,
                const std::vector<std::vector<Sample>>& samples, int rounds,
                const std::string& display) {
    std::printf("zarn-startup-bench: medians of %d rounds (each starts every program once, in "
                "rotated order), Xvfb %s\n",
                rounds, display.c_str());
    std::size_t width = std::strlen("program");
    for (const Program& program : programs) {
        width = std::max(width, program.label.size() + std::strlen(" / bare"));
    }
    const int w = static_cast<int>(width);
    std::printf("%-*s  %9s  %9s  %9s\n", w, "program", "map ms", "paint ms", "RSS MB");
    std::printf("%s\n", std::string(width + 33, '-').c_str());
    const auto column = [&](std::size_t p, auto field) {
        std::vector<double> values;
        for (const Sample& sample : samples[p]) {
            values.push_back(sample.*field);
        }
        return median(values);
    };
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::printf("%-*s  %9.1f  %9.1f  %9.1f\n", w, programs[p].label.c_str(),
                    column(p, &Sample::mapMs), column(p, &Sample::paintMs),
                    column(p, &Sample::rssMb));
    }
    // The ratio of each round, then their median: a slow round slows the bare window too.
    const auto ratio = [&](std::size_t p, auto field) {
        std::vector<double> values;
        for (std::size_t r = 0; r < samples[p].size(); ++r) {
            values.push_back(samples[p][r].*field / samples[0][r].*field);
        }
        return median(values);
    };
    for (std::size_t p = 1; p < programs.size(); ++p) {
        std::printf("%-*s  %9.2f  %9.2f  %9.2f\n", w, (programs[p].label + " / bare").c_str(),
                    ratio(p, &Sample::mapMs), ratio(p, &Sample::paintMs), ratio(p, &Sample::rssMb));
    }
    std::fflush(stdout);
}

int usage() {
    std::fprintf(stderr, "usage: zarn-startup-bench [--rounds N] [label=program ...]\n");
    return 64;
}

} // namespace

int main(int argc, char** argv) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path dir = self.parent_path();
    std::vector<Program> programs = {{"bare window", (dir / "zarn-bare-window").string()},
                                     {"zarn", (dir / "zarn").string()}};
    int rounds = 9;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
            if (rounds < 1) {
                return usage();
            }
        } else if (const auto equals = arg.find('='); equals != std::string::npos && equals > 0) {
            programs.push_back({arg.substr(0, equals), arg.substr(equals + 1)});
        } else {
            return usage();
        }
    }

    char pattern[] = "/tmp/zarn-startup.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("zarn-startup-bench: mkdtemp");
        return 1;
    }
    const std::filesystem::path work(pattern);
    int status = 0;
    {
        Display display;
        if (const auto failure = display.start()) {
            std::fprintf(stderr, "zarn-startup-bench: %s\n", failure->c_str());
            std::filesystem::remove_all(work, error);
            return 1;
        }
        const std::vector<std::string> env = programEnvironment(display.name(), work / "home");
        const std::string log = (work / "programs.log").string();

        // One start of each, not counted: the first start of a program reads it from disk.
        for (const Program& program : programs) {
            display.measure(program, env, log);
        }
        std::vector<std::vector<Sample>> samples(programs.size());
        for (int round = 0; round < rounds && status == 0; ++round) {
            for (std::size_t i = 0; i < programs.size(); ++i) {
                const std::size_t p = (i + static_cast<std::size_t>(round)) % programs.size();
                const std::optional<Sample> sample = display.measure(programs[p], env, log);
                if (!sample) {
                    std::fprintf(stderr,
                                 "zarn-startup-bench: %s (%s) did not map and paint a window; "
                                 "its output:\n",
                                 programs[p].label.c_str(), programs[p].path.c_str());
                    std::ifstream output(log);
                    std::fprintf(stderr, "%s\n",
                                 std::string(std::istreambuf_iterator<char>(output), {}).c_str());
                    status = 1;
                    break;
                }
                samples[p].push_back(*sample);
            }
        }
        if (status == 0) {
            printTable(programs, samples, rounds, display.name());
        }
    }
    std::filesystem::remove_all(work, error);
    return status;
}
