// Message box, input box, and the colour and font dialogs of the win32 backend.

#include <algorithm>
#include <string>

#include "platform/win32/code_page.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_header.h"
// After windows.h:
#include <commdlg.h>

namespace yz {
namespace {

const wchar_t* wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

constexpr wchar_t kInputBoxClass[] = L"YzInputBox";
constexpr int kEditId = 100;

struct InputBoxState {
  HWND edit = nullptr;
  bool done = false;
  bool accepted = false;
  std::u16string text;
};

LRESULT CALLBACK inputBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_COMMAND:
      if (state && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        state->accepted = LOWORD(wParam) == IDOK;
        if (state->accepted) {
          const int length = GetWindowTextLengthW(state->edit);
          std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
          const int n = GetWindowTextW(state->edit, buffer.data(), length + 1);
          state->text.assign(reinterpret_cast<const char16_t*>(buffer.data()),
                             static_cast<std::size_t>(std::max(n, 0)));
        }
        state->done = true;
        return 0;
      }
      break;
    case WM_CLOSE:
      if (state) state->done = true;
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

MessageBoxAnswer Win32Platform::messageBox(std::u16string_view text, std::u16string_view title,
                                           MessageBoxKind kind) {
  const std::u16string t(text), caption(title);
  UINT type = MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST;
  switch (kind) {
    case MessageBoxKind::Ok: type |= MB_OK; break;
    case MessageBoxKind::OkCancel: type |= MB_OKCANCEL; break;
    case MessageBoxKind::YesNo: type |= MB_YESNO; break;
  }
  const int answer = MessageBoxW(nullptr, wide(t), wide(caption), type);
  switch (answer) {
    case IDOK: return MessageBoxAnswer::Ok;
    case IDYES: return MessageBoxAnswer::Yes;
    case IDNO: return MessageBoxAnswer::No;
    case IDCANCEL: return MessageBoxAnswer::Cancel;
  }
  throw PlatformError("MessageBox: " + win32::errorText(GetLastError()));
}

std::optional<std::u16string> Win32Platform::inputBox(std::u16string_view prompt,
                                                       std::u16string_view title,
                                                       std::u16string_view defaultText) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = inputBoxProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kInputBoxClass;
  RegisterClassExW(&wc);  // already registered by an earlier box: harmless

  const int width = 400, height = 170;
  const Rect screen = screenRect();
  const std::u16string caption(title), promptText(prompt), initial(defaultText);
  HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kInputBoxClass, wide(caption),
                             WS_POPUP | WS_CAPTION | WS_SYSMENU, (screen.width() - width) / 2,
                             (screen.height() - height) / 2, width, height, nullptr, nullptr,
                             instance, nullptr);
  if (!box) throw PlatformError("cannot create the input box: " + win32::errorText(GetLastError()));
  InputBoxState state;
  SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                   int h, int id) {
    HWND c = CreateWindowExW(cls == std::wstring_view(L"EDIT") ? WS_EX_CLIENTEDGE : 0, cls, text,
                             WS_CHILD | WS_VISIBLE | style, x, y, w, h, box,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return c;
  };
  child(L"STATIC", wide(promptText), 0, 10, 10, 280, 80, -1);
  child(L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 300, 10, 80, 26, IDOK);
  child(L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 300, 42, 80, 26, IDCANCEL);
  state.edit = child(L"EDIT", wide(initial), WS_TABSTOP | ES_AUTOHSCROLL, 10, 100, 370, 24, kEditId);
  ShowWindow(box, SW_SHOW);
  SetForegroundWindow(box);
  SetFocus(state.edit);
  SendMessageW(state.edit, EM_SETSEL, 0, -1);

  // A modal loop of its own; the hook and the timers keep running inside it.
  MSG msg;
  bool quitSeen = false;
  while (!state.done) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quitSeen = got == 0;
      break;
    }
    if (!IsDialogMessageW(box, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  SetWindowLongPtrW(box, GWLP_USERDATA, 0);
  DestroyWindow(box);
  if (quitSeen) PostQuitMessage(0);
  rethrowPending();  // what a handler threw while the box was open
  if (!state.accepted) return std::nullopt;
  return state.text;
}

std::optional<Colour> Win32Platform::chooseColour(Colour initial) {
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = GetActiveWindow();
  cc.rgbResult = initial & 0x00FFFFFFu;
  cc.lpCustColors = customColours_;
  cc.Flags = (initial & 0x80000000u) ? 0 : CC_RGBINIT;
  if (!ChooseColorW(&cc)) return std::nullopt;
  return static_cast<Colour>(cc.rgbResult & 0x00FFFFFFu);
}

std::optional<FontChoice> Win32Platform::chooseFont(const FontSpec& initial) {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(static_cast<int>(initial.size * 10 + 0.5), dpi > 0 ? dpi : 96, 720);
  lf.lfWeight = initial.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = initial.italic;
  lf.lfUnderline = initial.underline;
  lf.lfStrikeOut = initial.strikeOut;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfPitchAndFamily = FF_ROMAN;
  const std::size_t n = std::min<std::size_t>(initial.name.size(), LF_FACESIZE - 1);
  std::copy_n(initial.name.begin(), n, lf.lfFaceName);
  lf.lfFaceName[n] = L'\0';
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof cf;
  cf.lpLogFont = &lf;
  cf.iPointSize = static_cast<INT>(initial.size * 10 + 0.5);
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_LIMITSIZE |
             CF_FORCEFONTEXIST;
  cf.rgbColors = 0;
  cf.nSizeMin = 10;
  cf.nSizeMax = 72;
  if (!ChooseFontW(&cf)) return std::nullopt;
  FontChoice chosen;
  chosen.font.name = reinterpret_cast<const char16_t*>(lf.lfFaceName);
  chosen.font.size = cf.iPointSize / 10.0;
  chosen.font.bold = lf.lfWeight >= FW_BOLD;
  chosen.font.italic = lf.lfItalic != 0;
  chosen.font.underline = lf.lfUnderline != 0;
  chosen.font.strikeOut = lf.lfStrikeOut != 0;
  chosen.colour = static_cast<Colour>(cf.rgbColors & 0x00FFFFFFu);
  return chosen;
}

}  // namespace yz
