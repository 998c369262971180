// fake-notifier RECORD [--silent]: a stand-in for the desktop's notification service on the bus
// at $DBUS_SESSION_BUS_ADDRESS. Owns org.freedesktop.Notifications, answers Notify with id 1
// (with --silent it never answers) and appends one line per call to RECORD:
//   app<TAB>replaces<TAB>icon<TAB>summary<TAB>body<TAB>actions<TAB>urgency<TAB>expire<TAB>uid
// where uid is the caller's as the bus daemon knows it. Creates RECORD.ready once it owns the
// name. Ends on SIGTERM, when the bus goes away, or after two minutes at most.

#include <systemd/sd-bus.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

std::string recordPath;
bool silent = false;

bool appendLine(const std::string& line) {
    const int fd = ::open(recordPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
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
    int actions = 0;
    if ((r = sd_bus_message_enter_container(message, 'a', "s")) < 0) {
        return r;
    }
    const char* action = nullptr;
    while ((r = sd_bus_message_read(message, "s", &action)) > 0) {
        ++actions;
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
    const std::string line = std::string(app) + '\t' + std::to_string(replaces) + '\t' + icon +
                             '\t' + summary + '\t' + body + '\t' + std::to_string(actions) + '\t' +
                             urgency + '\t' + std::to_string(expire) + '\t' + std::to_string(uid) +
                             '\n';
    appendLine(line);
    if (silent) {
        return 1; // handled, never answered: the caller runs into its time-out
    }
    return sd_bus_reply_method_return(message, "u", static_cast<std::uint32_t>(1));
}

const sd_bus_vtable notificationsVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", onNotify, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fake-notifier RECORD [--silent]\n");
        return 64;
    }
    recordPath = argv[1];
    silent = argc > 2 && std::strcmp(argv[2], "--silent") == 0;
    std::signal(SIGTERM, SIG_DFL);
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) {
        std::fprintf(stderr, "fake-notifier: no bus\n");
        return 1;
    }
    sd_bus_slot* slot = nullptr;
    if (sd_bus_add_object_vtable(bus, &slot, "/org/freedesktop/Notifications",
                                 "org.freedesktop.Notifications", notificationsVtable,
                                 nullptr) < 0 ||
        sd_bus_request_name(bus, "org.freedesktop.Notifications", 0) < 0) {
        std::fprintf(stderr, "fake-notifier: cannot own the name\n");
        return 1;
    }
    if (!appendLine("") || ::close(::open((recordPath + ".ready").c_str(),
                                          O_WRONLY | O_CREAT | O_CLOEXEC, 0644)) != 0) {
        return 1;
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (std::chrono::steady_clock::now() < giveUp) {
        const int r = sd_bus_process(bus, nullptr);
        if (r < 0) {
            break; // the bus is gone
        }
        if (r == 0 && sd_bus_wait(bus, 1000000) < 0) {
            break;
        }
    }
    sd_bus_slot_unref(slot);
    sd_bus_flush_close_unref(bus);
    return 0;
}
