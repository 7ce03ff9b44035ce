// A clock for tests: time moves only when someone waits, and every wait is kept.
#pragma once

#include <vector>

#include "platform/clock.h"

class VirtualClock final : public Clock {
 public:
  void Sleep(uint32_t ms) override {
    waits.push_back(ms);
    now += ms;
  }
  uint64_t NowMs() override { return now; }

  std::vector<uint32_t> waits;
  uint64_t now = 0;
};

// Installs a virtual clock for the lifetime of the guard.
class ScopedVirtualClock {
 public:
  ScopedVirtualClock() { InstallClock(&clock); }
  ~ScopedVirtualClock() { InstallClock(nullptr); }
  ScopedVirtualClock(const ScopedVirtualClock&) = delete;
  ScopedVirtualClock& operator=(const ScopedVirtualClock&) = delete;
  VirtualClock clock;
};
