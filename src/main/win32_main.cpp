// The Windows program: the application on the real backend, driven by the system's message loop.

#include <exception>
#include <filesystem>
#include <string>

#include "analyzer/analyzer_window.h"
#include "app/app.h"
#include "platform/win32/code_page.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_header.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    yz::Win32Platform platform;
    // The program's files live in its working directory.
    yz::App app(platform, std::filesystem::current_path());
    yz::AnalyzerWindow analyzer(app);  // Form5, opened from the settings dialog
    app.start();
    platform.runMessageLoop();
    return 0;
  } catch (const std::exception& e) {
    const std::u16string text = yz::win32::decode(yz::win32::kUtf8CodePage, e.what());
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.c_str()), L"Vexim2",
                MB_OK | MB_ICONERROR);
    return 1;
  }
}
