// Our JPEG encoder against libjpeg-turbo, in the same run and on the same
// pictures, both set up for the photo export's streams: 4:2:2, the Annex K
// tables at 25 %, integer DCT, the standard Huffman tables, no JFIF segment.
// Prints megapixels per second for both and their ratio.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "export/jpeg_encoder.h"
#include "export/jpeg_test_images.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TurboEncoder {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  std::vector<uint8_t> buffer;

  explicit TurboEncoder(std::size_t capacity) : buffer(capacity) {
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
  }
  ~TurboEncoder() { jpeg_destroy_compress(&info); }

  std::size_t Encode(const uint8_t* bgr, unsigned width, unsigned height) {
    unsigned char* out = buffer.data();
    unsigned long size = buffer.size();
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    info.write_JFIF_header = FALSE;
    info.optimize_coding = FALSE;
    info.dct_method = JDCT_ISLOW;
    jpeg_set_linear_quality(&info, 25, TRUE);
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 1;
    for (int c = 1; c < 3; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    const std::size_t row = 3 * static_cast<std::size_t>(width);
    while (info.next_scanline < info.image_height) {
      JSAMPROW line = const_cast<uint8_t*>(bgr + info.next_scanline * row);
      jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    if (out != buffer.data()) std::free(out);  // it outgrew our buffer
    return size;
  }
};

// Best time of `rounds` rounds of `repeats` encodings each, in seconds per encoding.
template <typename F>
double BestSeconds(F encode, int rounds, int repeats) {
  double best = 1e9;
  for (int r = 0; r < rounds; ++r) {
    const auto start = Clock::now();
    for (int i = 0; i < repeats; ++i) encode();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count() / repeats;
    best = std::min(best, seconds);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  struct Case {
    const char* name;
    unsigned width, height;
    bool noise;
  };
  const Case cases[] = {{"natural", 640, 480, false},
                        {"noise", 640, 480, true},
                        {"natural", 1280, 960, false},
                        {"noise", 1280, 960, true}};
  std::printf("%-8s %-9s  %14s %14s  %8s  %9s %9s\n", "picture", "size", "ours MP/s", "turbo MP/s", "ratio",
              "ours B", "turbo B");
  double ratio_product = 1;
  for (const Case& c : cases) {
    const std::vector<uint8_t> picture =
        c.noise ? MakeNoiseBgr(c.width, c.height) : MakeNaturalBgr(c.width, c.height);
    const std::size_t bound = JpegOutputBound(JPEG_BGR, c.width, c.height);
    std::vector<uint8_t> work(picture.size()), out(bound);
    std::size_t ours_bytes = 0;
    // Our encoder converts its input in place, so every encoding starts from
    // a fresh copy; the copy is counted in our time.
    auto ours = [&] {
      std::memcpy(work.data(), picture.data(), picture.size());
      uint8_t* end = EncodeJpeg(work.data(), out.data(), 256, JPEG_BGR, c.width, c.height);
      ours_bytes = static_cast<std::size_t>(end - out.data());
    };
    TurboEncoder turbo_encoder(bound);
    std::size_t turbo_bytes = 0;
    auto turbo = [&] { turbo_bytes = turbo_encoder.Encode(picture.data(), c.width, c.height); };

    const double megapixels = c.width * static_cast<double>(c.height) / 1e6;
    const int repeats = std::max(1, static_cast<int>(8 / megapixels));
    ours();
    turbo();
    double ours_seconds = 1e9, turbo_seconds = 1e9;
    // Interleaved, so both see the same state of the machine.
    for (int r = 0; r < rounds; ++r) {
      ours_seconds = std::min(ours_seconds, BestSeconds(ours, 1, repeats));
      turbo_seconds = std::min(turbo_seconds, BestSeconds(turbo, 1, repeats));
    }
    const double ours_rate = megapixels / ours_seconds, turbo_rate = megapixels / turbo_seconds;
    ratio_product *= ours_rate / turbo_rate;
    char size[16];
    std::snprintf(size, sizeof size, "%ux%u", c.width, c.height);
    std::printf("%-8s %-9s  %14.1f %14.1f  %8.2f  %9zu %9zu\n", c.name, size, ours_rate, turbo_rate,
                ours_rate / turbo_rate, ours_bytes, turbo_bytes);
  }
  std::printf("geometric mean of ours / libjpeg-turbo: %.2f\n", std::pow(ratio_product, 1.0 / 4));
  return 0;
}
