// Movable memory blocks: what crosses a subsystem boundary or goes to the host.
// On Linux the handle is the pointer itself and the receiver frees it with
// free(), which is what a Linux DSM's default memory functions do.
#pragma once

#include <cstddef>

void* AllocBlock(std::size_t size);  // zero-filled; null on failure or size 0
void* LockBlock(void* handle);       // the block's memory; null for a null handle
void UnlockBlock(void* handle);
void FreeBlock(void* handle);

// Bytes the block holds (at least what was asked for); 0 for a null handle.
// Lets a receiver check a block from outside before reading it.
std::size_t BlockSize(void* handle);
