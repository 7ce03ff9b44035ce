// Arbitrary formats, sizes, scales and pixels for the JPEG encoder: no crash,
// no write past the bound it promises, no read past the input it asks for.
#include <cstdint>
#include <cstring>
#include <vector>

#include "export/jpeg_encoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  const unsigned format = data[0] % 6;  // 5 is refused
  const unsigned width = (data[1] | data[2] << 8) % 260;
  const unsigned height = (data[3] | data[4] << 8) % 140;
  const unsigned scale = static_cast<unsigned>(data[5] | data[6] << 8 | data[7] << 16) * (data[8] % 4 == 0 ? 256u : 1u);
  data += 9;
  size -= 9;

  const std::size_t input_size = JpegInputSize(format, width, height);
  const std::size_t bound = JpegOutputBound(format, width, height);
  std::vector<uint8_t> input(input_size == 0 ? 1 : input_size);
  // The pixels repeat the fuzzer's bytes, so small inputs still fill big pictures.
  for (std::size_t i = 0; i < input.size(); ++i) input[i] = size == 0 ? 0 : data[i % size];
  std::vector<uint8_t> output(bound == 0 ? 1 : bound);
  uint8_t* end = EncodeJpeg(input.data(), output.data(), scale, format, width, height);
  if ((end == nullptr) != (bound == 0)) __builtin_trap();
  if (end != nullptr && (end < output.data() || static_cast<std::size_t>(end - output.data()) > bound)) {
    __builtin_trap();
  }
  return 0;
}
