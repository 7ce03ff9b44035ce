// Stand-in for picture decoding while it is not yet in the tree: no picture
// decodes, and the reported size is the one for "no picture". Built only when
// source/camera/decoding.cpp is missing (see CMakeLists.txt).
#include "camera/decoding.h"

void* DecodeCurrentPicture() { return nullptr; }
void* UpscalePicture(void* bitmap) { return bitmap; }
float ReportedWidth() { return 320.0f; }
float ReportedHeight() { return 240.0f; }
