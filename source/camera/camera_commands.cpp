#include "camera/camera_commands.h"

#include <cstddef>

#include "camera/camera_channel.h"
#include "camera/camera_wire.h"
#include "ui/resources/language_state.h"
#include "camera/picture_table.h"
#include "camera/settings.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "ui/resources/strings.h"

CameraState camera_state;

namespace {

constexpr int kStatusPolls = 100;
constexpr uint32_t kStatusWaitMs = 50;
constexpr int kBusyPolls = 100;
constexpr uint32_t kBusyWaitMs = 3;
constexpr uint32_t kNoStatusReadyWaitMs = 1000;

constexpr int kMessageCameraNotFound = 122;
constexpr int kMessageNoPictures = 123;
constexpr std::size_t kMessageSize = 100;

constexpr char kDefaultDeviceName[] = "KX3300A";

// For the commands that take no argument: the argument register is left alone.
void WriteCommandOnly(uint8_t code) { WriteCameraRegister(CAMREG_CMD, code); }

uint8_t ReadResult() {
  uint8_t value = 0;
  ReadCameraRegister(CAMREG_ARG, &value);
  return value;
}

void ShowCameraMessage(void* owner, int id, MessageIcon icon) {
  char text[kMessageSize];
  LoadResourceString(id + language_state.language_offset, text, sizeof text);
  // No caption of its own: the platform's default title.
  ShowMessageBox(owner, "", text, MessageButtons::Ok, icon);
}

}  // namespace

void ResetCameraState() { camera_state = CameraState{}; }

void CameraCommand(uint8_t code, uint8_t argument) {
  WriteCameraRegister(CAMREG_ARG, argument);
  WriteCameraRegister(CAMREG_CMD, code);
}

uint8_t ReadCameraStatus() {
  WriteCommandOnly(CAMCMD_PROBE);
  if (ReadResult() == CAMERA_PROBE_NO_STATUS) return 0;
  uint8_t status = 0;
  for (int i = 0; i < kStatusPolls; ++i) {
    WriteCommandOnly(CAMCMD_STATUS);
    SleepMs(kStatusWaitMs);
    status = ReadResult();
    if (status != 0) break;
    SleepMs(kStatusWaitMs);
  }
  return status;
}

void WaitCameraReady() {
  if (camera_state.camera_status == 0) {
    SleepMs(kNoStatusReadyWaitMs);
    return;
  }
  for (int i = 0; i < kBusyPolls; ++i) {
    WriteCommandOnly(CAMCMD_BUSY);
    if (ReadResult() != 1) break;
    SleepMs(kBusyWaitMs);
  }
}

void SelectPicture(int index) {
  if (index < 0 || index >= 256) return;
  CameraCommand(CAMCMD_SELECT, static_cast<uint8_t>(index));
  if (camera_state.camera_status != 0) WaitCameraReady();
}

uint8_t ReadPictureParameter(uint8_t number) {
  CameraCommand(CAMCMD_PARAM, number);
  return ReadResult();
}

int ReadPictureInfo(int* width, int* height, int* mode, int* kind, int* param11_flag, int* param20) {
  const int w = ReadPictureParameter(CAMPARAM_WIDTH_LOW) + 256 * ReadPictureParameter(CAMPARAM_WIDTH_HIGH);
  const int h = ReadPictureParameter(CAMPARAM_HEIGHT_LOW) + 256 * ReadPictureParameter(CAMPARAM_HEIGHT_HIGH);
  const uint8_t p7 = ReadPictureParameter(CAMPARAM_MODE);
  const int k = (p7 & CAMPARAM_MODE_KIND_VALID) ? ReadPictureParameter(CAMPARAM_KIND) : kPicturePhoto;
  const int flag = ReadPictureParameter(CAMPARAM_FLAG11) == 1 ? 1 : 0;
  const int p20 = ReadPictureParameter(CAMPARAM_20);
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
  if (mode != nullptr) *mode = p7 & 0x0F;
  if (kind != nullptr) *kind = k;
  if (param11_flag != nullptr) *param11_flag = flag;
  if (param20 != nullptr) *param20 = p20;
  return w * h;
}

int CountCameraPictures(uint16_t* photos, uint16_t* clips) {
  CameraCommand(CAMCMD_COUNT, 0);
  const int n = ReadResult();
  uint16_t p = 0;
  uint16_t c = 0;
  for (int i = 0; i < n; ++i) {
    SelectPicture(i);
    const uint8_t kind = ReadPictureParameter(CAMPARAM_KIND);
    if (kind == kPicturePhoto) ++p;
    if (kind == kPictureClipStart) ++c;
  }
  if (photos != nullptr) *photos = p;
  if (clips != nullptr) *clips = c;
  return n;
}

bool OpenCamera(void* owner) {
  picture_table.camera_picture_count = 0;
  picture_table.photo_count = 0;
  picture_table.clip_count = 0;

  char name[kDeviceNameSize];
  if (!ReadDeviceName(name)) {
    static_assert(sizeof kDefaultDeviceName <= kDeviceNameSize);
    for (std::size_t i = 0; i < sizeof kDefaultDeviceName; ++i) name[i] = kDefaultDeviceName[i];
  }

  if (!FindCamera(name)) {
    ShowCameraMessage(owner, kMessageCameraNotFound, MessageIcon::Error);
    return false;
  }
  if (!OpenCameraHandle()) {
    ReleaseCamera();
    return false;
  }
  if (QueryCameraProperty(CAMPROP_PRESENCE) == 1) {
    ReleaseCamera();
    ShowCameraMessage(owner, kMessageCameraNotFound, MessageIcon::Error);
    return false;
  }
  SetHostInfo(0);

  camera_state.camera_status = ReadCameraStatus();
  camera_state.camera_model = camera_state.camera_status & 0x1F;

  WriteCommandOnly(CAMCMD_SUBST);
  camera_state.subst_check = ReadResult() != 0 ? 255 : 0;

  SelectSettingsKey(camera_state.camera_model);
  if (!camera_state.enlarge_photos_read) {
    camera_state.enlarge_photos = static_cast<int>(ReadSettingNumber("QQ_ZOOM"));
    camera_state.enlarge_photos_read = true;
  }

  CameraCommand(CAMCMD_MODE, 2);
  WaitCameraReady();

  uint16_t photos = 0;
  uint16_t clips = 0;
  picture_table.camera_picture_count = CountCameraPictures(&photos, &clips);
  picture_table.photo_count = photos;
  picture_table.clip_count = clips;
  if (picture_table.camera_picture_count == 0) {
    CameraCommand(CAMCMD_MODE, 0);
    ReleaseCamera();
    ShowCameraMessage(owner, kMessageNoPictures, MessageIcon::Warning);
    return false;
  }
  return true;
}
