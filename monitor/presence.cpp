#include "monitor/presence.h"

uint16_t UpdatePresence(PresenceState& state, bool found) {
  if (found == state.present) return 0;
  state.present = found;
  return found ? MONCMD_DEVICE_ARRIVED : MONCMD_DEVICE_REMOVED;
}

bool DescriptionMatches(std::optional<std::string_view> description, std::string_view item0) {
  return description && description->starts_with(item0);
}
