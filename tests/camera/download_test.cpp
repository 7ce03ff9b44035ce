// The download end to end: virtual cameras served in-process, the real channel
// and commands, a store in a private temporary directory. The stored bytes are
// checked against the transfer buffer the virtual camera itself produces.
#include "camera/download.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "camera/picture_store.h"
#include "camera/whole_file.h"
#include "camera_fixture.h"
#include "platform/memory.h"

namespace {

namespace fs = std::filesystem;

int pump_calls = 0;
void CountPump() { ++pump_calls; }

struct Expected {
  int camera_index;  // which of the camera's pictures the record holds
  int width, height, mode, kind;
};

class DownloadTest : public CameraFixture {
 protected:
  void SetUp() override {
    CameraFixture::SetUp();
    tmp_ = dir_.File("tmp");
    ASSERT_EQ(mkdir(tmp_.c_str(), 0700), 0);
    if (const char* old = std::getenv("TMPDIR")) saved_tmpdir_ = old;
    had_tmpdir_ = std::getenv("TMPDIR") != nullptr;
    setenv("TMPDIR", tmp_.c_str(), 1);
    ResetPictureStore();
    pump_calls = 0;
    ASSERT_TRUE(CreatePictureStore());
  }

  void TearDown() override {
    ResetPictureStore();
    if (had_tmpdir_) {
      setenv("TMPDIR", saved_tmpdir_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
    CameraFixture::TearDown();
  }

  // OpenCamera, then the download; the open must succeed.
  bool Download(DownloadFailure* failure = nullptr) {
    EXPECT_TRUE(OpenCamera(nullptr));
    return DownloadPictures(nullptr, CountPump, failure);
  }

  static std::string StoreFile(int record) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d.bar", record);
    return std::string(picture_store.store_dir) + "/" + name;
  }

  static std::vector<uint8_t> ReadFile(int record) {
    std::string path = StoreFile(record);
    void* block = ReadWholeFile(path.c_str());
    if (block == nullptr) return {};
    std::vector<uint8_t> bytes(BlockSize(block));
    auto* data = static_cast<const uint8_t*>(LockBlock(block));
    std::memcpy(bytes.data(), data, bytes.size());
    FreeBlock(block);
    // BlockSize may round up; the file's own length is what counts.
    bytes.resize(static_cast<std::size_t>(fs::file_size(path)));
    return bytes;
  }

  static int StoredFiles() {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(picture_store.store_dir)) n += entry.is_regular_file();
    return n;
  }

  // The file of record `record` as the download must have written it: the
  // camera's transfer buffer, its frame moved to the start when both markers
  // were found, the header over the first five bytes.
  static std::vector<uint8_t> ExpectedFile(const SimCamConfig& config, int index, int stored_mode) {
    SimCamera reference(config);
    const SimPicture& p = config.pictures[static_cast<std::size_t>(index)];
    const std::size_t transfer = TransferSize(p.width, p.height);
    std::vector<uint8_t> buffer = reference.TransferBuffer(index, transfer + config.extra_block_bytes);
    buffer.resize(transfer);
    const std::size_t s = reference.FrameOffset(index, transfer + config.extra_block_bytes);
    const std::size_t frame = static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height) + 14;
    if (p.markers == SimMarkers::Intact && s > 0) std::memmove(buffer.data(), buffer.data() + s, frame);
    buffer[0] = static_cast<uint8_t>(p.param11 == 1 ? 1 : 0);
    buffer[1] = static_cast<uint8_t>(p.param20);
    buffer[2] = static_cast<uint8_t>(stored_mode);
    buffer[3] = static_cast<uint8_t>(p.width >> 4);
    buffer[4] = static_cast<uint8_t>(p.height >> 4);
    return buffer;
  }

  void ExpectRecords(const SimCamConfig& config, const std::vector<Expected>& expected) {
    ASSERT_EQ(picture_table.picture_count, static_cast<int>(expected.size()));
    for (std::size_t r = 0; r < expected.size(); ++r) {
      SCOPED_TRACE("record " + std::to_string(r));
      const Expected& e = expected[r];
      const PictureRecord& rec = picture_table.records[r];
      EXPECT_EQ(rec.width, e.width);
      EXPECT_EQ(rec.height, e.height);
      EXPECT_EQ(rec.mode, e.mode);
      EXPECT_EQ(rec.kind, e.kind);
      EXPECT_EQ(rec.narrow, e.width < 352 ? 1 : 0);
      EXPECT_EQ(rec.half_height, e.width > 2 * e.height ? 1 : 0);
      EXPECT_EQ(rec.selected, 1);
      EXPECT_EQ(rec.buffer, nullptr);
      const SimPicture& p = config.pictures[static_cast<std::size_t>(e.camera_index)];
      EXPECT_EQ(rec.param20, p.param20);
      EXPECT_EQ(rec.param11_flag, p.param11 == 1 ? 1 : 0);

      std::vector<uint8_t> file = ReadFile(static_cast<int>(r));
      ASSERT_EQ(file.size(), TransferSize(e.width, e.height));
      EXPECT_EQ(file, ExpectedFile(config, e.camera_index, e.mode));
    }
  }

  std::string tmp_;
  std::string saved_tmpdir_;
  bool had_tmpdir_ = false;
};

SimPicture Photo(int w, int h, int mode = 0) {
  SimPicture p = MakePhoto(w, h, static_cast<uint32_t>(w + h));
  p.mode = mode;
  p.param20 = 17;
  p.param11 = 1;
  return p;
}

TEST_F(DownloadTest, StoresEveryAcceptedPictureAlignedWithItsHeader) {
  SimCamConfig config;
  config.pictures = {Photo(640, 480, 3), Photo(352, 288, 2), Photo(800, 600), Photo(176, 72, 1)};
  for (const SimPicture& p : MakeClip(160, 120, 3, 9)) config.pictures.push_back(p);
  config.pictures.push_back(Photo(88, 72, 6));
  SimCamServer& cam = Serve(config);

  ASSERT_TRUE(Download());
  // The 800 x 600 picture takes no record; the next one takes its number.
  ExpectRecords(config, {{0, 640, 480, 3, 0},
                         {1, 352, 288, 2, 0},
                         {3, 176, 72, 1, 0},
                         {4, 160, 120, 0, 17},
                         {5, 160, 120, 0, 1},
                         {6, 160, 120, 0, 1},
                         {7, 88, 72, 6, 0}});
  EXPECT_EQ(StoredFiles(), 7);
  EXPECT_EQ(picture_table.camera_picture_count, 7);
  EXPECT_EQ(picture_table.photo_count, 4);
  EXPECT_EQ(picture_table.clip_count, 1);
  EXPECT_EQ(picture_table.item_count, 5);
  EXPECT_STREQ(picture_store.picture_dir, picture_store.store_dir);
  EXPECT_EQ(pump_calls, 8);  // before every picture, the skipped one too

  // The sizes the store's description names.
  EXPECT_EQ(ReadFile(0).size(), 307328u);
  EXPECT_EQ(ReadFile(1).size(), 101504u);
  std::vector<uint8_t> file = ReadFile(1);
  EXPECT_EQ(file[3], 22);
  EXPECT_EQ(file[4], 18);
  // The camera's frame starts right after the header and ends with its marker.
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 9 + 352 * 288, file.begin() + 14 + 352 * 288),
            std::vector<uint8_t>(std::begin(kFrameEndMarker), std::end(kFrameEndMarker)));

  // The camera is back in normal mode and let go; no buffer stayed out.
  SimStats stats = cam.Stats();
  EXPECT_EQ(stats.mode, 0);
  EXPECT_EQ(stats.blocks_outstanding, 0);
  EXPECT_EQ(stats.pictures_delivered, 7);
  EXPECT_EQ(camera_channel.capture_filter, nullptr);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DownloadTest, MisbehavingTransfersAreStoredAsTheyCame) {
  const struct {
    const char* name;
    SimMarkers markers;
    uint32_t extra;
    int offset;
  } cases[] = {
      {"start marker missing", SimMarkers::MissingStart, 0, 37},
      {"end marker damaged", SimMarkers::DamagedEnd, 0, 37},
      {"more bytes than asked", SimMarkers::Intact, 1000, 50},
      {"frame already at the start", SimMarkers::Intact, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimCamConfig config;
    config.pictures = {Photo(320, 240, 4), Photo(352, 144, 5)};
    for (SimPicture& p : config.pictures) p.markers = c.markers;
    config.extra_block_bytes = c.extra;
    config.frame_offset = c.offset;
    Serve(config, std::string("cam-") + std::to_string(&c - cases));
    ResetAll();
    ASSERT_TRUE(Download());
    ExpectRecords(config, {{0, 320, 240, 4, 0}, {1, 352, 144, 5, 0}});
    servers_.clear();
  }
}

TEST_F(DownloadTest, SubstitutionSumsOfModelsTwoAndThree) {
  // 13 photos of 352 x 288 add 8 each: 104.
  auto thirteen = [] {
    std::vector<SimPicture> p;
    for (int i = 0; i < 13; ++i) p.push_back(Photo(352, 288));
    return p;
  };
  auto clip = [](int w, int h, int frames) { return MakeClip(w, h, frames, 3); };
  auto join = [](std::vector<SimPicture> a, const std::vector<SimPicture>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const struct {
    const char* name;
    uint8_t status;
    uint8_t subst;
    std::vector<SimPicture> pictures;
    std::vector<int> use_next;  // records that get it
  } cases[] = {
      // Clip start at 108 gets it, its next frame at 112 does not; a photo after.
      {"model 2, clip at 108", 0x22, 1, join(join(thirteen(), clip(352, 144, 2)), {Photo(160, 120)}), {13}},
      {"model 3, clip at 108", 0x23, 1, join(join(thirteen(), clip(352, 144, 2)), {Photo(160, 120)}), {13}},
      // Two photos of code 2 reach 108 without it; a clip of code 1 then reaches 109.
      {"photo at 108, clip at 109", 0x22, 1,
       join(join(thirteen(), {Photo(160, 120), Photo(160, 120)}), join(clip(176, 72, 2), {Photo(88, 72)})),
       {15}},
      {"check off", 0x22, 0, join(join(thirteen(), clip(352, 144, 2)), {Photo(160, 120)}), {}},
      {"model 1", 0x21, 1, join(join(thirteen(), clip(352, 144, 2)), {Photo(160, 120)}), {}},
      // The clip's only frame is the camera's last picture: there is no next record.
      {"last record", 0x22, 1, join(thirteen(), clip(352, 144, 1)), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimCamConfig config;
    config.status = c.status;
    config.subst = c.subst;
    config.pictures = c.pictures;
    // Only the sums matter here: flat pictures spare rendering scenes.
    for (SimPicture& p : config.pictures) {
      const int rows = p.width > 2 * p.height ? 2 * p.height : p.height;
      p.rgb.assign(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(rows) * 3, 0x80);
    }
    Serve(config, std::string("cam-") + std::to_string(&c - cases));
    ResetAll();
    ASSERT_TRUE(Download());
    ASSERT_EQ(picture_table.picture_count, static_cast<int>(c.pictures.size()));
    std::vector<int> got;
    for (int r = 0; r < picture_table.picture_count; ++r) {
      if (picture_table.records[r].use_next) got.push_back(r);
    }
    EXPECT_EQ(got, c.use_next);
    servers_.clear();
  }
}

TEST_F(DownloadTest, ModelTwelveStoresModeOneExceptAtFullCif) {
  SimCamConfig config;
  config.status = 0x4C;
  config.pictures = {Photo(320, 240, 5), Photo(352, 288, 5), Photo(640, 480, 9)};
  Serve(config);
  ASSERT_TRUE(Download());
  ExpectRecords(config, {{0, 320, 240, 1, 0}, {1, 352, 288, 5, 0}, {2, 640, 480, 1, 0}});
  EXPECT_EQ(ReadFile(0)[2], 1);
  EXPECT_EQ(ReadFile(1)[2], 5);
}

TEST_F(DownloadTest, TheCountsFollowTheRecordsWhenParameterTenIsNotValid) {
  // Parameter 7 bit 7 clear: the download stores a photo; the open counted the
  // clip start as a clip and the further frame as nothing at all.
  SimCamConfig config;
  config.pictures = {Photo(320, 240)};
  for (SimPicture p : MakeClip(160, 120, 2, 5)) {
    p.kind_valid = false;
    config.pictures.push_back(p);
  }
  Serve(config);
  ASSERT_TRUE(OpenCamera(nullptr));
  EXPECT_EQ(picture_table.clip_count, 1);
  ASSERT_TRUE(DownloadPictures(nullptr, nullptr));
  EXPECT_EQ(picture_table.picture_count, 3);
  for (int r = 0; r < 3; ++r) EXPECT_EQ(picture_table.records[r].kind, kPicturePhoto);
  EXPECT_EQ(picture_table.photo_count, 3);
  EXPECT_EQ(picture_table.clip_count, 0);
  EXPECT_EQ(picture_table.item_count, 3);
}

TEST_F(DownloadTest, ACameraGoingAwayEndsTheDownloadWithWhatWasCounted) {
  SimCamConfig config;
  config.pictures = {Photo(320, 240), Photo(160, 120)};
  for (const SimPicture& p : MakeClip(176, 144, 3, 2)) config.pictures.push_back(p);
  config.gone_after = 4;
  SimCamServer& cam = Serve(config);
  ASSERT_TRUE(Download());
  // The fourth picture's file was written, but the camera said it could no
  // longer deliver: it is not counted.
  EXPECT_EQ(picture_table.picture_count, 3);
  EXPECT_EQ(picture_table.camera_picture_count, 3);
  EXPECT_EQ(picture_table.photo_count, 2);
  EXPECT_EQ(picture_table.clip_count, 1);
  EXPECT_EQ(picture_table.item_count, 3);
  EXPECT_EQ(StoredFiles(), 4);
  EXPECT_TRUE(cam.Gone());
  EXPECT_EQ(camera_channel.capture_filter, nullptr);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DownloadTest, ACameraGoneAfterItsFirstPictureCountsNothing) {
  SimCamConfig config;
  config.pictures = {Photo(320, 240), Photo(160, 120)};
  config.gone_after = 1;
  Serve(config);
  // What an earlier download left stays as it was counted.
  picture_table.picture_count = 5;
  DownloadFailure failure = DownloadFailure::None;
  EXPECT_FALSE(Download(&failure));
  EXPECT_EQ(failure, DownloadFailure::NoPictures);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"\tNo photo in Digital Camera!\tOK\tOK"});
  EXPECT_EQ(picture_table.picture_count, 5);
  EXPECT_EQ(camera_channel.capture_filter, nullptr);
}

TEST_F(DownloadTest, OnlyUnacceptedSizesIsACameraWithoutPhotos) {
  SimCamConfig config;
  config.pictures = {Photo(800, 600), Photo(100, 100)};
  SimCamServer& cam = Serve(config);
  DownloadFailure failure = DownloadFailure::None;
  EXPECT_FALSE(Download(&failure));
  EXPECT_EQ(failure, DownloadFailure::NoPictures);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(StoredFiles(), 0);
  EXPECT_EQ(cam.Stats().pictures_delivered, 0);
  EXPECT_EQ(cam.Stats().mode, 0);
}

TEST_F(DownloadTest, ACameraReportingNoPicturesIsNotDownloaded) {
  // Not after a successful open, but it must not reach for a record before the first.
  picture_table.camera_picture_count = 0;
  picture_table.picture_count = 3;
  DownloadFailure failure = DownloadFailure::None;
  EXPECT_FALSE(DownloadPictures(nullptr, CountPump, &failure));
  EXPECT_EQ(failure, DownloadFailure::NoPictures);
  EXPECT_EQ(picture_table.picture_count, 3);
  EXPECT_EQ(pump_calls, 0);
}

TEST_F(DownloadTest, NoStoreMeansNothingIsReadOrWritten) {
  SimCamConfig config;
  config.pictures = {Photo(320, 240), Photo(160, 120)};
  SimCamServer& cam = Serve(config);
  ASSERT_TRUE(OpenCamera(nullptr));
  const std::string store = picture_store.store_dir;
  ResetPictureStore();  // as when no directory could be made
  picture_table.picture_count = 4;
  DownloadFailure failure = DownloadFailure::None;
  EXPECT_FALSE(DownloadPictures(nullptr, CountPump, &failure));
  EXPECT_EQ(failure, DownloadFailure::NoStore);
  EXPECT_EQ(picture_table.picture_count, 4);
  EXPECT_EQ(pump_calls, 0);
  SimStats stats = cam.Stats();
  EXPECT_EQ(stats.pictures_delivered, 0);
  EXPECT_EQ(stats.mode, 0);
  EXPECT_EQ(camera_channel.capture_filter, nullptr);
  EXPECT_TRUE(fs::is_empty(store));
  EXPECT_TRUE(fs::is_empty(tmp_ + "/" + fs::path(store).filename().string()));
}

TEST_F(DownloadTest, AStoreDeletedFromThePumpStopsTheDownload) {
  SimCamConfig config;
  config.pictures = {Photo(320, 240), Photo(160, 120), Photo(88, 72)};
  SimCamServer& cam = Serve(config);
  ASSERT_TRUE(OpenCamera(nullptr));
  static int calls;
  calls = 0;
  // The window closing while the download pumps its events.
  auto close_window = [] {
    if (++calls == 2) DeletePictureStore();
  };
  DownloadFailure failure = DownloadFailure::None;
  EXPECT_FALSE(DownloadPictures(nullptr, close_window, &failure));
  EXPECT_EQ(failure, DownloadFailure::NoStore);
  EXPECT_EQ(picture_table.picture_count, 0);
  EXPECT_EQ(picture_table.item_count, 0);
  EXPECT_EQ(cam.Stats().pictures_delivered, 1);
  EXPECT_EQ(camera_channel.capture_filter, nullptr);
  EXPECT_TRUE(fs::is_empty(tmp_));
}

TEST_F(DownloadTest, NoMoreThanTheTableHoldsIsRead) {
  SimCamConfig config;
  for (int i = 0; i < 212; ++i) config.pictures.push_back(Photo(88, 72, i % 16));
  SimCamServer& cam = Serve(config);
  ASSERT_TRUE(Download());
  EXPECT_EQ(picture_table.picture_count, kMaxPictures);
  EXPECT_EQ(picture_table.camera_picture_count, kMaxPictures);
  EXPECT_EQ(picture_table.photo_count, kMaxPictures);
  EXPECT_EQ(StoredFiles(), kMaxPictures);
  EXPECT_FALSE(fs::exists(StoreFile(207).substr(0, StoreFile(207).size() - 8) + "0208.bar"));
  EXPECT_EQ(cam.Stats().pictures_delivered, kMaxPictures);
  EXPECT_EQ(ReadFile(207), ExpectedFile(config, 207, 207 % 16));
}

TEST_F(DownloadTest, BarPathIsWhereDecodingReadsAfterADownload) {
  WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"bar_path\"=\"/srv/raw/\"\n");
  SimCamConfig config;
  config.pictures = {Photo(320, 240)};
  Serve(config);
  const std::string store = picture_store.store_dir;
  ASSERT_TRUE(Download());
  EXPECT_STREQ(picture_store.picture_dir, "/srv/raw");
  EXPECT_EQ(picture_store.store_dir, store);
  EXPECT_TRUE(fs::exists(store + "/0000.bar"));  // written to the store all the same
}

TEST_F(DownloadTest, TeardownKeepsOrRemovesTheStore) {
  const struct {
    const char* name;
    bool download;
    const char* not_delete;
    bool kept;
  } cases[] = {
      {"download, NotDelete set", true, "dword:00000001", true},
      {"download, NotDelete 0", true, "dword:00000000", false},
      {"no download", false, "dword:00000000", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteRegistry(std::string("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"NotDelete\"=") + c.not_delete + "\n");
    ResetAll();
    ResetPictureStore();
    fs::remove_all(tmp_);
    fs::create_directory(tmp_);
    ASSERT_TRUE(CreatePictureStore());
    const std::string store = picture_store.store_dir;
    if (c.download) {
      SimCamConfig config;
      config.pictures = {Photo(320, 240), Photo(160, 120)};
      Serve(config, std::string("cam-") + std::to_string(&c - cases));
      ASSERT_TRUE(Download());
    }
    DeletePictureStore();
    EXPECT_EQ(fs::exists(store), c.kept);
    if (c.kept) {
      EXPECT_TRUE(fs::exists(store + "/0001.bar"));
    }
    servers_.clear();
  }
}

}  // namespace
