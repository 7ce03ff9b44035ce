// Memory-transfer throughput: a 1280 × 960 picture (an enlarged 640 × 480
// photo) delivered through DAT_IMAGEMEMXFER in the preferred 65535-byte
// buffers, against a plain memcpy of the same rows into the same buffer in the
// same run. The picture is prepared once per round outside the timing; what is
// timed is what the host waits for between its calls.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/memory.h"
#include "twain/entry.h"
#include "twain/source_state.h"
#include "twain/transfer_state.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 960;
constexpr uint32_t kStride = kWidth * 3;
constexpr std::size_t kBuffer = 65535;

std::vector<uint8_t>& Picture() {
  static std::vector<uint8_t> dib = [] {
    std::vector<uint8_t> d(40 + static_cast<std::size_t>(kStride) * kHeight);
    auto put = [&](std::size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) d[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put(0, 40);
    put(4, kWidth);
    put(8, kHeight);
    d[12] = 1;
    d[14] = 24;
    put(20, kStride * kHeight);
    for (std::size_t i = 40; i < d.size(); ++i) d[i] = static_cast<uint8_t>(i * 131 >> 3);
    return d;
  }();
  return dib;
}

void* CopyOfPicture() {
  void* block = AllocBlock(Picture().size());
  std::memcpy(block, Picture().data(), Picture().size());
  return block;
}

void MemXferWholePicture(benchmark::State& state) {
  xfer_picture_source_for_tests = &CopyOfPicture;
  TW_IDENTITY app{};
  std::vector<uint8_t> buffer(kBuffer);
  TW_IMAGEMEMXFER xfer{};
  for (auto _ : state) {
    state.PauseTiming();
    // The picture ready in state 7, as after the host's first call.
    ResetTransferState();
    xfer_picture_source_for_tests = &CopyOfPicture;
    PrepareXferImage(&transfer_state.mem_stride);
    source_state.state = 7;
    state.ResumeTiming();
    TW_UINT16 rc;
    do {
      xfer.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
      xfer.Memory.Length = kBuffer;
      xfer.Memory.TheMem = buffer.data();
      rc = SourceEntry(&app, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
      benchmark::DoNotOptimize(buffer.data());
    } while (rc == TWRC_SUCCESS);
    if (rc != TWRC_XFERDONE) state.SkipWithError("memory transfer failed");
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kStride} * kHeight);
  ResetTransferState();
}
BENCHMARK(MemXferWholePicture)->Unit(benchmark::kMicrosecond);

// The peer: the same rows, bottom-up storage read top row first, the same
// number of whole rows per 65535-byte buffer, no byte-order change.
void MemcpySameRows(benchmark::State& state) {
  const uint8_t* bits = Picture().data() + 40;
  std::vector<uint8_t> buffer(kBuffer);
  const int rows_per_call = static_cast<int>(kBuffer / kStride);
  for (auto _ : state) {
    for (int top = 0; top < kHeight; top += rows_per_call) {
      const int rows = std::min(rows_per_call, kHeight - top);
      for (int r = 0; r < rows; ++r) {
        std::memcpy(buffer.data() + static_cast<std::size_t>(r) * kStride,
                    bits + static_cast<std::size_t>(kHeight - 1 - top - r) * kStride, kStride);
      }
      benchmark::DoNotOptimize(buffer.data());
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kStride} * kHeight);
}
BENCHMARK(MemcpySameRows)->Unit(benchmark::kMicrosecond);

// Remembers each benchmark's time per picture and prints the ratio at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    auto xfer = times_.find("MemXferWholePicture");
    auto copy = times_.find("MemcpySameRows");
    if (xfer != times_.end() && copy != times_.end() && copy->second > 0) {
      std::printf("memory transfer of %d x %d: %.1f us per picture, memcpy of the same rows: %.1f us; ratio %.2f\n",
                  kWidth, kHeight, xfer->second, copy->second, xfer->second / copy->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
