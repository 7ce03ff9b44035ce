// simcam's settings, from the command line and from a scenario file. Both use
// the same keys: on the command line "--key value" or "--key=value", in a
// scenario file one "key = value" (or "key value") per line, '#' comments.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simcam.h"

struct SimCamOptions {
  SimCamConfig camera;
  std::string devices_dir;             // empty: SNAPSRC_DEVICES, else /run/snapsrc
  std::string socket_name = "simcam0";
  std::optional<std::string> picture_set;  // "builtin", "all-sizes" or "none"
  std::vector<SimPicture> added;       // --photo / --clip, after the set
  std::vector<std::string> folders;    // image folders (read by the daemon)
  int folder_width = 640;
  int folder_height = 480;
  bool help = false;
};

// Applies one setting; false with a message when the key or value is wrong.
bool ApplySimOption(SimCamOptions& options, std::string_view key, std::string_view value, std::string* error);

// Reads a scenario file into `options`.
bool LoadScenarioFile(const std::string& path, SimCamOptions& options, std::string* error);
// Parses the scenario text itself (`origin` names it in messages).
bool ParseScenario(std::string_view text, const std::string& origin, SimCamOptions& options, std::string* error);

bool ParseSimCommandLine(int argc, const char* const* argv, SimCamOptions& options, std::string* error);

// The camera's pictures: the chosen set (built-in unless pictures were added
// or a folder was given), then the added ones. Folder images come after, from
// the daemon.
void FinishSimPictures(SimCamOptions& options);

// "--help" text.
std::string SimCamUsage();
