// A TWAIN host for tests: loads build/bin/SNAPSRC.DS with dlopen and calls
// DS_Entry as a host would. The source's notifications reach the built DSM,
// which hands them to this host's callback.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "twain/twain.h"

class TestHost {
 public:
  TestHost();
  ~TestHost();  // brings the source back to state 3 for the next test

  TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data);
  TW_UINT16 CallFrom(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data);

  TW_UINT16 Open();                   // MSG_OPENDS with the DSM's copy of the source identity
  TW_UINT16 Enable(bool show_ui = true, void* parent = nullptr);
  TW_UINT16 Disable();
  TW_UINT16 Close();
  TW_UINT16 ConditionCode();          // DAT_STATUS / MSG_GET

  // Message boxes shown so far, one unattended-log line each.
  std::vector<std::string> Boxes() const;
  // The text field of the last box, or "" when none was shown.
  std::string LastBoxText() const;

  // Notifications that reached the host through the DSM, in order.
  static std::vector<TW_UINT16>& Notifications();

  TW_IDENTITY app{};
  TW_IDENTITY source{};  // what the DSM would hand the source at MSG_OPENDS

 private:
  TempDir dir_;
  std::string log_;
};

// Runs build/bin/identity_probe with the given registry file and returns the
// ProductName the freshly loaded source reports.
std::string ProbeLoadTimeProductName(const std::string& registry_path);
