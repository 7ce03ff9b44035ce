#include "monitor/usb_devices.h"

#include <libudev.h>

#include <cstring>
#include <optional>

#include "monitor/presence.h"

bool FindUsbDevice(std::string_view item0) {
  udev* context = udev_new();
  if (context == nullptr) return false;
  udev_enumerate* enumeration = udev_enumerate_new(context);
  bool found = false;
  // Interfaces are listed under "usb" as well, but only whole devices carry
  // the product string the camera announces itself with.
  if (enumeration != nullptr && udev_enumerate_add_match_subsystem(enumeration, "usb") >= 0 &&
      udev_enumerate_add_match_property(enumeration, "DEVTYPE", "usb_device") >= 0 &&
      udev_enumerate_scan_devices(enumeration) >= 0) {
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration)) {
      udev_device* device = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
      if (device == nullptr) continue;
      const char* product = udev_device_get_sysattr_value(device, "product");
      found = DescriptionMatches(product ? std::optional<std::string_view>(product) : std::nullopt, item0);
      udev_device_unref(device);
      if (found) break;
    }
  }
  if (enumeration != nullptr) udev_enumerate_unref(enumeration);
  udev_unref(context);
  return found;
}
