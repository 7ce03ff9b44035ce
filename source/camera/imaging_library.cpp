#include "camera/imaging_library.h"

#include <cstddef>

#include "camera/picture_record.h"
#include "camera/settings.h"
#include "platform/module_path.h"
#include "platform/shared_library.h"

// The library reads the source's picture record through its own declaration of it.
#define SAME_FIELD(field) \
  static_assert(offsetof(PictureRecord, field) == offsetof(KX3300_PictureRecordPrefix, field), #field)
SAME_FIELD(width);
SAME_FIELD(height);
SAME_FIELD(mode);
SAME_FIELD(param20);
SAME_FIELD(param11_flag);
SAME_FIELD(half_height);
SAME_FIELD(use_next);
SAME_FIELD(adjust);
#undef SAME_FIELD
static_assert(sizeof(PictureRecord) == sizeof(KX3300_PictureRecordPrefix));

ImagingLibrary imaging_library = {};

std::string ImagingLibraryPath(const std::string& directory) {
  char name[kSettingStringSize];
  std::string path = directory + "/";
  path += ReadSettingString("bar_ip", name, sizeof name) != 0 ? name : kDefaultImagingLibrary;
  return path;
}

void LoadImagingLibrary() { LoadImagingLibraryFrom(ModuleDirectory()); }

void LoadImagingLibraryFrom(const std::string& directory) {
  UnloadImagingLibrary();
  void* library = OpenSharedLibrary(ImagingLibraryPath(directory));
  if (library == nullptr) return;
  imaging_library.library = library;
  imaging_library.IP_ImageResample =
      reinterpret_cast<KX3300_IP_ImageResample_Proc>(FindLibrarySymbol(library, "IP_ImageResample"));
  imaging_library.IP_hDIB = reinterpret_cast<KX3300_IP_hDIB_Proc>(FindLibrarySymbol(library, "IP_hDIB"));
  imaging_library.IP_pRGB24 = reinterpret_cast<KX3300_IP_pRGB24_Proc>(FindLibrarySymbol(library, "IP_pRGB24"));
}

void UnloadImagingLibrary() {
  CloseSharedLibrary(imaging_library.library);
  imaging_library = {};
}

void ResetImagingLibrary() { UnloadImagingLibrary(); }
