#include "platform/shared_library.h"

#include <dlfcn.h>

void* OpenSharedLibrary(const std::string& path) {
  // Local binding keeps the library's symbols out of the host's namespace.
  return path.empty() ? nullptr : dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindLibrarySymbol(void* library, const char* name) {
  return library == nullptr || name == nullptr ? nullptr : dlsym(library, name);
}

void CloseSharedLibrary(void* library) {
  if (library != nullptr) dlclose(library);
}
