// read_text: prints the text of Wine's (or Windows') notepad, UTF-8, to standard output, read
// with WM_GETTEXT from its edit control. Exit status 2 when no notepad is open, 3 when it has no
// edit control. `read_text caret` prints the notepad's caret instead: left, top and bottom in
// screen pixels (exit status 5 when it shows none).

#include <cstdio>
#include <string>

#include "platform/win32/code_page.h"
#include "platform/win32/windows_header.h"

namespace {

void print(const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

int printCaret(HWND notepad) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(notepad, nullptr), &info) || !info.hwndCaret) return 5;
  POINT topLeft{info.rcCaret.left, info.rcCaret.top};
  POINT bottom{info.rcCaret.left, info.rcCaret.bottom};
  ClientToScreen(info.hwndCaret, &topLeft);
  ClientToScreen(info.hwndCaret, &bottom);
  print(std::to_string(topLeft.x) + " " + std::to_string(topLeft.y) + " " + std::to_string(bottom.y) + "\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  HWND notepad = FindWindowW(L"Notepad", nullptr);
  if (!notepad) return 2;
  if (argc > 1 && std::string(argv[1]) == "caret") return printCaret(notepad);
  HWND edit = FindWindowExW(notepad, nullptr, L"Edit", nullptr);
  if (!edit) return 3;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return 4;
  }
  std::wstring buffer(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(edit, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, 5000, &copied)) {
    return 4;
  }
  const std::u16string text(reinterpret_cast<const char16_t*>(buffer.data()), copied);
  print(yz::win32::encode(yz::win32::kUtf8CodePage, text));
  return 0;
}
