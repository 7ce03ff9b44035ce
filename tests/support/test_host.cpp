#include "support/test_host.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

DSENTRYPROC LoadSource() {
  static DSENTRYPROC entry = [] {
    void* library = dlopen(SNAPSRC_BIN_DIR "/SNAPSRC.DS", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
      ADD_FAILURE() << "cannot load SNAPSRC.DS: " << dlerror();
      return DSENTRYPROC{};
    }
    return reinterpret_cast<DSENTRYPROC>(dlsym(library, "DS_Entry"));
  }();
  return entry;
}

TW_UINT16 OnNotification(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16 msg, TW_MEMREF) {
  TestHost::Notifications().push_back(msg);
  return TWRC_SUCCESS;
}

void RegisterWithDsm(TW_IDENTITY* app) {
  static DSMENTRYPROC dsm = [] {
    void* library = dlopen(SNAPSRC_BIN_DIR "/libtwaindsm.so.2", RTLD_NOW);
    return library ? reinterpret_cast<DSMENTRYPROC>(dlsym(library, "DSM_Entry")) : DSMENTRYPROC{};
  }();
  ASSERT_NE(dsm, nullptr);
  // The test host talks to the source itself; the DSM only relays notifications.
  setenv("TWAINDSM_SOURCE", SNAPSRC_BIN_DIR "/SNAPSRC.DS", 1);
  TW_IDENTITY manager_app = *app;
  dsm(&manager_app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr);
  TW_CALLBACK callback{reinterpret_cast<TW_MEMREF>(&OnNotification), 0, 0};
  dsm(&manager_app, nullptr, DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback);
}

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, '\t')) fields.push_back(field);
  return fields;
}

}  // namespace

std::vector<TW_UINT16>& TestHost::Notifications() {
  static std::vector<TW_UINT16> received;
  return received;
}

TestHost::TestHost() {
  log_ = dir_.File("boxes.log");
  setenv("SNAPSRC_UNATTENDED", log_.c_str(), 1);
  app.Id = 1;
  app.ProtocolMajor = 1;
  app.ProtocolMinor = 6;
  app.SupportedGroups = DG_CONTROL | DG_IMAGE;
  std::snprintf(app.ProductName, sizeof app.ProductName, "test host");
  source.Id = 2;
  Notifications().clear();
  RegisterWithDsm(&app);
  ConditionCode();  // whatever an earlier test left behind
}

TestHost::~TestHost() {
  // Back to state 3 whatever the test left; boxes of these calls go nowhere.
  setenv("SNAPSRC_UNATTENDED", "/dev/null", 1);
  TW_USERINTERFACE ui{};
  Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
  Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source);
  unsetenv("SNAPSRC_UNATTENDED");
}

TW_UINT16 TestHost::Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
  return CallFrom(&app, dg, dat, msg, data);
}

TW_UINT16 TestHost::CallFrom(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
  DSENTRYPROC entry = LoadSource();
  return entry ? entry(origin, dg, dat, msg, data) : TW_UINT16{0xFFFF};
}

TW_UINT16 TestHost::Open() {
  TW_IDENTITY loaded{};
  Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &loaded);
  loaded.Id = source.Id;
  source = loaded;
  return Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source);
}

TW_UINT16 TestHost::Enable(bool show_ui, void* parent) {
  TW_USERINTERFACE ui{static_cast<TW_BOOL>(show_ui), 0, parent};
  return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
}

TW_UINT16 TestHost::Disable() {
  TW_USERINTERFACE ui{};
  return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
}

TW_UINT16 TestHost::Close() { return Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source); }

TW_UINT16 TestHost::ConditionCode() {
  TW_STATUS status{0xFFFF, 0xFFFF};
  Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
  return status.ConditionCode;
}

std::vector<std::string> TestHost::Boxes() const {
  std::vector<std::string> lines;
  std::stringstream in(ReadTextFile(log_));
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::string TestHost::LastBoxText() const {
  auto lines = Boxes();
  if (lines.empty()) return "";
  auto fields = SplitFields(lines.back());
  return fields.size() > 1 ? fields[1] : "";
}

std::string ProbeLoadTimeProductName(const std::string& registry_path) {
  std::string command = "SNAPSRC_REGISTRY='" + registry_path + "' " SNAPSRC_BIN_DIR "/identity_probe";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "<probe failed>";
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  pclose(pipe);
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}
