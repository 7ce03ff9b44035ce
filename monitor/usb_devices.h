// The list of present USB devices, through libudev.
#pragma once

#include <string_view>

// Builds the list afresh, looks for a USB device whose product string starts
// with `item0` (first match ends the search) and releases the list. A list
// that cannot be obtained finds nothing.
bool FindUsbDevice(std::string_view item0);
