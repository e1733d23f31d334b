// Forms realised as real top-level windows drawn with GDI, text measurement, the screen capture
// and the accessible caret.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/code_page.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_header.h"
// After windows.h:
#include <commctrl.h>
#include <oleacc.h>

namespace yz {
namespace {

constexpr wchar_t kFormClass[] = L"YzForm";

const wchar_t* wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

HFONT createFont(const FontSpec& font, HDC dc) {
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  const int height = -MulDiv(static_cast<int>(font.size * 10 + 0.5), dpi > 0 ? dpi : 96, 720);
  return CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, font.underline,
                     font.strikeOut,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH, wide(font.name));
}

// A colour with the top bit set names a system colour by the index in its low byte.
COLORREF resolve(Colour colour) {
  return (colour & 0x80000000u) ? GetSysColor(static_cast<int>(colour & 0xFFu)) : colour;
}

FormEvent eventOf(FormEventKind kind) {
  FormEvent e;
  e.kind = kind;
  return e;
}

// The text of a text box after one typed character, as an edit control takes it: Backspace
// removes the last character (a line break whole), Enter breaks the line of a multi-line box,
// other control characters change nothing.
std::u16string typedInto(std::u16string text, char16_t ch, bool multiLine) {
  if (ch == u'\b') {
    if (text.size() >= 2 && text.ends_with(u"\r\n")) {
      text.resize(text.size() - 2);
    } else if (!text.empty()) {
      text.pop_back();
    }
  } else if (ch == u'\r') {
    if (multiLine) text += u"\r\n";
  } else if (ch >= u' ') {
    text.push_back(ch);
  }
  return text;
}

class Win32Form final : public NativeForm {
 public:
  Win32Form(Win32Platform& platform, FormEventHandler onEvent)
      : platform_(platform), onEvent_(std::move(onEvent)), twips_(platform.twipsPerPixel()) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);  // the second form finds it registered
    hwnd_ = CreateWindowExW(0, kFormClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                            this);
    if (!hwnd_) throw PlatformError("cannot create a form: " + win32::errorText(GetLastError()));
  }

  ~Win32Form() override {
    for (auto& e : edits_) {
      SetWindowLongPtrW(e->hwnd, GWLP_USERDATA, 0);
      SetWindowLongPtrW(e->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(e->oldProc));
    }
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    if (tipWindow_) DestroyWindow(tipWindow_);
    DestroyWindow(hwnd_);
    for (auto& e : edits_) {
      if (e->font) DeleteObject(e->font);
      if (e->brush) DeleteObject(e->brush);
    }
  }

  void show(const FormView& view) override {
    const bool wasVisible = IsWindowVisible(hwnd_);
    const bool wasTopMost = view_.topMost;
    view_ = view;
    SetWindowTextW(hwnd_, wide(view.title));
    // The visible bit stays as it is: cleared here, the window would count as hidden while it is
    // still on the screen, and the hide below would do nothing.
    const DWORD shown = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)) & WS_VISIBLE;
    const DWORD style = shown | WS_CLIPCHILDREN | (view.title.empty()
                                     ? WS_POPUP
                                     : WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    DWORD exStyle = 0;
    if (view.topMost) exStyle |= WS_EX_TOPMOST;
    if (view.noActivate) exStyle |= WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
    SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(style));
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
    UINT flags = SWP_NOACTIVATE | SWP_FRAMECHANGED;
    flags |= view.visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    // A window that takes the focus keeps its place in the stack while it stays shown: drawn
    // again, the settings dialog must not cover the preview shown over it.
    if (!view.noActivate && wasVisible && view.visible && view.topMost == wasTopMost) {
      flags |= SWP_NOZORDER;
    }
    SetWindowPos(hwnd_, view.topMost ? HWND_TOPMOST : HWND_NOTOPMOST, view.bounds.left / twips_,
                 view.bounds.top / twips_, view.bounds.width() / twips_,
                 view.bounds.height() / twips_, flags);
    EnableWindow(hwnd_, view.enabled);
    syncEdits();
    syncToolTips();
    if (view.visible && !wasVisible && !view.noActivate) SetForegroundWindow(hwnd_);
    InvalidateRect(hwnd_, nullptr, TRUE);
    // Drawn at once: the start window must be seen while the load holds the GUI thread.
    if (view.visible) UpdateWindow(hwnd_);
  }

  WindowId id() const override {
    return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(hwnd_));
  }

  void focusControl(std::u16string_view control) override {
    focusedBox_ = control;
    SetForegroundWindow(hwnd_);
    SetFocus(hwnd_);
  }

 private:
  // A text box the user edits: a real edit control over the painted form, which reports its text
  // and caret back as a Change event.
  struct EditBox {
    Win32Form* form = nullptr;
    std::u16string name;
    HWND hwnd = nullptr;
    WNDPROC oldProc = nullptr;
    HFONT font = nullptr;
    FontSpec fontSpec;
    HBRUSH brush = nullptr;
    Colour back = 0, fore = 0;
    std::u16string text;  // what the engine and the control last agreed on
    int caret = -1;
  };

  EditBox& editFor(const std::u16string& name) {
    for (auto& e : edits_) {
      if (e->name == name) return *e;
    }
    auto e = std::make_unique<EditBox>();
    e->form = this;
    e->name = name;
    e->hwnd = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0, 0, hwnd_, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!e->hwnd) throw PlatformError("cannot create an edit box: " + win32::errorText(GetLastError()));
    SetWindowLongPtrW(e->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(e.get()));
    e->oldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(e->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc)));
    edits_.push_back(std::move(e));
    return *edits_.back();
  }

  static std::u16string textOf(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring w(static_cast<std::size_t>(length) + 1, L'\0');
    w.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, w.data(), length + 1)));
    return std::u16string(w.begin(), w.end());
  }

  static int caretOf(HWND hwnd) {
    DWORD start = 0, end = 0;
    SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end);
  }

  // Puts the engine's text, caret, place, font and colours into the edit boxes of the view.
  void syncEdits() {
    for (const ControlView& c : view_.controls) {
      if (c.kind != ControlKind::TextBox || c.caret < 0) continue;
      EditBox& e = editFor(c.name);
      if (!e.font || !(e.fontSpec == c.font)) {
        HDC dc = GetDC(e.hwnd);
        HFONT font = createFont(c.font, dc);
        ReleaseDC(e.hwnd, dc);
        SendMessageW(e.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (e.font) DeleteObject(e.font);
        e.font = font;
        e.fontSpec = c.font;
      }
      if (!e.brush || e.back != c.backColour) {
        if (e.brush) DeleteObject(e.brush);
        e.brush = CreateSolidBrush(resolve(c.backColour));
        e.back = c.backColour;
      }
      e.fore = c.foreColour;
      const RECT r = pixels(c.bounds);
      MoveWindow(e.hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
      syncing_ = true;
      if (textOf(e.hwnd) != c.text) {
        const std::wstring w(c.text.begin(), c.text.end());
        SetWindowTextW(e.hwnd, w.c_str());
      }
      if (caretOf(e.hwnd) != c.caret) SendMessageW(e.hwnd, EM_SETSEL, c.caret, c.caret);
      syncing_ = false;
      e.text = c.text;
      e.caret = c.caret;
      ShowWindow(e.hwnd, c.visible && view_.visible ? SW_SHOWNA : SW_HIDE);
      InvalidateRect(e.hwnd, nullptr, TRUE);
    }
  }

  // One tool of the form's tool-tip window for each control with a tip, over the control's place.
  void syncToolTips() {
    std::vector<std::pair<RECT, std::u16string>> wanted;
    for (const ControlView& c : view_.controls) {
      if (c.visible && !c.toolTip.empty()) wanted.emplace_back(pixels(c.bounds), c.toolTip);
    }
    const bool same = std::equal(wanted.begin(), wanted.end(), tips_.begin(), tips_.end(),
                                 [](const auto& a, const auto& b) {
                                   return EqualRect(&a.first, &b.first) && a.second == b.second;
                                 });
    if (same) return;
    if (!tipWindow_ && !wanted.empty()) {
      INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
      InitCommonControlsEx(&init);
      tipWindow_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
      if (!tipWindow_) return;  // no tips: the controls work without them
    }
    if (!tipWindow_) return;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = hwnd_;
    for (std::size_t i = 0; i < tips_.size(); ++i) {
      tool.uId = i + 1;
      SendMessageW(tipWindow_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    tips_ = std::move(wanted);
    for (std::size_t i = 0; i < tips_.size(); ++i) {
      tool.uFlags = TTF_SUBCLASS;
      tool.uId = i + 1;
      tool.rect = tips_[i].first;
      tool.lpszText = const_cast<wchar_t*>(wide(tips_[i].second));
      SendMessageW(tipWindow_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }

  // The user typed into an edit box or moved its caret: the engine hears of it.
  void reportEdit(EditBox& e) {
    if (syncing_) return;
    const std::u16string text = textOf(e.hwnd);
    const int caret = caretOf(e.hwnd);
    if (text == e.text && caret == e.caret) return;
    e.text = text;
    e.caret = caret;
    FormEvent change = eventOf(FormEventKind::Change);
    change.control = e.name;
    change.text = text;
    change.value = caret;
    emit(change);
  }

  static LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* e = reinterpret_cast<EditBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!e) return DefWindowProcW(hwnd, msg, wParam, lParam);
    const WNDPROC proc = e->oldProc;
    if (msg == WM_MOUSEACTIVATE) return MA_ACTIVATE;
    if (msg == WM_LBUTTONDOWN) {
      // The window is shown without the focus; a click into the box takes it, as a box's does.
      SetForegroundWindow(e->form->hwnd_);
      SetFocus(hwnd);
    }
    const LRESULT result = CallWindowProcW(proc, hwnd, msg, wParam, lParam);
    switch (msg) {
      case WM_CHAR:
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_PASTE:
      case WM_CUT:
      case WM_CLEAR:
      case WM_UNDO:
        // The handler may show the window again and so reach this box: the box is looked up anew.
        if (auto* still = reinterpret_cast<EditBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
          still->form->reportEdit(*still);
        }
        break;
      case WM_MOUSEMOVE:
        if (wParam & MK_LBUTTON) e->form->reportEdit(*e);
        break;
    }
    return result;
  }

  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      static_cast<Win32Form*>(create->lpCreateParams)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->handle(msg, wParam, lParam);
  }

  LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    const Point pixel{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (msg) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        paint(dc);
        EndPaint(hwnd_, &ps);
        return 0;
      }
      case WM_ERASEBKGND:
        return 1;
      case WM_CTLCOLOREDIT:
        for (auto& e : edits_) {
          if (reinterpret_cast<HWND>(lParam) != e->hwnd) continue;
          HDC dc = reinterpret_cast<HDC>(wParam);
          SetTextColor(dc, resolve(e->fore));
          SetBkColor(dc, resolve(e->back));
          return reinterpret_cast<LRESULT>(e->brush);
        }
        break;
      case WM_MOUSEACTIVATE:
        if (view_.noActivate && !view_.clickActivates) return MA_NOACTIVATE;
        if (view_.noActivate) {
          // Shown without the focus, it takes it when clicked.
          SetForegroundWindow(hwnd_);
          return MA_ACTIVATE;
        }
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN: {
        // The pressed control keeps the mouse until the buttons are up, as a control does: a
        // drag that outruns the window still reaches it.
        const ControlView* c = hit(pixel);
        pressed_ = c ? c->name : std::u16string();
        SetCapture(hwnd_);
        mouse(FormEventKind::MouseDown, pixel, msg == WM_LBUTTONDOWN ? 1 : 2);
        return 0;
      }
      case WM_MOUSEMOVE:
        mouse(FormEventKind::MouseMove, pixel,
              ((wParam & MK_LBUTTON) ? 1 : 0) | ((wParam & MK_RBUTTON) ? 2 : 0));
        return 0;
      case WM_RBUTTONUP:
        mouse(FormEventKind::MouseUp, pixel, 2);
        if (!(wParam & MK_LBUTTON)) release();
        return 0;
      case WM_LBUTTONUP: {
        mouse(FormEventKind::MouseUp, pixel, 1);
        FormEvent click = eventOf(FormEventKind::Click);
        const ControlView* c = hit(pixel);
        if (c && (pressed_.empty() || c->name == pressed_)) {
          click.control = c->name;
          if (c->kind == ControlKind::TextBox) focusedBox_ = c->name;
          if (c->kind == ControlKind::CheckBox) click.value = c->value ? 0 : 1;
          if (c->kind == ControlKind::OptionButton) click.value = -1;
        }
        if (!(wParam & MK_RBUTTON)) release();
        emit(click);
        return 0;
      }
      case WM_CAPTURECHANGED:
        pressed_.clear();
        break;
      case WM_LBUTTONDBLCLK: {
        FormEvent e = eventOf(FormEventKind::DoubleClick);
        if (const ControlView* c = hit(pixel)) e.control = c->name;
        emit(e);
        return 0;
      }
      case WM_CHAR: {
        // Into the text box that has the focus: KeyPress, then Change with the box's new text.
        // The new text is the one before the key with the character typed: a handler of KeyPress
        // that typed it itself gets the same text again.
        const char16_t ch = static_cast<char16_t>(wParam);
        const ControlView* box = focusedTextBox();
        const std::u16string before = box ? box->text : std::u16string();
        const bool multiLine = box && box->multiLine;
        FormEvent e = eventOf(FormEventKind::KeyPress);
        e.control = focusedBox_;
        e.text.push_back(ch);
        emit(e);
        if (box) {
          FormEvent change = eventOf(FormEventKind::Change);
          change.control = e.control;
          change.text = typedInto(before, ch, multiLine);
          if (change.text != before) emit(change);
        }
        return 0;
      }
      case WM_CLOSE:
        // The engine decides whether the form goes.
        emit(eventOf(FormEventKind::Close));
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
  }

  RECT pixels(const Rect& twips) const {
    return RECT{twips.left / twips_, twips.top / twips_, twips.right / twips_,
                twips.bottom / twips_};
  }

  const ControlView* hit(Point pixel) const {
    for (auto it = view_.controls.rbegin(); it != view_.controls.rend(); ++it) {
      if (!it->visible) continue;
      const RECT r = pixels(it->bounds);
      if (pixel.x >= r.left && pixel.x < r.right && pixel.y >= r.top && pixel.y < r.bottom) {
        return &*it;
      }
    }
    return nullptr;
  }

  const ControlView* focusedTextBox() const {
    if (focusedBox_.empty()) return nullptr;
    for (const auto& c : view_.controls) {
      if (c.name == focusedBox_ && c.kind == ControlKind::TextBox && c.visible) return &c;
    }
    return nullptr;
  }

  void release() {
    if (GetCapture() == hwnd_) ReleaseCapture();
    pressed_.clear();
  }

  void mouse(FormEventKind kind, Point pixel, int button) {
    FormEvent e = eventOf(kind);
    if (!pressed_.empty()) {
      e.control = pressed_;
    } else if (const ControlView* c = hit(pixel)) {
      e.control = c->name;
    }
    e.point = Point{pixel.x * twips_, pixel.y * twips_};
    e.button = button;
    emit(e);
  }

  void emit(const FormEvent& e) {
    if (onEvent_) platform_.runHandler([&] { onEvent_(e); });
  }

  static void fill(HDC dc, const RECT& r, Colour colour) {
    HBRUSH brush = CreateSolidBrush(resolve(colour));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }

  void paint(HDC target) {
    RECT client;
    GetClientRect(hwnd_, &client);
    // Drawn off screen first, so a changing candidate list does not flicker.
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1),
                                            std::max<LONG>(client.bottom, 1));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    fill(dc, client, view_.backColour);
    SetBkMode(dc, TRANSPARENT);
    for (const auto& c : view_.controls) {
      if (c.visible) paintControl(dc, c);
    }
    if (view_.border) {
      // A thin mid-grey line: it shows on a white and on a dark background alike.
      HBRUSH edge = CreateSolidBrush(RGB(128, 128, 128));
      FrameRect(dc, &client, edge);
      DeleteObject(edge);
    }
    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }

  void paintControl(HDC dc, const ControlView& c) {
    RECT r = pixels(c.bounds);
    HFONT font = createFont(c.font, dc);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, resolve(c.foreColour));
    const std::wstring text(c.text.begin(), c.text.end());
    const int length = static_cast<int>(text.size());
    switch (c.kind) {
      case ControlKind::Label:
      case ControlKind::TextBox: {
        fill(dc, r, c.backColour);
        if (c.borderStyle != 0) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        const bool wrap = c.kind == ControlKind::Label || c.multiLine;
        RECT inner = r;
        if (c.kind == ControlKind::TextBox) InflateRect(&inner, -1, -1);
        DrawTextW(dc, text.c_str(), length, &inner,
                  DT_NOPREFIX | (c.alignment == 2 ? DT_CENTER : 0) |
                      (wrap ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER));
        break;
      }
      case ControlKind::Frame: {
        SIZE extent{};
        GetTextExtentPoint32W(dc, L"国", 1, &extent);
        RECT edge = r;
        edge.top += extent.cy / 2;
        DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
        RECT caption{r.left + 8, r.top, r.right - 8, r.top + extent.cy};
        if (length > 0) {
          SIZE textSize{};
          GetTextExtentPoint32W(dc, text.c_str(), length, &textSize);
          caption.right = std::min<LONG>(caption.right, caption.left + textSize.cx + 4);
          fill(dc, caption, c.backColour);
          DrawTextW(dc, text.c_str(), length, &caption, DT_NOPREFIX | DT_SINGLELINE | DT_CENTER);
        }
        break;
      }
      case ControlKind::Button:
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
        DrawTextW(dc, text.c_str(), length, &r,
                  DT_NOPREFIX | DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        break;
      case ControlKind::CheckBox:
      case ControlKind::OptionButton: {
        fill(dc, r, c.backColour);
        const int box = 13;
        const int top = r.top + (r.bottom - r.top - box) / 2;
        RECT mark{r.left, top, r.left + box, top + box};
        UINT state = c.kind == ControlKind::CheckBox ? DFCS_BUTTONCHECK : DFCS_BUTTONRADIO;
        if (c.value != 0) state |= DFCS_CHECKED;
        DrawFrameControl(dc, &mark, DFC_BUTTON, state);
        RECT label{r.left + box + 4, r.top, r.right, r.bottom};
        DrawTextW(dc, text.c_str(), length, &label, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
        break;
      }
      case ControlKind::PictureBox:
        fill(dc, r, c.backColour);
        if (c.borderStyle != 0) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
        if (length > 0) {
          DrawTextW(dc, text.c_str(), length, &r,
                    DT_NOPREFIX | DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        }
        break;
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
  }

  Win32Platform& platform_;
  FormEventHandler onEvent_;
  int twips_;
  HWND hwnd_ = nullptr;
  FormView view_;
  std::u16string pressed_;  // the control that holds the mouse while a button is down
  std::u16string focusedBox_;  // the text box typed characters go into; empty: none
  std::vector<std::unique_ptr<EditBox>> edits_;
  HWND tipWindow_ = nullptr;  // the form's tool-tip window, made with the first tip
  std::vector<std::pair<RECT, std::u16string>> tips_;  // each tool's place and text
  bool syncing_ = false;  // the engine's text is being put into an edit box
};

}  // namespace

std::unique_ptr<NativeForm> Win32Platform::createForm(FormEventHandler onEvent) {
  return std::make_unique<Win32Form>(*this, std::move(onEvent));
}

Point Win32Platform::measureText(const FontSpec& font, std::u16string_view text) const {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HFONT handle = createFont(font, dc);
  HGDIOBJ old = SelectObject(dc, handle);
  SIZE size{};
  const std::wstring w(text.begin(), text.end());
  if (w.empty()) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    size.cy = metrics.tmHeight;
  } else {
    GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
  }
  SelectObject(dc, old);
  DeleteObject(handle);
  DeleteDC(dc);
  const int twips = twipsPerPixel();
  return Point{size.cx * twips, size.cy * twips};
}

std::vector<std::uint32_t> Win32Platform::captureScreen(const Rect& area) {
  const int width = area.width(), height = area.height();
  if (width <= 0 || height <= 0) return {};
  HDC screen = GetDC(nullptr);
  if (!screen) throw PlatformError("cannot reach the screen: " + win32::errorText(GetLastError()));
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const bool copied = BitBlt(dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(dc, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  const int rows = copied ? GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                      &info, DIB_RGB_COLORS)
                          : 0;
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  if (rows != height) throw PlatformError("the screen capture failed");
  return pixels;
}

std::optional<Rect> Win32Platform::accessibleCaretRect(WindowId window) const {
  HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
  IAccessible* accessible = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CARET), IID_IAccessible,
                                        reinterpret_cast<void**>(&accessible))) ||
      !accessible) {
    return std::nullopt;
  }
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  long left = 0, top = 0, width = 0, height = 0;
  const HRESULT hr = accessible->accLocation(&left, &top, &width, &height, self);
  accessible->Release();
  if (FAILED(hr) || (width == 0 && height == 0 && left == 0 && top == 0)) return std::nullopt;
  return Rect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
              static_cast<int>(top + height)};
}

}  // namespace yz
