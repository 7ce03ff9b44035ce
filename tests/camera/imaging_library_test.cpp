#include "camera/imaging_library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "camera/settings.h"
#include "platform/module_path.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kBuiltLibrary = std::string(SNAPSRC_BIN_DIR) + "/KX3300_IP.DLL";

class ImagingLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ResetImagingLibrary();
    registry_ = dir_.File("registry.reg");
    setenv("SNAPSRC_REGISTRY", registry_.c_str(), 1);
    fs::create_directory(library_dir());
  }
  void TearDown() override {
    ResetImagingLibrary();
    ResetSettings();
  }

  std::string library_dir() const { return dir_.File("lib"); }
  void Install(const std::string& from, const std::string& name) const {
    fs::copy_file(from, library_dir() + "/" + name, fs::copy_options::overwrite_existing);
  }
  void SetBarIp(const std::string& key, const std::string& name) const {
    WriteTextFile(registry_, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\" + key + "]\n\"bar_ip\"=\"" + name + "\"\n");
  }
  static bool AllLoaded() {
    return imaging_library.library != nullptr && imaging_library.IP_hDIB != nullptr &&
           imaging_library.IP_pRGB24 != nullptr && imaging_library.IP_ImageResample != nullptr;
  }
  static bool AllEmpty() {
    return imaging_library.library == nullptr && imaging_library.IP_hDIB == nullptr &&
           imaging_library.IP_pRGB24 == nullptr && imaging_library.IP_ImageResample == nullptr;
  }

  TempDir dir_;
  std::string registry_;
};

TEST_F(ImagingLibraryTest, LoadsTheDefaultLibraryBesideTheSource) {
  Install(kBuiltLibrary, "KX3300_IP.DLL");
  LoadImagingLibraryFrom(library_dir());
  ASSERT_TRUE(AllLoaded());

  // The entry points are the library's: a 1 x 1 grey picture scales to 2 x 2.
  const uint8_t source[3] = {90, 90, 90};
  std::vector<uint8_t> target(12, 0);
  EXPECT_EQ(imaging_library.IP_ImageResample(source, 1, 1, target.data(), 2, 2), 1);
  EXPECT_EQ(target, std::vector<uint8_t>(12, 90));

  UnloadImagingLibrary();
  EXPECT_TRUE(AllEmpty());
}

TEST_F(ImagingLibraryTest, WithoutSettingsTheDirectoryIsThatOfTheSourcesOwnFile) {
  // The test program sits beside the built library, as SNAPSRC.DS does.
  EXPECT_EQ(ImagingLibraryPath(ModuleDirectory()), ModuleDirectory() + "/KX3300_IP.DLL");
  LoadImagingLibrary();
  EXPECT_TRUE(AllLoaded());
}

TEST_F(ImagingLibraryTest, MissingLibraryLeavesEveryEntryPointEmpty) {
  LoadImagingLibraryFrom(library_dir());
  EXPECT_TRUE(AllEmpty());

  // A file that is not a library at all counts as missing too.
  WriteTextFile(library_dir() + "/KX3300_IP.DLL", "not a library");
  LoadImagingLibraryFrom(library_dir());
  EXPECT_TRUE(AllEmpty());
}

TEST_F(ImagingLibraryTest, MissingExportLeavesOnlyThatEntryPointEmpty) {
  Install(SNAPSRC_PARTIAL_IMAGING_LIBRARY, "KX3300_IP.DLL");
  LoadImagingLibraryFrom(library_dir());
  EXPECT_NE(imaging_library.library, nullptr);
  EXPECT_NE(imaging_library.IP_hDIB, nullptr);
  EXPECT_EQ(imaging_library.IP_pRGB24, nullptr);
  EXPECT_EQ(imaging_library.IP_ImageResample, nullptr);
}

TEST_F(ImagingLibraryTest, BarIpNamesAnotherFileInTheSameDirectory) {
  Install(kBuiltLibrary, "other_ip.so");
  SetBarIp("SOFTWARE\\KX3300", "other_ip.so");
  EXPECT_EQ(ImagingLibraryPath(library_dir()), library_dir() + "/other_ip.so");
  LoadImagingLibraryFrom(library_dir());
  EXPECT_TRUE(AllLoaded());
}

TEST_F(ImagingLibraryTest, BarIpNamingAMissingFileDoesNotFallBackToTheDefault) {
  Install(kBuiltLibrary, "KX3300_IP.DLL");
  SetBarIp("SOFTWARE\\KX3300", "absent.so");
  LoadImagingLibraryFrom(library_dir());
  EXPECT_TRUE(AllEmpty());
}

TEST_F(ImagingLibraryTest, BarIpIsReadFromTheKeyOfTheLastCamera) {
  Install(kBuiltLibrary, "model8.so");
  SetBarIp("SOFTWARE\\KX3300_3", "model8.so");
  LoadImagingLibraryFrom(library_dir());
  EXPECT_TRUE(AllEmpty());  // the base key has no "bar_ip" and no default library is installed
  SelectSettingsKey(8);
  LoadImagingLibraryFrom(library_dir());
  EXPECT_TRUE(AllLoaded());
}

TEST_F(ImagingLibraryTest, LoadingAgainLetsTheEarlierLibraryGo) {
  Install(kBuiltLibrary, "KX3300_IP.DLL");
  LoadImagingLibraryFrom(library_dir());
  ASSERT_TRUE(AllLoaded());
  Install(SNAPSRC_PARTIAL_IMAGING_LIBRARY, "partial.so");
  SetBarIp("SOFTWARE\\KX3300", "partial.so");
  LoadImagingLibraryFrom(library_dir());
  EXPECT_EQ(imaging_library.IP_ImageResample, nullptr);
  UnloadImagingLibrary();
  UnloadImagingLibrary();  // twice is harmless
  EXPECT_TRUE(AllEmpty());
}

}  // namespace
