// snapjpeg's BMP reader and the tool itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "camera/whole_file.h"
#include "export/jpeg_encoder.h"
#include "export/jpeg_test_images.h"
#include "export/tools/bmp_reader.h"
#include "platform/memory.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BMP file with a 40-byte information header; rows padded to four bytes.
Bytes MakeBmp(unsigned width, int height, const Bytes& bottom_up_rows) {
  const std::size_t row = 3 * width, stride = (row + 3) & ~std::size_t{3};
  const unsigned rows = static_cast<unsigned>(height < 0 ? -height : height);
  Bytes file(54 + stride * rows, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<uint32_t>(file.size()));
  Put32(file, 10, 54);
  Put32(file, 14, 40);
  Put32(file, 18, width);
  Put32(file, 22, static_cast<uint32_t>(height));
  file[26] = 1;
  file[28] = 24;
  for (unsigned y = 0; y < rows; ++y) {
    const unsigned from = height < 0 ? rows - 1 - y : y;  // top-down files store the top row first
    std::copy_n(bottom_up_rows.begin() + static_cast<std::ptrdiff_t>(from * row), row,
                file.begin() + static_cast<std::ptrdiff_t>(54 + y * stride));
  }
  return file;
}

TEST(BmpReader, ReadsBottomUpAndTopDownRows) {
  const Bytes rows = MakeNoiseBgr(5, 3);
  for (int height : {3, -3}) {
    const Bytes file = MakeBmp(5, height, rows);
    BmpPicture picture;
    std::string error;
    ASSERT_TRUE(ParseBmp(file.data(), file.size(), &picture, &error)) << error;
    EXPECT_EQ(picture.width, 5u);
    EXPECT_EQ(picture.height, 3u);
    EXPECT_EQ(picture.bits, rows);
  }
}

TEST(BmpReader, RefusesHostileHeaders) {
  const Bytes good = MakeBmp(4, 4, MakeNoiseBgr(4, 4));
  struct Case {
    const char* what;
    std::size_t at;
    uint32_t value;
  };
  const Case cases[] = {
      {"pixel offset past the end", 10, 0xFFFFFFF0u}, {"header larger than the file", 14, 0x7FFFFFFFu},
      {"header too small", 14, 20},                   {"zero width", 18, 0},
      {"huge width", 18, 0x40000000u},                {"width beyond the data", 18, 5},
      {"zero height", 22, 0},                         {"most negative height", 22, 0x80000000u},
      {"height beyond the data", 22, 5},              {"8-bit", 28, 8},
      {"compressed", 30, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bad = good;
    if (c.at == 28) {
      bad[28] = static_cast<uint8_t>(c.value);
    } else {
      Put32(bad, c.at, c.value);
    }
    BmpPicture picture;
    std::string error;
    EXPECT_FALSE(ParseBmp(bad.data(), bad.size(), &picture, &error));
    EXPECT_FALSE(error.empty());
  }
  BmpPicture picture;
  for (std::size_t size = 0; size < good.size(); ++size) {
    EXPECT_FALSE(ParseBmp(good.data(), size, &picture, nullptr)) << size;
  }
}

TEST(Snapjpeg, WritesWhatSaveJpegFileWrites) {
  TempDir dir;
  const unsigned width = 64, height = 48;
  const Bytes rows = MakeNaturalBgr(width, height);
  const Bytes file = MakeBmp(width, height, rows);
  ASSERT_TRUE(WriteWholeFile(dir.File("in.bmp").c_str(), file.data(), file.size()));
  const std::string command = std::string(SNAPSRC_BIN_DIR) + "/snapjpeg " + dir.File("in.bmp") + " " +
                              dir.File("out.jpg") + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);

  Bytes bits = rows;
  ASSERT_TRUE(SaveJpegFile(dir.File("direct.jpg").c_str(), bits.data(), width, height));
  std::size_t a = 0, b = 0;
  void* tool = ReadWholeFile(dir.File("out.jpg").c_str(), &a);
  void* direct = ReadWholeFile(dir.File("direct.jpg").c_str(), &b);
  ASSERT_NE(tool, nullptr);
  ASSERT_NE(direct, nullptr);
  EXPECT_EQ(Bytes(static_cast<uint8_t*>(tool), static_cast<uint8_t*>(tool) + a),
            Bytes(static_cast<uint8_t*>(direct), static_cast<uint8_t*>(direct) + b));
  FreeBlock(tool);
  FreeBlock(direct);

  const std::string bad = std::string(SNAPSRC_BIN_DIR) + "/snapjpeg " + dir.File("out.jpg") + " " +
                          dir.File("again.jpg") + " 2>/dev/null";
  EXPECT_NE(std::system(bad.c_str()), 0);
}

}  // namespace
