// The user's contrast setting, as the system answers it or as Windows stores it for the user.
#include <cstring>
#include <cwchar>

#include "store/platform/Win32Platform.h"

namespace kestrun {

namespace {

constexpr wchar_t kStoredSetting[] = L"Control Panel\\Accessibility\\HighContrast";

// Windows keeps the flags as decimal text; a number is taken as well.
DWORD StoredFlags() {
  wchar_t text[32] = L"";
  DWORD size = sizeof text, type = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kStoredSetting, L"Flags",  // untranslated: a registry value name
                   RRF_RT_REG_SZ | RRF_RT_REG_DWORD | RRF_NOEXPAND, &type, text, &size) != ERROR_SUCCESS)
    return 0;
  DWORD number = 0;
  if (type == REG_DWORD) std::memcpy(&number, text, sizeof number);
  return type == REG_DWORD ? number : std::wcstoul(text, nullptr, 10);
}

}  // namespace

// Wine answers with no flags at all, not even HCF_AVAILABLE, and keeps no setting of its own.
bool Win32Platform::HighContrast() {
  HIGHCONTRASTW answer{};
  answer.cbSize = sizeof answer;
  const bool answered = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof answer, &answer, 0) != FALSE;
  const DWORD flags = answered && (answer.dwFlags & HCF_AVAILABLE) ? answer.dwFlags : StoredFlags();
  return (flags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace kestrun
