// TWAIN protocol 1.6 declarations used by the source, the DSM and the host.
// Written from the published standard's names, values and layouts. Structures
// are packed to 2 bytes, as on the standard's reference platforms; handles and
// memory references are pointer-sized.
#pragma once

#include <cstddef>
#include <cstdint>

using TW_INT8 = int8_t;
using TW_INT16 = int16_t;
using TW_INT32 = int32_t;
using TW_UINT8 = uint8_t;
using TW_UINT16 = uint16_t;
using TW_UINT32 = uint32_t;
using TW_BOOL = uint16_t;
using TW_HANDLE = void*;
using TW_MEMREF = void*;
using TW_STR32 = char[34];
using TW_STR64 = char[66];
using TW_STR128 = char[130];
using TW_STR255 = char[256];

#pragma pack(push, 2)

struct TW_FIX32 {
  TW_INT16 Whole;
  TW_UINT16 Frac;
};

struct TW_FRAME {
  TW_FIX32 Left;
  TW_FIX32 Top;
  TW_FIX32 Right;
  TW_FIX32 Bottom;
};

struct TW_VERSION {
  TW_UINT16 MajorNum;
  TW_UINT16 MinorNum;
  TW_UINT16 Language;
  TW_UINT16 Country;
  TW_STR32 Info;
};

struct TW_IDENTITY {
  TW_UINT32 Id;
  TW_VERSION Version;
  TW_UINT16 ProtocolMajor;
  TW_UINT16 ProtocolMinor;
  TW_UINT32 SupportedGroups;
  TW_STR32 Manufacturer;
  TW_STR32 ProductFamily;
  TW_STR32 ProductName;
};

struct TW_STATUS {
  TW_UINT16 ConditionCode;
  TW_UINT16 Reserved;
};

struct TW_USERINTERFACE {
  TW_BOOL ShowUI;
  TW_BOOL ModalUI;
  TW_HANDLE hParent;
};

struct TW_EVENT {
  TW_MEMREF pEvent;
  TW_UINT16 TWMessage;
};

struct TW_CAPABILITY {
  TW_UINT16 Cap;
  TW_UINT16 ConType;
  TW_HANDLE hContainer;
};

struct TW_ONEVALUE {
  TW_UINT16 ItemType;
  TW_UINT32 Item;
};

struct TW_ENUMERATION {
  TW_UINT16 ItemType;
  TW_UINT32 NumItems;
  TW_UINT32 CurrentIndex;
  TW_UINT32 DefaultIndex;
  TW_UINT8 ItemList[1];
};

struct TW_ARRAY {
  TW_UINT16 ItemType;
  TW_UINT32 NumItems;
  TW_UINT8 ItemList[1];
};

struct TW_RANGE {
  TW_UINT16 ItemType;
  TW_UINT32 MinValue;
  TW_UINT32 MaxValue;
  TW_UINT32 StepSize;
  TW_UINT32 DefaultValue;
  TW_UINT32 CurrentValue;
};

struct TW_PENDINGXFERS {
  TW_UINT16 Count;
  TW_UINT32 Reserved;
};

struct TW_SETUPMEMXFER {
  TW_UINT32 MinBufSize;
  TW_UINT32 MaxBufSize;
  TW_UINT32 Preferred;
};

struct TW_SETUPFILEXFER {
  TW_STR255 FileName;
  TW_UINT16 Format;
  TW_INT16 VRefNum;
};

struct TW_IMAGEINFO {
  TW_FIX32 XResolution;
  TW_FIX32 YResolution;
  TW_INT32 ImageWidth;
  TW_INT32 ImageLength;
  TW_INT16 SamplesPerPixel;
  TW_INT16 BitsPerSample[8];
  TW_INT16 BitsPerPixel;
  TW_BOOL Planar;
  TW_INT16 PixelType;
  TW_UINT16 Compression;
};

struct TW_IMAGELAYOUT {
  TW_FRAME Frame;
  TW_UINT32 DocumentNumber;
  TW_UINT32 PageNumber;
  TW_UINT32 FrameNumber;
};

struct TW_MEMORY {
  TW_UINT32 Flags;
  TW_UINT32 Length;
  TW_MEMREF TheMem;
};

struct TW_IMAGEMEMXFER {
  TW_UINT16 Compression;
  TW_UINT32 BytesPerRow;
  TW_UINT32 Columns;
  TW_UINT32 Rows;
  TW_UINT32 XOffset;
  TW_UINT32 YOffset;
  TW_UINT32 BytesWritten;
  TW_MEMORY Memory;
};

struct TW_ELEMENT8 {
  TW_UINT8 Index;
  TW_UINT8 Channel1;
  TW_UINT8 Channel2;
  TW_UINT8 Channel3;
};

struct TW_RGBRESPONSE {
  TW_ELEMENT8 Response[1];
};

struct TW_DECODEFUNCTION {
  TW_FIX32 StartIn;
  TW_FIX32 BreakIn;
  TW_FIX32 EndIn;
  TW_FIX32 StartOut;
  TW_FIX32 BreakOut;
  TW_FIX32 EndOut;
  TW_FIX32 Gamma;
  TW_FIX32 SampleCount;
};

struct TW_TRANSFORMSTAGE {
  TW_DECODEFUNCTION Decode[3];
  TW_FIX32 Mix[3][3];
};

struct TW_CIEPOINT {
  TW_FIX32 X;
  TW_FIX32 Y;
  TW_FIX32 Z;
};

struct TW_CIECOLOR {
  TW_UINT16 ColorSpace;
  TW_INT16 LowEndian;
  TW_INT16 DeviceDependent;
  TW_INT32 VersionNumber;
  TW_TRANSFORMSTAGE StageABC;
  TW_TRANSFORMSTAGE StageLMN;
  TW_CIEPOINT WhitePoint;
  TW_CIEPOINT BlackPoint;
  TW_CIEPOINT WhitePaper;
  TW_CIEPOINT BlackInk;
  TW_FIX32 Samples[1];
};

struct TW_JPEGCOMPRESSION {
  TW_UINT16 ColorSpace;
  TW_UINT32 SubSampling;
  TW_UINT16 NumComponents;
  TW_UINT16 RestartFrequency;
  TW_UINT16 QuantMap[4];
  TW_MEMORY QuantTable[4];
  TW_UINT16 HuffmanMap[4];
  TW_MEMORY HuffmanDC[2];
  TW_MEMORY HuffmanAC[2];
};

// The application's callback registration (DAT_CALLBACK), how a Linux host
// receives the source's notifications from the DSM.
using TW_CALLBACKPROC = TW_UINT16 (*)(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG,
                                      TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);
struct TW_CALLBACK {
  TW_MEMREF CallBackProc;
  TW_UINT32 RefCon;
  TW_INT16 Message;
};

#pragma pack(pop)

static_assert(sizeof(TW_FIX32) == 4);
static_assert(sizeof(TW_VERSION) == 42);
static_assert(sizeof(TW_IDENTITY) == 156);
static_assert(offsetof(TW_IDENTITY, ProtocolMajor) == 46);
static_assert(offsetof(TW_IDENTITY, Manufacturer) == 54);
static_assert(offsetof(TW_IDENTITY, ProductName) == 122);
static_assert(sizeof(TW_STATUS) == 4);
static_assert(sizeof(TW_USERINTERFACE) == 4 + sizeof(void*));
static_assert(offsetof(TW_USERINTERFACE, hParent) == 4);
static_assert(offsetof(TW_EVENT, TWMessage) == sizeof(void*));
static_assert(offsetof(TW_CAPABILITY, hContainer) == 4);
static_assert(sizeof(TW_ONEVALUE) == 6);
static_assert(offsetof(TW_ENUMERATION, ItemList) == 14);
static_assert(offsetof(TW_ARRAY, ItemList) == 6);
static_assert(sizeof(TW_RANGE) == 22);
static_assert(sizeof(TW_PENDINGXFERS) == 6);
static_assert(sizeof(TW_SETUPMEMXFER) == 12);
static_assert(sizeof(TW_SETUPFILEXFER) == 260);
static_assert(sizeof(TW_IMAGEINFO) == 42);
static_assert(sizeof(TW_IMAGELAYOUT) == 28);
static_assert(offsetof(TW_IMAGEMEMXFER, Memory) == 26);
static_assert(sizeof(TW_MEMORY) == 8 + sizeof(void*));

// Data groups
constexpr TW_UINT32 DG_CONTROL = 0x0001;
constexpr TW_UINT32 DG_IMAGE = 0x0002;
constexpr TW_UINT32 DG_AUDIO = 0x0004;

// Data argument types
constexpr TW_UINT16 DAT_NULL = 0x0000;
constexpr TW_UINT16 DAT_CAPABILITY = 0x0001;
constexpr TW_UINT16 DAT_EVENT = 0x0002;
constexpr TW_UINT16 DAT_IDENTITY = 0x0003;
constexpr TW_UINT16 DAT_PARENT = 0x0004;
constexpr TW_UINT16 DAT_PENDINGXFERS = 0x0005;
constexpr TW_UINT16 DAT_SETUPMEMXFER = 0x0006;
constexpr TW_UINT16 DAT_SETUPFILEXFER = 0x0007;
constexpr TW_UINT16 DAT_STATUS = 0x0008;
constexpr TW_UINT16 DAT_USERINTERFACE = 0x0009;
constexpr TW_UINT16 DAT_XFERGROUP = 0x000A;
constexpr TW_UINT16 DAT_CALLBACK = 0x0010;
constexpr TW_UINT16 DAT_IMAGEINFO = 0x0101;
constexpr TW_UINT16 DAT_IMAGELAYOUT = 0x0102;
constexpr TW_UINT16 DAT_IMAGEMEMXFER = 0x0103;
constexpr TW_UINT16 DAT_IMAGENATIVEXFER = 0x0104;
constexpr TW_UINT16 DAT_IMAGEFILEXFER = 0x0105;
constexpr TW_UINT16 DAT_CIECOLOR = 0x0106;
constexpr TW_UINT16 DAT_GRAYRESPONSE = 0x0107;
constexpr TW_UINT16 DAT_RGBRESPONSE = 0x0108;
constexpr TW_UINT16 DAT_JPEGCOMPRESSION = 0x0109;

// Messages
constexpr TW_UINT16 MSG_NULL = 0x0000;
constexpr TW_UINT16 MSG_GET = 0x0001;
constexpr TW_UINT16 MSG_GETCURRENT = 0x0002;
constexpr TW_UINT16 MSG_GETDEFAULT = 0x0003;
constexpr TW_UINT16 MSG_GETFIRST = 0x0004;
constexpr TW_UINT16 MSG_GETNEXT = 0x0005;
constexpr TW_UINT16 MSG_SET = 0x0006;
constexpr TW_UINT16 MSG_RESET = 0x0007;
constexpr TW_UINT16 MSG_QUERYSUPPORT = 0x0008;
constexpr TW_UINT16 MSG_XFERREADY = 0x0101;
constexpr TW_UINT16 MSG_CLOSEDSREQ = 0x0102;
constexpr TW_UINT16 MSG_CLOSEDSOK = 0x0103;
constexpr TW_UINT16 MSG_OPENDSM = 0x0301;
constexpr TW_UINT16 MSG_CLOSEDSM = 0x0302;
constexpr TW_UINT16 MSG_OPENDS = 0x0401;
constexpr TW_UINT16 MSG_CLOSEDS = 0x0402;
constexpr TW_UINT16 MSG_USERSELECT = 0x0403;
constexpr TW_UINT16 MSG_DISABLEDS = 0x0501;
constexpr TW_UINT16 MSG_ENABLEDS = 0x0502;
constexpr TW_UINT16 MSG_ENABLEDSUIONLY = 0x0503;
constexpr TW_UINT16 MSG_PROCESSEVENT = 0x0601;
constexpr TW_UINT16 MSG_ENDXFER = 0x0701;
constexpr TW_UINT16 MSG_REGISTER_CALLBACK = 0x0902;

// Return codes
constexpr TW_UINT16 TWRC_SUCCESS = 0;
constexpr TW_UINT16 TWRC_FAILURE = 1;
constexpr TW_UINT16 TWRC_CHECKSTATUS = 2;
constexpr TW_UINT16 TWRC_CANCEL = 3;
constexpr TW_UINT16 TWRC_DSEVENT = 4;
constexpr TW_UINT16 TWRC_NOTDSEVENT = 5;
constexpr TW_UINT16 TWRC_XFERDONE = 6;
constexpr TW_UINT16 TWRC_ENDOFLIST = 7;

// Condition codes
constexpr TW_UINT16 TWCC_SUCCESS = 0;
constexpr TW_UINT16 TWCC_BUMMER = 1;
constexpr TW_UINT16 TWCC_LOWMEMORY = 2;
constexpr TW_UINT16 TWCC_NODS = 3;
constexpr TW_UINT16 TWCC_MAXCONNECTIONS = 4;
constexpr TW_UINT16 TWCC_OPERATIONERROR = 5;
constexpr TW_UINT16 TWCC_BADCAP = 6;
constexpr TW_UINT16 TWCC_BADPROTOCOL = 9;
constexpr TW_UINT16 TWCC_BADVALUE = 10;
constexpr TW_UINT16 TWCC_SEQERROR = 11;
constexpr TW_UINT16 TWCC_BADDEST = 12;
constexpr TW_UINT16 TWCC_CAPUNSUPPORTED = 13;
constexpr TW_UINT16 TWCC_CAPBADOPERATION = 14;
constexpr TW_UINT16 TWCC_CAPSEQERROR = 15;

// Item types
constexpr TW_UINT16 TWTY_INT8 = 0x0000;
constexpr TW_UINT16 TWTY_INT16 = 0x0001;
constexpr TW_UINT16 TWTY_INT32 = 0x0002;
constexpr TW_UINT16 TWTY_UINT8 = 0x0003;
constexpr TW_UINT16 TWTY_UINT16 = 0x0004;
constexpr TW_UINT16 TWTY_UINT32 = 0x0005;
constexpr TW_UINT16 TWTY_BOOL = 0x0006;
constexpr TW_UINT16 TWTY_FIX32 = 0x0007;
constexpr TW_UINT16 TWTY_FRAME = 0x0008;
constexpr TW_UINT16 TWTY_STR32 = 0x0009;
constexpr TW_UINT16 TWTY_STR64 = 0x000A;
constexpr TW_UINT16 TWTY_STR128 = 0x000B;
constexpr TW_UINT16 TWTY_STR255 = 0x000C;

// Container types
constexpr TW_UINT16 TWON_ARRAY = 3;
constexpr TW_UINT16 TWON_ENUMERATION = 4;
constexpr TW_UINT16 TWON_ONEVALUE = 5;
constexpr TW_UINT16 TWON_RANGE = 6;
constexpr TW_UINT16 TWON_DONTCARE16 = 0xFFFF;

// Operation bits of MSG_QUERYSUPPORT
constexpr TW_UINT32 TWQC_GET = 0x0001;
constexpr TW_UINT32 TWQC_SET = 0x0002;
constexpr TW_UINT32 TWQC_GETDEFAULT = 0x0004;
constexpr TW_UINT32 TWQC_GETCURRENT = 0x0008;
constexpr TW_UINT32 TWQC_RESET = 0x0010;

// Capabilities
constexpr TW_UINT16 CAP_XFERCOUNT = 0x0001;
constexpr TW_UINT16 ICAP_COMPRESSION = 0x0100;
constexpr TW_UINT16 ICAP_PIXELTYPE = 0x0101;
constexpr TW_UINT16 ICAP_UNITS = 0x0102;
constexpr TW_UINT16 ICAP_XFERMECH = 0x0103;
constexpr TW_UINT16 CAP_SUPPORTEDCAPS = 0x1005;
constexpr TW_UINT16 CAP_INDICATORS = 0x100B;
constexpr TW_UINT16 CAP_UICONTROLLABLE = 0x100E;
constexpr TW_UINT16 CAP_DEVICEONLINE = 0x100F;
constexpr TW_UINT16 ICAP_AUTOBRIGHT = 0x1100;
constexpr TW_UINT16 ICAP_BRIGHTNESS = 0x1101;
constexpr TW_UINT16 ICAP_CONTRAST = 0x1103;
constexpr TW_UINT16 ICAP_HALFTONES = 0x1109;
constexpr TW_UINT16 ICAP_HIGHLIGHT = 0x110A;
constexpr TW_UINT16 ICAP_IMAGEFILEFORMAT = 0x110C;
constexpr TW_UINT16 ICAP_ORIENTATION = 0x1110;
constexpr TW_UINT16 ICAP_PHYSICALWIDTH = 0x1111;
constexpr TW_UINT16 ICAP_PHYSICALHEIGHT = 0x1112;
constexpr TW_UINT16 ICAP_SHADOW = 0x1113;
constexpr TW_UINT16 ICAP_FRAMES = 0x1114;
constexpr TW_UINT16 ICAP_XNATIVERESOLUTION = 0x1116;
constexpr TW_UINT16 ICAP_YNATIVERESOLUTION = 0x1117;
constexpr TW_UINT16 ICAP_XRESOLUTION = 0x1118;
constexpr TW_UINT16 ICAP_YRESOLUTION = 0x1119;
constexpr TW_UINT16 ICAP_MAXFRAMES = 0x111A;
constexpr TW_UINT16 ICAP_BITORDER = 0x111C;
constexpr TW_UINT16 ICAP_PIXELFLAVOR = 0x111F;
constexpr TW_UINT16 ICAP_PLANARCHUNKY = 0x1120;
constexpr TW_UINT16 ICAP_SUPPORTEDSIZES = 0x1122;
constexpr TW_UINT16 ICAP_THRESHOLD = 0x1123;
constexpr TW_UINT16 ICAP_XSCALING = 0x1124;
constexpr TW_UINT16 ICAP_YSCALING = 0x1125;
constexpr TW_UINT16 ICAP_BITDEPTH = 0x112B;
constexpr TW_UINT16 ICAP_BITDEPTHREDUCTION = 0x112C;
constexpr TW_UINT16 ICAP_UNDEFINEDIMAGESIZE = 0x112D;
constexpr TW_UINT16 ICAP_IMAGEDATASET = 0x112E;
constexpr TW_UINT16 ICAP_MINIMUMHEIGHT = 0x1130;
constexpr TW_UINT16 ICAP_MINIMUMWIDTH = 0x1131;

// Capability values
constexpr TW_UINT16 TWPT_BW = 0;
constexpr TW_UINT16 TWPT_GRAY = 1;
constexpr TW_UINT16 TWPT_RGB = 2;
constexpr TW_UINT16 TWSX_NATIVE = 0;
constexpr TW_UINT16 TWSX_FILE = 1;
constexpr TW_UINT16 TWSX_MEMORY = 2;
constexpr TW_UINT16 TWUN_INCHES = 0;
constexpr TW_UINT16 TWUN_CENTIMETERS = 1;
constexpr TW_UINT16 TWUN_PIXELS = 5;
constexpr TW_UINT16 TWFF_TIFF = 0;
constexpr TW_UINT16 TWFF_BMP = 2;
constexpr TW_UINT16 TWCP_NONE = 0;
constexpr TW_UINT16 TWBO_LSBFIRST = 0;
constexpr TW_UINT16 TWBO_MSBFIRST = 1;
constexpr TW_UINT16 TWPC_CHUNKY = 0;
constexpr TW_UINT16 TWPC_PLANAR = 1;
constexpr TW_UINT16 TWOR_ROT0 = 0;
constexpr TW_UINT16 TWOR_ROT90 = 1;
constexpr TW_UINT16 TWOR_ROT180 = 2;
constexpr TW_UINT16 TWOR_ROT270 = 3;
constexpr TW_UINT16 TWPF_CHOCOLATE = 0;
constexpr TW_UINT16 TWPF_VANILLA = 1;
constexpr TW_UINT16 TWSS_NONE = 0;
constexpr TW_UINT16 TWBR_THRESHOLD = 0;
constexpr TW_UINT16 TWBR_HALFTONE = 1;
constexpr TW_UINT16 TWBR_DIFFUSION = 3;
constexpr TW_UINT32 TWMF_HANDLE = 0x0010;
constexpr TW_UINT32 TWMF_POINTER = 0x0008;
constexpr TW_UINT32 TWMF_APPOWNS = 0x0001;
constexpr TW_UINT16 TWLG_USA = 13;
constexpr TW_UINT16 TWCY_USA = 1;

// Entry points: the source's export, and the DSM's.
using DSENTRYPROC = TW_UINT16 (*)(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                  TW_MEMREF pData);
using DSMENTRYPROC = TW_UINT16 (*)(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG,
                                   TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);
