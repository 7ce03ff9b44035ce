// Libraries loaded at run time (what LoadLibrary and GetProcAddress were).
#pragma once

#include <string>

// Null when the file is missing or not a loadable library.
void* OpenSharedLibrary(const std::string& path);
// Null when the library does not export `name`.
void* FindLibrarySymbol(void* library, const char* name);
void CloseSharedLibrary(void* library);  // a null library is ignored
