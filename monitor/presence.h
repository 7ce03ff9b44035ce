// The arrival rule: the command starts once per arrival of the camera, and
// again only after a check has found it gone.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Commands of the monitor; only the low 16 bits of a command identifier count.
enum MonitorCommand : uint16_t {
  MONCMD_EXIT = 102,            // from a copy started with "exit": close
  MONCMD_CLOSE = 103,           // close
  MONCMD_DEVICE_ARRIVED = 104,  // start the "Exec" command line
  MONCMD_DEVICE_REMOVED = 105,  // nothing
};

struct PresenceState {
  bool present = false;  // the device was found by the last check
};

// Records one check's finding; the command to post, or 0 for none.
uint16_t UpdatePresence(PresenceState& state, bool found);

// Whether a device description starts with `item0`, byte for byte and
// case-sensitively; a device without a description never matches, and an
// empty `item0` matches every device that has one.
bool DescriptionMatches(std::optional<std::string_view> description, std::string_view item0);
