// The platform clock. Every wait of the source goes through it, so tests can
// install a virtual clock that records the waits instead of sleeping.
#pragma once

#include <cstdint>

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void Sleep(uint32_t ms) = 0;
  virtual uint64_t NowMs() = 0;
};

// Installs `clock` for every later wait; null restores the real clock.
void InstallClock(Clock* clock);
Clock& CurrentClock();

inline void SleepMs(uint32_t ms) { CurrentClock().Sleep(ms); }
inline uint64_t NowMs() { return CurrentClock().NowMs(); }
