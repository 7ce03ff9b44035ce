#include "camera/picture_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "camera/settings.h"
#include "camera/whole_file.h"
#include "platform/memory.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class PictureStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPictureStore();
    ResetSettings();
    if (const char* old = std::getenv("TMPDIR")) saved_tmpdir_ = old;
    had_tmpdir_ = std::getenv("TMPDIR") != nullptr;
    setenv("TMPDIR", dir_.path().c_str(), 1);
    registry_ = dir_.File("registry.reg");
    setenv("SNAPSRC_REGISTRY", registry_.c_str(), 1);
  }
  void TearDown() override {
    ResetPictureStore();
    if (had_tmpdir_) {
      setenv("TMPDIR", saved_tmpdir_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

  void Settings(const std::string& values) {
    WriteTextFile(registry_, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n" + values);
  }

  static std::string Record(int record) {
    char path[kStorePathSize + 16];
    EXPECT_TRUE(StorePicturePath(record, path, sizeof path));
    return path;
  }

  TempDir dir_;
  std::string registry_;
  std::string saved_tmpdir_;
  bool had_tmpdir_ = false;
};

TEST_F(PictureStoreTest, CreatesAPrivateDirectoryNamedAfterTheMinuteInTmpdir) {
  ASSERT_TRUE(CreatePictureStore());
  ASSERT_TRUE(PictureStoreReady());
  fs::path store = picture_store.store_dir;
  EXPECT_EQ(store.parent_path(), fs::path(dir_.path()));
  std::string name = store.filename().string();
  ASSERT_EQ(name.size(), 12u) << name;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (i == 8) {
      EXPECT_EQ(name[i], '.') << name;
    } else {
      EXPECT_TRUE(name[i] >= '0' && name[i] <= '9') << name;
    }
  }
  EXPECT_EQ(name.substr(9), "000");
  EXPECT_STREQ(picture_store.picture_dir, picture_store.store_dir);

  struct stat info {};
  ASSERT_EQ(stat(picture_store.store_dir, &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(info.st_mode & 07777, 0700u);
}

TEST_F(PictureStoreTest, ModeIsExactlyOwnerOnlyWhateverTheUmask) {
  for (mode_t mask : {mode_t{0}, mode_t{0277}}) {
    mode_t old = umask(mask);
    bool made = CreatePictureStore();
    umask(old);
    ASSERT_TRUE(made) << "umask " << mask;
    struct stat info {};
    ASSERT_EQ(stat(picture_store.store_dir, &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u) << "umask " << mask;
  }
}

TEST_F(PictureStoreTest, EachWindowGetsItsOwnDirectory) {
  ASSERT_TRUE(CreatePictureStore());
  std::string first = picture_store.store_dir;
  ASSERT_TRUE(CreatePictureStore());
  std::string second = picture_store.store_dir;
  EXPECT_NE(first, second);
  EXPECT_TRUE(fs::is_directory(first));
  EXPECT_TRUE(fs::is_directory(second));
}

TEST_F(PictureStoreTest, NeverTakesOverAnEntryThatIsAlreadyThere) {
  // Someone else's symbolic link under the name the store would pick first.
  ASSERT_TRUE(CreatePictureStore());
  std::string taken = picture_store.store_dir;
  fs::remove(taken);
  fs::create_directory_symlink(dir_.path(), taken);
  ASSERT_TRUE(CreatePictureStore());
  EXPECT_NE(std::string(picture_store.store_dir), taken);
  EXPECT_FALSE(fs::is_symlink(picture_store.store_dir));
}

TEST_F(PictureStoreTest, RelativeTmpdirIsResolvedOnce) {
  fs::create_directory(dir_.File("rel"));
  fs::path cwd = fs::current_path();
  fs::current_path(dir_.path());
  setenv("TMPDIR", "rel/", 1);
  bool made = CreatePictureStore();
  fs::current_path(cwd);
  ASSERT_TRUE(made);
  EXPECT_EQ(fs::path(picture_store.store_dir).parent_path(), fs::path(dir_.File("rel")));
}

TEST_F(PictureStoreTest, EmptyOrMissingTmpdirMeansTmp) {
  for (bool set_empty : {true, false}) {
    if (set_empty) {
      setenv("TMPDIR", "", 1);
    } else {
      unsetenv("TMPDIR");
    }
    ASSERT_TRUE(CreatePictureStore());
    EXPECT_EQ(fs::path(picture_store.store_dir).parent_path(), fs::path("/tmp"));
    DeletePictureStore();
  }
}

TEST_F(PictureStoreTest, UnusableTmpdirFailsCleanly) {
  WriteTextFile(dir_.File("plain-file"), "x");
  std::vector<std::string> unusable = {dir_.File("missing"), dir_.File("plain-file"),
                                       dir_.File("missing/deeper"), "/" + std::string(kStorePathSize, 'x')};
  if (geteuid() != 0) {  // root writes anywhere
    fs::create_directory(dir_.File("read-only"));
    fs::permissions(dir_.File("read-only"), fs::perms::owner_read | fs::perms::owner_exec);
    unusable.push_back(dir_.File("read-only"));
  }
  for (const std::string& tmpdir : unusable) {
    setenv("TMPDIR", tmpdir.c_str(), 1);
    EXPECT_FALSE(CreatePictureStore()) << tmpdir;
    EXPECT_FALSE(PictureStoreReady());
    EXPECT_STREQ(picture_store.store_dir, "");
    EXPECT_STREQ(picture_store.picture_dir, "");
    // A download that went ahead anyway writes nothing anywhere.
    char path[64] = "untouched";
    EXPECT_FALSE(StorePicturePath(0, path, sizeof path));
    EXPECT_STREQ(path, "");
    const unsigned char data[4] = {1, 2, 3, 4};
    EXPECT_FALSE(WritePictureFile(0, data, sizeof data));
    DeletePictureStore();  // the teardown has nothing to do
  }
  EXPECT_FALSE(fs::exists("/0000.bar"));
  EXPECT_FALSE(fs::exists(dir_.File("0000.bar")));
}

TEST_F(PictureStoreTest, NamesFollowTheTimeAndGiveUpAfterABoundedNumberOfTries) {
  const LocalTime now = {12, 9, 15, 30};
  ASSERT_TRUE(CreatePictureStoreAt(now));
  EXPECT_EQ(fs::path(picture_store.store_dir).filename(), "12091530.000");
  ASSERT_TRUE(CreatePictureStoreAt(now));
  EXPECT_EQ(fs::path(picture_store.store_dir).filename(), "12091530.001");

  for (int n = 2; n < kStoreNameTries; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "12091530.%03d", n);
    fs::create_directory(dir_.File(name));
  }
  std::size_t before = std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator());
  EXPECT_FALSE(CreatePictureStoreAt(now));
  EXPECT_FALSE(PictureStoreReady());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), before);
  // The next minute starts afresh.
  ASSERT_TRUE(CreatePictureStoreAt({12, 9, 15, 31}));
  EXPECT_EQ(fs::path(picture_store.store_dir).filename(), "12091531.000");
}

TEST_F(PictureStoreTest, RecordPathsUseFourDigitsAndStayInRange) {
  ASSERT_TRUE(CreatePictureStore());
  std::string store = picture_store.store_dir;
  EXPECT_EQ(Record(0), store + "/0000.bar");
  EXPECT_EQ(Record(207), store + "/0207.bar");
  char path[kStorePathSize + 16];
  EXPECT_FALSE(StorePicturePath(-1, path, sizeof path));
  EXPECT_FALSE(StorePicturePath(kStoreFileCount, path, sizeof path));
  char tiny[8] = "x";
  EXPECT_FALSE(StorePicturePath(0, tiny, sizeof tiny));  // never a cut-off name
  EXPECT_STREQ(tiny, "");
}

TEST_F(PictureStoreTest, TeardownWithoutDownloadRemovesTheEmptyStore) {
  ASSERT_TRUE(CreatePictureStore());
  std::string store = picture_store.store_dir;
  DeletePictureStore();
  EXPECT_FALSE(fs::exists(store));
  EXPECT_FALSE(PictureStoreReady());
  DeletePictureStore();  // twice is harmless
}

TEST_F(PictureStoreTest, TeardownRemovesThePicturesAndTheDirectory) {
  ASSERT_TRUE(CreatePictureStore());
  std::string store = picture_store.store_dir;
  const unsigned char data[64] = {};
  for (int record : {0, 1, 207}) ASSERT_TRUE(WritePictureFile(record, data, sizeof data));
  EXPECT_EQ(fs::file_size(store + "/0207.bar"), sizeof data);
  DeletePictureStore();
  EXPECT_FALSE(fs::exists(store));
}

TEST_F(PictureStoreTest, TeardownLeavesWhatItDidNotWrite) {
  ASSERT_TRUE(CreatePictureStore());
  std::string store = picture_store.store_dir;
  const unsigned char data[8] = {};
  ASSERT_TRUE(WritePictureFile(3, data, sizeof data));
  WriteTextFile(store + "/notes.txt", "mine");
  DeletePictureStore();
  EXPECT_FALSE(fs::exists(store + "/0003.bar"));
  EXPECT_TRUE(fs::exists(store + "/notes.txt"));
}

TEST_F(PictureStoreTest, NotDeleteKeepsTheStoreAndItsFiles) {
  Settings("\"NotDelete\"=dword:00000001\n");
  ASSERT_TRUE(CreatePictureStore());
  std::string store = picture_store.store_dir;
  const unsigned char data[8] = {};
  ASSERT_TRUE(WritePictureFile(0, data, sizeof data));
  DeletePictureStore();
  EXPECT_TRUE(fs::exists(store + "/0000.bar"));
  EXPECT_STREQ(picture_store.store_dir, store.c_str());

  Settings("\"NotDelete\"=dword:00000000\n");
  DeletePictureStore();
  EXPECT_FALSE(fs::exists(store));
}

TEST_F(PictureStoreTest, BarPathReplacesWhereRecordsAreRead) {
  ASSERT_TRUE(CreatePictureStore());
  std::string store = picture_store.store_dir;
  char path[kStorePathSize + 16];

  const struct {
    std::string setting;  // registry line, empty for none
    std::string read_dir;
  } cases[] = {
      {"\"bar_path\"=\"/srv/raw\"\n", "/srv/raw"},
      {"\"bar_path\"=\"/srv/raw/\"\n", "/srv/raw"},
      {"", store},                        // setting gone: back to the store
      {"\"bar_path\"=\"\"\n", store},     // an empty value is no directory
      {"\"bar_path\"=dword:00000001\n", store},
  };
  for (const auto& c : cases) {
    Settings(c.setting);
    UseBarPath();
    ASSERT_TRUE(PicturePath(5, path, sizeof path)) << c.setting;
    EXPECT_EQ(std::string(path), c.read_dir + "/0005.bar") << c.setting;
    EXPECT_EQ(Record(5), store + "/0005.bar") << "downloads always write to the store";
  }
}

TEST(PictureSizeTest, AcceptsEveryListedWidthWithEveryListedHeight) {
  const int widths[] = {88, 160, 176, 320, 352, 640};
  const int heights[] = {72, 120, 144, 240, 288, 480};
  for (int w : widths) {
    for (int h : heights) EXPECT_TRUE(AcceptPictureSize(w, h)) << w << " x " << h;
  }
  const int rejected[][2] = {{800, 600}, {288, 352}, {352, 289}, {351, 288}, {0, 0},
                             {-352, 288}, {640, 640}, {72, 88}, {1280, 960}};
  for (const auto& size : rejected) EXPECT_FALSE(AcceptPictureSize(size[0], size[1])) << size[0] << " x " << size[1];
}

TEST(PictureSizeTest, TransferSizeLeavesRoomForTheMarkersInWholeBlocksOf64) {
  static_assert(TransferSize(352, 288) == 101504);
  static_assert(TransferSize(640, 480) == 307328);
  EXPECT_EQ(TransferSize(0, 288), 0u);
  EXPECT_EQ(TransferSize(352, -1), 0u);
  const int widths[] = {88, 160, 176, 320, 352, 640};
  const int heights[] = {72, 120, 144, 240, 288, 480};
  for (int w : widths) {
    for (int h : heights) {
      std::size_t area = static_cast<std::size_t>(w) * h;
      EXPECT_EQ(TransferSize(w, h), area + 128) << w << " x " << h;
    }
  }
  // An odd size still gets a multiple of 64 with at least 78 bytes of slack.
  for (int w = 1; w < 40; ++w) {
    std::size_t size = TransferSize(w, 3);
    EXPECT_EQ(size % 64, 0u);
    EXPECT_GE(size, static_cast<std::size_t>(w) * 3 + 78);
  }
}

constexpr int kWidth = 88;
constexpr int kHeight = 72;
constexpr std::size_t kArea = kWidth * kHeight;

// A transfer buffer of patterned bytes, into which a frame can be put.
struct FrameBuffer {
  FrameBuffer() : bytes(TransferSize(kWidth, kHeight)) {
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
  }

  // A frame whose data bytes are recognisable, with its markers, at `s`.
  void PlaceFrame(std::size_t s, const unsigned char* end = kFrameEndMarker) {
    std::copy(kFrameStartMarker, kFrameStartMarker + 5, bytes.begin() + s);
    for (std::size_t i = 0; i < kArea + 4; ++i) bytes[s + 5 + i] = static_cast<unsigned char>(i % 251);
    std::copy(end, end + 5, bytes.begin() + s + kArea + 9);
  }

  std::vector<unsigned char> bytes;
};

TEST(AlignFrameTest, MovesAFrameAtOffset37ToTheStart) {
  FrameBuffer frame_buffer;
  std::vector<unsigned char>& buffer = frame_buffer.bytes;
  frame_buffer.PlaceFrame(37);
  std::vector<unsigned char> before = buffer;
  ASSERT_TRUE(AlignFrame(buffer.data(), buffer.size(), kWidth, kHeight));
  const std::size_t frame = kArea + kFrameOverhead;
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + frame, before.begin() + 37));
  EXPECT_TRUE(std::equal(buffer.begin() + frame, buffer.end(), before.begin() + frame)) << "the tail keeps its bytes";
}

TEST(AlignFrameTest, LeavesTheBufferAloneWhenThereIsNothingToMove) {
  const struct {
    const char* what;
    long start;  // -1: no start marker at all
    bool good_end;
    bool found;
  } cases[] = {
      {"frame at offset 0", 0, true, true},
      {"wrong end marker", 37, false, false},
      {"no marker", -1, true, false},
  };
  const unsigned char bad_end[5] = {0xFF, 0xFF, 0xFF, 0xFF, 0x55};
  for (const auto& c : cases) {
    FrameBuffer fresh;
    if (c.start >= 0) fresh.PlaceFrame(static_cast<std::size_t>(c.start), c.good_end ? kFrameEndMarker : bad_end);
    std::vector<unsigned char> before = fresh.bytes;
    EXPECT_EQ(AlignFrame(fresh.bytes.data(), fresh.bytes.size(), kWidth, kHeight), c.found) << c.what;
    EXPECT_EQ(fresh.bytes, before) << c.what;
  }
}

TEST(AlignFrameTest, TakesTheFirstCompleteFrameOnly) {
  FrameBuffer frame_buffer;
  std::vector<unsigned char>& buffer = frame_buffer.bytes;
  // A start marker whose end marker does not follow, before the real frame.
  std::copy(kFrameStartMarker, kFrameStartMarker + 5, buffer.begin() + 4);
  frame_buffer.PlaceFrame(60);
  std::vector<unsigned char> before = buffer;
  ASSERT_TRUE(AlignFrame(buffer.data(), buffer.size(), kWidth, kHeight));
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + kArea + kFrameOverhead, before.begin() + 60));
}

TEST(AlignFrameTest, NeverLooksPastTheBuffer) {
  FrameBuffer frame_buffer;
  std::vector<unsigned char>& buffer = frame_buffer.bytes;
  // The frame's end would lie one byte beyond the length handed over.
  std::size_t s = buffer.size() - (kArea + kFrameOverhead);
  frame_buffer.PlaceFrame(s);
  std::vector<unsigned char> before = buffer;
  EXPECT_FALSE(AlignFrame(buffer.data(), buffer.size() - 1, kWidth, kHeight));
  EXPECT_EQ(buffer, before);
  EXPECT_TRUE(AlignFrame(buffer.data(), buffer.size(), kWidth, kHeight));
  // Buffers shorter than a frame, and sizes that are not sizes.
  EXPECT_FALSE(AlignFrame(buffer.data(), kArea + 13, kWidth, kHeight));
  EXPECT_FALSE(AlignFrame(buffer.data(), buffer.size(), 0, kHeight));
  EXPECT_FALSE(AlignFrame(buffer.data(), buffer.size(), kWidth, -kHeight));
  EXPECT_FALSE(AlignFrame(nullptr, buffer.size(), kWidth, kHeight));
}

TEST(BarHeaderTest, HoldsTheParametersAndTheSizeInSixteens) {
  const struct {
    BarHeader header;
    unsigned char bytes[5];
  } cases[] = {
      {{0, 7, 3, 352, 288}, {0, 7, 3, 22, 18}},
      {{1, 0, 15, 640, 480}, {1, 0, 15, 40, 30}},
      {{1, 255, kBarModeUnchanged, 88, 72}, {1, 255, 0xFF, 5, 4}},
      {{0, 0, 0, 4096 + 352, 288}, {0, 0, 0, 22, 18}},  // only the low 8 bits fit
  };
  for (const auto& c : cases) {
    unsigned char buffer[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    WriteBarHeader(buffer, c.header);
    EXPECT_TRUE(std::equal(buffer, buffer + kBarHeaderSize, c.bytes)) << c.header.width;
    EXPECT_EQ(buffer[kBarDataOffset], 9) << "the data is not touched";
  }
}

TEST_F(PictureStoreTest, StoresAPictureAsAlignedFrameUnderItsHeader) {
  ASSERT_TRUE(CreatePictureStore());
  const struct {
    int width;
    int height;
    long frame_at;  // -1: the camera's markers are missing
  } cases[] = {{352, 288, 37}, {640, 480, 0}, {352, 288, -1}};
  for (const auto& c : cases) {
    std::size_t area = static_cast<std::size_t>(c.width) * c.height;
    std::vector<unsigned char> buffer(TransferSize(c.width, c.height));
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<unsigned char>(i % 13);
    if (c.frame_at >= 0) {
      std::copy(kFrameStartMarker, kFrameStartMarker + 5, buffer.begin() + c.frame_at);
      for (std::size_t i = 0; i < area + 4; ++i) buffer[c.frame_at + 5 + i] = static_cast<unsigned char>(i % 211);
      std::copy(kFrameEndMarker, kFrameEndMarker + 5, buffer.begin() + c.frame_at + area + 9);
    }
    std::vector<unsigned char> sent = buffer;
    ASSERT_TRUE(StorePicture(1, buffer.data(), buffer.size(), BarHeader{1, 9, 4, c.width, c.height}));

    std::size_t length = 0;
    auto* file = static_cast<unsigned char*>(ReadWholeFile(Record(1).c_str(), &length));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(length, sent.size()) << "the file is always the whole transfer";
    const unsigned char header[5] = {1, 9, 4, static_cast<unsigned char>(c.width / 16),
                                     static_cast<unsigned char>(c.height / 16)};
    EXPECT_TRUE(std::equal(header, header + 5, file));
    if (c.frame_at >= 0) {
      EXPECT_TRUE(std::equal(file + kBarDataOffset, file + area + kFrameOverhead, sent.begin() + c.frame_at + 5));
    } else {
      EXPECT_TRUE(std::equal(file + kBarDataOffset, file + length, sent.begin() + kBarDataOffset));
    }
    FreeBlock(file);
  }
  unsigned char tiny[4] = {};
  EXPECT_FALSE(StorePicture(2, tiny, sizeof tiny, BarHeader{0, 0, 0, 88, 72}));
  EXPECT_FALSE(fs::exists(Record(2)));
}

TEST(DownloadRulesTest, Model12StoresMode1ExceptAt352By288) {
  EXPECT_EQ(StoredPictureMode(12, 320, 240, 6), 1);
  EXPECT_EQ(StoredPictureMode(12, 352, 288, 6), 6);
  EXPECT_EQ(StoredPictureMode(12, 352, 144, 6), 1);
  EXPECT_EQ(StoredPictureMode(2, 320, 240, 6), 6);
}

TEST(DownloadRulesTest, SubstitutionSizeCodes) {
  EXPECT_EQ(SubstitutionSizeCode(176, 72), 1);
  EXPECT_EQ(SubstitutionSizeCode(176, 144), 2);
  EXPECT_EQ(SubstitutionSizeCode(352, 144), 4);
  EXPECT_EQ(SubstitutionSizeCode(352, 288), 8);
  EXPECT_EQ(SubstitutionSizeCode(640, 480), 8);
  // Thirteen 352 × 288 photos and a clip of 352 × 144 frames reach 108 at the clip.
  EXPECT_EQ(13 * SubstitutionSizeCode(352, 288) + SubstitutionSizeCode(352, 144), 108);
}

}  // namespace
