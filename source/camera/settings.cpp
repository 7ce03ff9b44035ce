#include "camera/settings.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/registry_file.h"

namespace {

constexpr char kBaseKey[] = "SOFTWARE\\KX3300";

std::optional<RegistryValue> ReadValue(const char* name) {
  std::string path = "HKEY_LOCAL_MACHINE\\";
  path += settings_state.settings_key;
  return ReadRegistryValue(path, name);
}

}  // namespace

SettingsState settings_state = {"SOFTWARE\\KX3300"};

void ResetSettings() { std::snprintf(settings_state.settings_key, kSettingsKeySize, "%s", kBaseKey); }

void SelectSettingsKey(int model) {
  // Models 3 and 8 share a key, and so do 4 and 9.
  if (model == 0 || model == 1) {
    std::snprintf(settings_state.settings_key, kSettingsKeySize, "%s", kBaseKey);
    return;
  }
  int suffix = model == 8 ? 3 : model == 9 ? 4 : model;
  std::snprintf(settings_state.settings_key, kSettingsKeySize, "%s_%d", kBaseKey, suffix);
}

uint32_t ReadSettingNumber(const char* name) {
  auto value = ReadValue(name);
  return value && value->type == RegistryValue::Type::Number ? value->number : 0;
}

std::size_t ReadSettingString(const char* name, char* buffer, std::size_t size) {
  auto value = ReadValue(name);
  if (!value || value->type != RegistryValue::Type::String) return 0;
  std::size_t stored = value->text.size() + 1;
  if (buffer == nullptr || stored > size) return 0;
  std::memcpy(buffer, value->text.c_str(), stored);
  return stored;
}

bool ReadDeviceName(char* buffer) { return ReadSettingString("DeviceName", buffer, kDeviceNameSize) != 0; }
