#include "ui/resources/dialog_templates.h"

const DialogTemplate* FindDialogTemplate(int resource_id, int* language_offset) {
  for (const DialogTemplate& dialog : kDialogTemplates) {
    for (int offset : {0, 2000, 3000}) {
      if (offset != 0 && !dialog.per_language) continue;
      if (dialog.id + offset != resource_id) continue;
      if (language_offset != nullptr) *language_offset = offset;
      return &dialog;
    }
  }
  return nullptr;
}

const DialogControl* FindDialogControl(const DialogTemplate& dialog, int id) {
  for (const DialogControl& control : dialog.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}
