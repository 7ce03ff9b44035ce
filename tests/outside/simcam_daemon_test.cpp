// The simcam program as a person runs it: it prints where it listens, serves
// the source's real channel, and leaves when its camera goes away.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "camera/camera_channel.h"
#include "platform/virtual_clock.h"
#include "support/temp_dir.h"

namespace {

const std::string kSimcam = std::string(SNAPSRC_BIN_DIR) + "/simcam";

struct Child {
  pid_t pid = -1;
  FILE* out = nullptr;
};

Child Spawn(std::vector<std::string> args) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(fds[1]);
  return {pid, fdopen(fds[0], "r")};
}

std::string ReadLine(FILE* f) {
  char line[512] = {};
  if (std::fgets(line, sizeof line, f) == nullptr) return {};
  return line;
}

int ExitCode(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SimcamDaemonTest, ServesTheChannelUntilTheCameraGoesAway) {
  TempDir dir;
  Child child = Spawn({kSimcam, "--devices", dir.path(), "--socket", "cam", "--name", "KX3300A Daemon",
                       "--photo", "160x120", "--gone-after", "1"});
  ASSERT_GT(child.pid, 0);
  EXPECT_EQ(ReadLine(child.out),
            "simcam: \"KX3300A Daemon\" with 1 picture listening on " + dir.path() + "/cam\n");

  ScopedVirtualClock clock;
  setenv("SNAPSRC_DEVICES", dir.path().c_str(), 1);
  ResetCameraChannel();
  ASSERT_TRUE(FindCamera("kx3300a"));
  ASSERT_TRUE(OpenCameraHandle());
  uint8_t count = 0;
  WriteCameraRegister(CAMREG_ARG, 0);
  WriteCameraRegister(CAMREG_CMD, CAMCMD_COUNT);
  EXPECT_TRUE(ReadCameraRegister(CAMREG_ARG, &count));
  EXPECT_EQ(count, 1);
  WriteCameraRegister(CAMREG_ARG, 0);
  WriteCameraRegister(CAMREG_CMD, CAMCMD_SELECT);
  std::vector<uint8_t> buffer(160 * 120 + 128);
  EXPECT_EQ(ReadCameraBlock(buffer.data(), buffer.size()), buffer.size());
  EXPECT_EQ(QueryCameraProperty(CAMPROP_ALIVE), 0);
  ReleaseCamera();

  EXPECT_EQ(ReadLine(child.out), "simcam: the camera went away\n");
  EXPECT_EQ(ExitCode(child.pid), 0);
  std::fclose(child.out);
  EXPECT_NE(access((dir.path() + "/cam").c_str(), F_OK), 0);
}

TEST(SimcamDaemonTest, ExplainsItselfAndRefusesNonsense) {
  Child help = Spawn({kSimcam, "--help"});
  EXPECT_EQ(ReadLine(help.out), "Usage: simcam [options]\n");
  std::fclose(help.out);
  EXPECT_EQ(ExitCode(help.pid), 0);

  Child bad = Spawn({kSimcam, "--status", "999"});
  std::fclose(bad.out);
  EXPECT_EQ(ExitCode(bad.pid), 2);
}

}  // namespace
