#include "camera/camera_channel.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <deque>

#include "camera_fixture.h"

namespace {

using CameraChannelTest = CameraFixture;

SimCamConfig Named(const std::string& name) {
  SimCamConfig c;
  c.friendly_name = name;
  c.pictures = {MakePhoto(160, 120, 3)};
  return c;
}

TEST_F(CameraChannelTest, FindsTheFirstDeviceWhoseNameBeginsWithTheConfiguredOne) {
  Serve(Named("Other Webcam"), "a");
  Serve(Named("kx3300a toy camera with more words"), "b");
  Serve(Named("KX3300A second camera"), "c");

  ASSERT_TRUE(FindCamera("KX3300A"));
  EXPECT_STREQ(camera_channel.friendly_name, "kx3300a toy camera with more words");
  EXPECT_NE(camera_channel.capture_filter, nullptr);
  ReleaseCamera();
  EXPECT_EQ(camera_channel.capture_filter, nullptr);

  // An empty name matches the first device that answers.
  ASSERT_TRUE(FindCamera(""));
  EXPECT_STREQ(camera_channel.friendly_name, "Other Webcam");
  ReleaseCamera();

  EXPECT_FALSE(FindCamera("KX3300B"));
  // A friendly name shorter than the configured name is no match.
  EXPECT_FALSE(FindCamera("Other Webcam and more"));
  EXPECT_EQ(camera_channel.capture_filter, nullptr);
}

TEST_F(CameraChannelTest, NoDevicesMeansNoCamera) {
  EXPECT_FALSE(FindCamera("KX3300A"));
  setenv("SNAPSRC_DEVICES", dir_.File("missing").c_str(), 1);
  EXPECT_FALSE(FindCamera(""));
}

TEST_F(CameraChannelTest, SkipsADeviceThatDoesNotAnswer) {
  // A socket file nobody listens on, sorted before the real camera.
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string stale = devices_ + "/a-stale";
  std::strcpy(address.sun_path, stale.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
  WriteTextFile(devices_ + "/0-not-a-socket", "x");
  Serve(Named("KX3300A"), "b-camera");
  EXPECT_TRUE(FindCamera("kx3300a"));
}

TEST_F(CameraChannelTest, CutsALongFriendlyNameToItsBuffer) {
  // 78 ASCII bytes, then a character of three bytes that would straddle the end.
  std::string name = "KX3300A" + std::string(71, 'x') + "\xE7\x9B\xB8" + "tail";
  Serve(Named(name));
  ASSERT_TRUE(FindCamera("KX3300A"));
  EXPECT_EQ(std::strlen(camera_channel.friendly_name), 78u);
}

TEST_F(CameraChannelTest, OpensTheHandleOnlyOfAFoundCamera) {
  EXPECT_FALSE(OpenCameraHandle());
  SimCamConfig refusing = Named("KX3300A");
  refusing.refuse_handle = true;
  Serve(refusing, "a");
  ASSERT_TRUE(FindCamera("KX3300A"));
  EXPECT_FALSE(OpenCameraHandle());
  ReleaseCamera();
  servers_.clear();

  Serve(Named("KX3300A"), "b");
  ASSERT_TRUE(FindCamera("KX3300A"));
  EXPECT_TRUE(OpenCameraHandle());
  EXPECT_NE(camera_channel.device_handle, 0u);
}

TEST_F(CameraChannelTest, RegisterWritesAndReadsGoThroughTheSelectAndOnlyReadsWait) {
  SimCamServer& cam = Serve(Named("KX3300A"));
  ASSERT_TRUE(FindCamera("KX3300A"));
  ASSERT_TRUE(OpenCameraHandle());
  WriteCameraRegister(CAMREG_ARG, 42);
  EXPECT_TRUE(clock_.clock.waits.empty());
  uint8_t value = 0;
  EXPECT_TRUE(ReadCameraRegister(CAMREG_ARG, &value));
  EXPECT_EQ(value, 42);
  EXPECT_EQ(clock_.clock.waits, std::vector<uint32_t>{20});
  EXPECT_EQ(cam.Stats().requests,
            (std::vector<uint32_t>{CAMPROP_REG_SELECT, CAMPROP_REG_WRITE, CAMPROP_REG_SELECT, CAMPROP_REG_READ}));
}

TEST_F(CameraChannelTest, ARegisterReadWhoseReadRequestFailsReportsTheFailureAndTheUntouchedByte) {
  SimCamConfig config = Named("KX3300A");
  config.failing_requests = {CAMPROP_REG_READ};
  Serve(config);
  ASSERT_TRUE(FindCamera("KX3300A"));
  ASSERT_TRUE(OpenCameraHandle());
  WriteCameraRegister(CAMREG_ARG, 42);
  uint8_t value = 99;
  EXPECT_FALSE(ReadCameraRegister(CAMREG_ARG, &value));
  EXPECT_EQ(value, 0);  // the select's value byte, which the driver did not overwrite
}

TEST_F(CameraChannelTest, PropertiesAndHostInfo) {
  SimCamConfig config = Named("KX3300A");
  config.presence = 1;
  SimCamServer& cam = Serve(config);
  ASSERT_TRUE(FindCamera("KX3300A"));
  ASSERT_TRUE(OpenCameraHandle());
  EXPECT_EQ(QueryCameraProperty(CAMPROP_PRESENCE), 1);
  EXPECT_EQ(QueryCameraProperty(CAMPROP_ALIVE), 1);
  SetHostInfo(1);
  EXPECT_EQ(cam.Stats().host_info, 2);  // bit 1: the flag; bit 0 clear: not the old consumer family
  SetHostInfo(0);
  EXPECT_EQ(cam.Stats().host_info, 0);
}

TEST_F(CameraChannelTest, AFailingPropertyQueryYieldsZero) {
  SimCamConfig config = Named("KX3300A");
  config.presence = 1;
  config.failing_requests = {CAMPROP_PRESENCE};
  Serve(config);
  ASSERT_TRUE(FindCamera("KX3300A"));
  EXPECT_EQ(QueryCameraProperty(CAMPROP_PRESENCE), 0);
}

class CameraBlockTest : public CameraFixture {
 protected:
  static constexpr std::size_t kLength = 160 * 120 + 128;

  SimCamServer& Open(SimCamConfig config) {
    SimCamServer& cam = Serve(std::move(config));
    EXPECT_TRUE(FindCamera("KX3300A"));
    EXPECT_TRUE(OpenCameraHandle());
    WriteCameraRegister(CAMREG_ARG, 0);
    WriteCameraRegister(CAMREG_CMD, CAMCMD_SELECT);
    return cam;
  }
};

TEST_F(CameraBlockTest, ReadsThePictureAndHandsTheBufferBack) {
  SimCamConfig config = Named("KX3300A");
  config.frame_offset = 37;
  SimCamServer& cam = Open(config);
  std::vector<uint8_t> buffer(kLength, 0xEE);
  EXPECT_EQ(ReadCameraBlock(buffer.data(), kLength), kLength);
  SimCamera reference(config);
  EXPECT_EQ(buffer, reference.TransferBuffer(0, kLength));
  EXPECT_EQ(buffer[37], 0xFF);
  EXPECT_EQ(buffer[41], 0x55);
  SimStats stats = cam.Stats();
  EXPECT_EQ(stats.blocks_outstanding, 0);
  EXPECT_EQ(stats.block_lengths, (std::vector<uint32_t>{kLength, 0}));
  EXPECT_EQ(std::vector<uint32_t>(stats.requests.end() - 4, stats.requests.end()),
            (std::vector<uint32_t>{CAMPROP_BLOCK_LENGTH, CAMPROP_BLOCK_GET, CAMPROP_BLOCK_FREE, CAMPROP_BLOCK_LENGTH}));
}

TEST_F(CameraBlockTest, AnOversizedReplyIsCutToTheAskedLength) {
  SimCamConfig config = Named("KX3300A");
  config.extra_block_bytes = 1000;
  Open(config);
  std::vector<uint8_t> buffer(kLength + 64, 0xEE);
  EXPECT_EQ(ReadCameraBlock(buffer.data(), kLength), kLength);
  for (std::size_t i = kLength; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xEE) << i;
}

TEST_F(CameraBlockTest, AFailingBlockRequestCopiesNothingAndStillEndsTheTransfer) {
  SimCamConfig config = Named("KX3300A");
  config.failing_requests = {CAMPROP_BLOCK_GET};
  SimCamServer& cam = Open(config);
  std::vector<uint8_t> buffer(kLength, 0xEE);
  EXPECT_EQ(ReadCameraBlock(buffer.data(), kLength), 0u);
  EXPECT_EQ(buffer, std::vector<uint8_t>(kLength, 0xEE));
  SimStats stats = cam.Stats();
  EXPECT_EQ(Count(stats.requests, CAMPROP_BLOCK_FREE), 0);
  EXPECT_EQ(stats.block_lengths, (std::vector<uint32_t>{kLength, 0}));
}

TEST_F(CameraBlockTest, ACameraThatGoesAwayFailsEveryLaterRequestAtOnce) {
  SimCamConfig config = Named("KX3300A");
  config.gone_after = 1;
  Open(config);
  std::vector<uint8_t> buffer(kLength);
  EXPECT_EQ(ReadCameraBlock(buffer.data(), kLength), kLength);
  EXPECT_EQ(QueryCameraProperty(CAMPROP_ALIVE), 0);
  uint8_t value = 5;
  EXPECT_FALSE(ReadCameraRegister(CAMREG_ARG, &value));
  EXPECT_EQ(ReadCameraBlock(buffer.data(), kLength), 0u);
  ReleaseCamera();
  EXPECT_FALSE(FindCamera("KX3300A"));  // unplugged: its socket is gone
}

// A device that records what the channel sends and answers from a script,
// to look at the request bytes themselves.
class ScriptedBus final : public DeviceBus {
 public:
  struct Stream final : DeviceStream {
    explicit Stream(ScriptedBus* bus) : bus(bus) {}
    bool Write(const void* data, std::size_t size) override {
      const auto* p = static_cast<const uint8_t*>(data);
      bus->sent.insert(bus->sent.end(), p, p + size);
      return true;
    }
    bool Read(void* data, std::size_t size) override {
      if (bus->replies.size() < size) return false;
      for (std::size_t i = 0; i < size; ++i) {
        static_cast<uint8_t*>(data)[i] = bus->replies.front();
        bus->replies.pop_front();
      }
      return true;
    }
    ScriptedBus* bus;
  };
  std::vector<std::string> ListDevices() override { return {"scripted"}; }
  std::unique_ptr<DeviceStream> OpenDevice(const std::string&) override { return std::make_unique<Stream>(this); }

  void Reply(uint32_t kind, uint32_t result, const void* body, std::size_t size) {
    CameraWireHeader h{CAMWIRE_MAGIC, kind, result, static_cast<uint32_t>(size)};
    const auto* hp = reinterpret_cast<const uint8_t*>(&h);
    replies.insert(replies.end(), hp, hp + sizeof h);
    const auto* bp = static_cast<const uint8_t*>(body);
    replies.insert(replies.end(), bp, bp + size);
  }

  std::vector<uint8_t> sent;
  std::deque<uint8_t> replies;
};

class ScriptedChannelTest : public CameraFixture {
 protected:
  void SetUp() override {
    CameraFixture::SetUp();
    InstallDeviceBus(&bus_);
    bus_.Reply(CAMWIRE_NAME_QUERY, CAMWIRE_OK, "KX3300A", 7);
    EXPECT_TRUE(FindCamera("KX3300A"));
    bus_.sent.clear();
  }
  void TearDown() override {
    ReleaseCamera();
    InstallDeviceBus(nullptr);
    CameraFixture::TearDown();
  }
  // The i-th 40-byte request sent (each follows a 16-byte header).
  std::vector<uint8_t> Request(std::size_t i) const {
    std::size_t at = i * 56 + 16;
    return std::vector<uint8_t>(bus_.sent.begin() + static_cast<std::ptrdiff_t>(at),
                                bus_.sent.begin() + static_cast<std::ptrdiff_t>(at + 40));
  }
  ScriptedBus bus_;
};

std::vector<uint8_t> RequestBytes(uint32_t id, uint32_t flags, std::vector<uint8_t> payload) {
  std::vector<uint8_t> bytes(CAMERA_PROPSET, CAMERA_PROPSET + 16);
  for (uint32_t v : {id, flags}) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  payload.resize(16);
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  return bytes;
}

TEST_F(ScriptedChannelTest, TheSecondRequestOfAPairCarriesWhatTheFirstReplyLeft) {
  // The select's reply changes words 2 and 3; the write must send them back.
  CameraPropertyRequest reply{};
  PrepareCameraRequest(reply, CAMPROP_REG_SELECT, KSPROPERTY_TYPE_SET);
  SetRequestRegisterBytes(reply, 0x0B, CAMREG_CMD);
  reply.payload[2] = 0x11223344;
  reply.payload[3] = 0x55667788;
  bus_.Reply(CAMWIRE_PROPERTY, CAMWIRE_OK, &reply, sizeof reply);
  bus_.Reply(CAMWIRE_PROPERTY, CAMWIRE_OK, &reply, sizeof reply);
  WriteCameraRegister(CAMREG_CMD, 0x0B);
  ASSERT_EQ(bus_.sent.size(), 2u * 56);
  EXPECT_EQ(Request(0), RequestBytes(300, 2, {0, 0, 0, 0, 0x0B, 0xA2, 0, 0}));
  EXPECT_EQ(Request(1), RequestBytes(302, 1, {0, 0, 0, 0, 0x0B, 0xA2, 0, 0, 0x44, 0x33, 0x22, 0x11, 0x88, 0x77,
                                              0x66, 0x55}));
}

TEST_F(ScriptedChannelTest, BlockRequestsCarryTheLengthTheVersionAndTheToken) {
  CameraPropertyRequest echo{};
  bus_.Reply(CAMWIRE_PROPERTY, CAMWIRE_OK, &echo, sizeof echo);  // 303
  // 200: claims 9 bytes at token 0xCAFE0001 but delivers only 3.
  CameraPropertyRequest block{};
  block.payload[2] = 9;
  block.payload[3] = 0xCAFE0001;
  std::vector<uint8_t> body(reinterpret_cast<uint8_t*>(&block), reinterpret_cast<uint8_t*>(&block) + 40);
  body.insert(body.end(), {1, 2, 3});
  bus_.Reply(CAMWIRE_PROPERTY, CAMWIRE_OK, body.data(), body.size());
  bus_.Reply(CAMWIRE_PROPERTY, CAMWIRE_OK, &echo, sizeof echo);  // 201
  bus_.Reply(CAMWIRE_PROPERTY, CAMWIRE_OK, &echo, sizeof echo);  // 303
  uint8_t destination[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_EQ(ReadCameraBlock(destination, 8), 3u);  // what arrived, not what was claimed
  EXPECT_EQ(std::vector<uint8_t>(destination, destination + 8), (std::vector<uint8_t>{1, 2, 3, 9, 9, 9, 9, 9}));
  EXPECT_EQ(Request(0), RequestBytes(303, 2, {0, 0, 0, 0, 8, 0, 0, 0}));
  EXPECT_EQ(Request(1), RequestBytes(200, 1, {0, 0, 0, 0, 6, 0, 0, 0}));
  EXPECT_EQ(Request(2), RequestBytes(201, 2, {0, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 0xFE, 0xCA}));
  EXPECT_EQ(Request(3), RequestBytes(303, 2, {}));
}

TEST_F(ScriptedChannelTest, AReplyOutOfStepBreaksTheConnection) {
  const uint8_t garbage[16] = {1, 2, 3};
  bus_.replies.insert(bus_.replies.end(), garbage, garbage + 16);
  EXPECT_EQ(QueryCameraProperty(CAMPROP_ALIVE), 0);
  EXPECT_TRUE(camera_channel.broken);
  // Nothing more is sent on a broken connection.
  const std::size_t sent = bus_.sent.size();
  uint8_t value = 0;
  EXPECT_FALSE(ReadCameraRegister(CAMREG_ARG, &value));
  EXPECT_EQ(bus_.sent.size(), sent);
}

}  // namespace
