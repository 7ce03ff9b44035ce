// Speed of the imaging library at the camera's largest size: developing a
// photo in both qualities, a clip frame, and enlarging a photo, with Qt's
// smooth scaling of the same photo as the peer for the last; the scene
// generator of the tests serves as input.
#include <QImage>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "imaging_scene.h"
#include "kx3300_ip.h"
#include "raw_format.h"

namespace {

struct Frame {
  RawFrameParams params;
  std::vector<uint8_t> raw;
  KX3300_PictureRecordPrefix record{};
  double adjust[3] = {1.0, 1.0, 1.0};

  Frame(int w, int h, double quality) {
    params.width = w;
    params.height = h;
    raw = EncodeRawFrame(MakeScene(w, RawPictureHeight(params)).data(), params);
    if (w < 352) ExchangeMosaicRows(raw.data(), w, h);
    record.record_size = sizeof record;
    record.width = w;
    record.height = h;
    record.half_height = w > 2 * h;
    adjust[2] = quality;
    record.adjust = adjust;
  }
};

void DevelopPhoto(benchmark::State& state) {
  Frame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), state.range(2) / 100.0);
  for (auto _ : state) {
    void* block = IP_hDIB(&frame.record, frame.raw.data());
    benchmark::DoNotOptimize(block);
    std::free(block);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(DevelopPhoto)->Args({640, 480, 100})->Args({640, 480, 125})->Args({352, 288, 100})->Args({352, 144, 100})
    ->Unit(benchmark::kMillisecond);

void DevelopClipFrame(benchmark::State& state) {
  Frame frame(352, 288, 1.0);
  std::vector<uint8_t> pixels(352 * 288 * 3);
  for (auto _ : state) benchmark::DoNotOptimize(IP_pRGB24(&frame.record, frame.raw.data(), pixels.data()));
}
BENCHMARK(DevelopClipFrame)->Unit(benchmark::kMillisecond);

void EnlargePhoto(benchmark::State& state) {
  std::vector<uint8_t> source = MakeScene(352, 288);
  std::vector<uint8_t> target(640 * 480 * 3);
  for (auto _ : state) benchmark::DoNotOptimize(IP_ImageResample(source.data(), 352, 288, target.data(), 640, 480));
}
BENCHMARK(EnlargePhoto)->Unit(benchmark::kMillisecond);

void EnlargePhotoWithQt(benchmark::State& state) {
  std::vector<uint8_t> source = MakeScene(352, 288);
  const QImage image(source.data(), 352, 288, 352 * 3, QImage::Format_RGB888);
  for (auto _ : state) {
    benchmark::DoNotOptimize(image.scaled(640, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  }
}
BENCHMARK(EnlargePhotoWithQt)->Unit(benchmark::kMillisecond);

void MakeTestScene(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(MakeScene(640, 480));
}
BENCHMARK(MakeTestScene)->Unit(benchmark::kMillisecond);

void EncodeFrame(benchmark::State& state) {
  RawFrameParams p;
  p.width = 640;
  p.height = 480;
  std::vector<uint8_t> scene = MakeScene(640, 480);
  for (auto _ : state) benchmark::DoNotOptimize(EncodeRawFrame(scene.data(), p));
}
BENCHMARK(EncodeFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
