// The folders the system names for trust (the profile, ProgramData), and a folder's owner and DACL
// read back as SDDL through its handle. What the text must say is the store's to judge. And the account
// this process runs as.
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <vector>

#include "base/Handles.h"
#include "base/Text.h"
#include "store/platform/Win32Platform.h"

namespace kestrun {

std::string Win32Platform::ProgramData() {
  // Not the variable: the folder an elevated process trusts is the system's, not what its caller says.
  PWSTR path = nullptr;
  const HRESULT hr = SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &path);
  std::string folder = SUCCEEDED(hr) ? FromWide(path) : std::string();
  CoTaskMemFree(path);
  return folder;
}

std::string Win32Platform::UserProfile() {
  PWSTR path = nullptr;
  const HRESULT hr = SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &path);
  std::string folder = SUCCEEDED(hr) ? FromWide(path) : std::string();
  CoTaskMemFree(path);
  return folder;
}

ErrorCode Win32Platform::SecurityOf(HANDLE folder, std::string& sddl) {
  sddl.clear();
  constexpr SECURITY_INFORMATION kWhat = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  UniqueLocal descriptor;
  if (const DWORD rc = GetSecurityInfo(folder, SE_FILE_OBJECT, kWhat, nullptr, nullptr, nullptr, nullptr,
                                       reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.Put())))
    return rc;
  UniqueLocal text;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.Get(), SDDL_REVISION_1, kWhat,
                                                            reinterpret_cast<LPWSTR*>(text.Put()), nullptr))
    return GetLastError();
  sddl = FromWide(static_cast<const wchar_t*>(text.Get()));
  return ERROR_SUCCESS;
}

bool Win32Platform::KeepsFileSecurity() {
  // Wine turns a folder's DACL into Unix mode bits and reads back its own user as every owner.
  return !GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
}

UserIdentity Win32Platform::CurrentUser() {
  UserIdentity user;
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return user;
  const UniqueFile token(raw);  // closed as any kernel handle
  DWORD size = 0;
  GetTokenInformation(raw, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size ? size : 1);
  if (!GetTokenInformation(raw, TokenUser, buffer.data(), size, &size)) return user;
  const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  UniqueLocal text;
  if (ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.Put())))
    user.sid = FromWide(static_cast<const wchar_t*>(text.Get()));
  wchar_t name[256], domain[256];
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use;
  if (LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
    user.name = FromWide(name);
    user.domain = FromWide(domain);
  }
  return user;
}

}  // namespace kestrun
