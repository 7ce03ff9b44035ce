#include "monitor/launch.h"

#include <signal.h>
#include <spawn.h>

#include <string>
#include <vector>

#include "monitor/command_line.h"

extern char** environ;

bool ReapCommandsAutomatically() {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  action.sa_flags = SA_NOCLDWAIT;
  sigemptyset(&action.sa_mask);
  return sigaction(SIGCHLD, &action, nullptr) == 0;
}

bool StartCommandLine(std::string_view command_line) {
  std::vector<std::string> words = SplitCommandLine(command_line);
  if (words.empty()) return false;
  std::vector<char*> argv;
  for (std::string& word : words) {
    // A word with a NUL in it cannot reach the program whole.
    if (word.find('\0') != std::string::npos) return false;
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);

  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return false;
  // The command must not inherit what only the monitor wants: the blocked
  // termination signals and the ignored SIGCHLD (which would break a command
  // that waits for its own children).
  sigset_t empty;
  sigemptyset(&empty);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal_number : {SIGCHLD, SIGPIPE, SIGTERM, SIGINT, SIGHUP}) sigaddset(&defaults, signal_number);
  bool ready = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                         POSIX_SPAWN_SETSIGDEF) == 0 &&
               posix_spawnattr_setsigmask(&attributes, &empty) == 0 &&
               posix_spawnattr_setsigdefault(&attributes, &defaults) == 0;
  pid_t pid = 0;
  bool started = ready && posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ) == 0;
  posix_spawnattr_destroy(&attributes);
  return started;
}
