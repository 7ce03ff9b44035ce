#include "sim_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool ParseInt(std::string_view text, long long min, long long max, long long* out) {
  text = Trim(text);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  long long v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < min || v > max) return false;
  *out = v;
  return true;
}

bool ParseBool(std::string_view text, bool* out) {
  text = Trim(text);
  if (text == "yes" || text == "true" || text == "1" || text == "on") return *out = true, true;
  if (text == "no" || text == "false" || text == "0" || text == "off") return *out = false, true;
  return false;
}

bool ParseSize(std::string_view text, int* w, int* h) {
  text = Trim(text);
  std::size_t x = text.find('x');
  long long a = 0;
  long long b = 0;
  if (x == std::string_view::npos || !ParseInt(text.substr(0, x), 1, 65535, &a) ||
      !ParseInt(text.substr(x + 1), 1, 65535, &b)) {
    return false;
  }
  *w = static_cast<int>(a);
  *h = static_cast<int>(b);
  return true;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ',' || std::isspace(static_cast<unsigned char>(text[i])))) ++i;
    std::size_t start = i;
    while (i < text.size() && text[i] != ',' && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// "WxH[,attr...]" for a photo or a clip.
bool ParsePictures(bool clip, std::string_view value, SimCamOptions& options, std::string* error) {
  std::vector<std::string_view> words = Words(value);
  SimPicture p;
  int frames = clip ? 6 : 1;
  bool seeded = false;
  if (words.empty() || !ParseSize(words[0], &p.width, &p.height)) {
    *error = "expected a size WxH in \"" + std::string(value) + "\"";
    return false;
  }
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string_view w = words[i];
    std::size_t eq = w.find('=');
    std::string_view name = w.substr(0, eq);
    std::string_view arg = eq == std::string_view::npos ? std::string_view() : w.substr(eq + 1);
    long long n = 0;
    if (name == "mode" && ParseInt(arg, 0, 15, &n)) {
      p.mode = static_cast<int>(n);
    } else if (name == "kind" && ParseInt(arg, 0, 255, &n)) {
      p.kind = static_cast<int>(n);
    } else if (name == "no-kind" && arg.empty()) {
      p.kind_valid = false;
    } else if (name == "param11" && ParseInt(arg, 0, 255, &n)) {
      p.param11 = static_cast<int>(n);
    } else if (name == "param20" && ParseInt(arg, 0, 255, &n)) {
      p.param20 = static_cast<int>(n);
    } else if (name == "seed" && ParseInt(arg, 0, UINT32_MAX, &n)) {
      p.scene.seed = static_cast<uint32_t>(n);
      seeded = true;
    } else if (name == "frames" && clip && ParseInt(arg, 1, 255, &n)) {
      frames = static_cast<int>(n);
    } else if (name == "markers" && arg == "intact") {
      p.markers = SimMarkers::Intact;
    } else if (name == "markers" && arg == "missing") {
      p.markers = SimMarkers::MissingStart;
    } else if (name == "markers" && arg == "damaged") {
      p.markers = SimMarkers::DamagedEnd;
    } else {
      *error = "unknown picture attribute \"" + std::string(w) + "\"";
      return false;
    }
  }
  if (!seeded) p.scene.seed = 100 + static_cast<uint32_t>(options.added.size());
  if (!clip) {
    options.added.push_back(p);
    return true;
  }
  for (SimPicture& frame : MakeClip(p.width, p.height, frames, p.scene.seed)) {
    SimPicture f = p;
    f.kind = frame.kind;
    f.scene = frame.scene;
    options.added.push_back(f);
  }
  return true;
}

}  // namespace

bool ApplySimOption(SimCamOptions& options, std::string_view key, std::string_view value, std::string* error) {
  std::string dummy;
  if (error == nullptr) error = &dummy;
  SimCamConfig& c = options.camera;
  value = Trim(value);
  long long n = 0;
  bool b = false;
  auto bad = [&] {
    *error = "bad value \"" + std::string(value) + "\" for " + std::string(key);
    return false;
  };
  if (key == "name") {
    if (value.size() > CAMWIRE_MAX_NAME_BYTES) return bad();
    c.friendly_name = std::string(value);
  } else if (key == "status") {
    if (!ParseInt(value, 0, 255, &n)) return bad();
    c.status = static_cast<uint8_t>(n);
  } else if (key == "no-status-register") {
    if (!ParseBool(value, &b)) return bad();
    c.no_status_register = b;
  } else if (key == "status-delay") {
    if (!ParseInt(value, 0, 1000, &n)) return bad();
    c.status_delay = static_cast<int>(n);
  } else if (key == "busy-polls") {
    if (!ParseInt(value, 0, 1000, &n)) return bad();
    c.busy_polls = static_cast<int>(n);
  } else if (key == "subst") {
    if (!ParseInt(value, 0, 255, &n)) return bad();
    c.subst = static_cast<uint8_t>(n);
  } else if (key == "presence") {
    if (!ParseInt(value, 0, 255, &n)) return bad();
    c.presence = static_cast<uint8_t>(n);
  } else if (key == "refuse-handle") {
    if (!ParseBool(value, &b)) return bad();
    c.refuse_handle = b;
  } else if (key == "gone-after") {
    if (!ParseInt(value, -1, 100000, &n)) return bad();
    c.gone_after = static_cast<int>(n);
  } else if (key == "extra-block-bytes") {
    if (!ParseInt(value, 0, CAMWIRE_MAX_BLOCK_BYTES / 2, &n)) return bad();
    c.extra_block_bytes = static_cast<uint32_t>(n);
  } else if (key == "frame-offset") {
    if (value == "vary") {
      c.frame_offset = -1;
    } else if (ParseInt(value, 0, 100000, &n)) {
      c.frame_offset = static_cast<int>(n);
    } else {
      return bad();
    }
  } else if (key == "seed") {
    if (!ParseInt(value, 0, UINT32_MAX, &n)) return bad();
    c.seed = static_cast<uint32_t>(n);
  } else if (key == "fail") {
    std::vector<std::string_view> ids = Words(value);
    if (ids.empty()) return bad();
    for (std::string_view id : ids) {
      if (!ParseInt(id, 0, UINT32_MAX, &n)) return bad();
      c.failing_requests.push_back(static_cast<uint32_t>(n));
    }
  } else if (key == "pictures") {
    if (value != "builtin" && value != "all-sizes" && value != "none") return bad();
    options.picture_set = std::string(value);
  } else if (key == "photo" || key == "clip") {
    return ParsePictures(key == "clip", value, options, error);
  } else if (key == "folder") {
    if (value.empty()) return bad();
    options.folders.emplace_back(value);
  } else if (key == "folder-size") {
    if (!ParseSize(value, &options.folder_width, &options.folder_height)) return bad();
  } else if (key == "devices") {
    if (value.empty()) return bad();
    options.devices_dir = std::string(value);
  } else if (key == "socket") {
    if (value.empty() || value.find('/') != std::string_view::npos) return bad();
    options.socket_name = std::string(value);
  } else {
    *error = "unknown setting \"" + std::string(key) + "\"";
    return false;
  }
  return true;
}

bool ParseScenario(std::string_view text, const std::string& origin, SimCamOptions& options, std::string* error) {
  int line_number = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++line_number;
    if (std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    line = Trim(line);
    if (line.empty()) continue;
    std::size_t split = 0;
    while (split < line.size() && line[split] != '=' && !std::isspace(static_cast<unsigned char>(line[split]))) {
      ++split;
    }
    std::string_view key = line.substr(0, split);
    std::string_view value = Trim(line.substr(split));
    if (!value.empty() && value.front() == '=') value = Trim(value.substr(1));
    // A flag written alone means yes.
    if (value.empty() && (key == "no-status-register" || key == "refuse-handle")) value = "yes";
    std::string message;
    if (!ApplySimOption(options, key, value, &message)) {
      if (error != nullptr) *error = origin + ":" + std::to_string(line_number) + ": " + message;
      return false;
    }
  }
  return true;
}

bool LoadScenarioFile(const std::string& path, SimCamOptions& options, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error != nullptr) *error = "cannot read scenario file " + path;
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ParseScenario(text.str(), path, options, error);
}

bool ParseSimCommandLine(int argc, const char* const* argv, SimCamOptions& options, std::string* error) {
  std::string dummy;
  if (error == nullptr) error = &dummy;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      continue;
    }
    if (arg.substr(0, 2) != "--") {
      *error = "unexpected argument \"" + std::string(arg) + "\"";
      return false;
    }
    arg.remove_prefix(2);
    std::string_view key = arg;
    std::string_view value;
    bool has_value = false;
    if (std::size_t eq = arg.find('='); eq != std::string_view::npos) {
      key = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      has_value = true;
    }
    if (!has_value && (key == "no-status-register" || key == "refuse-handle")) {
      value = "yes";
      has_value = true;
    }
    if (!has_value && key == "no-pictures") {
      options.picture_set = "none";
      continue;
    }
    if (!has_value) {
      if (i + 1 >= argc) {
        *error = "--" + std::string(key) + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    if (key == "scenario") {
      if (!LoadScenarioFile(std::string(value), options, error)) return false;
      continue;
    }
    if (!ApplySimOption(options, key, value, error)) return false;
  }
  return true;
}

void FinishSimPictures(SimCamOptions& options) {
  std::string set = options.picture_set.value_or(
      options.added.empty() && options.folders.empty() ? std::string("builtin") : std::string("none"));
  std::vector<SimPicture> pictures;
  if (set == "builtin") pictures = BuiltInPictures(options.camera.seed);
  if (set == "all-sizes") pictures = AllSizePictures(options.camera.seed);
  pictures.insert(pictures.end(), options.added.begin(), options.added.end());
  options.camera.pictures = std::move(pictures);
}

std::string SimCamUsage() {
  return R"(Usage: simcam [options]

Runs a virtual camera and its driver: it serves one camera on a Unix socket in
the device directory, where the TWAIN source finds it when the user presses
"Download photos". It prints the socket's path and runs until Ctrl+C (or until
the camera goes away, see --gone-after).

  simcam                                 the built-in pictures, a normal camera
  simcam --folder ~/Pictures             your own images as photos
  simcam --scenario odd-camera.txt       a camera described in a file
  SNAPSRC_DEVICES=/tmp/cams simcam       serve in another device directory

Where it listens:
  --devices DIR          device directory (default $SNAPSRC_DEVICES, else /run/snapsrc)
  --socket NAME          socket file name in it (default simcam0)

What the camera is:
  --name TEXT            friendly name (default "KX3300A Digital Camera"); the source
                         looks for a name beginning with its DeviceName setting
  --status BYTE          status byte (default 0x21); the model is its low five bits,
                         e.g. 0x4C is model 12; 0 = the status never becomes available
  --no-status-register   answer 7 to the probe: a camera without status register
  --status-delay N       the status reads 0 the first N times it is asked
  --busy-polls N         busy the first N polls after each select or mode change
  --subst N              answer to the substitution query (non-zero turns the
                         rule on for models 2 and 3)
  --seed N               varies the scenes and the frame offsets

Pictures (the built-in set unless pictures are added or a folder is given):
  --pictures SET         builtin (7 photos of common sizes and 2 moving clips),
                         all-sizes (a photo in each of the 36 accepted sizes), none
  --no-pictures          same as --pictures none: a camera holding nothing
  --photo WxH[,ATTR...]  add a photo; sizes need not be accepted ones (800x600)
  --clip WxH[,frames=N][,ATTR...]
                         add a clip of N frames (default 6) that really move
  ATTR: mode=0..15 param11=N param20=N seed=N kind=N no-kind (parameter 7 bit 7
        clear) markers=intact|missing|damaged (start marker missing, end
        marker damaged)
  --folder DIR           add every image Qt can read in DIR, in name order, as photos
  --folder-size WxH      size of those photos (default 640x480); images are scaled
                         to fill it and cut to its shape

Misbehaviour:
  --presence N           answer of the presence query; 1 = no usable camera
  --refuse-handle        the driver refuses its device handle
  --gone-after N         after delivering N pictures the camera goes away: the
                         alive query answers 0, the socket closes, the socket file
                         disappears and simcam exits
  --extra-block-bytes N  a block read reports and delivers N bytes more than asked
  --frame-offset N|vary  where the frame's start marker lies in the transfer
                         buffer (default: varies per picture)
  --fail ID[,ID...]      the driver fails these property requests (e.g. 200 block
                         read, 301 register read)

Scenario file (--scenario FILE): the same settings, one per line as
"key = value" or "key value", '#' starts a comment. Example:

  name = KX3300A Toy Camera
  status = 0x4C
  pictures = none
  photo 352x288 mode=3
  photo 800x600                # not an accepted size: skipped by the download
  clip 160x120 frames=10
  photo 320x240 markers=damaged
  gone-after = 5
)";
}
