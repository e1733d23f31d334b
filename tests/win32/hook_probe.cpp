// hook_probe: a stand-in for the program in the end-to-end test of the win32 backend. It installs
// the keyboard hook through Win32Platform; the Q key is withheld and, instead of it, a Chinese text
// is posted through the backend to the focused window of the foreground program. Keys A to P pass
// to the target, every other key goes to the next hook.
//
//   hook_probe.exe [seconds]   ends by itself after that many seconds (default 120)

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/code_page.h"
#include "platform/win32/win32_platform.h"

namespace {

constexpr int kTriggerKey = 'Q';
constexpr char16_t kText[] = u"砚舟你好";

std::string utf8(const std::u16string& text) {
  return yz::win32::encode(yz::win32::kUtf8CodePage, text);
}

void say(const std::string& line) {
  std::printf("hook_probe: %s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 120;
  yz::Win32Platform platform;
  const bool installed = platform.installKeyboardHook([&](const yz::KeyEvent& key) {
    if (key.vkCode == kTriggerKey) {
      if (key.down) {
        const yz::WindowId foreground = platform.foregroundWindow();
        yz::WindowId target = platform.focusedWindow(foreground);
        if (target == 0) target = foreground;
        const std::u16string text(kText);
        for (char16_t c : text) platform.postChar(target, c);
        say("posted " + utf8(text) + " to a " + utf8(platform.windowClassName(target)) +
            " window of " + utf8(platform.windowText(foreground)));
      }
      return yz::HookAnswer::Withhold;
    }
    if (key.vkCode >= 'A' && key.vkCode < kTriggerKey) return yz::HookAnswer::Pass;
    return yz::HookAnswer::CallNext;
  });
  if (!installed) {
    say("the keyboard hook was refused");
    return 1;
  }
  const auto stop = platform.createTimer([&] { platform.quit(); });
  platform.setTimer(stop, seconds * 1000, true);
  say("ready");
  platform.runMessageLoop();
  platform.removeKeyboardHook();
  say("done");
  return 0;
}
