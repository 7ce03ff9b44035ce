// The source's few read-only settings, kept in the machine-wide settings store
// under a key named after the camera chip. The key follows the model of the
// camera opened last, so one installation can hold values per model.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kSettingsKeySize = 32;
constexpr std::size_t kSettingStringSize = 260;
constexpr std::size_t kDeviceNameSize = 40;

struct SettingsState {
  char settings_key[kSettingsKeySize];
};

extern SettingsState settings_state;
void ResetSettings();  // back to "SOFTWARE\KX3300", as at load

void SelectSettingsKey(int model);

// 0 when missing.
uint32_t ReadSettingNumber(const char* name);

// Stores the string with its terminator into `buffer` of `size` bytes and
// returns the bytes stored; 0 when missing or when it does not fit (then the
// buffer's contents are not to be used).
std::size_t ReadSettingString(const char* name, char* buffer, std::size_t size = kSettingStringSize);

// "DeviceName" into a 40-byte buffer; false when missing.
bool ReadDeviceName(char* buffer);
