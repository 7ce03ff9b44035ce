// snapgrab: a plain TWAIN host. It opens the DSM, opens the source, enables it
// and lets it run until the source asks to be closed, printing each step.
//
//   snapgrab [--once]
//
// --once enables the source, lets it handle its events briefly and closes it
// again: a scripted session for machines without a person in front of them.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "twain/twain.h"

namespace {

DSMENTRYPROC dsm = nullptr;
TW_IDENTITY app{};
TW_IDENTITY source{};
bool close_requested = false;
int transfers_ready = 0;

TW_UINT16 OnNotification(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16 msg, TW_MEMREF) {
  if (msg == MSG_CLOSEDSREQ) close_requested = true;
  if (msg == MSG_XFERREADY) ++transfers_ready;
  std::printf("source says: %s\n", msg == MSG_CLOSEDSREQ ? "close me" : msg == MSG_XFERREADY ? "pictures ready" : "?");
  return TWRC_SUCCESS;
}

TW_UINT16 ToManager(TW_UINT16 dat, TW_UINT16 msg, void* data) { return dsm(&app, nullptr, DG_CONTROL, dat, msg, data); }
TW_UINT16 ToSource(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) { return dsm(&app, &source, dg, dat, msg, data); }

const char* Result(TW_UINT16 rc) {
  switch (rc) {
    case TWRC_SUCCESS: return "success";
    case TWRC_FAILURE: return "failure";
    case TWRC_CHECKSTATUS: return "check status";
    case TWRC_DSEVENT: return "source event";
    case TWRC_NOTDSEVENT: return "not a source event";
    default: return "other";
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool once = argc > 1 && std::strcmp(argv[1], "--once") == 0;

  void* library = dlopen("libtwaindsm.so.2", RTLD_NOW);
  if (library == nullptr) {
    std::fprintf(stderr, "snapgrab: cannot load the TWAIN DSM: %s\n", dlerror());
    return 1;
  }
  dsm = reinterpret_cast<DSMENTRYPROC>(dlsym(library, "DSM_Entry"));
  if (dsm == nullptr) {
    std::fprintf(stderr, "snapgrab: the DSM has no DSM_Entry\n");
    return 1;
  }

  app.Version.MajorNum = 1;
  app.ProtocolMajor = 1;
  app.ProtocolMinor = 6;
  app.SupportedGroups = DG_CONTROL | DG_IMAGE;
  std::snprintf(app.Manufacturer, sizeof app.Manufacturer, "snapsrc");
  std::snprintf(app.ProductFamily, sizeof app.ProductFamily, "host");
  std::snprintf(app.ProductName, sizeof app.ProductName, "snapgrab");

  std::printf("open DSM: %s\n", Result(ToManager(DAT_PARENT, MSG_OPENDSM, nullptr)));
  TW_CALLBACK callback{reinterpret_cast<TW_MEMREF>(&OnNotification), 0, 0};
  ToManager(DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback);

  TW_UINT16 rc = ToManager(DAT_IDENTITY, MSG_OPENDS, &source);
  std::printf("open source: %s\n", Result(rc));
  if (rc != TWRC_SUCCESS) return 1;
  std::printf("  %s / %s / %s, %s, protocol %u.%u\n", source.Manufacturer, source.ProductFamily, source.ProductName,
              source.Version.Info, source.ProtocolMajor, source.ProtocolMinor);

  TW_USERINTERFACE ui{1, 0, nullptr};
  std::printf("enable source: %s\n", Result(ToSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui)));

  int events = 0;
  while (!close_requested && (!once || events < 10)) {
    TW_EVENT event{nullptr, MSG_NULL};
    ToSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    ++events;
    usleep(10000);  // a real host would block in its own event loop here
  }
  std::printf("handled %d event rounds\n", events);

  std::printf("disable source: %s\n", Result(ToSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui)));
  std::printf("close source: %s\n", Result(ToManager(DAT_IDENTITY, MSG_CLOSEDS, &source)));
  std::printf("close DSM: %s\n", Result(ToManager(DAT_PARENT, MSG_CLOSEDSM, nullptr)));
  return 0;
}
