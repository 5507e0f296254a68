#include "gui/Form.h"

#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "base/Text.h"

#include "gui/Application.h"
#include "gui/Dpi.h"

namespace kestrun::gui {

namespace {

constexpr char kClassName[] = "KestrunForm";
constexpr wchar_t kWideClassName[] = L"KestrunForm";
constexpr WPARAM kSystemMove = 0xF012;  // SC_MOVE | HTCAPTION: move as if the caption were dragged

ShiftState MouseShift(WPARAM wParam) {
  ShiftState shift;
  shift.shift = (wParam & MK_SHIFT) != 0;
  shift.ctrl = (wParam & MK_CONTROL) != 0;
  shift.alt = GetKeyState(VK_MENU) < 0;
  return shift;
}

ShiftState KeyShift() {
  ShiftState shift;
  shift.shift = GetKeyState(VK_SHIFT) < 0;
  shift.ctrl = GetKeyState(VK_CONTROL) < 0;
  shift.alt = GetKeyState(VK_MENU) < 0;
  return shift;
}

// Runs a function handed over from another thread (RunOnOwnThread).
const UINT kRunCallMessage = RegisterWindowMessageA("Kestrun.RunOnOwnThread");

struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Close(HICON h) { DestroyIcon(h); }
};
using UniqueIcon = UniqueHandle<IconTraits>;

// Null when the program has no icon: the system then shows its default one.
HICON LoadApplicationIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

POINT MousePoint(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// Access keys are ASCII; a character beyond (UTF-16 here) matches none, rather than its low byte.
char AccessKeyChar(WPARAM wParam) { return wParam < 0x80 ? static_cast<char>(wParam) : '\0'; }

}  // namespace

void Form::Port::SetCapture() {
  if (form_.hwnd_) ::SetCapture(form_.hwnd_);
}

void Form::Port::ReleaseCapture() {
  if (GetCapture() == form_.hwnd_) ::ReleaseCapture();
}

bool Form::Port::CaptureHeld() const { return GetCapture() != nullptr; }

void Form::Port::TrackMouseLeave() {
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, form_.hwnd_, 0};
  TrackMouseEvent(&track);
}

// A null window would mean every window of the desktop.
void Form::Port::InvalidateRect(const RECT& rect) {
  if (form_.hwnd_) ::InvalidateRect(form_.hwnd_, &rect, FALSE);
}

std::optional<POINT> Form::Port::CursorPos() const {
  POINT point;
  if (!form_.hwnd_ || !GetCursorPos(&point) || WindowFromPoint(point) != form_.hwnd_) return std::nullopt;
  ScreenToClient(form_.hwnd_, &point);
  return point;
}

bool Form::Port::Showing() const { return form_.hwnd_ && IsWindowVisible(form_.hwnd_); }

void Form::RegisterClassOnce() {
  // The program's icon (its first icon resource) at the sizes the display shows for the system's
  // scale: the taskbar and Alt+Tab take the class's. Owned here for as long as the class lives.
  static const UniqueIcon bigIcon(LoadApplicationIcon(SM_CXICON, SM_CYICON));
  static const UniqueIcon smallIcon(LoadApplicationIcon(SM_CXSMICON, SM_CYSMICON));
  static const bool registered = [] {
    // A Unicode window: its texts, keys and its children's notifications come in UTF-16.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Form::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hIcon = bigIcon.Get();
    wc.hIconSm = smallIcon.Get();
    wc.lpszClassName = kWideClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

Form::Form(const FormLayout& layout, Form* owner)
    : owner_(owner),
      placement_(layout.placement),
      color_(layout.color == CLR_INVALID ? ButtonFaceColor() : layout.color),
      designWidth_(layout.width),
      designHeight_(layout.height),
      children_(host_, layout.font) {
  RegisterClassOnce();
  host_.SetDpi(SystemDpi());
  const POINT at = FittedPosition(layout.position);
  CreateWindowExW(0, kWideClassName, ToWide(layout.caption).c_str(), WS_POPUP | WS_CLIPCHILDREN, at.x, at.y,
                  Scale(layout.width, Dpi()), Scale(layout.height, Dpi()), owner ? owner->Handle() : nullptr,
                  nullptr, GetModuleHandleW(nullptr), this);
  // A monitor of another scale than the system's: lay out again where the window really is.
  if (hwnd_ && WindowDpi(hwnd_) != Dpi()) ApplyDpi(WindowDpi(hwnd_), nullptr);
}

// At 96 DPI the design position as it is; scaled, it is kept on the screen's work area.
POINT Form::FittedPosition(POINT designPosition) const {
  POINT at{Scale(designPosition.x, Dpi()), Scale(designPosition.y, Dpi())};
  if (Dpi() == kDesignDpi) return at;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  MONITORINFO info{sizeof info, {}, {}, 0};
  if (GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &info)) area = info.rcWork;
  at.x = std::max<int>(area.left, std::min<int>(at.x, area.right - Scale(designWidth_, Dpi())));
  at.y = std::max<int>(area.top, std::min<int>(at.y, area.bottom - Scale(designHeight_, Dpi())));
  return at;
}

void Form::ApplyDpi(int dpi, const RECT* suggested) {
  if (!hwnd_ || dpi <= 0) return;
  host_.SetDpi(dpi);
  children_.ApplyDpi();
  const int width = Scale(designWidth_, dpi), height = Scale(designHeight_, dpi);
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  tips_.UpdateRects();
  DpiChanged();
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

Form::~Form() {
  accessible_.Disconnect();
  timers_.clear();
  if (hwnd_) DestroyWindow(hwnd_);
  Application::Instance().FormDestroyed(*this);
}

const char* Form::ClassName() { return kClassName; }

Form* Form::FromHandle(HWND hwnd) {
  if (!hwnd || GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&Form::WindowProc))
    return nullptr;
  return reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The one place where exceptions stop: none may unwind through the system's dispatch.
LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  // Some messages (WM_GETMINMAXINFO under Wine) come before WM_NCCREATE.
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  try {
    return form->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    Application::Instance().ShowException(error);
  } catch (...) {
    Application::Instance().ShowError("Unexpected error");
  }
  return 0;
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
      message == WM_RBUTTONDOWN || message == WM_RBUTTONUP)
    tips_.Relay(message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel from an off-screen surface
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ACTIVATE:
      OnActivateMessage(wParam);
      return 0;
    case WM_MOUSEMOVE:
      host_.MouseMove(MousePoint(lParam), MouseShift(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      host_.ButtonDown(MouseButton::Left, MousePoint(lParam), MouseShift(wParam), message == WM_LBUTTONDBLCLK);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      host_.ButtonDown(MouseButton::Right, MousePoint(lParam), MouseShift(wParam), false);
      return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      host_.ButtonDown(MouseButton::Middle, MousePoint(lParam), MouseShift(wParam), false);
      return 0;
    case WM_LBUTTONUP:
      host_.ButtonUp(MouseButton::Left, MousePoint(lParam), MouseShift(wParam));
      return 0;
    case WM_RBUTTONUP:
      host_.ButtonUp(MouseButton::Right, MousePoint(lParam), MouseShift(wParam));
      return 0;
    case WM_MBUTTONUP:
      host_.ButtonUp(MouseButton::Middle, MousePoint(lParam), MouseShift(wParam));
      return 0;
    case WM_MOUSELEAVE:
      host_.MouseLeft();
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd_) host_.CaptureChanged();
      return 0;
    case WM_SETCURSOR:
      if (busy_) {
        ::SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
      }
      if (OnSetCursor(lParam)) return TRUE;
      break;
    case WM_NOTIFY:
      if (auto result = children_.Notify(*reinterpret_cast<NMHDR*>(lParam))) return *result;
      break;
    case WM_KEYDOWN:
      if (ShortcutKey(static_cast<WORD>(wParam), KeyShift())) return 0;
      if ((wParam == VK_RETURN || wParam == VK_ESCAPE) && host_.DialogKey(static_cast<WORD>(wParam), KeyShift()))
        return 0;
      if (wParam == VK_TAB && children_.FocusNextTabStop(nullptr, KeyShift().shift)) return 0;
      break;
    case WM_CHAR:
      host_.DialogChar(AccessKeyChar(wParam));
      return 0;
    case WM_SYSCHAR:
      if (host_.DialogChar(AccessKeyChar(wParam))) return 0;
      break;
    case WM_TIMER:
      for (auto& timer : timers_)
        if (timer->Id() == wParam) {
          timer->Fire();
          return 0;
        }
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        Close();
        return 0;
      }
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_GETOBJECT:
      if (LRESULT result = accessible_.Answer(hwnd_, wParam, lParam)) return result;
      break;
    case AccessibleControls::kDoDefaultAction:
      accessible_.DoDefaultAction(wParam);
      return 0;
    case WM_DPICHANGED:
      ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    default:
      if (message == kRunCallMessage && lParam) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Form::OnPaint() {
  PaintDc paint(hwnd_);
  RECT client;
  GetClientRect(hwnd_, &client);
  MemorySurface surface(paint.Get(), client.right, client.bottom);
  FillSolid(surface.Dc(), client, color_);
  host_.Paint(surface.Dc(), paint.Dirty());
  const RECT& dirty = paint.Dirty();
  BitBlt(paint.Get(), dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, surface.Dc(),
         dirty.left, dirty.top, SRCCOPY);
}

// The application's record of the focused form decides whether this is a new activation: a modal
// form restores the record before its owner gets the focus back, and another application never
// changes it.
void Form::OnActivateMessage(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    children_.RememberFocus(hwnd_);
    return;
  }
  HWND focus = children_.FocusToRestore();
  SetFocus(focus ? focus : hwnd_);
  Application& app = Application::Instance();
  if (app.ActiveForm() == this) return;
  app.SetActiveForm(this);
  Activate();
}

void Form::Activate() {
  if (OnActivate) OnActivate(*this);
}

bool Form::OnSetCursor(LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT) return false;
  POINT point;
  GetCursorPos(&point);
  ScreenToClient(hwnd_, &point);
  GraphicControl* control = host_.ControlAt(point, false);
  if (!control || !control->Cursor()) return false;
  ::SetCursor(control->Cursor());
  return true;
}

void Form::RunOnOwnThread(const std::function<void()>& call) {
  if (!hwnd_ || GetWindowThreadProcessId(hwnd_, nullptr) == GetCurrentThreadId()) {
    call();
    return;
  }
  SendMessageA(hwnd_, kRunCallMessage, 0, reinterpret_cast<LPARAM>(&call));
}

// The cursor changes at once, not only when the pointer next moves.
void Form::SetBusy(bool busy) {
  busy_ = busy;
  POINT point;
  if (!hwnd_ || !GetCursorPos(&point)) return;
  HWND under = WindowFromPoint(point);
  if (!under || (under != hwnd_ && !IsChild(hwnd_, under))) return;
  const LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
  SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

bool Form::ChildKey(const MSG& msg) {
  if (msg.message == WM_KEYDOWN && ShortcutKey(static_cast<WORD>(msg.wParam), KeyShift())) return true;
  if (msg.message == WM_SYSCHAR) return host_.DialogChar(AccessKeyChar(msg.wParam));
  if (msg.wParam == VK_TAB) return children_.FocusNextTabStop(msg.hwnd, KeyShift().shift);
  if (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)
    return host_.DialogKey(static_cast<WORD>(msg.wParam), KeyShift());
  return false;
}

void Form::AddInfoTip(const GraphicControl& control, const std::string& text) { tips_.Add(hwnd_, control, text); }

Timer& Form::AddTimer(UINT interval, std::function<void()> onTimer) {
  timers_.push_back(std::make_unique<Timer>(hwnd_, nextTimerId_++, interval, std::move(onTimer)));
  return *timers_.back();
}

std::string Form::Caption() const {
  wchar_t text[512] = L"";
  GetWindowTextW(hwnd_, text, static_cast<int>(std::size(text)));
  return FromWide(text);
}

void Form::SetCaption(const std::string& caption) { SetWindowTextW(hwnd_, ToWide(caption).c_str()); }

void Form::SetDesignHeight(int height) {
  designHeight_ = height;
  SetWindowPos(hwnd_, nullptr, 0, 0, Scale(designWidth_, Dpi()), Scale(height, Dpi()),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Place() {
  if (placement_ != Placement::OwnerCentre) return;
  RECT self;
  GetWindowRect(hwnd_, &self);
  int width = self.right - self.left;
  int height = self.bottom - self.top;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner_ && owner_->Handle()) GetWindowRect(owner_->Handle(), &area);
  int x = std::max<int>(0, area.left + (area.right - area.left - width) / 2);
  int y = std::max<int>(0, area.top + (area.bottom - area.top - height) / 2);
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Shown first, activated after: Wine without a window manager treats a window activated by the show
// itself as managed and then waits 2 s for a manager at every hide.
void Form::Show() {
  Place();
  ShowWindow(hwnd_, SW_SHOWNA);
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
  UpdateWindow(hwnd_);
}

void Form::Hide() { ShowWindow(hwnd_, SW_HIDE); }

void Form::Close() {
  if (!CloseQuery()) return;
  if (modal_) {
    if (modalResult_ == 0) SetModalResult(kModalCancel);
    return;
  }
  Hide();
  if (Application::Instance().MainForm() == this) PostQuitMessage(0);
}

void Form::SetModalResult(int result) {
  modalResult_ = result;
  if (modal_) PostMessageA(hwnd_, WM_NULL, 0, 0);  // wakes the modal loop if it is waiting
}

void Form::StartSystemMove() {
  ::ReleaseCapture();
  SendMessageA(hwnd_, WM_SYSCOMMAND, kSystemMove, 0);
}

int Form::ShowModal() {
  Application& app = Application::Instance();
  Form* previousForm = app.ActiveForm();
  HWND previousWindow = GetActiveWindow();
  DisabledWindows disabled(hwnd_);
  modalResult_ = 0;
  modal_ = true;
  Show();
  if (!PumpUntil([this] { return modalResult_ != 0 || !hwnd_; }) || !hwnd_) modalResult_ = kModalCancel;

  // Restore the record and re-enable the owner before the box goes, so the owner takes the focus
  // back as a return, not as a new activation.
  app.SetActiveForm(previousForm);
  disabled.Restore();
  if (GetActiveWindow() == hwnd_ && previousWindow && IsWindow(previousWindow)) SetActiveWindow(previousWindow);
  Hide();
  modal_ = false;
  return modalResult_;
}

}  // namespace kestrun::gui
