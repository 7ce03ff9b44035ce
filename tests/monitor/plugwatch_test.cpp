// The real plugwatch program, run among fake USB devices: each test copies the
// program into a folder of its own (so its plugwatch.ini is private), gives it a
// private runtime directory and runs it under umockdev's preload library, which
// shows it the devices of a testbed the test plugs and unplugs.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <umockdev.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr char kDefaultExec[] = "\"C:\\Program Files\\KX3300A\\snapgrab.exe\" KX3300";
constexpr char kFastChecks[] = "--check-interval-ms=20";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

int CountLines(const std::string& path, const std::string& line) {
  int count = 0;
  for (const std::string& each : Lines(ReadTextFile(path))) count += each == line;
  return count;
}

// Polls until `done` holds; the limit only guards against a hang.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

class Plugwatch : public ::testing::Test {
 protected:
  void SetUp() override {
    testbed_ = umockdev_testbed_new();
    ASSERT_NE(testbed_, nullptr);
    runtime_ = dir_.File("run");
    ASSERT_EQ(mkdir(runtime_.c_str(), 0700), 0);
    program_ = InstallProgram("plugwatch");
    log_ = dir_.File("log");
    marker_ = dir_.File("marker");
  }

  void TearDown() override {
    for (pid_t pid : started_) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    g_object_unref(testbed_);
  }

  // Copies the built program to `relative` in the test's folder.
  std::string InstallProgram(const std::string& relative) {
    std::filesystem::path target = dir_.File(relative);
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(SNAPSRC_BIN_DIR "/plugwatch", target);
    return target.string();
  }

  void WriteIni(const std::string& text, const std::string& path = {}) {
    WriteTextFile(path.empty() ? program_ + ".ini" : path, text);
  }

  // A command line whose every start adds a line to the marker file.
  std::string MarkerExec() const { return "/bin/sh -c \"echo started >> " + marker_ + "\""; }
  void WriteMarkerIni(const std::string& item0_line = {}) {
    WriteIni("[usb]\n" + item0_line + "\nExec=" + MarkerExec() + "\n");
  }

  // A USB device with this product string (none when nullopt); its sys path.
  std::string Plug(std::optional<std::string> product) {
    std::string name = "1-" + std::to_string(++device_count_);
    gchar* path = product ? umockdev_testbed_add_device(testbed_, "usb", name.c_str(), nullptr, "product",
                                                        product->c_str(), nullptr, "DEVTYPE", "usb_device", nullptr)
                          : umockdev_testbed_add_device(testbed_, "usb", name.c_str(), nullptr, nullptr,
                                                        "DEVTYPE", "usb_device", nullptr);
    std::string sys_path = path ? path : "";
    g_free(path);
    EXPECT_FALSE(sys_path.empty());
    return sys_path;
  }
  void Unplug(const std::string& sys_path) { umockdev_testbed_remove_device(testbed_, sys_path.c_str()); }

  pid_t Start(const std::vector<std::string>& arguments, const std::string& program = {}) {
    std::string path = program.empty() ? program_ : program;
    std::vector<std::string> environment;
    for (char** each = environ; *each != nullptr; ++each) {
      std::string entry = *each;
      for (const char* replaced : {"XDG_RUNTIME_DIR=", "UMOCKDEV_DIR=", "LD_PRELOAD=", "ASAN_OPTIONS="}) {
        if (entry.starts_with(replaced)) entry.clear();
      }
      if (!entry.empty()) environment.push_back(entry);
    }
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    environment.push_back(std::string("UMOCKDEV_DIR=") + root);
    g_free(root);
    environment.push_back("XDG_RUNTIME_DIR=" + runtime_);
    environment.push_back("LD_PRELOAD=libumockdev-preload.so.0");
    // The preload library comes before the sanitizer runtime in sanitized builds.
    const char* asan = getenv("ASAN_OPTIONS");
    environment.push_back(std::string("ASAN_OPTIONS=") + (asan ? std::string(asan) + ":" : "") +
                          "verify_asan_link_order=0");

    std::vector<char*> argv{path.data()};
    std::vector<std::string> owned = arguments;
    for (std::string& argument : owned) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);
    started_.push_back(pid);
    return pid;
  }

  pid_t StartMonitor(const std::vector<std::string>& extra = {kFastChecks}) {
    std::vector<std::string> arguments = extra;
    arguments.push_back("--check-log=" + log_);
    // The log may hold earlier monitors' lines: wait for this one's own.
    int monitors = MonitorsLogged();
    int checks = Checks();
    pid_t pid = Start(arguments);
    EXPECT_TRUE(WaitFor([&] { return MonitorsLogged() > monitors && Checks() > checks; }))
        << "the monitor never checked";
    return pid;
  }

  // Each monitor logs its configuration once it listens.
  int MonitorsLogged() const {
    int count = 0;
    for (const std::string& line : Lines(ReadTextFile(log_))) count += line.starts_with("item0 ");
    return count;
  }

  // The exit status of `pid`, or nullopt when it did not end in time or died of a signal.
  std::optional<int> WaitExit(pid_t pid, std::chrono::milliseconds limit = 10s) {
    int status = 0;
    bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, limit);
    if (!ended) return std::nullopt;
    std::erase(started_, pid);
    if (!WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
  }

  bool Running(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

  // Runs a second copy to its end and returns its exit status.
  std::optional<int> RunCopy(const std::vector<std::string>& arguments) { return WaitExit(Start(arguments)); }

  int LogCount(const std::string& line) const { return CountLines(log_, line); }
  int Checks() const { return LogCount("check 0") + LogCount("check 1"); }
  int Starts() const { return CountLines(marker_, "started"); }
  // The command's own mark and the monitor's record of the start are written
  // side by side; both must be there.
  bool Started(int times) const { return Starts() == times && LogCount("start ok") == times; }

  // Lets `more` checks pass.
  void LetChecksPass(int more) {
    int target = Checks() + more;
    ASSERT_TRUE(WaitFor([&] { return Checks() >= target; }));
  }

  std::string SocketPath() const { return runtime_ + "/PLUGWATCH_CLASS-Camera Monitor.socket"; }

  TempDir dir_;
  UMockdevTestbed* testbed_ = nullptr;
  std::string runtime_, program_, log_, marker_;
  std::vector<pid_t> started_;
  int device_count_ = 0;
};

TEST_F(Plugwatch, OneRunningCopy) {
  pid_t monitor = StartMonitor();
  EXPECT_EQ(RunCopy({}), 0);
  EXPECT_EQ(RunCopy({"start"}), 0);
  EXPECT_EQ(RunCopy({"exit", "now"}), 0);
  EXPECT_TRUE(Running(monitor));
  // The second copies never got as far as reading the configuration.
  EXPECT_EQ(LogCount("item0 KX3300A"), 1);
}

TEST_F(Plugwatch, ExitInAnyCaseStopsTheRunningCopy) {
  for (const char* exit_word : {"exit", "EXIT", "Exit"}) {
    pid_t monitor = StartMonitor();
    EXPECT_EQ(RunCopy({exit_word}), 0) << exit_word;
    // The running copy has handled the command before the exit copy ends,
    // and has let go of its socket and lock.
    EXPECT_FALSE(std::filesystem::exists(SocketPath())) << exit_word;
    EXPECT_EQ(WaitExit(monitor), 0) << exit_word;
  }
  EXPECT_EQ(LogCount("command 102"), 3);
}

TEST_F(Plugwatch, ExitWithoutRunningCopyDoesNothing) {
  EXPECT_EQ(RunCopy({"exit"}), 0);
  EXPECT_FALSE(std::filesystem::exists(SocketPath()));
  EXPECT_FALSE(std::filesystem::exists(log_));
  // And a monitor starts normally afterwards.
  pid_t monitor = StartMonitor();
  EXPECT_EQ(RunCopy({"EXIT"}), 0);
  EXPECT_EQ(WaitExit(monitor), 0);
}

TEST_F(Plugwatch, StaleSocketOfAKilledCopyDoesNotBlock) {
  pid_t killed = StartMonitor();
  kill(killed, SIGKILL);
  EXPECT_EQ(WaitExit(killed), std::nullopt);
  ASSERT_TRUE(std::filesystem::exists(SocketPath()));

  std::filesystem::remove(log_);
  pid_t monitor = StartMonitor();
  EXPECT_EQ(RunCopy({}), 0);
  EXPECT_TRUE(Running(monitor));
  EXPECT_EQ(RunCopy({"exit"}), 0);
  EXPECT_EQ(WaitExit(monitor), 0);
}

TEST_F(Plugwatch, SignalsAndCloseCommandsEndIt) {
  for (int signal_number : {SIGTERM, SIGINT}) {
    pid_t monitor = StartMonitor();
    kill(monitor, signal_number);
    EXPECT_EQ(WaitExit(monitor), 0) << signal_number;
  }
  // 103 closes too, and only the low 16 bits of an identifier count.
  for (uint32_t command : {103u, 0x00010066u}) {
    pid_t monitor = StartMonitor();
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, SocketPath().c_str());
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(send(fd, &command, sizeof command, 0), 4);
    char answer = 0;
    EXPECT_EQ(recv(fd, &answer, 1, 0), 1);
    close(fd);
    EXPECT_EQ(WaitExit(monitor), 0) << command;
  }
  EXPECT_EQ(LogCount("command 103"), 1);
  EXPECT_EQ(LogCount("command 102"), 1);
}

TEST_F(Plugwatch, CameraPluggedInBeforeStartIsFoundByTheFirstCheck) {
  Plug("KX3300A USB Camera");
  WriteMarkerIni();
  // A period of an hour: only the immediate first check can start the command.
  StartMonitor({"--check-interval-ms=3600000"});
  ASSERT_TRUE(WaitFor([&] { return Started(1); }));
  EXPECT_EQ(Lines(ReadTextFile(log_)),
            (std::vector<std::string>{"item0 KX3300A", "exec " + MarkerExec(), "check 1", "command 104",
                                      "start ok"}));
}

struct MatchCase {
  const char* name;
  const char* item0_line;  // in plugwatch.ini
  std::optional<std::string> product;
  bool starts;
};

void PrintTo(const MatchCase& c, std::ostream* out) { *out << c.name; }

class PlugwatchMatch : public Plugwatch, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(PlugwatchMatch, StartsOnlyForAMatchingDevice) {
  Plug("USB Keyboard");
  Plug(GetParam().product);
  Plug("Another Hub");
  WriteMarkerIni(GetParam().item0_line);
  StartMonitor();
  if (GetParam().starts) {
    ASSERT_TRUE(WaitFor([&] { return Started(1); }));
    EXPECT_EQ(LogCount("command 104"), 1);
  } else {
    LetChecksPass(3);
    EXPECT_EQ(LogCount("check 1"), 0);
    EXPECT_EQ(LogCount("command 104"), 0);
    EXPECT_EQ(Starts(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, PlugwatchMatch,
    ::testing::Values(MatchCase{"CameraDescription", "", "KX3300A USB Camera", true},
                      MatchCase{"ExactModel", "", "KX3300A", true},
                      MatchCase{"LowerCase", "", "kx3300a USB Camera", false},
                      MatchCase{"ConfiguredLowerCase", "Item0=kx3300a", "KX3300A USB Camera", false},
                      MatchCase{"ShorterThanModel", "", "KX3300", false},
                      MatchCase{"NoDescription", "", std::nullopt, false},
                      MatchCase{"ConfiguredModel", "Item0=Webcam", "Webcam 2000", true},
                      MatchCase{"EmptyItemMatchesAnyDevice", "Item0=", "Some Mouse", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Plugwatch, StartsOncePerArrival) {
  std::string camera = Plug("KX3300A USB Camera");
  WriteMarkerIni();
  pid_t monitor = StartMonitor();
  ASSERT_TRUE(WaitFor([&] { return Started(1); }));

  // Staying plugged in starts nothing more.
  LetChecksPass(5);
  EXPECT_EQ(LogCount("command 104"), 1);

  // No zombie is left behind by the finished command.
  EXPECT_TRUE(WaitFor([&] {
    std::string task = "/proc/" + std::to_string(monitor) + "/task/" + std::to_string(monitor) + "/children";
    return ReadTextFile(task).empty();
  }));

  Unplug(camera);
  ASSERT_TRUE(WaitFor([&] { return LogCount("command 105") == 1; }));
  LetChecksPass(2);
  EXPECT_EQ(Starts(), 1);

  Plug("KX3300A USB Camera");
  ASSERT_TRUE(WaitFor([&] { return Started(2); }));
  EXPECT_EQ(LogCount("command 104"), 2);
  EXPECT_EQ(LogCount("start ok"), 2);
}

TEST_F(Plugwatch, CommandThatCannotStartIsNotRetriedUntilReplug) {
  std::string camera = Plug("KX3300A USB Camera");
  WriteIni("[usb]\nExec=\"" + dir_.File("no such program") + "\" KX3300\n");
  StartMonitor();
  ASSERT_TRUE(WaitFor([&] { return LogCount("start failed") == 1; }));
  LetChecksPass(5);
  EXPECT_EQ(LogCount("command 104"), 1);
  EXPECT_EQ(LogCount("check 0"), 0);

  Unplug(camera);
  ASSERT_TRUE(WaitFor([&] { return LogCount("command 105") == 1; }));
  Plug("KX3300A USB Camera");
  ASSERT_TRUE(WaitFor([&] { return LogCount("start failed") == 2; }));
}

TEST_F(Plugwatch, StartedCommandOutlivesTheMonitorAndHoldsNothingOfIt) {
  std::string camera = Plug("KX3300A USB Camera");
  // The command stays running: it must not keep the monitor's lock or socket.
  WriteIni("[usb]\nExec=/bin/sh -c \"echo $$ >> " + marker_ + "; exec sleep 60\"\n");
  pid_t monitor = StartMonitor();
  ASSERT_TRUE(WaitFor([&] { return !ReadTextFile(marker_).empty(); }));
  pid_t command = std::stoi(ReadTextFile(marker_));

  EXPECT_EQ(RunCopy({"exit"}), 0);
  EXPECT_EQ(WaitExit(monitor), 0);
  EXPECT_EQ(kill(command, 0), 0) << "the command ended with the monitor";
  EXPECT_EQ(getsid(command), command) << "the command has no session of its own";

  Unplug(camera);
  std::filesystem::remove(log_);
  pid_t next = StartMonitor();
  EXPECT_TRUE(Running(next));
  EXPECT_EQ(RunCopy({"exit"}), 0);
  EXPECT_EQ(WaitExit(next), 0);
  for (const std::string& line : Lines(ReadTextFile(marker_))) kill(std::stoi(line), SIGKILL);
}

struct IniCase {
  const char* name;
  const char* program;                 // where the program lies in the test folder
  const char* ini;                     // where its configuration lies, nullptr for none
  std::string text;                    // the configuration
  std::string item0;                   // as read
  std::string exec;
};

void PrintTo(const IniCase& c, std::ostream* out) { *out << c.name; }

class PlugwatchIni : public Plugwatch, public ::testing::WithParamInterface<IniCase> {};

TEST_P(PlugwatchIni, ReadsTheFileBesideTheProgram) {
  const IniCase& c = GetParam();
  std::string program = InstallProgram(c.program);
  if (c.ini != nullptr) WriteTextFile(dir_.File(c.ini), c.text);
  Start({kFastChecks, "--check-log=" + log_}, program);
  ASSERT_TRUE(WaitFor([&] { return Checks() >= 1; }));
  EXPECT_EQ(LogCount("item0 " + c.item0), 1);
  EXPECT_EQ(LogCount("exec " + c.exec), 1);
  EXPECT_EQ(RunCopy({"exit"}), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PlugwatchIni,
    ::testing::Values(
        IniCase{"MissingFile", "bin/plugwatch", nullptr, "", "KX3300A", kDefaultExec},
        IniCase{"MissingKeys", "bin/plugwatch", "bin/plugwatch.ini", "[usb]\nOther=1\n[more]\nItem0=x\n",
                "KX3300A", kDefaultExec},
        IniCase{"BothKeys", "bin/plugwatch", "bin/plugwatch.ini", "[usb]\nItem0=Cam\nExec=/bin/true x\n", "Cam",
                "/bin/true x"},
        IniCase{"LongValues", "bin/plugwatch", "bin/plugwatch.ini",
                "[usb]\nItem0=" + std::string(100, 'i') + "\nExec=" + std::string(300, 'e') + "\n",
                std::string(63, 'i'), std::string(259, 'e')},
        IniCase{"NameWithExtension", "bin/plug.watch", "bin/plug.ini", "[usb]\nItem0=Dot\n", "Dot", kDefaultExec},
        IniCase{"DotOnlyInFolderName", "my.bin/plugwatch", "my.bin/plugwatch.ini", "[usb]\nItem0=Folder\n",
                "Folder", kDefaultExec}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
