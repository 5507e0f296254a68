// Whether Kestrun runs elevated, and starting a program with the desktop user's own rights: the
// shell's process starts it, reached through the desktop window's folder view, so that a browser or
// help viewer opened from an elevated window does not inherit the administrator's token.
#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "base/Handles.h"
#include "base/Text.h"
#include "store/platform/ComValues.h"
#include "store/platform/Win32Platform.h"

namespace kestrun {
namespace {

HRESULT FolderViewOfDesktop(ComPtr<IShellFolderViewDual>& folderView) {
  ComPtr<IShellWindows> windows;
  HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.PutVoid());
  if (FAILED(hr)) return hr;
  Variant desktopPidl(CSIDL_DESKTOP), none;
  long window = 0;
  ComPtr<IDispatch> desktop;
  hr = windows->FindWindowSW(&desktopPidl.value, &none.value, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                             reinterpret_cast<IDispatch**>(desktop.PutVoid()));
  if (hr != S_OK || !desktop) return FAILED(hr) ? hr : E_FAIL;  // S_FALSE: no desktop window
  ComPtr<IServiceProvider> provider;
  if (FAILED(hr = desktop->QueryInterface(IID_IServiceProvider, provider.PutVoid()))) return hr;
  ComPtr<IShellBrowser> browser;
  if (FAILED(hr = provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.PutVoid()))) return hr;
  ComPtr<IShellView> view;
  if (FAILED(hr = browser->QueryActiveShellView(reinterpret_cast<IShellView**>(view.PutVoid())))) return hr;
  ComPtr<IDispatch> background;
  if (FAILED(hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.PutVoid()))) return hr;
  return background->QueryInterface(IID_IShellFolderViewDual, folderView.PutVoid());
}

HRESULT DesktopShell(ComPtr<IShellDispatch2>& shell) {
  ComPtr<IShellFolderViewDual> folderView;
  HRESULT hr = FolderViewOfDesktop(folderView);
  if (FAILED(hr)) return hr;
  ComPtr<IDispatch> application;
  if (FAILED(hr = folderView->get_Application(reinterpret_cast<IDispatch**>(application.PutVoid())))) return hr;
  if (!application) return E_FAIL;
  return application->QueryInterface(IID_IShellDispatch2, shell.PutVoid());
}

}  // namespace

bool Win32Platform::IsElevated() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
  const UniqueFile token(raw);  // closed as any kernel handle
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return GetTokenInformation(raw, TokenElevation, &elevation, sizeof elevation, &size) && elevation.TokenIsElevated;
}

// The shell's process has a working folder of its own: without one given, a relative name is looked
// for there, not beside this program.
ErrorCode Win32Platform::ShellOpenAsUser(const std::string& file, const std::string& parameters,
                                         const std::string& folder, int show) {
  ComApartment com;
  ComPtr<IShellDispatch2> shell;
  HRESULT hr = DesktopShell(shell);
  if (SUCCEEDED(hr)) {
    const Variant program(ToWide(file)), arguments(ToWide(parameters)), verb, showCommand(show);
    const Variant workingFolder = folder.empty() ? Variant() : Variant(ToWide(folder));
    hr = shell->ShellExecute(program.value.bstrVal, arguments.value, workingFolder.value, verb.value,
                             showCommand.value);
  }
  if (hr == S_OK) return ERROR_SUCCESS;
  // S_FALSE: the shell was reached but its launch failed (Wine's answer), and says no more.
  if (hr == S_FALSE) return ERROR_GEN_FAILURE;
  return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<ErrorCode>(hr);
}

}  // namespace kestrun
