#include "simcam.h"

SimPicture MakePhoto(int width, int height, uint32_t seed) {
  SimPicture p;
  p.width = width;
  p.height = height;
  p.kind = 0;
  p.scene.seed = seed;
  return p;
}

std::vector<SimPicture> MakeClip(int width, int height, int frames, uint32_t seed) {
  std::vector<SimPicture> clip;
  for (int i = 0; i < frames; ++i) {
    SimPicture p = MakePhoto(width, height, seed);
    p.kind = i == 0 ? 17 : 1;
    p.scene.frame = i;
    p.scene.frames = frames;
    clip.push_back(p);
  }
  return clip;
}

std::vector<SimPicture> BuiltInPictures(uint32_t seed) {
  struct Size {
    int width, height;
  };
  // 352 x 144 and 176 x 72 are stored at half height.
  constexpr Size kPhotos[] = {{640, 480}, {352, 288}, {320, 240}, {176, 144}, {160, 120}, {88, 72}, {352, 144}};
  std::vector<SimPicture> pictures;
  uint32_t s = seed;
  for (const Size& size : kPhotos) pictures.push_back(MakePhoto(size.width, size.height, s++));
  for (SimPicture& p : MakeClip(160, 120, 12, s++)) pictures.push_back(p);
  for (SimPicture& p : MakeClip(176, 72, 8, s++)) pictures.push_back(p);
  return pictures;
}

std::vector<SimPicture> AllSizePictures(uint32_t seed) {
  std::vector<SimPicture> pictures;
  uint32_t s = seed;
  for (int w : kSimWidths) {
    for (int h : kSimHeights) pictures.push_back(MakePhoto(w, h, s++));
  }
  return pictures;
}
