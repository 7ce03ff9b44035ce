// The camera maker's image-processing library, loaded while the main window
// exists. Its three entry points stay empty when the library or an export is
// missing, and every caller then skips its call; nothing is reported.
#pragma once

#include <string>

#include "kx3300_ip.h"

constexpr char kDefaultImagingLibrary[] = "KX3300_IP.DLL";

struct ImagingLibrary {
  void* library;  // the loaded library, or null
  KX3300_IP_ImageResample_Proc IP_ImageResample;
  KX3300_IP_hDIB_Proc IP_hDIB;
  KX3300_IP_pRGB24_Proc IP_pRGB24;
};

extern ImagingLibrary imaging_library;

// The library's path: `directory` + "/" + the "bar_ip" setting (read from the
// current settings key), or + "KX3300_IP.DLL" when that cannot be read.
std::string ImagingLibraryPath(const std::string& directory);

// Loads the library from the directory of the source's own file and resolves
// the entry points; a library loaded before is let go first.
void LoadImagingLibrary();
void LoadImagingLibraryFrom(const std::string& directory);

// Lets the library go and empties the entry points.
void UnloadImagingLibrary();
void ResetImagingLibrary();
