#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <systemd/sd-bus.h>

namespace zarn::helper {

/// sd-bus objects, each let go once, when its owner goes.
struct BusRelease {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using Bus = std::unique_ptr<sd_bus, BusRelease>;
using BusMessage = std::unique_ptr<sd_bus_message, BusRelease>;
using BusSlot = std::unique_ptr<sd_bus_slot, BusRelease>;

/// The error a call may fill in, freed when it goes.
struct BusError : sd_bus_error {
    BusError() : sd_bus_error(SD_BUS_ERROR_NULL) {}
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    ~BusError() { sd_bus_error_free(this); }

    /// "<what>: <the error's message>", or the text of the negative errno `result` when the
    /// error was not filled in.
    std::string describe(const std::string& what, int result) const {
        return what + ": " +
               (sd_bus_error_is_set(this) && message != nullptr ? message : std::strerror(-result));
    }
};

} // namespace zarn::helper
