// Arbitrary scenario files for the virtual camera: any text must parse or be
// refused without reading past it.
#include <cstdint>
#include <string>
#include <string_view>

#include "sim_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  SimCamOptions options;
  std::string error;
  if (ParseScenario(text, "fuzz", options, &error) && options.added.size() < 1000) FinishSimPictures(options);
  return 0;
}
