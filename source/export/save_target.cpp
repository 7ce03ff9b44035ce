#include "export/save_target.h"

#include <cstdio>

#include "ui/save_dialog.h"

SaveTarget save_target;

void ResetSaveTarget() { save_target = SaveTarget{}; }

bool ApplySavePath(const std::string& path, int filter_index, SaveTarget* target) {
  if (path.empty() || path.size() > kMaxSavePath || path.back() == '/') return false;
  const std::size_t slash = path.rfind('/');
  const std::size_t name_offset = slash == std::string::npos ? 0 : slash + 1;
  std::string base = path;
  const std::size_t dot = path.rfind('.');
  if (dot != std::string::npos && dot >= name_offset && dot + 1 < path.size()) base.resize(dot);
  target->save_base = std::move(base);
  target->save_type = filter_index;
  target->save_name_offset = static_cast<int>(name_offset);
  return true;
}

int ChooseSaveTarget(void* owner) {
  SaveDialogChoice choice;
  if (!ShowSaveDialog(owner, &choice)) return 0;
  return ApplySavePath(choice.path, choice.filter_index, &save_target) ? 1 : 0;
}

namespace {
std::string Numbered(const std::string& prefix, int n, const char* extension) {
  char number[16];
  std::snprintf(number, sizeof number, "%03d.", n);
  return prefix + number + extension;
}
}  // namespace

std::string PhotoFileName(const SaveTarget& target, int n) {
  return Numbered(target.save_base, n, target.save_type == 1 ? "jpg" : "bmp");
}

std::string ClipFolder(const SaveTarget& target) {
  if (target.save_name_offset <= 0) return ".";
  return target.save_base.substr(0, static_cast<std::size_t>(target.save_name_offset) - 1);
}

std::string ClipFileName(const SaveTarget& target, int n) {
  return Numbered(ClipFolder(target) + "/video", n, "avi");
}
