#include "twain/handlers.h"
#include "twain/source_error.h"
#include "twain/source_state.h"
#include "ui/main_window.h"

namespace {

constexpr char kEnablePrefix[] = "General failure in response to MSG_ENABLEDS.  ";
constexpr char kDisablePrefix[] = "General failure in response to MSG_DISABLEDS.  ";

TW_UINT16 Enable(const TripletCall& call) {
  if (source_state.state != 4) return FailWithBox(kEnablePrefix, TWCC_SEQERROR);
  auto* ui = static_cast<TW_USERINTERFACE*>(call.data);
  if (ui == nullptr) return FailSilently(TWCC_BADVALUE);

  source_state.owner_window = ui->hParent;
  // A host that closed without disabling left the old window up; one window at a time.
  if (source_state.main_window != nullptr) {
    if (!MainWindowThreadOk()) return FailWithBox(kEnablePrefix, TWCC_OPERATIONERROR);
    ReleaseMainWindow();
    DestroyMainWindow(source_state.main_window);
    source_state.main_window = nullptr;
  }
  void* window = CreateMainWindow(source_state.instance, ui->hParent);
  if (window == nullptr) return FailWithBox(kEnablePrefix, TWCC_LOWMEMORY);

  source_state.main_window = window;
  ShowMainWindow(window);
  source_state.state = 5;
  // The source cannot run without its window; a host that asked for none is told so.
  return ui->ShowUI ? TWRC_SUCCESS : TWRC_CHECKSTATUS;
}

TW_UINT16 Disable() {
  if (source_state.state < 5) return FailWithBox(kDisablePrefix, TWCC_SEQERROR);
  if (source_state.main_window != nullptr) {
    if (!MainWindowThreadOk()) return FailWithBox(kDisablePrefix, TWCC_OPERATIONERROR);
    ReleaseMainWindow();
    DestroyMainWindow(source_state.main_window);
    source_state.main_window = nullptr;
  }
  source_state.state = 4;
  return TWRC_SUCCESS;
}

}  // namespace

TW_UINT16 HandleUserInterface(const TripletCall& call) {
  switch (call.msg) {
    case MSG_ENABLEDS: return Enable(call);
    case MSG_DISABLEDS: return Disable();
    default: return FailWithBox("General failure in response to DAT_USERINTERFACE.  ", TWCC_BADPROTOCOL);
  }
}
