// The transfer handlers driven in-process through the source's entry, with
// pictures of known pixels behind the transfer's test seam: row order, byte
// order, buffer sizes, the memory transfer's position, and the batch's walk
// over the picture table. Boxes and notifications reach a TestHost.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "camera/decoding.h"
#include "fake_pictures.h"
#include "support/temp_dir.h"
#include "support/test_host.h"
#include "twain/capability_table.h"
#include "twain/entry.h"
#include "twain/fix32.h"
#include "twain/source_state.h"
#include "twain/transfer_state.h"
#include "ui/main_window.h"
#include "ui/progress.h"
#include "ui/progress_layout.h"

namespace {

constexpr char kMemPrefix[] = "General failure in response to DAT_IMAGEMEMXFER.  ";
constexpr char kPendingPrefix[] = "General failure in response to DAT_PENDINGXFER.  ";
constexpr char kSeqError[] = "DG DAT MSG is out of expected sequence.";
constexpr char kOperationError[] = "An operation error just occurred.";

void ResetEverything() {
  ResetSourceState();
  ResetTransferState();
  ResetPictureTable();
  ResetCapabilities();
  CloseProgressDialog();
  ResetProgressState();
  FakeDecoder::calls = 0;
  FakeDecoder::claimed_height = 0;
}

class Transfer : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEverything();
    xfer_picture_source_for_tests = &FakeDecoder::Decode;
    TW_IDENTITY self{};
    self.Id = 2;
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &self), TWRC_SUCCESS);
  }

  void TearDown() override {
    if (source_state.main_window != nullptr) {
      ReleaseMainWindow();
      DestroyMainWindow(source_state.main_window);
    }
    ResetEverything();
  }

  TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    return SourceEntry(&host.app, dg, dat, msg, data);
  }

  // A batch of `count` selected photos, started as the transfer button starts it.
  void StartBatch(int count, int width, int height, const std::vector<int>& unselected = {}) {
    FillPictureTable(count, width, height, unselected);
    source_state.state = 5;
    StartTransferBatch();
    TestHost::Notifications().clear();
  }

  TW_UINT16 MemXfer(TW_IMAGEMEMXFER& xfer, void* buffer, TW_UINT32 length,
                    TW_UINT32 flags = TWMF_APPOWNS | TWMF_POINTER) {
    xfer = TW_IMAGEMEMXFER{};
    xfer.Memory.Flags = flags;
    xfer.Memory.Length = length;
    xfer.Memory.TheMem = buffer;
    return Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
  }

  TW_UINT16 EndXfer(TW_UINT16* count) {
    TW_PENDINGXFERS pending{0xBEEF, 0x12345678};
    TW_UINT16 rc = Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    *count = pending.Count;
    EXPECT_EQ(TW_UINT32{pending.Reserved}, 0x12345678u);  // only Count is the source's
    return rc;
  }

  TW_IMAGEINFO ImageInfo(TW_UINT16* rc) {
    TW_IMAGEINFO info{};
    *rc = Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info);
    return info;
  }

  TestHost host;  // the box log and the host's notifications
};

// Checks `rows` rows of a memory-transfer strip against picture `seed`,
// starting at row `top` counted from the top.
void ExpectStripRows(const std::vector<uint8_t>& buffer, int seed, int width, int top, int rows, uint32_t stride) {
  for (int r = 0; r < rows; ++r) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = buffer.data() + static_cast<std::size_t>(r) * stride + 3 * x;
      ASSERT_EQ((Rgb{p[0], p[1], p[2]}), FakePixel(seed, x, top + r)) << "row " << top + r << " column " << x;
    }
  }
}

TEST_F(Transfer, MemoryTransferOf640x480TakesFifteenCallsTopRowFirst) {
  StartBatch(1, 640, 480);
  std::vector<uint8_t> buffer(65535);
  TW_IMAGEMEMXFER xfer;
  int top = 0;
  for (int call = 1; call <= 15; ++call) {
    TW_UINT16 rc = MemXfer(xfer, buffer.data(), buffer.size());
    const int rows = call < 15 ? 34 : 4;
    ASSERT_EQ(rc, call < 15 ? TWRC_SUCCESS : TWRC_XFERDONE) << "call " << call;
    EXPECT_EQ(TW_UINT32{xfer.BytesPerRow}, 1920u);
    EXPECT_EQ(TW_UINT32{xfer.Columns}, static_cast<TW_UINT32>(ReportedWidth()));  // 640 with decoding
    EXPECT_EQ(TW_UINT32{xfer.XOffset}, 0u);
    EXPECT_EQ(TW_UINT16{xfer.Compression}, TWCP_NONE);
    EXPECT_EQ(TW_UINT32{xfer.YOffset}, static_cast<TW_UINT32>(top));
    EXPECT_EQ(TW_UINT32{xfer.Rows}, static_cast<TW_UINT32>(rows));
    EXPECT_EQ(TW_UINT32{xfer.BytesWritten}, rows * 1920u);
    ExpectStripRows(buffer, 0, 640, top, rows, 1920);
    EXPECT_EQ(source_state.state, 7);
    top += rows;
  }
  EXPECT_EQ(top, 480);
  EXPECT_EQ(FakeDecoder::calls, 1);  // decoded once, at the first call
  EXPECT_EQ(transfer_state.mem_position, 0u);
}

TEST_F(Transfer, BufferShorterThanARowReceivesNothingAndTheNextCallStartsAtTheTop) {
  StartBatch(1, 40, 8);  // 120-byte rows
  std::vector<uint8_t> buffer(8 * 120, 0xEE);
  TW_IMAGEMEMXFER xfer;
  for (TW_UINT32 length : {0u, 1u, 119u}) {
    ASSERT_EQ(MemXfer(xfer, buffer.data(), length), TWRC_SUCCESS) << length;
    EXPECT_EQ(TW_UINT32{xfer.BytesWritten}, 0u);
    EXPECT_EQ(TW_UINT32{xfer.Rows}, 0u);
    EXPECT_EQ(TW_UINT32{xfer.YOffset}, 0u);
    EXPECT_EQ(source_state.state, 7);
  }
  EXPECT_EQ(std::vector<uint8_t>(8 * 120, 0xEE), buffer);
  // 2.5 rows of room: two rows per call.
  int top = 0;
  for (TW_UINT16 expected : {TWRC_SUCCESS, TWRC_SUCCESS, TWRC_SUCCESS, TWRC_XFERDONE}) {
    ASSERT_EQ(MemXfer(xfer, buffer.data(), 300), expected);
    EXPECT_EQ(TW_UINT32{xfer.YOffset}, static_cast<TW_UINT32>(top));
    EXPECT_EQ(TW_UINT32{xfer.Rows}, 2u);
    EXPECT_EQ(buffer[240], 0xEE);  // the half row of room stays as it was
    ExpectStripRows(buffer, 0, 40, top, 2, 120);
    top += 2;
  }
  EXPECT_EQ(FakeDecoder::calls, 1);
}

TEST_F(Transfer, OnePixelWidePictureLeavesEachRowsFourthByteAlone) {
  StartBatch(1, 1, 6);
  std::vector<uint8_t> buffer(6 * 4, 0xEE);
  TW_IMAGEMEMXFER xfer;
  ASSERT_EQ(MemXfer(xfer, buffer.data(), buffer.size()), TWRC_XFERDONE);
  EXPECT_EQ(TW_UINT32{xfer.BytesPerRow}, 4u);
  EXPECT_EQ(TW_UINT32{xfer.Rows}, 6u);
  for (int y = 0; y < 6; ++y) {
    const uint8_t* p = buffer.data() + 4 * y;
    EXPECT_EQ((Rgb{p[0], p[1], p[2]}), FakePixel(0, 0, y)) << y;
    EXPECT_EQ(p[3], 0xEE) << y;
  }
}

TEST_F(Transfer, EveryWidthArrivesInRedGreenBlueAndBytesAfterTheLastTripleStayAlone) {
  for (int width : {1, 2, 3, 4, 5, 7, 8, 9, 13, 352}) {
    SCOPED_TRACE(width);
    ResetTransferState();
    xfer_picture_source_for_tests = &FakeDecoder::Decode;
    StartBatch(1, width, 5);
    const uint32_t stride = DibStride(width);
    std::vector<uint8_t> buffer(stride * 5, 0xEE);
    TW_IMAGEMEMXFER xfer;
    ASSERT_EQ(MemXfer(xfer, buffer.data(), buffer.size()), TWRC_XFERDONE);
    ExpectStripRows(buffer, 0, width, 0, 5, stride);
    for (int y = 0; y < 5; ++y) {
      // The row is copied in groups of three up to its stride, padding too;
      // the one or two bytes after the last group are not written.
      for (uint32_t k = stride / 3 * 3; k < stride; ++k) ASSERT_EQ(buffer[y * stride + k], 0xEE) << y << " " << k;
    }
  }
}

TEST_F(Transfer, AfterTheLastStripAndBeforeEndXferNothingMoreIsWritten) {
  StartBatch(1, 8, 4);
  std::vector<uint8_t> buffer(4 * 24);
  TW_IMAGEMEMXFER xfer;
  ASSERT_EQ(MemXfer(xfer, buffer.data(), buffer.size()), TWRC_XFERDONE);
  std::vector<uint8_t> again(4 * 24, 0xEE);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(MemXfer(xfer, again.data(), again.size()), TWRC_XFERDONE);
    EXPECT_EQ(TW_UINT32{xfer.BytesWritten}, 0u);
    EXPECT_EQ(TW_UINT32{xfer.Rows}, 0u);
    EXPECT_EQ(TW_UINT32{xfer.YOffset}, 0u);
  }
  EXPECT_EQ(again, std::vector<uint8_t>(4 * 24, 0xEE));
  EXPECT_EQ(source_state.state, 7);
  EXPECT_EQ(FakeDecoder::calls, 1);
}

TEST_F(Transfer, MemoryTransferIntoAHandle) {
  StartBatch(1, 8, 4);
  void* block = AllocBlock(4 * 24);
  TW_IMAGEMEMXFER xfer;
  ASSERT_EQ(MemXfer(xfer, block, 4 * 24, TWMF_APPOWNS | TWMF_HANDLE), TWRC_XFERDONE);
  std::vector<uint8_t> got(static_cast<uint8_t*>(block), static_cast<uint8_t*>(block) + 4 * 24);
  ExpectStripRows(got, 0, 8, 0, 4, 24);
  FreeBlock(block);
}

TEST_F(Transfer, EndXferInTheMiddleOfAMemoryTransferThenANewBatchStartsAfresh) {
  StartBatch(2, 16, 8);  // 48-byte rows
  std::vector<uint8_t> buffer(3 * 48);
  TW_IMAGEMEMXFER xfer;
  ASSERT_EQ(MemXfer(xfer, buffer.data(), buffer.size()), TWRC_SUCCESS);
  ASSERT_EQ(MemXfer(xfer, buffer.data(), buffer.size()), TWRC_SUCCESS);
  EXPECT_EQ(TW_UINT32{xfer.YOffset}, 3u);
  TW_UINT16 count = 0;
  ASSERT_EQ(EndXfer(&count), TWRC_SUCCESS);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(source_state.state, 6);
  EXPECT_EQ(transfer_state.image, nullptr);

  StartBatch(2, 16, 8);
  ASSERT_EQ(MemXfer(xfer, buffer.data(), buffer.size()), TWRC_SUCCESS);
  EXPECT_EQ(TW_UINT32{xfer.YOffset}, 0u);
  EXPECT_EQ(FakeDecoder::calls, 2);
  ExpectStripRows(buffer, 0, 16, 0, 3, 48);
}

TEST_F(Transfer, EndXferMovesToTheNextSelectedPicture) {
  StartBatch(4, 8, 4, {1});
  EXPECT_EQ(picture_table.current_picture, 0);
  std::vector<uint8_t> buffer(4 * 24);
  TW_IMAGEMEMXFER xfer;
  for (int expected_picture : {0, 2, 3}) {
    ASSERT_EQ(picture_table.current_picture, expected_picture);
    ASSERT_EQ(MemXfer(xfer, buffer.data(), buffer.size()), TWRC_XFERDONE);
    ExpectStripRows(buffer, expected_picture, 8, 0, 4, 24);
    TW_UINT16 count = 0;
    ASSERT_EQ(EndXfer(&count), TWRC_SUCCESS);
  }
}

TEST_F(Transfer, ResetInState7EmptiesTheBatch) {
  StartBatch(3, 8, 4);
  TW_HANDLE image = nullptr;
  ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_XFERDONE);
  std::free(image);
  ASSERT_EQ(source_state.state, 7);
  TW_PENDINGXFERS pending{0xBEEF, 0};
  ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
  EXPECT_EQ(pending.Count, 0);
  EXPECT_EQ(source_state.state, 5);
  pending.Count = 0xBEEF;
  ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
  EXPECT_EQ(pending.Count, 0);
  EXPECT_TRUE(TestHost::Notifications().empty());  // a reset is no end of the batch
}

TEST_F(Transfer, EndXferOutsideState7StillEndsTheTransfer) {
  StartBatch(3, 8, 4);
  std::vector<uint8_t> buffer(2 * 24);
  TW_IMAGEMEMXFER xfer;
  ASSERT_EQ(MemXfer(xfer, buffer.data(), buffer.size()), TWRC_SUCCESS);
  source_state.state = 6;  // as if the host had lost track
  TW_UINT16 count = 0;
  EXPECT_EQ(EndXfer(&count), TWRC_FAILURE);
  EXPECT_EQ(host.LastBoxText(), std::string(kPendingPrefix) + kSeqError);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(picture_table.current_picture, 1);
  EXPECT_EQ(transfer_state.image, nullptr);
  EXPECT_EQ(transfer_state.mem_position, 0u);
  EXPECT_EQ(source_state.state, 6);
}

TEST_F(Transfer, NativeTransferHandsTheDecodedDibToTheHost) {
  StartBatch(1, 24, 10);
  TW_HANDLE image = nullptr;
  ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_XFERDONE);
  ASSERT_NE(image, nullptr);
  void* expected = MakeFakeDib(0, 24, 10);
  EXPECT_EQ(std::memcmp(image, expected, 40 + 72 * 10), 0);
  EXPECT_EQ(transfer_state.image, nullptr);  // the host owns it now
  EXPECT_EQ(source_state.state, 7);
  std::free(image);
  FreeBlock(expected);
  EXPECT_EQ(progress_state.done, 1);
}

TEST_F(Transfer, PastTheTableTheHostIsTold320x240AndGetsANullHandle) {
  xfer_picture_source_for_tests = nullptr;  // what decoding itself says
  FillPictureTable(2, 640, 480);
  picture_table.current_picture = 2;
  source_state.state = 6;
  TW_UINT16 rc;
  TW_IMAGEINFO info = ImageInfo(&rc);
  ASSERT_EQ(rc, TWRC_SUCCESS);
  EXPECT_EQ(TW_INT32{info.ImageWidth}, 320);
  EXPECT_EQ(TW_INT32{info.ImageLength}, 240);
  TW_HANDLE image = reinterpret_cast<TW_HANDLE>(1);
  ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_XFERDONE);
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(source_state.state, 7);
  EXPECT_EQ(progress_state.done, 1);  // a step also for nothing decoded
}

TEST_F(Transfer, PixelTypeChangesOnlyTheReport) {
  const struct {
    TW_UINT16 pixel_type;
    TW_INT16 bits_per_pixel;
    TW_INT16 samples;
    std::vector<TW_INT16> bits_per_sample;
  } cases[] = {
      {TWPT_RGB, 24, 3, {8, 8, 8, 8, 0, 0, 0, 0}},
      {TWPT_GRAY, 8, 1, {8, 0, 0, 0, 0, 0, 0, 0}},
      {TWPT_BW, 1, 1, {1, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    void* value = AllocBlock(sizeof(TW_ONEVALUE));
    const TW_ONEVALUE one{TWTY_UINT16, c.pixel_type};
    std::memcpy(value, &one, sizeof one);
    TW_CAPABILITY cap{ICAP_PIXELTYPE, TWON_ONEVALUE, value};
    ASSERT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap), TWRC_SUCCESS);
    FreeBlock(value);

    StartBatch(1, 8, 4);
    TW_UINT16 rc;
    TW_IMAGEINFO info = ImageInfo(&rc);
    ASSERT_EQ(rc, TWRC_SUCCESS);
    EXPECT_EQ(TW_INT16{info.PixelType}, static_cast<TW_INT16>(c.pixel_type));
    EXPECT_EQ(TW_INT16{info.BitsPerPixel}, c.bits_per_pixel) << c.pixel_type;
    EXPECT_EQ(TW_INT16{info.SamplesPerPixel}, c.samples) << c.pixel_type;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(TW_INT16{info.BitsPerSample[i]}, c.bits_per_sample[i]) << i;
    EXPECT_EQ(TW_BOOL{info.Planar}, 0);
    EXPECT_EQ(TW_UINT16{info.Compression}, TWCP_NONE);
    const TW_FIX32 resolution = FloatToFix32(GetCurrentResolution());
    EXPECT_EQ(TW_INT16{info.XResolution.Whole}, resolution.Whole);
    EXPECT_EQ(TW_UINT16{info.YResolution.Frac}, resolution.Frac);

    // The pixels are the 24-bit picture all the same.
    TW_HANDLE image = nullptr;
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_XFERDONE);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(static_cast<uint8_t*>(image)[14], 24);
    std::free(image);
  }
}

TEST_F(Transfer, FileTransferWritesABmpWhateverFormatWasAsked) {
  TempDir dir;
  TW_SETUPFILEXFER setup{};
  std::snprintf(setup.FileName, sizeof setup.FileName, "%s", dir.File("picture.tif").c_str());
  setup.Format = TWFF_TIFF;
  source_state.state = 4;
  ASSERT_EQ(Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);

  StartBatch(1, 640, 480);
  ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
  EXPECT_EQ(source_state.state, 7);
  EXPECT_EQ(source_state.status.ConditionCode, TWCC_SUCCESS);

  const std::string file = ReadTextFile(dir.File("picture.tif"));
  ASSERT_EQ(file.size(), 921654u);
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
  auto le32 = [&](std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24;
  };
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(le32(2), 921654);
  EXPECT_EQ(le32(6), 0);
  EXPECT_EQ(le32(10), 54);
  void* expected = MakeFakeDib(0, 640, 480);
  EXPECT_EQ(std::memcmp(bytes + 14, expected, 921654 - 14), 0);
  FreeBlock(expected);
}

TEST_F(Transfer, FileTransferWithoutAPictureFailsWithoutABox) {
  TempDir dir;
  std::snprintf(transfer_state.file_name, sizeof transfer_state.file_name, "%s", dir.File("x.bmp").c_str());
  FillPictureTable(1, 8, 4);
  picture_table.current_picture = 1;
  source_state.state = 6;
  EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(source_state.status.ConditionCode, TWCC_OPERATIONERROR);
  EXPECT_EQ(source_state.state, 6);
  EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(Transfer, FileTransferThatCannotWriteItsFileIsNoSuccess) {
  StartBatch(1, 8, 4);
  for (const char* name : {"", "/nonexistent-dir/x.bmp"}) {
    std::snprintf(transfer_state.file_name, sizeof transfer_state.file_name, "%s", name);
    EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE) << name;
    EXPECT_EQ(source_state.status.ConditionCode, TWCC_OPERATIONERROR);
    EXPECT_EQ(source_state.state, 6);
    EXPECT_EQ(transfer_state.image, nullptr);  // nothing is left behind
  }
  EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(Transfer, MemoryTransferWithoutAPictureIsAnOperationError) {
  FillPictureTable(1, 8, 4);
  picture_table.current_picture = 1;
  source_state.state = 6;
  std::vector<uint8_t> buffer(1000);
  TW_IMAGEMEMXFER xfer;
  EXPECT_EQ(MemXfer(xfer, buffer.data(), buffer.size()), TWRC_FAILURE);
  EXPECT_EQ(host.LastBoxText(), std::string(kMemPrefix) + kOperationError);
  EXPECT_EQ(source_state.status.ConditionCode, TWCC_OPERATIONERROR);
  EXPECT_EQ(source_state.state, 6);
}

TEST_F(Transfer, APictureClaimingMoreRowsThanItHoldsIsNeverRead) {
  FakeDecoder::claimed_height = 1000;
  StartBatch(1, 8, 4);
  std::vector<uint8_t> buffer(65535);
  TW_IMAGEMEMXFER xfer;
  EXPECT_EQ(MemXfer(xfer, buffer.data(), buffer.size()), TWRC_FAILURE);
  EXPECT_EQ(host.LastBoxText(), std::string(kMemPrefix) + kOperationError);
  EXPECT_EQ(TW_UINT32{xfer.BytesWritten}, 0u);
  // Neither is it written out as a file that would claim the same.
  TempDir dir;
  std::snprintf(transfer_state.file_name, sizeof transfer_state.file_name, "%s", dir.File("x.bmp").c_str());
  EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
}

TEST_F(Transfer, MemoryTransferWithANullBufferFails) {
  StartBatch(1, 8, 4);
  TW_IMAGEMEMXFER xfer;
  EXPECT_EQ(MemXfer(xfer, nullptr, 65535), TWRC_FAILURE);
  EXPECT_EQ(source_state.status.ConditionCode, TWCC_OPERATIONERROR);
}

TEST_F(Transfer, BatchOfThreeCountsDownThenTheWindowAsksTheHostToClose) {
  TW_USERINTERFACE ui{1, 0, nullptr};
  ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
  ASSERT_NE(source_state.main_window, nullptr);
  FillPictureTable(4, 16, 8, {2});
  OpenProgressDialog(source_state.main_window);
  ProgressBegin(3);
  ASSERT_EQ(StartTransferBatch(), 3);
  EXPECT_EQ(source_state.state, 6);
  EXPECT_EQ(TestHost::Notifications(), (std::vector<TW_UINT16>{MSG_XFERREADY}));

  for (TW_UINT16 expected : {2, 1, 0}) {
    TW_UINT16 rc;
    ImageInfo(&rc);
    ASSERT_EQ(rc, TWRC_SUCCESS);
    TW_HANDLE image = nullptr;
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_XFERDONE);
    std::free(image);
    if (expected > 0) {
      EXPECT_NE(ProgressDialogWindow(), nullptr);
    }
    TW_UINT16 count = 0xFFFF;
    ASSERT_EQ(EndXfer(&count), TWRC_SUCCESS);
    EXPECT_EQ(count, expected);
    EXPECT_EQ(source_state.state, 6);
  }
  EXPECT_EQ(TestHost::Notifications(), (std::vector<TW_UINT16>{MSG_XFERREADY, MSG_CLOSEDSREQ}));
  EXPECT_EQ(ProgressDialogWindow(), nullptr);
  EXPECT_EQ(progress_state.done, 3);
  EXPECT_EQ(FakeDecoder::calls, 3);
  EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(Transfer, EndXferReachingZeroWithoutAWindowSendsNothing) {
  StartBatch(1, 8, 4);
  TW_HANDLE image = nullptr;
  ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_XFERDONE);
  std::free(image);
  TW_UINT16 count = 0xFFFF;
  ASSERT_EQ(EndXfer(&count), TWRC_SUCCESS);
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(TestHost::Notifications().empty());
  // The count never goes below zero.
  source_state.state = 7;
  ASSERT_EQ(EndXfer(&count), TWRC_SUCCESS);
  EXPECT_EQ(count, 0);
}

TEST_F(Transfer, StartingWithNothingSelectedTellsTheHostNothing) {
  FillPictureTable(3, 8, 4, {0, 1, 2});
  source_state.state = 5;
  EXPECT_EQ(StartTransferBatch(), 0);
  EXPECT_EQ(source_state.state, 5);
  EXPECT_TRUE(TestHost::Notifications().empty());
}

TEST(BmpFileSize, FollowsTheHeadersOwnFields) {
  const struct {
    int width, height, bits, colours;
    uint64_t size;
  } cases[] = {
      {640, 480, 24, 0, 921654},      {1, 1, 24, 0, 58}, {3, 2, 24, 0, 54 + 24},
      {5, 3, 8, 256, 54 + 1024 + 24}, {0, 10, 24, 0, 0}, {10, -10, 24, 0, 0},
  };
  for (const auto& c : cases) {
    uint8_t header[40] = {};
    PutLe32(header + 4, static_cast<uint32_t>(c.width));
    PutLe32(header + 8, static_cast<uint32_t>(c.height));
    header[14] = static_cast<uint8_t>(c.bits);
    PutLe32(header + 32, static_cast<uint32_t>(c.colours));
    EXPECT_EQ(BmpFileSize(header), c.size) << c.width << "x" << c.height;
  }
}

}  // namespace
