#include "camera/imaging_library.h"

#include "camera/settings.h"
#include "platform/module_path.h"
#include "platform/shared_library.h"

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
