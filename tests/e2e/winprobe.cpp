// Test helper for the end-to-end window tests: looks at Kestrun's windows from another process in the
// same Wine desktop, so a script can wait for a window, read where it lies, and read the list's rows.
//   winprobe window TITLE [ms]   wait for a visible top-level window; print "x y width height"
//   winprobe gone TITLE [ms]     wait until no visible top-level window has that title
//   winprobe rows                the main list: one line per row, "1" or "0" for its check mark
//   winprobe selected            the main list's selected row (-1 for none) and whether it has the focus
//   winprobe box TITLE [ms]      wait for the platform's message box with that title; print its text
//   winprobe boxgone TITLE [ms]  wait until that message box has closed
//   winprobe count TITLE         how many visible top-level windows have that title
//   winprobe foreground          the title of the foreground window
//   winprobe columns             the main list's column widths and its client width
//   winprobe acc TITLE           the window's client accessible object (oleacc): one line per child,
//                                "name|role|left top width height|shortcut|default action"
//   winprobe accdo TITLE NAME    the default action of the child of that name
//   winprobe readonly KEY        give HKLM\KEY a DACL that lets everyone read it and nobody write it,
//                                as a standard user sees machine-wide keys (lost when wineserver ends)
//   winprobe trust ROOT.der      add a certificate to the machine's trusted roots
//   winprobe verify FILE...      WinVerifyTrust, then the Authenticode chain policy on the signer's
//                                chain (Wine's WinVerifyTrust alone accepts an untrusted root):
//                                one line of both results per file; succeeds when all are 0
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <sddl.h>
#include <softpub.h>
#include <wintrust.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* kMainTitle = "Tamsel Soft Kestrun";

struct Search {
  std::string title;
  std::string cls;  // empty: any class
  HWND found = nullptr;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char text[512] = "", cls[256] = "";
  GetWindowTextA(hwnd, text, sizeof text);
  GetClassNameA(hwnd, cls, sizeof cls);
  if (IsWindowVisible(hwnd) && search->title == text && (search->cls.empty() || search->cls == cls)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND Find(const std::string& title, const std::string& cls = {}) {
  Search search{title, cls};
  EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitFor(const std::string& title, int ms, bool present, const std::string& cls = {}) {
  for (int waited = 0;; waited += 50) {
    HWND hwnd = Find(title, cls);
    if ((hwnd != nullptr) == present || waited >= ms) return hwnd;
    Sleep(50);
  }
}

HWND MainList() {
  HWND main = Find(kMainTitle);
  return main ? FindWindowExA(main, nullptr, WC_LISTVIEWA, nullptr) : nullptr;
}

int Window(const std::string& title, int ms) {
  HWND hwnd = WaitFor(title, ms, true);
  if (!hwnd) return 1;
  RECT rect;
  GetWindowRect(hwnd, &rect);
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  return 0;
}

int Rows() {
  HWND list = MainList();
  if (!list) return 1;
  const int count = ListView_GetItemCount(list);
  for (int i = 0; i < count; ++i) std::printf("%d\n", ListView_GetCheckState(list, i) ? 1 : 0);
  return 0;
}

int Selected() {
  HWND list = MainList();
  if (!list) return 1;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(list, nullptr), &info);
  std::printf("%d %s\n", ListView_GetNextItem(list, -1, LVNI_SELECTED),
              info.hwndFocus == list ? "focused" : "unfocused");
  return 0;
}

BOOL CALLBACK CountMatch(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<std::pair<std::string, int>*>(param);
  char text[512] = "";
  GetWindowTextA(hwnd, text, sizeof text);
  if (IsWindowVisible(hwnd) && search->first == text) ++search->second;
  return TRUE;
}

int Count(const std::string& title) {
  std::pair<std::string, int> search{title, 0};
  EnumWindows(CountMatch, reinterpret_cast<LPARAM>(&search));
  std::printf("%d\n", search.second);
  return 0;
}

int Foreground() {
  char text[512] = "";
  GetWindowTextA(GetForegroundWindow(), text, sizeof text);
  std::printf("%s\n", text);
  return 0;
}

int Columns() {
  HWND list = MainList();
  if (!list) return 1;
  RECT client;
  GetClientRect(list, &client);
  std::printf("%d %d %ld\n", ListView_GetColumnWidth(list, 0), ListView_GetColumnWidth(list, 1), client.right);
  return 0;
}

std::string Narrow(BSTR text) {
  if (!text) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), n, nullptr, nullptr);
  SysFreeString(text);
  return narrow;
}

const char* RoleName(const VARIANT& role) {
  if (role.vt != VT_I4) return "?";
  switch (role.lVal) {
    case ROLE_SYSTEM_PUSHBUTTON: return "push button";
    case ROLE_SYSTEM_LINK: return "link";
    case ROLE_SYSTEM_STATICTEXT: return "text";
    case ROLE_SYSTEM_CLIENT: return "client";
    default: return "other";
  }
}

// Calls visit(accessible, child) for every child of the window's client object; false if none.
template <typename Visit>
bool ForEachChild(const std::string& title, Visit visit) {
  HWND hwnd = WaitFor(title, 10000, true);
  if (!hwnd) return false;
  IAccessible* client = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&client))) || !client)
    return false;
  long count = 0;
  client->get_accChildCount(&count);
  std::vector<VARIANT> children(static_cast<size_t>(count > 0 ? count : 1));
  long got = 0;
  const bool ok = count > 0 && SUCCEEDED(AccessibleChildren(client, 0, count, children.data(), &got)) && got > 0;
  for (long i = 0; ok && i < got; ++i) {
    if (children[i].vt == VT_I4) visit(client, children[i]);
    VariantClear(&children[i]);
  }
  client->Release();
  return ok;
}

int Acc(const std::string& title) {
  return ForEachChild(title, [](IAccessible* client, VARIANT child) {
    BSTR name = nullptr, shortcut = nullptr, action = nullptr;
    VARIANT role;
    VariantInit(&role);
    long x = 0, y = 0, w = 0, h = 0;
    client->get_accName(child, &name);
    client->get_accRole(child, &role);
    client->accLocation(&x, &y, &w, &h, child);
    client->get_accKeyboardShortcut(child, &shortcut);
    client->get_accDefaultAction(child, &action);
    std::printf("%s|%s|%ld %ld %ld %ld|%s|%s\n", Narrow(name).c_str(), RoleName(role), x, y, w, h,
                Narrow(shortcut).c_str(), Narrow(action).c_str());
  }) ? 0 : 1;
}

int AccDo(const std::string& title, const std::string& wanted) {
  bool done = false;
  ForEachChild(title, [&](IAccessible* client, VARIANT child) {
    BSTR name = nullptr;
    client->get_accName(child, &name);
    if (!done && Narrow(name) == wanted) done = SUCCEEDED(client->accDoDefaultAction(child));
  });
  return done ? 0 : 1;
}

int BoxText(const std::string& title, int ms) {
  HWND box = WaitFor(title, ms, true, "#32770");
  if (!box) return 1;
  char text[2048] = "";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  std::printf("%s\n", text);
  return 0;
}

int ReadOnly(const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, WRITE_DAC, &handle) != ERROR_SUCCESS) return 1;
  PSECURITY_DESCRIPTOR sd = nullptr;
  LONG rc = ERROR_INVALID_PARAMETER;
  if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1, &sd, nullptr)) {
    rc = RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
  }
  RegCloseKey(handle);
  return rc == ERROR_SUCCESS ? 0 : 1;
}

int Failed(const char* what, DWORD error) {
  std::fprintf(stderr, "winprobe: %s (error %lu)\n", what, error);
  return 1;
}

// A store's additions reach the registry only when it is closed, so the root counts as trusted once a
// fresh open of the store finds it.
int Trust(const char* file) {
  std::ifstream in(file, std::ios::binary);
  const std::string der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto* bytes = reinterpret_cast<const BYTE*>(der.data());
  PCCERT_CONTEXT cert = CertCreateCertificateContext(X509_ASN_ENCODING, bytes, static_cast<DWORD>(der.size()));
  if (!cert) return Failed("not a certificate", GetLastError());
  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
  BOOL done = root && CertAddCertificateContextToStore(root, cert, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  if (root) CertCloseStore(root, 0);
  root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG,
                       "Root");
  PCCERT_CONTEXT found = root ? CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert, nullptr)
                              : nullptr;
  done = done && found;
  const DWORD error = GetLastError();
  if (found) CertFreeCertificateContext(found);
  if (root) CertCloseStore(root, 0);
  CertFreeCertificateContext(cert);
  return done ? 0 : Failed("the root store did not keep the certificate", error);
}

int Verify(const char* file) {
  const std::wstring path(file, file + std::char_traits<char>::length(file));
  WINTRUST_FILE_INFO fileInfo{sizeof fileInfo, path.c_str(), nullptr, nullptr};
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG trust = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  LONG policy = -1;
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
  CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  if (signer && signer->pChainContext) {
    CERT_CHAIN_POLICY_PARA para{sizeof para, 0, nullptr};
    CERT_CHAIN_POLICY_STATUS status{sizeof status, 0, 0, 0, nullptr};
    if (CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, signer->pChainContext, &para, &status))
      policy = static_cast<LONG>(status.dwError);
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  std::printf("trust 0x%08lX policy 0x%08lX\n", static_cast<unsigned long>(trust), static_cast<unsigned long>(policy));
  return trust == 0 && policy == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  const int ms = argc > 3 ? std::atoi(argv[3]) : 10000;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int rc = 2;
  if (verb == "window" && argc > 2) rc = Window(argv[2], ms);
  else if (verb == "gone" && argc > 2) rc = WaitFor(argv[2], ms, false) ? 1 : 0;
  else if (verb == "rows") rc = Rows();
  else if (verb == "selected") rc = Selected();
  else if (verb == "box" && argc > 2) rc = BoxText(argv[2], ms);
  else if (verb == "count" && argc > 2) rc = Count(argv[2]);
  else if (verb == "foreground") rc = Foreground();
  else if (verb == "columns") rc = Columns();
  else if (verb == "acc" && argc > 2) rc = Acc(argv[2]);
  else if (verb == "accdo" && argc > 3) rc = AccDo(argv[2], argv[3]);
  else if (verb == "readonly" && argc > 2) rc = ReadOnly(argv[2]);
  else if (verb == "boxgone" && argc > 2) rc = WaitFor(argv[2], ms, false, "#32770") ? 1 : 0;
  else if (verb == "trust" && argc > 2) rc = Trust(argv[2]);
  else if (verb == "verify" && argc > 2) {
    rc = 0;
    for (int i = 2; i < argc; ++i) rc |= Verify(argv[i]);
  }
  std::fflush(stdout);
  return rc;
}
