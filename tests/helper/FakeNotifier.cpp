// fake-notifier RECORD [--silent] [--no-actions] [--invoke KEY] [--invoke-from-other KEY] [--times]
//               [--error-bytes N] [--press KEY [--presses N]] [--lifetime SECONDS]
// A stand-in for the desktop's notification service on the bus at $DBUS_SESSION_BUS_ADDRESS.
// Owns org.freedesktop.Notifications; GetCapabilities lists "body" and "actions" ("body" only
// with --no-actions); Notify answers with the ids 1, 2, 3... (a known replaces_id keeps its id;
// with --silent it never answers) and appends one line per call to RECORD:
//   app<TAB>replaces<TAB>icon<TAB>summary<TAB>body<TAB>keys<TAB>urgency<TAB>expire<TAB>uid
// where keys are the offered action keys joined by ',' and uid is the caller's as the bus daemon
// knows it; --times adds <TAB> and the time of the call in ms since the epoch.
//   --invoke KEY: 300 ms after the first Notify that offers KEY, the user "clicks" it: the signals
//     ActionInvoked(id, KEY), then NotificationClosed(id, 2), from the name's owner. Once only.
//   --invoke-from-other KEY: 300 ms after every Notify that offers KEY, ActionInvoked(id, KEY)
//     from a second connection that does not own the name, once sent to the caller and once
//     broadcast. A client that checks the sender ignores both.
//   --error-bytes N: every Notify is still recorded, then answered with the error
//     org.freedesktop.DBus.Error.Failed whose message is N bytes (up to 64 MiB) of a pattern full
//     of newlines, escape sequences and other control characters.
//   --press KEY: 300 ms after the first Notify, whatever actions it offers (none, or others than
//     KEY), the name's owner sends ActionInvoked(id, KEY) --presses times in a row (1 unless
//     given, up to 100000) and never NotificationClosed: a server that presses a button the
//     notification did not offer, again and again.
// Creates RECORD.ready once it owns the name. Ends on SIGTERM, when the bus goes away, or after
// --lifetime seconds (120 unless given).

#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* serviceName = "org.freedesktop.Notifications"; // also the interface
constexpr const char* path = "/org/freedesktop/Notifications";
constexpr std::uint64_t clickDelayUs = 300'000;
constexpr unsigned long maxErrorBytes = 64UL << 20;
constexpr unsigned long maxPresses = 100'000;

struct Options {
    std::string record;
    bool silent = false;
    bool actions = true;
    std::string invoke;          // empty: never
    std::string invokeFromOther; // empty: never
    bool times = false;
    unsigned long errorBytes = 0; // 0: Notify answers with an id
    std::string press;            // empty: never
    unsigned long presses = 1;
    unsigned lifetime = 120;
};

Options options;
sd_bus* owner = nullptr; // the connection that owns the name
sd_bus* other = nullptr; // the second connection, for --invoke-from-other only
std::uint32_t lastId = 0;
bool invoked = false;
bool pressed = false;

// A signal due 300 ms after a Notify.
struct Click {
    std::uint32_t id;
    std::string key;
    std::string caller; // the Notify caller's unique name
    bool fromOther;
    unsigned long presses; // 0: one ActionInvoked, then NotificationClosed
};
std::list<Click> clicks; // kept for the program's life: the timers point into it

bool appendLine(const std::string& line) {
    const int fd = ::open(options.record.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool whole = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    ::close(fd);
    return whole;
}

// The uid of the connection `sender`, asked of the bus daemon; -1 when it does not say.
long callerUid(sd_bus* bus, const char* sender) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    std::uint32_t uid = 0;
    long result = -1;
    if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "GetConnectionUnixUser", &error, &reply, "s",
                           sender) >= 0 &&
        sd_bus_message_read(reply, "u", &uid) >= 0) {
        result = uid;
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return result;
}

// ActionInvoked(id, key) from `bus`, to `destination` or (nullptr) to everyone listening.
int sendActionInvoked(sd_bus* bus, const char* destination, std::uint32_t id,
                      const std::string& key) {
    sd_bus_message* signal = nullptr;
    int r = sd_bus_message_new_signal(bus, &signal, path, serviceName, "ActionInvoked");
    if (r >= 0 && destination != nullptr) {
        r = sd_bus_message_set_destination(signal, destination);
    }
    if (r >= 0) {
        r = sd_bus_message_append(signal, "us", id, key.c_str());
    }
    if (r >= 0) {
        r = sd_bus_send(bus, signal, nullptr);
    }
    sd_bus_message_unref(signal);
    return r;
}

int onClick(sd_event_source*, std::uint64_t, void* userdata) {
    const Click& click = *static_cast<const Click*>(userdata);
    if (click.presses > 0) {
        for (unsigned long i = 0; i < click.presses; ++i) {
            // A full write queue is emptied, and the press sent again.
            if (sendActionInvoked(owner, nullptr, click.id, click.key) == -ENOBUFS &&
                sd_bus_flush(owner) >= 0) {
                sendActionInvoked(owner, nullptr, click.id, click.key);
            }
        }
        return 0;
    }
    if (click.fromOther) {
        sendActionInvoked(other, click.caller.c_str(), click.id, click.key);
        sendActionInvoked(other, nullptr, click.id, click.key);
        return 0;
    }
    sendActionInvoked(owner, nullptr, click.id, click.key);
    const std::uint32_t dismissed = 2;
    sd_bus_emit_signal(owner, path, serviceName, "NotificationClosed", "uu", click.id, dismissed);
    return 0;
}

void scheduleClick(sd_bus_message* message, std::uint32_t id, const std::string& key,
                   bool fromOther, unsigned long presses = 0) {
    const char* caller = sd_bus_message_get_sender(message);
    Click& click =
        clicks.emplace_back(Click{id, key, caller != nullptr ? caller : "", fromOther, presses});
    sd_event_add_time_relative(sd_bus_get_event(owner), nullptr, CLOCK_MONOTONIC, clickDelayUs, 0,
                               onClick, &click);
}

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : ",") + item;
    }
    return text;
}

bool offers(const std::vector<std::string>& keys, const std::string& key) {
    return std::ranges::find(keys, key) != keys.end();
}

// The message of the --error-bytes answer: `size` bytes of a pattern that a careless reader would
// log as many lines, with terminal colours, carriage returns, tabs, bells and backspaces.
std::string hostileText(std::size_t size) {
    static constexpr std::string_view pattern = "evil\nline\x1b[31mred\x1b[0m\r\t\a\b\x7f\x01\n";
    std::string text;
    text.reserve(size);
    while (text.size() < size) {
        text.append(pattern.substr(0, size - text.size()));
    }
    return text;
}

int onNotify(sd_bus_message* message, void*, sd_bus_error*) {
    const char* app = nullptr;
    std::uint32_t replaces = 0;
    const char* icon = nullptr;
    const char* summary = nullptr;
    const char* body = nullptr;
    int r = sd_bus_message_read(message, "susss", &app, &replaces, &icon, &summary, &body);
    if (r < 0) {
        return r;
    }
    // The actions come as pairs: key, label.
    std::vector<std::string> keys;
    if ((r = sd_bus_message_enter_container(message, 'a', "s")) < 0) {
        return r;
    }
    const char* action = nullptr;
    for (bool isKey = true; (r = sd_bus_message_read(message, "s", &action)) > 0; isKey = !isKey) {
        if (isKey) {
            keys.emplace_back(action);
        }
    }
    if (r < 0 || (r = sd_bus_message_exit_container(message)) < 0) {
        return r;
    }
    std::string urgency = "none";
    if ((r = sd_bus_message_enter_container(message, 'a', "{sv}")) < 0) {
        return r;
    }
    while ((r = sd_bus_message_enter_container(message, 'e', "sv")) > 0) {
        const char* key = nullptr;
        if ((r = sd_bus_message_read(message, "s", &key)) < 0) {
            return r;
        }
        if (std::strcmp(key, "urgency") == 0 &&
            sd_bus_message_enter_container(message, 'v', "y") > 0) {
            std::uint8_t level = 0;
            if ((r = sd_bus_message_read(message, "y", &level)) < 0) {
                return r;
            }
            urgency = std::to_string(level);
            sd_bus_message_exit_container(message);
        } else if ((r = sd_bus_message_skip(message, "v")) < 0) {
            return r;
        }
        if ((r = sd_bus_message_exit_container(message)) < 0) {
            return r;
        }
    }
    if (r < 0 || (r = sd_bus_message_exit_container(message)) < 0) {
        return r;
    }
    std::int32_t expire = 0;
    if ((r = sd_bus_message_read(message, "i", &expire)) < 0) {
        return r;
    }
    const long uid = callerUid(sd_bus_message_get_bus(message), sd_bus_message_get_sender(message));
    std::string line = std::string(app) + '\t' + std::to_string(replaces) + '\t' + icon + '\t' +
                       summary + '\t' + body + '\t' + joined(keys) + '\t' + urgency + '\t' +
                       std::to_string(expire) + '\t' + std::to_string(uid);
    if (options.times) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        line += '\t' +
                std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
    appendLine(line + '\n');

    const std::uint32_t id = replaces != 0 && replaces <= lastId ? replaces : ++lastId;
    if (!options.invoke.empty() && !invoked && offers(keys, options.invoke)) {
        invoked = true;
        scheduleClick(message, id, options.invoke, false);
    }
    if (!options.invokeFromOther.empty() && offers(keys, options.invokeFromOther)) {
        scheduleClick(message, id, options.invokeFromOther, true);
    }
    if (!options.press.empty() && !pressed) {
        pressed = true;
        scheduleClick(message, id, options.press, false, options.presses);
    }
    if (options.silent) {
        return 1; // handled, never answered: the caller runs into its time-out
    }
    if (options.errorBytes > 0) {
        const std::string text = hostileText(options.errorBytes);
        const sd_bus_error error = SD_BUS_ERROR_MAKE_CONST(SD_BUS_ERROR_FAILED, text.c_str());
        return sd_bus_reply_method_error(message, &error);
    }
    return sd_bus_reply_method_return(message, "u", id);
}

int onGetCapabilities(sd_bus_message* message, void*, sd_bus_error*) {
    if (options.actions) {
        return sd_bus_reply_method_return(message, "as", 2, "body", "actions");
    }
    return sd_bus_reply_method_return(message, "as", 1, "body");
}

const sd_bus_vtable notificationsVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("GetCapabilities", "", "as", onGetCapabilities, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", onNotify, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

// `text` as a number from 1 to `max`; 0 when it is not one.
unsigned long count(const char* text, unsigned long max) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    return *text >= '0' && *text <= '9' && *end == '\0' && value <= max ? value : 0;
}

bool parseOptions(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        return false;
    }
    options.record = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--silent") {
            options.silent = true;
        } else if (option == "--no-actions") {
            options.actions = false;
        } else if (option == "--times") {
            options.times = true;
        } else if (option == "--invoke" && hasValue) {
            options.invoke = argv[++i];
        } else if (option == "--invoke-from-other" && hasValue) {
            options.invokeFromOther = argv[++i];
        } else if (option == "--error-bytes" && hasValue) {
            if ((options.errorBytes = count(argv[++i], maxErrorBytes)) == 0) {
                return false;
            }
        } else if (option == "--press" && hasValue) {
            options.press = argv[++i];
        } else if (option == "--presses" && hasValue) {
            if ((options.presses = count(argv[++i], maxPresses)) == 0) {
                return false;
            }
        } else if (option == "--lifetime" && hasValue) {
            const unsigned long seconds = count(argv[++i], 86400);
            if (seconds == 0) {
                return false;
            }
            options.lifetime = static_cast<unsigned>(seconds);
        } else {
            return false;
        }
    }
    return !options.press.empty() || options.presses == 1; // --presses without --press: a mistake
}

int onLifetimeOver(sd_event_source* source, std::uint64_t, void*) {
    return sd_event_exit(sd_event_source_get_event(source), 0);
}

} // namespace

int main(int argc, char** argv) {
    if (!parseOptions(argc, argv)) {
        std::fprintf(stderr, "usage: fake-notifier RECORD [--silent] [--no-actions] [--invoke KEY] "
                             "[--invoke-from-other KEY] [--times] [--error-bytes N] "
                             "[--press KEY [--presses N]] [--lifetime SECONDS]\n");
        return 64;
    }
    std::signal(SIGTERM, SIG_DFL);
    sd_event* event = nullptr;
    if (sd_event_default(&event) < 0 || sd_bus_open_user(&owner) < 0 ||
        (!options.invokeFromOther.empty() && sd_bus_open_user(&other) < 0)) {
        std::fprintf(stderr, "fake-notifier: no bus\n");
        return 1;
    }
    for (sd_bus* connection : {owner, other}) {
        if (connection != nullptr && (sd_bus_attach_event(connection, event, 0) < 0 ||
                                      sd_bus_set_exit_on_disconnect(connection, 1) < 0)) {
            std::fprintf(stderr, "fake-notifier: no event loop\n");
            return 1;
        }
    }
    sd_bus_slot* slot = nullptr;
    if (sd_bus_add_object_vtable(owner, &slot, path, serviceName, notificationsVtable, nullptr) <
            0 ||
        sd_bus_request_name(owner, serviceName, 0) < 0) {
        std::fprintf(stderr, "fake-notifier: cannot own the name\n");
        return 1;
    }
    if (!appendLine("") || ::close(::open((options.record + ".ready").c_str(),
                                          O_WRONLY | O_CREAT | O_CLOEXEC, 0644)) != 0) {
        return 1;
    }
    if (sd_event_add_time_relative(event, nullptr, CLOCK_MONOTONIC,
                                   std::uint64_t{options.lifetime} * 1'000'000, 0, onLifetimeOver,
                                   nullptr) < 0) {
        return 1;
    }
    sd_event_loop(event);
    sd_bus_slot_unref(slot);
    sd_bus_flush_close_unref(owner);
    sd_bus_flush_close_unref(other);
    sd_event_unref(event);
    return 0;
}
