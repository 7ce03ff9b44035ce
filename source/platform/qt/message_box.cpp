#include "platform/message_box.h"

#include <QMessageBox>
#include <QString>

#include "platform/qt_host.h"
#include "platform/unattended.h"

namespace {

QString FromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

MessageAnswer ShowMessageBox(void* owner, std::string_view caption, std::string_view text,
                             MessageButtons buttons, MessageIcon icon) {
  const MessageAnswer safe_answer = buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  if (auto log = UnattendedLogPath()) {
    AppendUnattendedRecord(*log, caption, text, buttons == MessageButtons::YesNo ? "YesNo" : "OK",
                           safe_answer == MessageAnswer::No ? "No" : "OK");
    return safe_answer;
  }
  if (!EnsureQtApplication()) return safe_answer;

  QMessageBox box(ToQtIcon(icon), FromUtf8(caption), FromUtf8(text),
                  buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                  TrustedWidget(owner));
  if (buttons == MessageButtons::YesNo) box.setDefaultButton(QMessageBox::No);
  int result = box.exec();
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return result == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}
