#include "twain/source_error.h"

#include <string>

#include "platform/message_box.h"
#include "twain/source_state.h"

namespace {

constexpr const char* kConditionTexts[] = {
    "Success message from detailed error request ??",
    "Bummer error.",
    "Low Memory Condition encountered, free up some memory and try again.",
    "No Data Source found error.",
    "Source is connected to max possible apps.",
    "An operation error just occurred.",
    "Bad capabilities error.",
    nullptr,
    nullptr,
    "Bad protocol error.",
    "Bad value error.",
    "DG DAT MSG is out of expected sequence.",
};

constexpr std::size_t kMaxBoxText = 134;

}  // namespace

const char* ConditionText(TW_UINT16 condition) {
  if (condition < std::size(kConditionTexts) && kConditionTexts[condition] != nullptr) {
    return kConditionTexts[condition];
  }
  return "Unknown Error value in condition code.";
}

void ShowSourceError(const char* prefix, TW_UINT16 condition) {
  std::string text = prefix;
  text += ConditionText(condition);
  if (text.size() > kMaxBoxText) text.resize(kMaxBoxText);
  ShowMessageBox(source_state.owner_window, "Sample Source Error", text, MessageButtons::Ok, MessageIcon::Error);
}

TW_UINT16 FailWithBox(const char* prefix, TW_UINT16 condition) {
  source_state.status.ConditionCode = condition;
  ShowSourceError(prefix, condition);
  return TWRC_FAILURE;
}

TW_UINT16 FailSilently(TW_UINT16 condition) {
  source_state.status.ConditionCode = condition;
  return TWRC_FAILURE;
}
