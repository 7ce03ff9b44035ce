#include "ui/save_dialog.h"

#include <QFileDialog>
#include <QStringList>

#include <cstdlib>

#include "platform/qt_host.h"
#include "platform/unattended.h"
#include "ui/save_dialog_qt.h"

void ConfigureSaveDialog(QFileDialog& dialog) {
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The command asks before each file it replaces; a question here would ask
  // about a name ("photo.jpg") that is never written.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  QStringList filters;
  for (const char* filter : kSaveDialogFilters) filters << QString::fromLatin1(filter);
  dialog.setNameFilters(filters);
  int index = save_dialog_state.filter_index;
  if (index < 1 || index > filters.size()) index = kSaveFilterJpeg;
  dialog.selectNameFilter(filters[index - 1]);
  dialog.selectFile(QString::fromLatin1(kSaveDialogFileName));
}

bool ShowSaveDialog(void* owner, SaveDialogChoice* choice) {
  if (choice == nullptr) return false;
  if (UnattendedLogPath()) {
    const char* answer = std::getenv("SNAPSRC_SAVE_AS");
    if (answer == nullptr || !ParseSaveAsAnswer(answer, choice)) return false;
    save_dialog_state.filter_index = choice->filter_index;
    return true;
  }
  if (!EnsureQtApplication()) return false;

  QFileDialog dialog(TrustedWidget(owner));
  ConfigureSaveDialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.first().isEmpty()) return false;
  const int index = static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
  choice->path = files.first().toStdString();
  choice->filter_index = index == kSaveFilterBmp ? kSaveFilterBmp : kSaveFilterJpeg;
  save_dialog_state.filter_index = choice->filter_index;
  return true;
}
