#include "platform/memory.h"

#include <cstdlib>

void* AllocBlock(std::size_t size) {
  if (size == 0) return nullptr;
  return std::calloc(1, size);
}

void* LockBlock(void* handle) { return handle; }

void UnlockBlock(void*) {}

void FreeBlock(void* handle) { std::free(handle); }
