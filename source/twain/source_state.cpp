#include "twain/source_state.h"

#include <cstring>

#include "camera/settings.h"
#include "ui/resources/strings.h"

SourceState source_state = {{}, {}, 3, {TWCC_SUCCESS, 0}, nullptr, nullptr, nullptr};

void ResetSourceState() { source_state = SourceState{{}, {}, 3, {TWCC_SUCCESS, 0}, nullptr, nullptr, nullptr}; }

bool InitSourceAtLoad(void* instance) {
  if (instance == nullptr) return false;
  source_state.instance = instance;

  TW_IDENTITY& id = source_state.source_identity;
  source_state.app_identity.Id = 0;
  id.Id = 0;
  id.Version.MajorNum = 1;
  id.Version.MinorNum = 603;
  id.Version.Language = TWLG_USA;
  id.Version.Country = TWCY_USA;
  LoadResourceString(3, id.Version.Info, sizeof id.Version.Info);
  id.ProtocolMajor = 1;
  id.ProtocolMinor = 6;
  id.SupportedGroups = DG_CONTROL | DG_IMAGE;
  LoadResourceString(0, id.Manufacturer, sizeof id.Manufacturer);
  LoadResourceString(1, id.ProductFamily, sizeof id.ProductFamily);
  LoadResourceString(2, id.ProductName, sizeof id.ProductName);

  // "TwainName" is always read under the base key, whatever camera was seen last.
  char name[kSettingStringSize];
  if (ReadSettingString("TwainName", name, sizeof name) != 0) {
    std::size_t n = Utf8PrefixBytes(name, sizeof id.ProductName - 1);
    std::memset(id.ProductName, 0, sizeof id.ProductName);
    std::memcpy(id.ProductName, name, n);
  }
  return true;
}
