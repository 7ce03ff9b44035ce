// The machine-wide settings store: one text file in the registry export format
//
//   REGEDIT4
//   [HKEY_LOCAL_MACHINE\SOFTWARE\KX3300]
//   "DeviceName"="KX3300A"
//   "NotDelete"=dword:00000001
//
// Key paths and value names compare without regard to ASCII letter case, as the
// registry does. The file is read afresh for every lookup: an administrator's
// edit takes effect at the next read, as a registry change would.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct RegistryValue {
  enum class Type { String, Number, Other };
  Type type = Type::Other;
  std::string text;     // Type::String, UTF-8
  uint32_t number = 0;  // Type::Number
};

// Finds `name` under `key_path` (e.g. "HKEY_LOCAL_MACHINE\SOFTWARE\KX3300") in
// the text of a registry file. A later definition replaces an earlier one.
std::optional<RegistryValue> FindRegistryValue(std::string_view file_text, std::string_view key_path,
                                               std::string_view name);

// The store's path: SNAPSRC_REGISTRY, else /etc/snapsrc/registry.reg.
std::string RegistryFilePath();

// Reads the store and looks the value up; a missing or unreadable file is nullopt.
std::optional<RegistryValue> ReadRegistryValue(std::string_view key_path, std::string_view name);
