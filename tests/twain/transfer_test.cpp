// The transfer triplets through the built SNAPSRC.DS, in the states a host can
// reach without the window's buttons: their answers, their state checks and
// their error boxes. Batches with pictures are in the in-process tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/test_host.h"

namespace {

constexpr char kSeqError[] = "DG DAT MSG is out of expected sequence.";
constexpr char kBadProtocol[] = "Bad protocol error.";

// The source in the given state (3, 4 or 5).
void Reach(TestHost& host, int state) {
  if (state >= 4) {
    ASSERT_EQ(host.Open(), TWRC_SUCCESS);
  }
  if (state >= 5) {
    ASSERT_EQ(host.Enable(), TWRC_SUCCESS);
  }
}

TEST(TransferSetup, FileNameIsEmptyBeforeAnySetAndTheFormatIsBmp) {
  TestHost host;
  Reach(host, 4);
  TW_SETUPFILEXFER setup;
  std::memset(&setup, 'x', sizeof setup);
  for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
    ASSERT_EQ(host.Call(DG_CONTROL, DAT_SETUPFILEXFER, msg, &setup), TWRC_SUCCESS);
    EXPECT_STREQ(setup.FileName, "");
    EXPECT_EQ(TW_UINT16{setup.Format}, TWFF_BMP);
    EXPECT_EQ(TW_INT16{setup.VRefNum}, 0);
  }
}

struct FailureCase {
  int state;
  TW_UINT32 dg;
  TW_UINT16 dat;
  TW_UINT16 msg;
  TW_UINT16 condition;
  const char* box;  // prefix and condition text
};

TEST(TransferFailures, EachHandlerChecksItsStatesAndMessagesWithItsOwnBox) {
  const std::string seq = kSeqError;
  const std::string proto = kBadProtocol;
  const FailureCase cases[] = {
      {3, DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, TWCC_SEQERROR, "General failure in response to DAT_PENDINGXFER.  "},
      {5, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, TWCC_SEQERROR,
       "General failure in response to DAT_PENDINGXFER.  "},
      {5, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, TWCC_SEQERROR, "General failure in response to DAT_PENDINGXFER.  "},
      {4, DG_CONTROL, DAT_PENDINGXFERS, MSG_SET, TWCC_BADPROTOCOL, "General failure in response to DAT_PENDINGXFER.  "},
      {3, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, TWCC_SEQERROR,
       "General failure in response to DAT_SETUPMEMXFER, not supported.  "},
      {4, DG_CONTROL, DAT_SETUPMEMXFER, MSG_SET, TWCC_BADPROTOCOL,
       "General failure in response to DAT_SETUPMEMXFER, not supported.  "},
      {3, DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, TWCC_SEQERROR,
       "General failure in response to DAT_SETUPFILEXFER, not supported.  "},
      {5, DG_CONTROL, DAT_SETUPFILEXFER, MSG_RESET, TWCC_BADPROTOCOL,
       "General failure in response to DAT_SETUPFILEXFER, not supported.  "},
      {3, DG_CONTROL, DAT_XFERGROUP, MSG_GET, TWCC_SEQERROR,
       "General failure in response to DAT_XFERGROUP, not supported.  "},
      {4, DG_CONTROL, DAT_XFERGROUP, MSG_ENDXFER, TWCC_BADPROTOCOL,
       "General failure in response to DAT_XFERGROUP, not supported.  "},
      {5, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, TWCC_SEQERROR, "General failure in transfer.  "},
      {4, DG_IMAGE, DAT_IMAGEINFO, MSG_SET, TWCC_BADPROTOCOL, "General failure in transfer.  "},
      {3, DG_IMAGE, DAT_IMAGELAYOUT, MSG_ENDXFER, TWCC_BADPROTOCOL, "General failure in response to DAT_IMAGEINFO.  "},
      {4, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_SET, TWCC_BADPROTOCOL, "General failure in response to DAT_IMAGEMEMXFER.  "},
      {5, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, TWCC_OPERATIONERROR,
       "General failure in response to DAT_IMAGEMEMXFER.  "},
      {5, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWCC_SEQERROR,
       "General failure in response to DAT_IMAGENATIVEXFER.  "},
      {4, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_SET, TWCC_BADPROTOCOL,
       "General failure in response to DAT_IMAGENATIVEXFER.  "},
      {4, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_SET, TWCC_BADPROTOCOL, "General failure in response to DAT_IMAGEINFO.  "},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "state " << c.state << " DAT 0x" << std::hex << c.dat << " MSG 0x" << c.msg);
    TestHost host;
    Reach(host, c.state);
    alignas(8) unsigned char data[512] = {};
    const int boxes = static_cast<int>(host.Boxes().size());
    EXPECT_EQ(host.Call(c.dg, c.dat, c.msg, data), TWRC_FAILURE);
    EXPECT_EQ(static_cast<int>(host.Boxes().size()), boxes + 1);
    const char* text = c.condition == TWCC_SEQERROR      ? kSeqError
                       : c.condition == TWCC_BADPROTOCOL ? kBadProtocol
                                                         : "An operation error just occurred.";
    EXPECT_EQ(host.LastBoxText(), std::string(c.box) + text);
    EXPECT_EQ(host.ConditionCode(), c.condition);
  }
}

TEST(TransferFailures, FileTransferWithoutAPictureFailsWithoutABox) {
  TestHost host;
  Reach(host, 5);
  EXPECT_EQ(host.Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(host.ConditionCode(), TWCC_OPERATIONERROR);
  EXPECT_TRUE(host.Boxes().empty());
}

TEST(TransferFailures, EndXferOutsideATransferReportsTheCountItLeaves) {
  TestHost host;
  Reach(host, 4);
  TW_PENDINGXFERS pending{0xBEEF, 7};
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_FAILURE);
  EXPECT_EQ(pending.Count, 0);
  EXPECT_EQ(TW_UINT32{pending.Reserved}, 7u);
  EXPECT_TRUE(TestHost::Notifications().empty());
}

TEST(TransferSetup, PendingCountIsZeroBeforeAnyBatch) {
  TestHost host;
  Reach(host, 4);
  TW_PENDINGXFERS pending{0xBEEF, 0};
  ASSERT_EQ(host.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
  EXPECT_EQ(pending.Count, 0);
}

TEST(TransferSetup, MemoryBuffersOfferedInStates4To6) {
  TestHost host;
  for (int state : {4, 5}) {
    if (state == 4) Reach(host, 4);
    if (state == 5) {
      ASSERT_EQ(host.Enable(), TWRC_SUCCESS);
    }
    TW_SETUPMEMXFER setup{1, 2, 3};
    ASSERT_EQ(host.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(TW_UINT32{setup.MinBufSize}, 16384u);
    EXPECT_EQ(TW_UINT32{setup.MaxBufSize}, 65535u);
    EXPECT_EQ(TW_UINT32{setup.Preferred}, 65535u);
  }
}

TEST(TransferSetup, TransferGroupIsAlwaysImages) {
  TestHost host;
  Reach(host, 4);
  for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET}) {
    TW_UINT32 group = 0xFFFFFFFF;
    ASSERT_EQ(host.Call(DG_CONTROL, DAT_XFERGROUP, msg, &group), TWRC_SUCCESS);
    EXPECT_EQ(group, DG_IMAGE);
  }
  TW_UINT32 group = DG_CONTROL;
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_XFERGROUP, MSG_SET, &group), TWRC_SUCCESS);
  EXPECT_EQ(group, DG_CONTROL);
}

TEST(TransferSetup, SetFileNameCreatesAMissingFileAndLeavesAnExistingOne) {
  TestHost host;
  Reach(host, 4);
  TempDir dir;
  WriteTextFile(dir.File("old.bmp"), "keep me");
  for (const char* name : {"new.bmp", "old.bmp"}) {
    TW_SETUPFILEXFER setup{};
    std::snprintf(setup.FileName, sizeof setup.FileName, "%s", dir.File(name).c_str());
    setup.Format = 0x7777;  // whatever is asked, the files are BMP
    ASSERT_EQ(host.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS) << name;
    TW_SETUPFILEXFER got{};
    ASSERT_EQ(host.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &got), TWRC_SUCCESS);
    EXPECT_EQ(std::string(got.FileName), dir.File(name));
    EXPECT_EQ(TW_UINT16{got.Format}, TWFF_BMP);
  }
  EXPECT_EQ(ReadTextFile(dir.File("new.bmp")), "");
  EXPECT_EQ(ReadTextFile(dir.File("old.bmp")), "keep me");
  EXPECT_TRUE(host.Boxes().empty());
}

TEST(TransferSetup, FileNameInAMissingDirectoryIsABadValueButStaysSet) {
  TestHost host;
  Reach(host, 5);
  TempDir dir;
  const std::string name = dir.File("missing/x.bmp");
  TW_SETUPFILEXFER setup{};
  std::snprintf(setup.FileName, sizeof setup.FileName, "%s", name.c_str());
  EXPECT_EQ(host.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_FAILURE);
  EXPECT_EQ(host.LastBoxText(), "Unable to create file <<DAT_SETUPFILEXFER>>Bad value error.");
  EXPECT_EQ(host.ConditionCode(), TWCC_BADVALUE);
  TW_SETUPFILEXFER got{};
  ASSERT_EQ(host.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &got), TWRC_SUCCESS);
  EXPECT_EQ(std::string(got.FileName), name);
}

TEST(TransferSetup, AnUnterminatedNameKeepsWholeCharactersOf255Bytes) {
  TestHost host;
  Reach(host, 4);
  TempDir dir;
  // 254 bytes of path, then a two-byte character that would need bytes 255
  // and 256, and no terminator anywhere in the field.
  std::string name = dir.File("");
  name.append(254 - name.size(), 'a');
  TW_SETUPFILEXFER setup{};
  std::memcpy(setup.FileName, name.data(), 254);
  std::memcpy(setup.FileName + 254, "\xC3\xA9", 2);
  ASSERT_EQ(host.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
  TW_SETUPFILEXFER got{};
  ASSERT_EQ(host.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &got), TWRC_SUCCESS);
  EXPECT_EQ(std::string(got.FileName), name);
  EXPECT_EQ(ReadTextFile(name), "");
}

TEST(ImageTriplets, LayoutIsAFixedAnswerInAnyState) {
  TestHost host;
  for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
    TW_IMAGELAYOUT layout{};
    ASSERT_EQ(host.Call(DG_IMAGE, DAT_IMAGELAYOUT, msg, &layout), TWRC_SUCCESS);
    for (TW_FIX32 side : {layout.Frame.Left, layout.Frame.Top, layout.Frame.Right, layout.Frame.Bottom}) {
      EXPECT_EQ(side.Whole, 22);
      EXPECT_EQ(side.Frac, 33);
    }
    EXPECT_EQ(TW_UINT32{layout.DocumentNumber}, 4u);
    EXPECT_EQ(TW_UINT32{layout.PageNumber}, 88u);
    EXPECT_EQ(TW_UINT32{layout.FrameNumber}, 1u);
  }
  TW_IMAGELAYOUT layout{};
  EXPECT_EQ(host.Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
  EXPECT_EQ(host.Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_RESET, &layout), TWRC_SUCCESS);
  EXPECT_EQ(TW_UINT32{layout.PageNumber}, 0u);
}

TEST(ImageTriplets, CieColorFillsItsPlaceholderValuesOnly) {
  TestHost host;
  TW_CIECOLOR cie;
  std::memset(&cie, 0xAB, sizeof cie);
  ASSERT_EQ(host.Call(DG_IMAGE, DAT_CIECOLOR, MSG_RESET, &cie), TWRC_SUCCESS);
  EXPECT_EQ(TW_UINT16{cie.ColorSpace}, 2);
  EXPECT_EQ(TW_INT16{cie.LowEndian}, 0);
  EXPECT_EQ(TW_INT16{cie.DeviceDependent}, 1);
  EXPECT_EQ(TW_INT32{cie.VersionNumber}, 0);
  auto is = [](TW_FIX32 f, TW_INT16 whole, TW_UINT16 frac) { return f.Whole == whole && f.Frac == frac; };
  EXPECT_TRUE(is(cie.StageABC.Decode[0].StartIn, 0, 6554));
  EXPECT_TRUE(is(cie.StageLMN.Decode[0].StartIn, 1, 6554));
  EXPECT_TRUE(is(cie.StageABC.Mix[2][1], 2, 6554));
  EXPECT_TRUE(is(cie.StageLMN.Mix[1][0], 1, 0));
  EXPECT_TRUE(is(cie.WhitePoint.X, 4, 26214));
  EXPECT_TRUE(is(cie.BlackInk.Z, 6, 39322));
  EXPECT_TRUE(is(cie.Samples[0], 99, 64881));
  // What the list does not name stays as the host left it.
  EXPECT_EQ(TW_INT16{cie.StageABC.Decode[0].BreakIn.Whole}, static_cast<TW_INT16>(0xABAB));
  EXPECT_EQ(TW_INT16{cie.StageLMN.Decode[2].Gamma.Whole}, static_cast<TW_INT16>(0xABAB));
}

TEST(ImageTriplets, ResponseAndCompressionTripletsAlwaysSucceed) {
  TestHost host;
  TW_ELEMENT8 table[256];
  std::memset(table, 0x5A, sizeof table);
  for (TW_UINT16 msg : {MSG_SET, MSG_RESET, MSG_GET, MSG_ENDXFER}) {
    EXPECT_EQ(host.Call(DG_IMAGE, DAT_RGBRESPONSE, msg, table), TWRC_SUCCESS);
    EXPECT_EQ(host.Call(DG_IMAGE, DAT_JPEGCOMPRESSION, msg, table), TWRC_SUCCESS);
  }
  EXPECT_EQ(table[7].Channel2, 0x5A);  // a reset leaves the host's data alone
  EXPECT_TRUE(host.Boxes().empty());
  // The image group still refuses what it does not know, without a box.
  EXPECT_EQ(host.Call(DG_IMAGE, DAT_GRAYRESPONSE, MSG_SET, table), TWRC_FAILURE);
  EXPECT_EQ(host.ConditionCode(), TWCC_BADPROTOCOL);
}

}  // namespace
