// A minimal TWAIN Data Source Manager: opens one data source by path, forwards
// the application's triplets to its DS_Entry, and hands the source's
// notifications (DAT_NULL) to the application's registered callback.
//
// The source is the file named by TWAINDSM_SOURCE, or else the first "*.ds"
// under /usr/local/lib/twain/<name>/.
#include <dirent.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "twain/twain.h"

namespace {

struct Manager {
  bool open = false;
  TW_UINT32 next_id = 1;
  TW_UINT16 condition = TWCC_SUCCESS;
  TW_IDENTITY app{};
  void* library = nullptr;
  DSENTRYPROC ds_entry = nullptr;
  TW_IDENTITY source{};
  TW_CALLBACKPROC callback = nullptr;
};

Manager manager;

std::string FindSource() {
  if (const char* path = std::getenv("TWAINDSM_SOURCE"); path && *path) return path;
  const char* root = "/usr/local/lib/twain";
  DIR* dir = opendir(root);
  if (dir == nullptr) return {};
  std::string found;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::string sub = std::string(root) + "/" + entry->d_name;
    if (DIR* inner = opendir(sub.c_str())) {
      while (dirent* file = readdir(inner)) {
        std::string name = file->d_name;
        if (name.size() > 3 && name.compare(name.size() - 3, 3, ".ds") == 0) {
          found = sub + "/" + name;
          break;
        }
      }
      closedir(inner);
    }
    if (!found.empty()) break;
  }
  closedir(dir);
  return found;
}

TW_UINT16 Fail(TW_UINT16 condition) {
  manager.condition = condition;
  return TWRC_FAILURE;
}

TW_UINT16 OpenSource(TW_IDENTITY* app, TW_IDENTITY* identity) {
  if (manager.library != nullptr) return Fail(TWCC_MAXCONNECTIONS);
  std::string path = FindSource();
  if (path.empty()) return Fail(TWCC_NODS);
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return Fail(TWCC_NODS);
  auto entry = reinterpret_cast<DSENTRYPROC>(dlsym(library, "DS_Entry"));
  if (entry == nullptr) {
    dlclose(library);
    return Fail(TWCC_NODS);
  }
  TW_IDENTITY source{};
  entry(app, DG_CONTROL, DAT_IDENTITY, MSG_GET, &source);
  source.Id = manager.next_id++;
  TW_UINT16 rc = entry(app, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source);
  if (rc != TWRC_SUCCESS) {
    dlclose(library);
    return Fail(TWCC_OPERATIONERROR);
  }
  manager.library = library;
  manager.ds_entry = entry;
  manager.source = source;
  *identity = source;
  return TWRC_SUCCESS;
}

TW_UINT16 CloseSource(TW_IDENTITY* app) {
  if (manager.library == nullptr) return Fail(TWCC_NODS);
  TW_UINT16 rc = manager.ds_entry(app, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &manager.source);
  dlclose(manager.library);
  manager.library = nullptr;
  manager.ds_entry = nullptr;
  return rc;
}

TW_UINT16 ManagerTriplet(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  if (dg != DG_CONTROL) return Fail(TWCC_BADPROTOCOL);
  if (dat == DAT_PARENT && msg == MSG_OPENDSM) {
    if (origin == nullptr) return Fail(TWCC_BADVALUE);
    if (!manager.open) {
      manager.open = true;
      origin->Id = manager.next_id++;
      manager.app = *origin;
    }
    return TWRC_SUCCESS;
  }
  if (dat == DAT_PARENT && msg == MSG_CLOSEDSM) {
    if (manager.library != nullptr) return Fail(TWCC_SEQERROR);
    manager.open = false;
    return TWRC_SUCCESS;
  }
  if (dat == DAT_STATUS && msg == MSG_GET && data != nullptr) {
    auto* status = static_cast<TW_STATUS*>(data);
    status->ConditionCode = manager.condition;
    status->Reserved = 0;
    manager.condition = TWCC_SUCCESS;
    return TWRC_SUCCESS;
  }
  if (!manager.open) return Fail(TWCC_SEQERROR);
  if (dat == DAT_IDENTITY && msg == MSG_OPENDS && data != nullptr) {
    return OpenSource(origin, static_cast<TW_IDENTITY*>(data));
  }
  if (dat == DAT_IDENTITY && msg == MSG_CLOSEDS) return CloseSource(origin);
  if (dat == DAT_CALLBACK && msg == MSG_REGISTER_CALLBACK && data != nullptr) {
    manager.callback = reinterpret_cast<TW_CALLBACKPROC>(static_cast<TW_CALLBACK*>(data)->CallBackProc);
    return TWRC_SUCCESS;
  }
  return Fail(TWCC_BADPROTOCOL);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest,
                                                                       TW_UINT32 DG, TW_UINT16 DAT,
                                                                       TW_UINT16 MSG, TW_MEMREF pData) {
  // A source's notification to its application.
  if (DAT == DAT_NULL && DG == DG_CONTROL) {
    // Delivered whoever opened the source: a host may also load it by itself.
    if (pOrigin == nullptr) return Fail(TWCC_BADPROTOCOL);
    if (manager.callback != nullptr) manager.callback(pOrigin, pDest, DG, DAT, MSG, pData);
    return TWRC_SUCCESS;
  }
  if (DAT == DAT_CALLBACK && pDest != nullptr) return ManagerTriplet(pOrigin, DG, DAT, MSG, pData);
  if (pDest == nullptr) return ManagerTriplet(pOrigin, DG, DAT, MSG, pData);
  if (manager.library == nullptr || pDest->Id != manager.source.Id) return Fail(TWCC_BADDEST);
  return manager.ds_entry(pOrigin, DG, DAT, MSG, pData);
}
