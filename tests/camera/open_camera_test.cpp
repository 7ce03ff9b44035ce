#include <gtest/gtest.h>

#include "camera_fixture.h"

namespace {

// A photo, a clip of three frames, a photo.
SimCamConfig SmallCamera() {
  SimCamConfig c;
  c.pictures = {MakePhoto(320, 240, 1)};
  for (const SimPicture& p : MakeClip(160, 120, 3, 2)) c.pictures.push_back(p);
  c.pictures.push_back(MakePhoto(640, 480, 3));
  return c;
}

const char kNotFound[] = "\tDigital Camera not found!\tOK\tOK";
const char kNoPhoto[] = "\tNo photo in Digital Camera!\tOK\tOK";

using OpenCameraTest = CameraFixture;

TEST_F(OpenCameraTest, OpensANormalCameraAndCountsPhotosAndClips) {
  SimCamServer& cam = Serve(SmallCamera());
  ASSERT_TRUE(OpenCamera(nullptr));
  EXPECT_EQ(camera_state.camera_status, 0x21);
  EXPECT_EQ(camera_state.camera_model, 1);
  EXPECT_EQ(camera_state.subst_check, 0);
  EXPECT_EQ(picture_table.camera_picture_count, 5);
  EXPECT_EQ(picture_table.photo_count, 2);
  EXPECT_EQ(picture_table.clip_count, 1);
  EXPECT_STREQ(settings_state.settings_key, "SOFTWARE\\KX3300");
  EXPECT_NE(camera_channel.capture_filter, nullptr);  // left open for the download
  EXPECT_TRUE(Boxes().empty());

  SimStats stats = cam.Stats();
  EXPECT_EQ(stats.mode, 2);
  EXPECT_EQ(stats.host_info, 0);
  // Probe, one status poll, substitution query, mode, busy poll, count, then
  // a select, a busy poll and a kind read per picture.
  std::vector<uint8_t> expected = {CAMCMD_PROBE, CAMCMD_STATUS, CAMCMD_SUBST, CAMCMD_MODE, CAMCMD_BUSY, CAMCMD_COUNT};
  for (int i = 0; i < 5; ++i) expected.insert(expected.end(), {CAMCMD_SELECT, CAMCMD_BUSY, CAMCMD_PARAM});
  EXPECT_EQ(stats.commands, expected);
  EXPECT_EQ(Waits(50), 1);
  EXPECT_EQ(Waits(1000), 0);
  EXPECT_EQ(Waits(3), 0);
}

TEST_F(OpenCameraTest, ACameraWithoutStatusRegisterWaitsASecondInsteadOfPolling) {
  SimCamConfig config = SmallCamera();
  config.no_status_register = true;
  SimCamServer& cam = Serve(config);
  ASSERT_TRUE(OpenCamera(nullptr));
  EXPECT_EQ(camera_state.camera_status, 0);
  EXPECT_EQ(camera_state.camera_model, 0);
  SimStats stats = cam.Stats();
  EXPECT_EQ(Count(stats.commands, CAMCMD_STATUS), 0);
  EXPECT_EQ(Count(stats.commands, CAMCMD_BUSY), 0);
  // One wait for readiness after the mode change; selections do not wait.
  EXPECT_EQ(Waits(1000), 1);
  EXPECT_EQ(Waits(50), 0);
  EXPECT_EQ(picture_table.camera_picture_count, 5);

  SelectPicture(1);
  EXPECT_EQ(Waits(1000), 1);
  WaitCameraReady();
  EXPECT_EQ(Waits(1000), 2);
}

TEST_F(OpenCameraTest, TheModelIsTheStatusLowFiveBits) {
  const struct {
    uint8_t status;
    int model;
    const char* key;
  } cases[] = {{0x4C, 12, "SOFTWARE\\KX3300_12"}, {0x28, 8, "SOFTWARE\\KX3300_3"}, {0xE3, 3, "SOFTWARE\\KX3300_3"},
               {0x01, 1, "SOFTWARE\\KX3300"}};
  for (const auto& c : cases) {
    SimCamConfig config = SmallCamera();
    config.status = c.status;
    Serve(config);
    ResetAll();
    ASSERT_TRUE(OpenCamera(nullptr)) << int(c.status);
    EXPECT_EQ(camera_state.camera_status, c.status);
    EXPECT_EQ(camera_state.camera_model, c.model);
    EXPECT_STREQ(settings_state.settings_key, c.key);
    ReleaseCamera();
    servers_.clear();
  }
}

TEST_F(OpenCameraTest, AStatusThatComesLateIsPolledAndOneThatNeverComesMeansNoStatus) {
  SimCamConfig late = SmallCamera();
  late.status_delay = 3;
  SimCamServer& cam = Serve(late);
  ASSERT_TRUE(OpenCamera(nullptr));
  EXPECT_EQ(camera_state.camera_status, 0x21);
  EXPECT_EQ(Count(cam.Stats().commands, CAMCMD_STATUS), 4);
  EXPECT_EQ(Waits(50), 3 * 2 + 1);
  ReleaseCamera();
  servers_.clear();
  clock_.clock.waits.clear();

  SimCamConfig never = SmallCamera();
  never.status = 0;
  SimCamServer& silent = Serve(never);
  ASSERT_TRUE(OpenCamera(nullptr));
  EXPECT_EQ(camera_state.camera_status, 0);
  EXPECT_EQ(camera_state.camera_model, 0);
  EXPECT_EQ(Count(silent.Stats().commands, CAMCMD_STATUS), 100);
  EXPECT_EQ(Count(silent.Stats().commands, CAMCMD_BUSY), 0);
  EXPECT_EQ(Waits(50), 200);
  EXPECT_EQ(Waits(1000), 1);
}

TEST_F(OpenCameraTest, BusyPollsWaitThreeMillisecondsEach) {
  SimCamConfig config = SmallCamera();
  config.busy_polls = 2;
  Serve(config);
  ASSERT_TRUE(OpenCamera(nullptr));
  // Two busy answers after the mode change and after each of five selections.
  EXPECT_EQ(Waits(3), 2 * 6);
}

TEST_F(OpenCameraTest, TheSubstitutionQuerySetsTheCheck) {
  for (uint8_t answer : {0, 1, 200}) {
    SimCamConfig config = SmallCamera();
    config.subst = answer;
    Serve(config);
    ASSERT_TRUE(OpenCamera(nullptr));
    EXPECT_EQ(camera_state.subst_check, answer ? 255 : 0);
    ReleaseCamera();
    servers_.clear();
  }
}

TEST_F(OpenCameraTest, PresenceOneIsNoCamera) {
  SimCamConfig config = SmallCamera();
  config.presence = 1;
  SimCamServer& cam = Serve(config);
  EXPECT_FALSE(OpenCamera(nullptr));
  EXPECT_EQ(Boxes(), std::vector<std::string>{kNotFound});
  EXPECT_EQ(camera_channel.capture_filter, nullptr);
  EXPECT_TRUE(cam.Stats().commands.empty());
}

TEST_F(OpenCameraTest, NoCameraOrNoMatchingNameIsReported) {
  EXPECT_FALSE(OpenCamera(nullptr));
  EXPECT_EQ(Boxes(), std::vector<std::string>{kNotFound});

  SimCamConfig other = SmallCamera();
  other.friendly_name = "Some Webcam";
  Serve(other);
  EXPECT_FALSE(OpenCamera(nullptr));
  EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(OpenCameraTest, TheDeviceNameSettingChoosesTheCamera) {
  SimCamConfig other = SmallCamera();
  other.friendly_name = "Some Webcam";
  Serve(other, "a");
  Serve(SmallCamera(), "b");
  WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"DeviceName\"=\"some web\"\n");
  ASSERT_TRUE(OpenCamera(nullptr));
  EXPECT_STREQ(camera_channel.friendly_name, "Some Webcam");
}

TEST_F(OpenCameraTest, ARefusedHandleFailsSilently) {
  SimCamConfig config = SmallCamera();
  config.refuse_handle = true;
  Serve(config);
  EXPECT_FALSE(OpenCamera(nullptr));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(camera_channel.capture_filter, nullptr);
}

TEST_F(OpenCameraTest, NoPicturesLeavesTransferModeAndSaysSo) {
  SimCamConfig config = SmallCamera();
  config.pictures.clear();
  SimCamServer& cam = Serve(config);
  EXPECT_FALSE(OpenCamera(nullptr));
  EXPECT_EQ(Boxes(), std::vector<std::string>{kNoPhoto});
  SimStats stats = cam.Stats();
  EXPECT_EQ(stats.mode, 0);
  EXPECT_EQ(stats.commands.back(), CAMCMD_MODE);
  EXPECT_EQ(picture_table.camera_picture_count, 0);
  EXPECT_EQ(picture_table.photo_count, 0);
  EXPECT_EQ(camera_channel.capture_filter, nullptr);
}

TEST_F(OpenCameraTest, MessagesFollowTheLanguage) {
  language_state.language_offset = 2000;
  EXPECT_FALSE(OpenCamera(nullptr));
  language_state.language_offset = 3000;
  Serve(SimCamConfig{});
  servers_.back()->Stop();
  EXPECT_FALSE(OpenCamera(nullptr));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"\t找不到數位相機!\tOK\tOK", "\t找不到数码相机!\tOK\tOK"}));
}

TEST_F(OpenCameraTest, EnlargementIsReadOnceFromTheFirstCamerasKey) {
  WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300]\n\"QQ_ZOOM\"=dword:00000000\n"
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300_12]\n\"QQ_ZOOM\"=dword:00000001\n");
  SimCamConfig config = SmallCamera();
  config.status = 0x4C;
  Serve(config);
  ASSERT_TRUE(OpenCamera(nullptr));
  EXPECT_EQ(camera_state.enlarge_photos, 1);
  ReleaseCamera();
  WriteRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\KX3300_12]\n\"QQ_ZOOM\"=dword:00000000\n");
  ASSERT_TRUE(OpenCamera(nullptr));
  EXPECT_EQ(camera_state.enlarge_photos, 1);
}

TEST_F(OpenCameraTest, PictureInfoReadsKindOnlyWhenParameterSevenSaysItIsValid) {
  SimCamConfig config;
  SimPicture flagged = MakePhoto(640, 480, 1);
  flagged.mode = 5;
  flagged.param11 = 1;
  flagged.param20 = 9;
  SimPicture unflagged = MakePhoto(352, 288, 2);
  unflagged.kind = 17;
  unflagged.kind_valid = false;
  unflagged.param11 = 2;
  config.pictures = {flagged, unflagged};
  Serve(config);
  ASSERT_TRUE(OpenCamera(nullptr));
  // Counting reads parameter 10 directly: the unflagged picture counts as a clip.
  EXPECT_EQ(picture_table.photo_count, 1);
  EXPECT_EQ(picture_table.clip_count, 1);

  int w, h, mode, kind, flag, p20;
  SelectPicture(0);
  EXPECT_EQ(ReadPictureInfo(&w, &h, &mode, &kind, &flag, &p20), 640 * 480);
  EXPECT_EQ(std::vector<int>({w, h, mode, kind, flag, p20}), std::vector<int>({640, 480, 5, 0, 1, 9}));
  SelectPicture(1);
  EXPECT_EQ(ReadPictureInfo(&w, &h, &mode, &kind, &flag, &p20), 352 * 288);
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(flag, 0);
}

TEST_F(OpenCameraTest, SelectingBeyondTheCamerasRangeSendsNothing) {
  SimCamServer& cam = Serve(SmallCamera());
  ASSERT_TRUE(OpenCamera(nullptr));
  const std::size_t before = cam.Stats().requests.size();
  SelectPicture(256);
  SelectPicture(-1);
  EXPECT_EQ(cam.Stats().requests.size(), before);
  SelectPicture(255);
  EXPECT_GT(cam.Stats().requests.size(), before);
}

}  // namespace
