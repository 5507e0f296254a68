#pragma once
// The accessible object of a form's client area (answered to WM_GETOBJECT): a screen reader finds the
// windowless buttons and links as its children, each with a name, role, location and default action.
// Written by hand: MinGW has no ATL. The form's AccessibleControls hold one reference and disconnect the
// object when its window goes, so a client holding a reference longer gets errors, never a dangling form.
#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Handles.h"

namespace kestrun::gui {

class GraphicControl;

enum class AccessibleRole { PushButton, Link, StaticText };

struct AccessibleItem {
  GraphicControl* control;  // not owned
  AccessibleRole role;
  std::function<std::string()> name;  // read when asked: captions can change
  std::string shortcut;               // e.g. "Ctrl+S"; empty: none
};

class ClientAccessible final : public IAccessible {
 public:
  // hwnd: the form's window; items: the form's, read live. doDefault runs a child's click later, from
  // the form's own message loop (a click may open a modal box: the caller must not wait for it).
  static ComPtr<ClientAccessible> Create(HWND hwnd, std::vector<AccessibleItem>& items,
                                         std::function<void(GraphicControl&)> doDefault);
  ClientAccessible(const ClientAccessible&) = delete;
  ClientAccessible& operator=(const ClientAccessible&) = delete;

  void Disconnect();

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IDispatch: not offered (clients use the IAccessible methods themselves)
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
  // IAccessible
  STDMETHODIMP get_accParent(IDispatch** parent) override;
  STDMETHODIMP get_accChildCount(long* count) override;
  STDMETHODIMP get_accChild(VARIANT child, IDispatch** dispatch) override;
  STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
  STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override;
  STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override;
  STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
  STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;
  STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override;
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  STDMETHODIMP get_accFocus(VARIANT* child) override;
  STDMETHODIMP get_accSelection(VARIANT* children) override;
  STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override;
  STDMETHODIMP accSelect(long flags, VARIANT child) override;
  STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
  STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override;
  STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override;
  STDMETHODIMP accDoDefaultAction(VARIANT child) override;
  STDMETHODIMP put_accName(VARIANT, BSTR) override;
  STDMETHODIMP put_accValue(VARIANT, BSTR) override;

 private:
  ClientAccessible(HWND hwnd, std::vector<AccessibleItem>& items, std::function<void(GraphicControl&)> doDefault);
  ~ClientAccessible() = default;  // only Release ends the object
  // The items a reader sees now: shown controls only (a message box hides the buttons of other sets).
  [[nodiscard]] std::vector<const AccessibleItem*> Shown() const;
  // CHILDID_SELF gives null and S_OK; a child id out of range gives E_INVALIDARG.
  HRESULT Lookup(const VARIANT& child, const AccessibleItem** item) const;
  [[nodiscard]] RECT ScreenRect(const GraphicControl* control) const;

  LONG refs_ = 1;
  HWND hwnd_;  // null once disconnected
  const std::vector<AccessibleItem>& items_;
  std::function<void(GraphicControl&)> doDefault_;
};

}  // namespace kestrun::gui
