// Every test binary starts here: no display, the built DSM, no machine
// settings, and a private runtime folder, whether ctest or a person runs it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

// fontconfig keeps its pattern cache for the life of the process; under
// LeakSanitizer that is a leak of the library, not of ours.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("SNAPSRC_DSM", SNAPSRC_BIN_DIR "/libtwaindsm.so.2", 1);
  setenv("SNAPSRC_REGISTRY", SNAPSRC_TEST_RUNTIME "/no-registry.reg", 1);
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
    std::filesystem::create_directories(SNAPSRC_TEST_RUNTIME);
    std::filesystem::permissions(SNAPSRC_TEST_RUNTIME, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", SNAPSRC_TEST_RUNTIME, 1);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
