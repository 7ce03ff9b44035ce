// The unattended save answer and the save target made from it: any text, no
// crash, and every name built from it stays within the rules.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "export/save_target.h"
#include "ui/save_dialog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  SaveDialogChoice choice;
  if (!ParseSaveAsAnswer(text, &choice)) return 0;
  SaveTarget target;
  if (!ApplySavePath(choice.path, choice.filter_index, &target)) return 0;
  if (target.save_name_offset < 0 || static_cast<std::size_t>(target.save_name_offset) > target.save_base.size()) {
    __builtin_trap();
  }
  const std::string photo = PhotoFileName(target, 1000);
  const std::string clip = ClipFileName(target, 1);
  if (photo.compare(0, target.save_base.size(), target.save_base) != 0) __builtin_trap();
  if (clip.size() < 12) __builtin_trap();
  return 0;
}
