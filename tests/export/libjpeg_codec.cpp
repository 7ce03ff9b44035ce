#include "export/libjpeg_codec.h"

#include <csetjmp>
#include <cmath>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  info->err->format_message(info, manager->message);
  std::longjmp(manager->jump, 1);
}

}  // namespace

DecodedJpeg DecodeWithLibjpeg(const uint8_t* data, std::size_t size, DecodeAs as) {
  DecodedJpeg result;
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  if (setjmp(errors.jump)) {
    result.ok = false;
    result.error = errors.message;
    jpeg_destroy_decompress(&info);
    return result;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  if (as == DecodeAs::kYcc) {
    info.out_color_space = info.jpeg_color_space;
    info.do_fancy_upsampling = FALSE;
  } else {
    info.out_color_space = info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_EXT_BGR;
  }
  info.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&info);
  result.width = info.output_width;
  result.height = info.output_height;
  result.components = static_cast<unsigned>(info.output_components);
  const std::size_t row = static_cast<std::size_t>(result.width) * result.components;
  result.pixels.resize(row * result.height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW line = result.pixels.data() + info.output_scanline * row;
    jpeg_read_scanlines(&info, &line, 1);
  }
  jpeg_finish_decompress(&info);
  result.ok = errors.base.num_warnings == 0;
  if (!result.ok) result.error = "libjpeg warned about the stream";
  jpeg_destroy_decompress(&info);
  return result;
}

double Psnr(const uint8_t* a, const uint8_t* b, std::size_t count, std::size_t stride) {
  double sum = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const double d = static_cast<double>(a[i * stride]) - b[i * stride];
    sum += d * d;
  }
  if (sum == 0) return 99.0;
  return 10.0 * std::log10(255.0 * 255.0 * count / sum);
}
