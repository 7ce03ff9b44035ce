// How long a page of nine thumbnails takes to make from .bar files, as the
// thumbnail pages draw it: every cell read, developed by the imaging library
// and shrunk to 80 x 60 by our bilinear scaler. The peer is the library's
// development alone of the same frames from memory, so the figures show what
// the file read and the scaler add to it.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "camera/decoding.h"
#include "camera/imaging_library.h"
#include "camera/picture_store.h"
#include "camera/picture_table.h"
#include "imaging_scene.h"
#include "kx3300_ip.h"
#include "platform/memory.h"
#include "raw_format.h"

namespace {

constexpr int kPage = 9;
constexpr int kRuns = 15;

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Nine pictures of one size in the store, each a different scene.
std::vector<std::vector<uint8_t>> FillStore(int width, int height) {
  std::vector<std::vector<uint8_t>> frames;
  ResetPictureTable();
  for (int i = 0; i < kPage; ++i) {
    RawFrameParams params;
    params.width = width;
    params.height = height;
    std::vector<uint8_t> raw = EncodeRawFrame(MakeScene(width, RawPictureHeight(params), i).data(), params);
    std::vector<uint8_t> buffer(TransferSize(width, height), 0);
    std::memcpy(buffer.data(), kFrameStartMarker, kFrameMarkerSize);
    std::memcpy(buffer.data() + kFrameMarkerSize, raw.data(), raw.size());
    std::memcpy(buffer.data() + kFrameMarkerSize + raw.size(), kFrameEndMarker, kFrameMarkerSize);
    StorePicture(i, buffer.data(), buffer.size(), BarHeader{0, 0, 0, width, height});
    PictureRecord& r = picture_table.records[i];
    r = {};
    r.width = width;
    r.height = height;
    r.narrow = width < 352;
    r.half_height = width > 2 * height;
    if (r.narrow) ExchangeMosaicRows(raw.data(), width, height);
    frames.push_back(std::move(raw));
  }
  picture_table.picture_count = kPage;
  picture_table.item_count = kPage;
  picture_table.photo_count = kPage;
  return frames;
}

void Measure(int width, int height, int quality) {
  const std::vector<std::vector<uint8_t>> frames = FillStore(width, height);
  image_adjustments.quality = quality;

  // Runs of both alternate, so that a busy machine weighs on them alike.
  const double adjust[3] = {1.0, 1.0, quality * 0.01};
  std::vector<double> page_ms;
  std::vector<double> develop_ms;
  for (int run = 0; run < kRuns; ++run) {
    auto start = Clock::now();
    for (int k = 0; k < kPage; ++k) {
      void* thumbnail = MakeThumbnail(k);
      if (thumbnail == nullptr) {
        std::fprintf(stderr, "thumbnail %d of %dx%d failed\n", k, width, height);
        std::exit(1);
      }
      FreeBlock(thumbnail);
    }
    page_ms.push_back(MsSince(start));

    // The library alone, on the same frames already in memory.
    start = Clock::now();
    for (int k = 0; k < kPage; ++k) {
      PictureRecord record = picture_table.records[k];
      record.record_size = kPictureRecordSize;
      record.adjust = adjust;
      FreeBlock(IP_hDIB(&record, frames[k].data()));
    }
    develop_ms.push_back(MsSince(start));
  }

  const double page = Median(page_ms);
  const double develop = Median(develop_ms);
  std::printf("%4dx%-4d %-7s  page of 9: %7.1f ms  (%5.1f ms a thumbnail)  library alone: %7.1f ms  ratio %.2f\n",
              width, height, quality > 100 ? "high" : "normal", page, page / kPage, develop, page / develop);
}

}  // namespace

int main() {
  char dir[] = "/tmp/thumbnail_bench.XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  std::snprintf(picture_store.store_dir, kStorePathSize, "%s", dir);
  std::snprintf(picture_store.picture_dir, kStorePathSize, "%s", dir);
  imaging_library.IP_hDIB = IP_hDIB;
  imaging_library.IP_pRGB24 = IP_pRGB24;
  imaging_library.IP_ImageResample = IP_ImageResample;

  std::printf("Thumbnail page from .bar files, median of %d runs\n", kRuns);
  for (int quality : {100, 125}) {
    Measure(640, 480, quality);
    Measure(352, 288, quality);
  }

  char path[kStorePathSize + 16];
  for (int i = 0; i < kPage; ++i) {
    if (PicturePath(i, path, sizeof path)) unlink(path);
  }
  rmdir(dir);
  return 0;
}
