#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "image_folder.h"
#include "raw_format.h"
#include "scenes.h"
#include "sim_options.h"
#include "simcam.h"
#include "support/temp_dir.h"

namespace {

CameraPropertyRequest Request(uint32_t id, uint32_t flags, uint32_t word1 = 0) {
  CameraPropertyRequest r{};
  PrepareCameraRequest(r, id, flags);
  r.payload[1] = word1;
  return r;
}

// Drives the camera's registers the way the source does.
struct Driver {
  SimCamera& cam;
  SimReply Write(uint8_t reg, uint8_t value) {
    CameraPropertyRequest r = Request(CAMPROP_REG_SELECT, KSPROPERTY_TYPE_SET);
    SetRequestRegisterBytes(r, value, reg);
    r = cam.HandleProperty(r).buffer;
    PrepareCameraRequest(r, CAMPROP_REG_WRITE, KSPROPERTY_TYPE_GET);
    return cam.HandleProperty(r);
  }
  uint8_t Read(uint8_t reg) {
    CameraPropertyRequest r = Request(CAMPROP_REG_SELECT, KSPROPERTY_TYPE_SET);
    SetRequestRegisterBytes(r, 0, reg);
    r = cam.HandleProperty(r).buffer;
    PrepareCameraRequest(r, CAMPROP_REG_READ, KSPROPERTY_TYPE_GET);
    return RequestValueByte(cam.HandleProperty(r).buffer);
  }
  uint8_t Command(uint8_t code, uint8_t arg) {
    Write(CAMREG_ARG, arg);
    Write(CAMREG_CMD, code);
    return Read(CAMREG_ARG);
  }
  SimReply Block(uint32_t length) {
    cam.HandleProperty(Request(CAMPROP_BLOCK_LENGTH, KSPROPERTY_TYPE_SET, length));
    return cam.HandleProperty(Request(CAMPROP_BLOCK_GET, KSPROPERTY_TYPE_GET, 6));
  }
  void Free(uint32_t token) {
    CameraPropertyRequest r = Request(CAMPROP_BLOCK_FREE, KSPROPERTY_TYPE_SET, 6);
    r.payload[3] = token;
    cam.HandleProperty(r);
  }
};

// Where the frame starts in a transfer buffer, by its markers; -1 when absent.
long FindFrame(const std::vector<uint8_t>& b, int w, int h) {
  const std::size_t a = static_cast<std::size_t>(w) * h;
  for (std::size_t s = 0; s + a + 14 <= b.size(); ++s) {
    if (b[s] == 0xFF && b[s + 1] == 0xFF && b[s + 2] == 0xFF && b[s + 3] == 0xFF && b[s + 4] == 0x55 &&
        b[s + a + 9] == 0xFF && b[s + a + 10] == 0xFF && b[s + a + 11] == 0xFF && b[s + a + 12] == 0xFF &&
        b[s + a + 13] == 0xAA) {
      return static_cast<long>(s);
    }
  }
  return -1;
}

TEST(SimCameraTest, AnswersParametersOfTheSelectedPicture) {
  SimCamConfig config;
  SimPicture p = MakePhoto(640, 480, 1);
  p.mode = 6;
  p.param11 = 1;
  p.param20 = 77;
  config.pictures = {MakePhoto(160, 120, 2), p};
  SimCamera cam(config);
  Driver d{cam};
  EXPECT_EQ(d.Command(CAMCMD_COUNT, 0), 2);
  d.Command(CAMCMD_SELECT, 1);
  const std::vector<int> params = {d.Command(CAMCMD_PARAM, 3),  d.Command(CAMCMD_PARAM, 4),
                                   d.Command(CAMCMD_PARAM, 5),  d.Command(CAMCMD_PARAM, 6),
                                   d.Command(CAMCMD_PARAM, 7),  d.Command(CAMCMD_PARAM, 10),
                                   d.Command(CAMCMD_PARAM, 11), d.Command(CAMCMD_PARAM, 20)};
  EXPECT_EQ(params, (std::vector<int>{0x80, 2, 0xE0, 1, 0x86, 0, 1, 77}));
}

TEST(SimCameraTest, StatusProbeAndBusyFollowTheConfiguration) {
  SimCamConfig config;
  config.status = 0x4C;
  config.status_delay = 2;
  config.busy_polls = 1;
  config.subst = 3;
  SimCamera cam(config);
  Driver d{cam};
  d.Write(CAMREG_CMD, CAMCMD_PROBE);
  EXPECT_EQ(d.Read(CAMREG_ARG), 0);
  const std::vector<int> polls = {d.Command(CAMCMD_STATUS, 0), d.Command(CAMCMD_STATUS, 0),
                                  d.Command(CAMCMD_STATUS, 0)};
  EXPECT_EQ(polls, (std::vector<int>{0, 0, 0x4C}));
  d.Command(CAMCMD_SELECT, 0);
  EXPECT_EQ(d.Command(CAMCMD_BUSY, 0), 1);
  EXPECT_EQ(d.Command(CAMCMD_BUSY, 0), 0);
  EXPECT_EQ(d.Command(CAMCMD_SUBST, 0), 3);

  config.no_status_register = true;
  SimCamera bare(config);
  Driver b{bare};
  b.Write(CAMREG_CMD, CAMCMD_PROBE);
  EXPECT_EQ(b.Read(CAMREG_ARG), CAMERA_PROBE_NO_STATUS);
}

TEST(SimCameraTest, RefusesMalformedRequests) {
  SimCamera cam(SimCamConfig{});
  // A read that no select announced, a read of another register than the one
  // selected, a foreign property set, the wrong direction, an unknown id.
  EXPECT_NE(cam.HandleProperty(Request(CAMPROP_REG_READ, KSPROPERTY_TYPE_GET)).result, CAMWIRE_OK);
  CameraPropertyRequest select = Request(CAMPROP_REG_SELECT, KSPROPERTY_TYPE_SET);
  SetRequestRegisterBytes(select, 0, CAMREG_ARG);
  EXPECT_EQ(cam.HandleProperty(select).result, CAMWIRE_OK);
  CameraPropertyRequest other = Request(CAMPROP_REG_READ, KSPROPERTY_TYPE_GET);
  SetRequestRegisterBytes(other, 0, CAMREG_CMD);
  EXPECT_NE(cam.HandleProperty(other).result, CAMWIRE_OK);
  CameraPropertyRequest foreign = Request(CAMPROP_ALIVE, KSPROPERTY_TYPE_GET);
  foreign.set[0] ^= 1;
  EXPECT_NE(cam.HandleProperty(foreign).result, CAMWIRE_OK);
  EXPECT_NE(cam.HandleProperty(Request(CAMPROP_ALIVE, KSPROPERTY_TYPE_SET)).result, CAMWIRE_OK);
  EXPECT_NE(cam.HandleProperty(Request(999, KSPROPERTY_TYPE_GET)).result, CAMWIRE_OK);
}

TEST(SimCameraTest, TheTransferBufferHoldsTheRawFrameBetweenMarkersAtVaryingOffsets) {
  SimCamConfig config;
  config.pictures = BuiltInPictures(1);
  SimCamera cam(config);
  std::vector<std::size_t> offsets;
  for (int i = 0; i < 7; ++i) {
    const SimPicture& p = config.pictures[static_cast<std::size_t>(i)];
    const std::size_t length = static_cast<std::size_t>(p.width) * p.height + 128;
    std::vector<uint8_t> buffer = cam.TransferBuffer(i, length);
    ASSERT_EQ(buffer.size(), length);
    const long s = FindFrame(buffer, p.width, p.height);
    ASSERT_GE(s, 0) << i;
    EXPECT_EQ(static_cast<std::size_t>(s), cam.FrameOffset(i, length));
    RawFrameParams params{p.width, p.height, p.mode, p.param20, p.param11};
    std::vector<uint8_t> rgb = RenderScene(p.scene, p.width, RawPictureHeight(params));
    std::vector<uint8_t> frame = EncodeRawFrame(rgb.data(), params);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), buffer.begin() + s + 5)) << i;
    offsets.push_back(static_cast<std::size_t>(s));
  }
  std::sort(offsets.begin(), offsets.end());
  EXPECT_GT(std::unique(offsets.begin(), offsets.end()) - offsets.begin(), 3);
}

TEST(SimCameraTest, MarkersCanBeMissingOrDamagedAndTheOffsetFixed) {
  SimCamConfig config;
  config.frame_offset = 37;
  SimPicture missing = MakePhoto(160, 120, 1);
  missing.markers = SimMarkers::MissingStart;
  SimPicture damaged = MakePhoto(160, 120, 1);
  damaged.markers = SimMarkers::DamagedEnd;
  config.pictures = {MakePhoto(160, 120, 1), missing, damaged};
  SimCamera cam(config);
  const std::size_t length = 160 * 120 + 128;
  EXPECT_EQ(FindFrame(cam.TransferBuffer(0, length), 160, 120), 37);
  EXPECT_EQ(FindFrame(cam.TransferBuffer(1, length), 160, 120), -1);
  EXPECT_EQ(FindFrame(cam.TransferBuffer(2, length), 160, 120), -1);
  EXPECT_EQ(cam.TransferBuffer(2, length)[37 + 4], 0x55);  // the start is still there
}

TEST(SimCameraTest, BlockReadsHandOutOneBufferAtATimeAndMayDeliverMore) {
  SimCamConfig config;
  config.pictures = {MakePhoto(88, 72, 1)};
  config.extra_block_bytes = 50;
  SimCamera cam(config);
  Driver d{cam};
  EXPECT_NE(d.Block(100).result, CAMWIRE_OK);  // nothing selected
  d.Command(CAMCMD_SELECT, 0);
  SimReply reply = d.Block(88 * 72 + 128);
  ASSERT_EQ(reply.result, CAMWIRE_OK);
  EXPECT_EQ(reply.buffer.payload[2], 88u * 72 + 128 + 50);
  EXPECT_EQ(reply.data.size(), 88u * 72 + 128 + 50);
  EXPECT_NE(d.Block(10).result, CAMWIRE_OK);  // the first buffer is still out
  d.Free(reply.buffer.payload[3]);
  EXPECT_EQ(cam.stats().blocks_outstanding, 0);
  EXPECT_EQ(d.Block(10).result, CAMWIRE_OK);
}

TEST(SimCameraTest, GoesAwayAfterTheConfiguredNumberOfPictures) {
  SimCamConfig config;
  config.pictures = MakeClip(88, 72, 3, 1);
  config.gone_after = 2;
  SimCamera cam(config);
  Driver d{cam};
  auto alive = [&] {
    SimReply r = cam.HandleProperty(Request(CAMPROP_ALIVE, KSPROPERTY_TYPE_GET));
    return std::make_pair(RequestValueByte(r.buffer), r.close_after);
  };
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(alive(), std::make_pair(uint8_t{1}, false));
    d.Command(CAMCMD_SELECT, static_cast<uint8_t>(i));
    SimReply block = d.Block(88 * 72 + 128);
    ASSERT_EQ(block.result, CAMWIRE_OK);
    d.Free(block.buffer.payload[3]);
  }
  EXPECT_EQ(alive(), std::make_pair(uint8_t{0}, true));
  EXPECT_TRUE(cam.stats().gone);
}

double Spread(const std::vector<uint8_t>& rgb) {
  double sum = 0, sq = 0;
  for (uint8_t v : rgb) sum += v, sq += double(v) * v;
  const double n = static_cast<double>(rgb.size());
  return std::sqrt(sq / n - (sum / n) * (sum / n));
}

TEST(SceneTest, ScenesHaveDetailInEveryAcceptedSizeAndClipFramesMove) {
  // Every width and every height once.
  for (std::size_t i = 0; i < std::size(kSimWidths); ++i) {
    const int w = kSimWidths[i];
    const int h = kSimHeights[(i + 2) % std::size(kSimHeights)];
    std::vector<uint8_t> rgb = RenderScene(SimScene{static_cast<uint32_t>(w * h), 0, 1}, w, h);
    ASSERT_EQ(rgb.size(), static_cast<std::size_t>(w) * h * 3);
    EXPECT_GT(Spread(rgb), 15.0) << w << "x" << h;
  }
  std::vector<SimPicture> clip = MakeClip(160, 120, 4, 9);
  for (std::size_t i = 1; i < clip.size(); ++i) {
    std::vector<uint8_t> a = RenderScene(clip[i - 1].scene, 160, 120);
    std::vector<uint8_t> b = RenderScene(clip[i].scene, 160, 120);
    double diff = 0;
    for (std::size_t j = 0; j < a.size(); ++j) diff += std::abs(int(a[j]) - int(b[j]));
    EXPECT_GT(diff / static_cast<double>(a.size()), 4.0) << "frame " << i;
  }
  // The same scene comes out the same every time.
  EXPECT_EQ(RenderScene({5, 0, 1}, 88, 72), RenderScene({5, 0, 1}, 88, 72));
}

TEST(SimPicturesTest, TheSetsHoldWhatTheySay) {
  std::vector<SimPicture> builtin = BuiltInPictures(1);
  ASSERT_EQ(builtin.size(), 27u);
  int photos = 0, clips = 0, frames = 0;
  for (const SimPicture& p : builtin) {
    photos += p.kind == 0;
    clips += p.kind == 17;
    frames += p.kind == 1;
  }
  EXPECT_EQ(photos, 7);
  EXPECT_EQ(clips, 2);
  EXPECT_EQ(frames, 18);
  EXPECT_EQ(AllSizePictures(1).size(), 36u);
}

TEST(SimOptionsTest, AScenarioFileDescribesTheCamera) {
  SimCamOptions options;
  std::string error;
  ASSERT_TRUE(ParseScenario("# an odd camera\n"
                            "name = KX3300A Toy Camera\n"
                            "status 0x4C\n"
                            "no-status-register\n"
                            "subst=1\npresence = 1\ngone-after = 3\nextra-block-bytes 100\n"
                            "frame-offset = 37\nfail = 200, 301\nrefuse-handle = no\n"
                            "photo 352x288 mode=3 param20=5 param11=1\n"
                            "photo 800x600 markers=damaged no-kind kind=17\n"
                            "clip 160x120 frames=3 markers=missing\n",
                            "odd.txt", options, &error))
      << error;
  FinishSimPictures(options);
  const SimCamConfig& c = options.camera;
  EXPECT_EQ(c.friendly_name, "KX3300A Toy Camera");
  EXPECT_EQ(c.status, 0x4C);
  EXPECT_TRUE(c.no_status_register);
  EXPECT_EQ(c.subst, 1);
  EXPECT_EQ(c.presence, 1);
  EXPECT_EQ(c.gone_after, 3);
  EXPECT_EQ(c.extra_block_bytes, 100u);
  EXPECT_EQ(c.frame_offset, 37);
  EXPECT_EQ(c.failing_requests, (std::vector<uint32_t>{200, 301}));
  EXPECT_FALSE(c.refuse_handle);
  ASSERT_EQ(c.pictures.size(), 5u);  // added pictures replace the built-in set
  EXPECT_EQ(c.pictures[0].mode, 3);
  EXPECT_EQ(c.pictures[0].param20, 5);
  EXPECT_EQ(c.pictures[1].width, 800);
  EXPECT_EQ(c.pictures[1].markers, SimMarkers::DamagedEnd);
  EXPECT_FALSE(c.pictures[1].kind_valid);
  EXPECT_EQ(c.pictures[2].kind, 17);
  EXPECT_EQ(c.pictures[3].kind, 1);
  EXPECT_EQ(c.pictures[4].markers, SimMarkers::MissingStart);
  EXPECT_EQ(c.pictures[3].scene.seed, c.pictures[2].scene.seed);
  EXPECT_NE(c.pictures[3].scene.frame, c.pictures[2].scene.frame);

  SimCamOptions bad;
  EXPECT_FALSE(ParseScenario("status = 0x4C\nstatus = 300\n", "bad.txt", bad, &error));
  EXPECT_EQ(error, "bad.txt:2: bad value \"300\" for status");
  EXPECT_FALSE(ParseScenario("colour = red\n", "bad.txt", bad, &error));
  EXPECT_FALSE(ParseScenario("photo 352\n", "bad.txt", bad, &error));
  EXPECT_FALSE(ParseScenario("photo 352x288 sparkle\n", "bad.txt", bad, &error));
}

TEST(SimOptionsTest, TheShippedScenariosParse) {
  const struct {
    const char* file;
    std::size_t pictures;
  } cases[] = {{"model12.txt", 10}, {"no-status.txt", 27}, {"substitution.txt", 17},
               {"troubled.txt", 9}, {"empty.txt", 0},     {"absent.txt", 27}};
  for (const auto& c : cases) {
    SimCamOptions options;
    std::string error;
    EXPECT_TRUE(LoadScenarioFile(std::string(SIMCAM_SCENARIO_DIR) + "/" + c.file, options, &error)) << error;
    FinishSimPictures(options);
    EXPECT_EQ(options.camera.pictures.size(), c.pictures) << c.file;
  }
}

TEST(SimOptionsTest, TheCommandLineUsesTheSameSettings) {
  TempDir dir;
  WriteTextFile(dir.File("s.txt"), "status = 0x22\n");
  const std::string scenario = dir.File("s.txt");
  const char* argv[] = {"simcam", "--name=My Cam", "--scenario", scenario.c_str(), "--no-status-register",
                        "--photo", "320x240,mode=2", "--pictures", "builtin", "--devices", "/tmp/x",
                        "--socket", "cam7"};
  SimCamOptions options;
  std::string error;
  ASSERT_TRUE(ParseSimCommandLine(static_cast<int>(std::size(argv)), argv, options, &error)) << error;
  FinishSimPictures(options);
  EXPECT_EQ(options.camera.friendly_name, "My Cam");
  EXPECT_EQ(options.camera.status, 0x22);
  EXPECT_TRUE(options.camera.no_status_register);
  EXPECT_EQ(options.camera.pictures.size(), 28u);
  EXPECT_EQ(options.camera.pictures.back().mode, 2);
  EXPECT_EQ(options.devices_dir, "/tmp/x");
  EXPECT_EQ(options.socket_name, "cam7");

  SimCamOptions none;
  const char* empty[] = {"simcam", "--no-pictures"};
  ASSERT_TRUE(ParseSimCommandLine(2, empty, none, &error));
  FinishSimPictures(none);
  EXPECT_TRUE(none.camera.pictures.empty());

  const char* wrong[] = {"simcam", "--status"};
  EXPECT_FALSE(ParseSimCommandLine(2, wrong, none, &error));
  const char* escape[] = {"simcam", "--socket=../x"};
  EXPECT_FALSE(ParseSimCommandLine(2, escape, none, &error));
}

TEST(ImageFolderTest, ReadsImagesAsPhotosOfTheChosenSize) {
  TempDir dir;
  QImage wide(400, 100, QImage::Format_RGB888);
  wide.fill(QColor(10, 200, 30));
  ASSERT_TRUE(wide.save(QString::fromStdString(dir.File("b.png"))));
  QImage square(50, 50, QImage::Format_RGB888);
  square.fill(QColor(250, 20, 40));
  ASSERT_TRUE(square.save(QString::fromStdString(dir.File("a.jpg"))));
  WriteTextFile(dir.File("c.txt"), "not an image");

  std::vector<SimPicture> pictures;
  std::vector<std::string> skipped;
  EXPECT_EQ(LoadImageFolder(dir.path(), 352, 144, pictures, &skipped), 2);
  EXPECT_EQ(skipped, std::vector<std::string>{"c.txt"});
  ASSERT_EQ(pictures.size(), 2u);
  // Name order; a half-height photo holds a picture of twice its height.
  EXPECT_EQ(pictures[0].rgb.size(), 352u * 288 * 3);
  EXPECT_NEAR(pictures[0].rgb[0], 250, 6);
  EXPECT_NEAR(pictures[1].rgb[1], 200, 2);

  SimCamConfig config;
  config.pictures = pictures;
  config.frame_offset = 0;
  SimCamera cam(config);
  EXPECT_EQ(FindFrame(cam.TransferBuffer(1, 352 * 144 + 128), 352, 144), 0);
}

TEST(SimCamServerTest, ServesTheNameOverItsSocketAndCleansUp) {
  TempDir dir;
  const std::string path = dir.File("cam");
  WriteTextFile(path, "a file that is not a socket");
  {
    SimCamServer refused(SimCamConfig{});
    std::string error;
    EXPECT_FALSE(refused.Start(path, &error));
  }
  std::remove(path.c_str());
  {
    SimCamServer server(SimCamConfig{});
    std::string error;
    ASSERT_TRUE(server.Start(path, &error)) << error;
    EXPECT_EQ(server.path(), path);
  }
  EXPECT_NE(access(path.c_str(), F_OK), 0);
}

}  // namespace
