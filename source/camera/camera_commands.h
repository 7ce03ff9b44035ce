// The camera's command set, driven through two one-byte registers: the
// argument register (argument in, result out) and the command register
// (writing a code runs the command). Also the camera open that starts every
// download.
#pragma once

#include <cstdint>

struct CameraState {
  uint8_t camera_status = 0;  // 0: a camera without status support
  int camera_model = 0;       // camera_status & 0x1F: the settings key and the decoder's model
  int subst_check = 0;        // 255 when the camera asks for the substitution rule
  int enlarge_photos = 0;     // "QQ_ZOOM", read once per process at the first open
  bool enlarge_photos_read = false;
};

extern CameraState camera_state;
void ResetCameraState();  // as at load: enlarge_photos will be read again

// Writes the argument register, then the command register.
void CameraCommand(uint8_t code, uint8_t argument);

// The status byte; 0 for a camera without a status register or one whose
// status never became available.
uint8_t ReadCameraStatus();
void WaitCameraReady();
void SelectPicture(int index);  // 256 and above send nothing
// Parameter `number` of the picture selected last.
uint8_t ReadPictureParameter(uint8_t number);
// The picture selected last; returns width x height.
int ReadPictureInfo(int* width, int* height, int* mode, int* kind, int* param11_flag, int* param20);
int CountCameraPictures(uint16_t* photos, uint16_t* clips);

// Finds, checks and counts the camera. On true the connection stays open for
// the download, which closes it; every failure closes it and tells the user
// when there is something to tell. `owner` is the main window.
bool OpenCamera(void* owner);
