#include "gui/ClientAccessible.h"

#include "base/Text.h"
#include "gui/Application.h"
#include "gui/ControlHost.h"
#include "gui/GraphicControl.h"

namespace kestrun::gui {

namespace {

BSTR ToBstr(const std::string& text) {
  const std::wstring wide = ToWide(text);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

// "\nSave\nSettings\n" reads as "Save Settings": line breaks of a caption are layout, not words.
std::string Spoken(const std::string& text) {
  std::string spoken;
  for (char c : text) {
    const bool space = c == '\n' || c == '\r' || c == ' ' || c == '\t';
    if (space && !spoken.empty() && spoken.back() != ' ') spoken += ' ';
    if (!space) spoken += c;
  }
  if (!spoken.empty() && spoken.back() == ' ') spoken.pop_back();
  return spoken;
}

long RoleCode(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::Link:
      return ROLE_SYSTEM_LINK;
    case AccessibleRole::StaticText:
      break;
  }
  return ROLE_SYSTEM_STATICTEXT;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

}  // namespace

ComPtr<ClientAccessible> ClientAccessible::Create(HWND hwnd, std::vector<AccessibleItem>& items,
                                                 std::function<void(GraphicControl&)> doDefault) {
  ComPtr<ClientAccessible> object;
  // The reference count starts at one: the pointer adopts it.
  *object.PutVoid() = new ClientAccessible(hwnd, items, std::move(doDefault));
  return object;
}

ClientAccessible::ClientAccessible(HWND hwnd, std::vector<AccessibleItem>& items,
                                   std::function<void(GraphicControl&)> doDefault)
    : hwnd_(hwnd), items_(items), doDefault_(std::move(doDefault)) {}

void ClientAccessible::Disconnect() {
  hwnd_ = nullptr;
  doDefault_ = nullptr;
}

STDMETHODIMP ClientAccessible::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ClientAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

// The reference count is the object's only owner.
STDMETHODIMP_(ULONG) ClientAccessible::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP ClientAccessible::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}
STDMETHODIMP ClientAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP ClientAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
STDMETHODIMP ClientAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

std::vector<const AccessibleItem*> ClientAccessible::Shown() const {
  std::vector<const AccessibleItem*> shown;
  if (!hwnd_) return shown;
  for (const AccessibleItem& item : items_)
    if (item.control->Showing()) shown.push_back(&item);
  return shown;
}

HRESULT ClientAccessible::Lookup(const VARIANT& child, const AccessibleItem** item) const {
  *item = nullptr;
  if (!hwnd_) return RPC_E_DISCONNECTED;
  if (child.vt != VT_I4) return E_INVALIDARG;
  if (child.lVal == CHILDID_SELF) return S_OK;
  const std::vector<const AccessibleItem*> shown = Shown();
  if (child.lVal < 1 || child.lVal > static_cast<long>(shown.size())) return E_INVALIDARG;
  *item = shown[static_cast<size_t>(child.lVal - 1)];
  return S_OK;
}

RECT ClientAccessible::ScreenRect(const GraphicControl* control) const {
  RECT rect{};
  if (control && control->Host()) {
    rect = control->Host()->VisibleRectOf(*control);
  } else {
    GetClientRect(hwnd_, &rect);
  }
  MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

STDMETHODIMP ClientAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  if (!hwnd_) return RPC_E_DISCONNECTED;
  return AccessibleObjectFromWindow(hwnd_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                    reinterpret_cast<void**>(parent));
}

STDMETHODIMP ClientAccessible::get_accChildCount(long* count) {
  if (!count) return E_POINTER;
  if (!hwnd_) return RPC_E_DISCONNECTED;
  *count = static_cast<long>(Shown().size());
  return S_OK;
}

// The children are simple elements: they have no object of their own.
STDMETHODIMP ClientAccessible::get_accChild(VARIANT child, IDispatch** dispatch) {
  if (!dispatch) return E_POINTER;
  *dispatch = nullptr;
  const AccessibleItem* item;
  const HRESULT found = Lookup(child, &item);
  return FAILED(found) ? found : S_FALSE;
}

STDMETHODIMP ClientAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  const AccessibleItem* item;
  if (const HRESULT found = Lookup(child, &item); FAILED(found)) return found;
  if (item) {
    *name = ToBstr(Spoken(item->name()));
    return S_OK;
  }
  wchar_t caption[512] = L"";
  GetWindowTextW(hwnd_, caption, 512);
  *name = ToBstr(FromWide(caption));
  return S_OK;
}

STDMETHODIMP ClientAccessible::get_accValue(VARIANT, BSTR* value) {
  if (value) *value = nullptr;
  return DISP_E_MEMBERNOTFOUND;
}

STDMETHODIMP ClientAccessible::get_accDescription(VARIANT, BSTR* description) {
  if (description) *description = nullptr;
  return S_FALSE;
}

STDMETHODIMP ClientAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_POINTER;
  VariantInit(role);
  const AccessibleItem* item;
  if (const HRESULT found = Lookup(child, &item); FAILED(found)) return found;
  role->vt = VT_I4;
  role->lVal = item ? RoleCode(item->role) : ROLE_SYSTEM_CLIENT;
  return S_OK;
}

STDMETHODIMP ClientAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_POINTER;
  VariantInit(state);
  const AccessibleItem* item;
  if (const HRESULT found = Lookup(child, &item); FAILED(found)) return found;
  long bits = 0;
  if (!item) {
    bits = STATE_SYSTEM_FOCUSABLE;
  } else {
    if (!item->control->Enabled()) bits |= STATE_SYSTEM_UNAVAILABLE;
    if (item->role == AccessibleRole::Link) bits |= STATE_SYSTEM_LINKED;
    if (item->role == AccessibleRole::StaticText) bits |= STATE_SYSTEM_READONLY;
    if (item->control->Host() && item->control->Host()->HoverControl() == item->control)
      bits |= STATE_SYSTEM_HOTTRACKED;
  }
  state->vt = VT_I4;
  state->lVal = bits;
  return S_OK;
}

STDMETHODIMP ClientAccessible::get_accHelp(VARIANT, BSTR* help) {
  if (help) *help = nullptr;
  return S_FALSE;
}

STDMETHODIMP ClientAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
  if (file) *file = nullptr;
  if (topic) *topic = -1;
  return S_FALSE;
}

STDMETHODIMP ClientAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  if (!shortcut) return E_POINTER;
  *shortcut = nullptr;
  const AccessibleItem* item;
  if (const HRESULT found = Lookup(child, &item); FAILED(found)) return found;
  if (!item || item->shortcut.empty()) return S_FALSE;
  *shortcut = ToBstr(item->shortcut);
  return S_OK;
}

// Windowless children never hold the keyboard focus.
STDMETHODIMP ClientAccessible::get_accFocus(VARIANT* child) {
  if (!child) return E_POINTER;
  VariantInit(child);
  if (!hwnd_) return RPC_E_DISCONNECTED;
  if (GetFocus() == hwnd_) {
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
  }
  return S_OK;
}

STDMETHODIMP ClientAccessible::get_accSelection(VARIANT* children) {
  if (!children) return E_POINTER;
  VariantInit(children);
  return S_FALSE;
}

STDMETHODIMP ClientAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!action) return E_POINTER;
  *action = nullptr;
  const AccessibleItem* item;
  if (const HRESULT found = Lookup(child, &item); FAILED(found)) return found;
  if (!item || item->role == AccessibleRole::StaticText) return S_FALSE;
  const Words& words = Application::Instance().GetWords();
  const std::string& name = item->role == AccessibleRole::Link ? words.jumpAction : words.pressAction;
  if (name.empty()) return S_FALSE;
  *action = ToBstr(name);
  return S_OK;
}

STDMETHODIMP ClientAccessible::accSelect(long, VARIANT) { return DISP_E_MEMBERNOTFOUND; }

STDMETHODIMP ClientAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  const AccessibleItem* item;
  if (const HRESULT found = Lookup(child, &item); FAILED(found)) return found;
  const RECT rect = ScreenRect(item ? item->control : nullptr);
  *left = rect.left;
  *top = rect.top;
  *width = rect.right - rect.left;
  *height = rect.bottom - rect.top;
  return S_OK;
}

// Siblings in order; the client object itself has no siblings here (its parent navigates).
STDMETHODIMP ClientAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  VariantInit(end);
  const AccessibleItem* item;
  if (const HRESULT found = Lookup(start, &item); FAILED(found)) return found;
  const long count = static_cast<long>(Shown().size());
  long to = 0;
  if (IsSelf(start)) {
    if (direction == NAVDIR_FIRSTCHILD) to = 1;
    if (direction == NAVDIR_LASTCHILD) to = count;
  } else if (direction == NAVDIR_NEXT) {
    to = start.lVal + 1;
  } else if (direction == NAVDIR_PREVIOUS) {
    to = start.lVal - 1;
  }
  if (to < 1 || to > count) return S_FALSE;
  end->vt = VT_I4;
  end->lVal = to;
  return S_OK;
}

STDMETHODIMP ClientAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (!child) return E_POINTER;
  VariantInit(child);
  if (!hwnd_) return RPC_E_DISCONNECTED;
  const POINT point{x, y};
  const std::vector<const AccessibleItem*> shown = Shown();
  for (size_t i = shown.size(); i-- > 0;) {
    const RECT rect = ScreenRect(shown[i]->control);
    if (PtInRect(&rect, point)) {
      child->vt = VT_I4;
      child->lVal = static_cast<long>(i + 1);
      return S_OK;
    }
  }
  const RECT client = ScreenRect(nullptr);
  if (!PtInRect(&client, point)) return S_FALSE;
  child->vt = VT_I4;
  child->lVal = CHILDID_SELF;
  return S_OK;
}

STDMETHODIMP ClientAccessible::accDoDefaultAction(VARIANT child) {
  const AccessibleItem* item;
  if (const HRESULT found = Lookup(child, &item); FAILED(found)) return found;
  if (!item || item->role == AccessibleRole::StaticText) return DISP_E_MEMBERNOTFOUND;
  if (!item->control->Enabled()) return E_FAIL;
  doDefault_(*item->control);
  return S_OK;
}

STDMETHODIMP ClientAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
STDMETHODIMP ClientAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace kestrun::gui
