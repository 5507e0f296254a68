#include "gui/Form.h"

#include <windowsx.h>

#include <iterator>

#include "base/Text.h"

#include "gui/Application.h"
#include "gui/BufferedPaint.h"
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

Form::Form(const FormLayout& layout, Form* owner, ContrastQuery contrast)
    : owner_(owner),
      contrast_(contrast || !owner ? std::move(contrast) : owner->contrast_),
      color_(layout.color == CLR_INVALID ? ButtonFaceColor() : layout.color),
      placement_(layout.placement, layout.width, layout.height),
      children_(host_, layout.font) {
  RegisterClassOnce();
  host_.SetDpi(SystemDpi());
  host_.SetHighContrast(contrast_ && contrast_());
  const POINT at = placement_.FirstPosition(layout.position, Dpi());
  const SIZE size = placement_.Size(Dpi());
  CreateWindowExW(0, kWideClassName, ToWide(layout.caption).c_str(), WS_POPUP | WS_CLIPCHILDREN, at.x, at.y,
                  size.cx, size.cy, owner ? owner->Handle() : nullptr, nullptr, GetModuleHandleW(nullptr), this);
  // A monitor of another scale than the system's: lay out again where the window really is.
  if (hwnd_ && WindowDpi(hwnd_) != Dpi()) ApplyDpi(WindowDpi(hwnd_), nullptr);
}

void Form::ApplyDpi(int dpi, const RECT* suggested) {
  if (!hwnd_ || dpi <= 0) return;
  host_.SetDpi(dpi);
  children_.ApplyDpi();
  placement_.Resize(hwnd_, dpi, suggested);
  tips_.UpdateRects();
  DpiChanged();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

// New colours are redrawn whatever the setting; the native children keep copies of them and hear of it.
void Form::RefreshContrast(bool redraw) {
  const bool on = contrast_ && contrast_();
  if (on == HighContrast() && !redraw) return;
  host_.SetHighContrast(on);
  children_.ApplyContrast();
  tips_.ApplyContrast();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

Form::~Form() {
  accessible_.Disconnect();
  calls_.StopTimers();
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
    Application::Instance().ShowError(Application::Instance().GetWords().unexpectedError);
  }
  return 0;
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (RouteMouse(message, wParam, lParam) || RouteKey(message, wParam)) return 0;
  if (auto result = calls_.Deliver(message, wParam, lParam)) return *result;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      BufferedPaint paint(hwnd_, HighContrast() ? PairBackground(ColorPair::Window) : color_);
      host_.Paint(paint.Dc(), paint.Dirty());
      return 0;
    }
    case WM_ACTIVATE:
      OnActivateMessage(wParam);
      return 0;
    case WM_SETCURSOR:
      if (cursor_.Answer(hwnd_, lParam)) return TRUE;
      break;
    case WM_NOTIFY:
      if (auto result = children_.Notify(*reinterpret_cast<NMHDR*>(lParam))) return *result;
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != SC_CLOSE) break;
      [[fallthrough]];
    case WM_CLOSE:
      Close();
      return 0;
    case WM_GETOBJECT:
      if (LRESULT result = accessible_.Answer(hwnd_, wParam, lParam)) return result;
      break;
    case AccessibleControls::kDoDefaultAction:
      accessible_.DoDefaultAction(wParam);
      return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      RefreshContrast(message == WM_SYSCOLORCHANGE);
      break;
    case WM_DPICHANGED:
      ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// The pointer's messages go to the windowless controls, and first to the info tips.
bool Form::RouteMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
      message == WM_RBUTTONDOWN || message == WM_RBUTTONUP)
    tips_.Relay(message, wParam, lParam);
  const POINT at = MousePoint(lParam);
  switch (message) {
    case WM_MOUSEMOVE:
      host_.MouseMove(at, MouseShift(wParam));
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      host_.ButtonDown(MouseButton::Left, at, MouseShift(wParam), message == WM_LBUTTONDBLCLK);
      return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      host_.ButtonDown(MouseButton::Right, at, MouseShift(wParam), false);
      return true;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      host_.ButtonDown(MouseButton::Middle, at, MouseShift(wParam), false);
      return true;
    case WM_LBUTTONUP:
      host_.ButtonUp(MouseButton::Left, at, MouseShift(wParam));
      return true;
    case WM_RBUTTONUP:
      host_.ButtonUp(MouseButton::Right, at, MouseShift(wParam));
      return true;
    case WM_MBUTTONUP:
      host_.ButtonUp(MouseButton::Middle, at, MouseShift(wParam));
      return true;
    case WM_MOUSELEAVE:
      host_.MouseLeft();
      return true;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd_) host_.CaptureChanged();
      return true;
    default:
      return false;
  }
}

// Keys on the form itself: its shortcuts first, then the default and cancel buttons, Tab into the
// edits, and access keys. True when taken.
bool Form::RouteKey(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (ShortcutKey(static_cast<WORD>(wParam), KeyShift())) return true;
      if ((wParam == VK_RETURN || wParam == VK_ESCAPE) && host_.DialogKey(static_cast<WORD>(wParam), KeyShift()))
        return true;
      return wParam == VK_TAB && children_.FocusNextTabStop(nullptr, KeyShift().shift);
    case WM_CHAR:
      host_.DialogChar(AccessKeyChar(wParam));
      return true;
    case WM_SYSCHAR:
      return host_.DialogChar(AccessKeyChar(wParam));
    default:
      return false;
  }
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
  if (onActivate_) onActivate_(*this);
}

bool Form::ChildKey(const MSG& msg) {
  if (msg.message == WM_KEYDOWN && ShortcutKey(static_cast<WORD>(msg.wParam), KeyShift())) return true;
  if (msg.message == WM_SYSCHAR) return host_.DialogChar(AccessKeyChar(msg.wParam));
  if (msg.wParam == VK_TAB) return children_.FocusNextTabStop(msg.hwnd, KeyShift().shift);
  if (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)
    return host_.DialogKey(static_cast<WORD>(msg.wParam), KeyShift());
  return false;
}

std::string Form::Caption() const {
  wchar_t text[512] = L"";
  GetWindowTextW(hwnd_, text, static_cast<int>(std::size(text)));
  return FromWide(text);
}

void Form::SetCaption(const std::string& caption) { SetWindowTextW(hwnd_, ToWide(caption).c_str()); }

// Shown first, activated after: Wine without a window manager treats a window activated by the show
// itself as managed and then waits 2 s for a manager at every hide.
void Form::Show() {
  placement_.PlaceForShow(hwnd_, owner_ ? owner_->Handle() : nullptr);
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
