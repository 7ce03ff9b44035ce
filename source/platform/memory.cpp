#include "platform/memory.h"

#include <malloc.h>

#include <cstdlib>

void* AllocBlock(std::size_t size) {
  if (size == 0) return nullptr;
  return std::calloc(1, size);
}

void* LockBlock(void* handle) { return handle; }

void UnlockBlock(void*) {}

void FreeBlock(void* handle) { std::free(handle); }

std::size_t BlockSize(void* handle) { return handle == nullptr ? 0 : malloc_usable_size(handle); }
