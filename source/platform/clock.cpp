#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace {

class RealClock final : public Clock {
 public:
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  uint64_t NowMs() override {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  }
};

RealClock real_clock;
Clock* installed_clock = nullptr;

}  // namespace

void InstallClock(Clock* clock) { installed_clock = clock; }

Clock& CurrentClock() { return installed_clock ? *installed_clock : real_clock; }
