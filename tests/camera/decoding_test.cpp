// Decoding against the built imaging library: .bar files are made the way a
// download makes them, from raw frames of generated scenes, in a private store.
#include "camera/decoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "camera/camera_commands.h"
#include "camera/imaging_library.h"
#include "camera/picture_store.h"
#include "camera/picture_table.h"
#include "camera/pixel_scaling.h"
#include "camera/settings.h"
#include "camera/whole_file.h"
#include "imaging_scene.h"
#include "platform/memory.h"
#include "raw_format.h"
#include "support/temp_dir.h"

namespace {

struct Picture {
  int width = 640;
  int height = 480;  // as stored: half the scene's height for half-height pictures
  int mode = 0;
  int param20 = 8;
  int param11_flag = 0;
  int variant = 0;
  int kind = kPicturePhoto;
  uint8_t header_mode = 0;  // what the .bar header's byte 2 says; mode unless set otherwise
  bool header_mode_set = false;
};

int SceneHeight(const Picture& p) { return p.width > 2 * p.height ? 2 * p.height : p.height; }

std::vector<uint8_t> SceneOf(const Picture& p) { return MakeScene(p.width, SceneHeight(p), p.variant); }

std::vector<uint8_t> Pixels(void* bitmap) {
  const auto* p = static_cast<const uint8_t*>(bitmap) + kBitmapHeaderSize;
  return {p, p + static_cast<std::size_t>(BitmapWidth(bitmap)) * BitmapHeight(bitmap) * 3};
}

double MeanLevel(void* bitmap) {
  double sum = 0;
  const std::vector<uint8_t> pixels = Pixels(bitmap);
  for (uint8_t v : pixels) sum += v;
  return sum / static_cast<double>(pixels.size());
}

int32_t HeaderField(const void* bitmap, std::size_t offset) {
  int32_t v = 0;
  std::memcpy(&v, static_cast<const uint8_t*>(bitmap) + offset, sizeof v);
  return v;
}

// A bitmap of one flat colour, as the decoder would hand it to UpscalePicture.
void* FlatBitmap(int width, int height, uint8_t level) {
  const std::size_t pixels = static_cast<std::size_t>(width) * height * 3;
  auto* block = static_cast<uint8_t*>(AllocBlock(kBitmapHeaderSize + pixels));
  const int32_t header[6] = {kBitmapHeaderSize, width, height, 0x00180001, 0, static_cast<int32_t>(pixels)};
  std::memcpy(block, header, sizeof header);
  std::memset(block + kBitmapHeaderSize, level, pixels);
  return block;
}

class DecodingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SNAPSRC_REGISTRY", dir_.File("no-registry.reg").c_str(), 1);
    ResetSettings();
    ResetPictureTable();
    ResetCameraState();
    ResetImageAdjustments();
    ResetPictureStore();
    std::snprintf(picture_store.store_dir, kStorePathSize, "%s", dir_.path().c_str());
    std::snprintf(picture_store.picture_dir, kStorePathSize, "%s", dir_.path().c_str());
    LoadImagingLibraryFrom(SNAPSRC_BIN_DIR);
    ASSERT_NE(imaging_library.IP_hDIB, nullptr);
  }
  void TearDown() override {
    ResetImagingLibrary();
    ResetPictureStore();
    ResetPictureTable();
    ResetCameraState();
    ResetImageAdjustments();
  }

  // Stores the picture as record `index` the way a download does: the
  // camera's frame with its markers in a transfer buffer, the header written
  // over its start; and fills the record as the download would.
  void Store(int index, const Picture& p) {
    RawFrameParams params;
    params.width = p.width;
    params.height = p.height;
    params.mode = p.mode;
    params.param20 = p.param20;
    params.param11_flag = p.param11_flag;
    const std::vector<uint8_t> scene = SceneOf(p);
    const std::vector<uint8_t> frame = EncodeRawFrame(scene.data(), params);
    ASSERT_EQ(frame.size(), static_cast<std::size_t>(p.width) * p.height + 4);

    std::vector<uint8_t> buffer(TransferSize(p.width, p.height), 0);
    std::memcpy(buffer.data(), kFrameStartMarker, kFrameMarkerSize);
    std::memcpy(buffer.data() + kFrameMarkerSize, frame.data(), frame.size());
    std::memcpy(buffer.data() + kFrameMarkerSize + frame.size(), kFrameEndMarker, kFrameMarkerSize);
    const BarHeader header{static_cast<uint8_t>(p.param11_flag), static_cast<uint8_t>(p.param20),
                           p.header_mode_set ? p.header_mode : static_cast<uint8_t>(p.mode), p.width, p.height};
    ASSERT_TRUE(StorePicture(index, buffer.data(), buffer.size(), header));

    PictureRecord& r = picture_table.records[index];
    r = {};
    r.width = p.width;
    r.height = p.height;
    r.mode = p.mode;
    r.kind = p.kind;
    r.narrow = p.width < 352;
    r.half_height = p.width > 2 * p.height;
    r.selected = 1;
    if (index >= picture_table.picture_count) picture_table.picture_count = index + 1;
  }

  std::string PathOf(int index) const {
    char path[kStorePathSize + 16];
    EXPECT_TRUE(PicturePath(index, path, sizeof path));
    return path;
  }

  // Rewrites the stored file of `index` as its first `length` bytes.
  void Truncate(int index, std::size_t length) const { std::filesystem::resize_file(PathOf(index), length); }

  TempDir dir_;
};

TEST_F(DecodingTest, DecodesTheCurrentPictureCloseToTheScene) {
  struct Case {
    const char* name;
    Picture picture;
    double min_psnr;
  };
  const Case cases[] = {
      {"640x480", {640, 480}, 38.0},
      {"352x288", {352, 288}, 36.0},
      {"176x144 narrow", {176, 144}, 33.0},
      {"352x144 half-height", {352, 144}, 31.0},
      {"320x120 narrow half-height", {320, 120}, 30.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetPictureTable();
    Store(0, c.picture);
    void* bitmap = DecodeCurrentPicture();
    ASSERT_NE(bitmap, nullptr);
    const int height = SceneHeight(c.picture);
    EXPECT_EQ(BitmapWidth(bitmap), c.picture.width);
    EXPECT_EQ(BitmapHeight(bitmap), height);
    EXPECT_EQ(HeaderField(bitmap, 20), c.picture.width * height * 3);
    const double psnr = PictureSnr(SceneOf(c.picture), static_cast<uint8_t*>(bitmap) + kBitmapHeaderSize,
                                   c.picture.width, height);
    std::printf("[ PSNR     ] %-28s %.2f dB\n", c.name, psnr);
    RecordProperty(c.name, std::to_string(psnr));
    EXPECT_GE(psnr, c.min_psnr);
    FreeBlock(bitmap);
  }
}

TEST_F(DecodingTest, HeaderFieldsGoIntoTheRecordAndSteerTheLibrary) {
  // The frame was read mirrored, from a window one column in, over a black
  // level of 20; the record knows none of it until the header is read.
  struct Case {
    const char* name;
    uint8_t header_mode;
    int table_mode;
    int expected_mode;
  };
  const Case cases[] = {
      {"header gives the mode", 1, 0, 1},
      {"0xFF keeps the table's mode", kBarModeUnchanged, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Picture p{352, 288};
    p.mode = 1;
    p.param20 = 20;
    p.param11_flag = 1;
    p.header_mode = c.header_mode;
    p.header_mode_set = true;
    Store(0, p);
    PictureRecord& r = picture_table.records[0];
    r.mode = c.table_mode;
    r.param20 = 0;
    r.param11_flag = 0;
    camera_state.camera_model = 12;

    void* bitmap = DecodeCurrentPicture();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(r.mode, c.expected_mode);
    EXPECT_EQ(r.param20, 20);
    EXPECT_EQ(r.param11_flag, 1);
    EXPECT_EQ(r.record_size, kPictureRecordSize);
    EXPECT_EQ(r.model, 12);
    EXPECT_EQ(r.adjust, nullptr);  // no pointer to a dead array stays behind
    EXPECT_GE(PictureSnr(SceneOf(p), static_cast<uint8_t*>(bitmap) + kBitmapHeaderSize, 352, 288), 36.0);
    FreeBlock(bitmap);
  }
}

TEST_F(DecodingTest, UseNextDecodesTheNextFileAndNothingAtTheEnd) {
  Picture first{352, 288};
  Picture second{352, 288};
  second.variant = 1;
  second.mode = 2;
  Store(0, first);
  Store(1, second);
  picture_table.records[0].use_next = 1;
  picture_table.records[1].mode = 0;
  std::filesystem::remove(PathOf(0));  // the substitution never reads its own file

  picture_table.current_picture = 0;
  void* bitmap = DecodeCurrentPicture();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_GE(PictureSnr(SceneOf(second), static_cast<uint8_t*>(bitmap) + kBitmapHeaderSize, 352, 288), 36.0);
  EXPECT_EQ(picture_table.records[1].mode, 2);  // the record used is the next one
  EXPECT_EQ(picture_table.current_picture, 0);
  FreeBlock(bitmap);

  // On the last record there is no next one; a file beyond the table is not read.
  Store(2, first);
  picture_table.picture_count = 2;
  picture_table.records[1].use_next = 1;
  picture_table.current_picture = 1;
  EXPECT_EQ(DecodeCurrentPicture(), nullptr);
}

TEST_F(DecodingTest, NothingToDecodeGivesNull) {
  EXPECT_EQ(DecodeCurrentPicture(), nullptr);  // empty table

  Store(0, Picture{176, 144});
  for (int current : {-1, 1, 500}) {
    picture_table.current_picture = current;
    EXPECT_EQ(DecodeCurrentPicture(), nullptr) << current;
  }
  picture_table.current_picture = 0;
  picture_table.picture_count = 100000;  // past the table: still only record 0's file
  void* bitmap = DecodeCurrentPicture();
  EXPECT_NE(bitmap, nullptr);
  FreeBlock(bitmap);
}

TEST_F(DecodingTest, AFileShorterThanThePictureNeedsIsNeverHandedToTheLibrary) {
  const Picture p{176, 144};
  const std::size_t needed = 5 + 176 * 144 + 4;
  EXPECT_EQ(BarFileBytes(176, 144), needed);
  struct Case {
    const char* name;
    std::size_t length;
    bool decodes;
  };
  const Case cases[] = {
      {"exactly header, mosaic and trailer", needed, true},
      {"one byte short", needed - 1, false},
      {"header only", 5, false},
      {"empty", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Store(0, p);
    Truncate(0, c.length);
    picture_table.records[0].mode = 3;
    void* bitmap = DecodeCurrentPicture();
    EXPECT_EQ(bitmap != nullptr, c.decodes);
    // A file that is not a picture of the record changes nothing in it.
    if (!c.decodes) {
      EXPECT_EQ(picture_table.records[0].mode, 3);
    }
    FreeBlock(bitmap);
  }

  std::filesystem::remove(PathOf(0));
  EXPECT_EQ(DecodeCurrentPicture(), nullptr);  // missing file
  std::filesystem::create_directory(PathOf(0));
  EXPECT_EQ(DecodeCurrentPicture(), nullptr);  // not a file at all
}

TEST_F(DecodingTest, ARecordWithoutASizeIsNotDecoded) {
  Store(0, Picture{176, 144});
  for (auto [w, h] : {std::pair{0, 144}, std::pair{176, -4}, std::pair{-176, -144}}) {
    picture_table.records[0].width = w;
    picture_table.records[0].height = h;
    EXPECT_EQ(DecodeCurrentPicture(), nullptr) << w << "x" << h;
  }
  // A record larger than its file asks for more than the file holds.
  picture_table.records[0].width = 640;
  picture_table.records[0].height = 480;
  EXPECT_EQ(DecodeCurrentPicture(), nullptr);
}

TEST_F(DecodingTest, WithoutTheLibraryNothingIsDecoded) {
  Store(0, Picture{352, 288});
  imaging_library.IP_hDIB = nullptr;
  EXPECT_EQ(DecodeCurrentPicture(), nullptr);
  EXPECT_EQ(MakeThumbnail(0), nullptr);
  UnloadImagingLibrary();
  EXPECT_EQ(DecodeCurrentPicture(), nullptr);
}

// Stand-ins for a library that answers with something else than the picture.
void* WrongWidth(const void*, const uint8_t*) { return FlatBitmap(351, 288, 0); }
void* WrongHeight(const void*, const uint8_t*) { return FlatBitmap(352, 144, 0); }
void* HeaderOnly(const void*, const uint8_t*) {
  void* bitmap = FlatBitmap(1, 1, 0);
  const int32_t size[2] = {352, 288};
  std::memcpy(static_cast<uint8_t*>(bitmap) + 4, size, sizeof size);  // claims rows it lacks
  return bitmap;
}
void* Nothing(const void*, const uint8_t*) { return nullptr; }

TEST_F(DecodingTest, TheLibrarysBitmapIsCheckedBeforeUse) {
  Store(0, Picture{352, 288});
  for (KX3300_IP_hDIB_Proc proc : {WrongWidth, WrongHeight, HeaderOnly, Nothing}) {
    imaging_library.IP_hDIB = proc;
    EXPECT_EQ(DecodeCurrentPicture(), nullptr);
    EXPECT_EQ(MakeThumbnail(0), nullptr);
  }
}

TEST_F(DecodingTest, ItemsAndThumbnailsLeaveTheCurrentPictureAlone) {
  // Item 0 a photo, item 1 a clip of three frames, item 2 a photo.
  Picture clip_start{176, 144};
  clip_start.variant = 1;
  clip_start.kind = kPictureClipStart;
  Picture clip_frame{176, 144};
  clip_frame.kind = kPictureClipFrame;
  Picture last{640, 480};
  last.variant = 2;
  Store(0, Picture{352, 288});
  Store(1, clip_start);
  Store(2, clip_frame);
  Store(3, clip_frame);
  Store(4, last);
  picture_table.current_picture = 3;

  void* item = DecodeItem(1);
  ASSERT_NE(item, nullptr);
  EXPECT_GE(PictureSnr(SceneOf(clip_start), static_cast<uint8_t*>(item) + kBitmapHeaderSize, 176, 144), 28.0);
  EXPECT_EQ(picture_table.current_picture, 3);
  FreeBlock(item);

  for (int k : {0, 1, 2}) {
    SCOPED_TRACE(k);
    void* thumbnail = MakeThumbnail(k);
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_EQ(picture_table.current_picture, 3);
    EXPECT_EQ(BitmapWidth(thumbnail), 80);
    EXPECT_EQ(BitmapHeight(thumbnail), 60);
    EXPECT_EQ(HeaderField(thumbnail, 20), 14400);
    EXPECT_EQ(HeaderField(thumbnail, 12), 0x00180001);  // the decoded picture's planes and bit count
    EXPECT_GE(BlockSize(thumbnail), 14440u);

    // The decoded picture through the bilinear scaler, nothing enlarged.
    camera_state.enlarge_photos = 1;
    void* decoded = DecodeItem(k);
    ASSERT_NE(decoded, nullptr);
    std::vector<uint8_t> expected(14400);
    ScalePixels(static_cast<uint8_t*>(decoded) + kBitmapHeaderSize, BitmapWidth(decoded), BitmapHeight(decoded),
                expected.data(), 80, 60);
    EXPECT_EQ(Pixels(thumbnail), expected);
    camera_state.enlarge_photos = 0;
    FreeBlock(decoded);
    FreeBlock(thumbnail);
  }

  EXPECT_EQ(DecodeItem(3), nullptr);  // only three items
  EXPECT_EQ(MakeThumbnail(-1), nullptr);
  EXPECT_EQ(picture_table.current_picture, 3);
}

TEST_F(DecodingTest, UpscalingEnlargesOnlyWhenTheCameraAsks) {
  struct Case {
    int width, height, enlarged_width, enlarged_height;
  };
  const Case cases[] = {{352, 288, 640, 480}, {176, 144, 352, 288}, {640, 480, 1280, 960}, {88, 72, 176, 144}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    camera_state.enlarge_photos = 0;
    EXPECT_EQ(UpscaledWidth(c.width), c.width);
    EXPECT_EQ(UpscaledHeight(c.height), c.height);
    void* bitmap = FlatBitmap(c.width, c.height, 90);
    EXPECT_EQ(UpscalePicture(bitmap), bitmap);

    camera_state.enlarge_photos = 1;
    EXPECT_EQ(UpscaledWidth(c.width), c.enlarged_width);
    EXPECT_EQ(UpscaledHeight(c.height), c.enlarged_height);
    void* enlarged = UpscalePicture(bitmap);
    ASSERT_NE(enlarged, nullptr);
    EXPECT_EQ(BitmapWidth(enlarged), c.enlarged_width);
    EXPECT_EQ(BitmapHeight(enlarged), c.enlarged_height);
    EXPECT_EQ(HeaderField(enlarged, 20), c.enlarged_width * c.enlarged_height * 3);
    EXPECT_EQ(HeaderField(enlarged, 12), 0x00180001);
    EXPECT_EQ(Pixels(enlarged), std::vector<uint8_t>(static_cast<std::size_t>(c.enlarged_width) *
                                                         c.enlarged_height * 3, 90));
    FreeBlock(enlarged);
  }
  EXPECT_EQ(UpscalePicture(nullptr), nullptr);
}

TEST_F(DecodingTest, UpscalingADecodedPhotoKeepsThePicture) {
  camera_state.enlarge_photos = 1;
  const Picture p{352, 288};
  Store(0, p);
  for (bool with_library : {true, false}) {
    SCOPED_TRACE(with_library ? "library's filter" : "own bilinear filter");
    if (!with_library) imaging_library.IP_ImageResample = nullptr;
    void* enlarged = UpscalePicture(DecodeCurrentPicture());
    ASSERT_NE(enlarged, nullptr);
    ASSERT_EQ(BitmapWidth(enlarged), 640);
    ASSERT_EQ(BitmapHeight(enlarged), 480);
    const double psnr =
        PictureSnr(MakeScene(640, 480, p.variant), static_cast<uint8_t*>(enlarged) + kBitmapHeaderSize, 640, 480);
    std::printf("[ PSNR     ] 352x288 enlarged to 640x480 (%s) %.2f dB\n", with_library ? "library" : "bilinear",
                psnr);
    EXPECT_GE(psnr, 33.0);
    FreeBlock(enlarged);
  }
}

TEST_F(DecodingTest, ABlockThatIsNoBitmapOfOursIsNotEnlarged) {
  camera_state.enlarge_photos = 1;
  void* top_down = FlatBitmap(4, 4, 1);
  const int32_t negative = -4;
  std::memcpy(static_cast<uint8_t*>(top_down) + 8, &negative, sizeof negative);
  EXPECT_EQ(UpscalePicture(top_down), top_down);
  FreeBlock(top_down);

  void* short_block = FlatBitmap(2, 2, 1);
  const int32_t claimed = 1000;
  std::memcpy(static_cast<uint8_t*>(short_block) + 4, &claimed, sizeof claimed);
  EXPECT_EQ(UpscalePicture(short_block), short_block);
  FreeBlock(short_block);
}

TEST_F(DecodingTest, ReportedSize) {
  EXPECT_EQ(ReportedWidth(), 320.0f);  // no picture
  EXPECT_EQ(ReportedHeight(), 240.0f);

  struct Case {
    const char* name;
    int width, height;
    bool enlarge, increase;
    float reported_width, reported_height;
  };
  const Case cases[] = {
      {"plain", 640, 480, false, false, 640, 480},
      {"half-height", 352, 144, false, false, 352, 288},
      {"half-height enlarged", 352, 144, true, false, 640, 480},
      {"half-height at increased resolution", 352, 144, false, true, 704, 576},
      {"enlarged", 352, 288, true, false, 640, 480},
      {"narrow enlarged", 176, 144, true, false, 352, 288},
      {"increased and enlarged", 176, 144, true, true, 640, 480},
  };
  picture_table.picture_count = 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureRecord& r = picture_table.records[1];
    r.width = c.width;
    r.height = c.height;
    r.half_height = c.width > 2 * c.height;
    r.use_next = 1;  // the record's own size is told, whatever gets decoded
    camera_state.enlarge_photos = c.enlarge;
    image_adjustments.increase_resolution = c.increase;
    picture_table.current_picture = 1;
    EXPECT_EQ(ReportedWidth(), c.reported_width);
    EXPECT_EQ(ReportedHeight(), c.reported_height);
    for (int outside : {2, -1}) {
      picture_table.current_picture = outside;
      EXPECT_EQ(ReportedWidth(), 320.0f);
      EXPECT_EQ(ReportedHeight(), 240.0f);
    }
  }
}

TEST_F(DecodingTest, AdjustmentsReachTheLibrary) {
  Store(0, Picture{352, 288});
  void* plain = DecodeCurrentPicture();
  image_adjustments.brightness = 150;
  void* brighter = DecodeCurrentPicture();
  image_adjustments.brightness = 100;
  image_adjustments.contrast = 0;  // flat grey
  void* flat = DecodeCurrentPicture();
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(brighter, nullptr);
  ASSERT_NE(flat, nullptr);
  EXPECT_GT(MeanLevel(brighter), MeanLevel(plain) + 10);
  const std::vector<uint8_t> grey = Pixels(flat);
  EXPECT_EQ(std::vector<uint8_t>(grey.size(), grey[0]), grey);
  FreeBlock(plain);
  FreeBlock(brighter);
  FreeBlock(flat);

  // High quality mode develops differently, and still well.
  image_adjustments.contrast = 100;
  image_adjustments.quality = 125;
  void* high = DecodeCurrentPicture();
  ASSERT_NE(high, nullptr);
  const double psnr = PictureSnr(SceneOf(Picture{352, 288}), static_cast<uint8_t*>(high) + kBitmapHeaderSize, 352, 288);
  std::printf("[ PSNR     ] 352x288 high quality %.2f dB\n", psnr);
  EXPECT_GE(psnr, 36.0);
  FreeBlock(high);
}

}  // namespace
