// A device directory of its own with virtual cameras served from this process,
// the virtual clock, unattended message boxes and a settings file: the real
// channel talks to real sockets, and nothing sleeps.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "camera/camera_channel.h"
#include "camera/camera_commands.h"
#include "ui/resources/language_state.h"
#include "camera/picture_table.h"
#include "camera/settings.h"
#include "platform/virtual_clock.h"
#include "simcam.h"
#include "support/temp_dir.h"

class CameraFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    devices_ = dir_.File("devices");
    ASSERT_EQ(mkdir(devices_.c_str(), 0700), 0);
    setenv("SNAPSRC_DEVICES", devices_.c_str(), 1);
    setenv("SNAPSRC_UNATTENDED", dir_.File("boxes.log").c_str(), 1);
    setenv("SNAPSRC_REGISTRY", dir_.File("registry.reg").c_str(), 1);
    ResetAll();
  }

  void TearDown() override {
    ResetAll();
    servers_.clear();
    unsetenv("SNAPSRC_UNATTENDED");
  }

  static void ResetAll() {
    ResetCameraChannel();
    ResetCameraState();
    ResetPictureTable();
    ResetSettings();
    ResetLanguageState();
  }

  // Serves `config` as device `name` and returns the server for its stats.
  SimCamServer& Serve(SimCamConfig config, const std::string& name = "cam0") {
    servers_.push_back(std::make_unique<SimCamServer>(std::move(config)));
    std::string error;
    EXPECT_TRUE(servers_.back()->Start(devices_ + "/" + name, &error)) << error;
    return *servers_.back();
  }

  void WriteRegistry(const std::string& body) { WriteTextFile(dir_.File("registry.reg"), "REGEDIT4\n\n" + body); }

  // The message boxes shown so far, one "caption<TAB>text<TAB>buttons<TAB>answer" each.
  std::vector<std::string> Boxes() {
    std::vector<std::string> lines;
    std::string text = ReadTextFile(dir_.File("boxes.log"));
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }

  int Waits(uint32_t ms) const {
    int n = 0;
    for (uint32_t w : clock_.clock.waits) n += w == ms;
    return n;
  }

  TempDir dir_;
  std::string devices_;
  ScopedVirtualClock clock_;
  std::vector<std::unique_ptr<SimCamServer>> servers_;
};

inline int Count(const std::vector<uint8_t>& codes, uint8_t code) {
  int n = 0;
  for (uint8_t c : codes) n += c == code;
  return n;
}

inline int Count(const std::vector<uint32_t>& ids, uint32_t id) {
  int n = 0;
  for (uint32_t c : ids) n += c == id;
  return n;
}
