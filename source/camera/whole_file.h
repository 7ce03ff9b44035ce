// Whole-file reads and writes: the raw store's .bar files and the exported pictures.
#pragma once

#include <cstddef>

// Creates or replaces the file and writes all `length` bytes. False when the
// file cannot be created or not every byte reached it (a full disk, say).
bool WriteWholeFile(const char* path, const void* data, std::size_t length);

// The whole file in a movable memory block the caller frees (FreeBlock), its
// length in `*length` when asked; null when the file cannot be read.
void* ReadWholeFile(const char* path, std::size_t* length = nullptr);
