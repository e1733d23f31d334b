#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "lexicon/quicksort.h"
#include "platform/sim/sim_platform.h"
#include "../support/test_folder.h"

namespace yz {
namespace {

TEST(SimPlatform, KeysReachTheHookBeforeTheTargetWindow) {
  SimPlatform sim;
  SimWindow& note = sim.addWindow(u"记事本");
  std::vector<int> seen;
  sim.installKeyboardHook([&](const KeyEvent& e) {
    if (e.down) seen.push_back(e.vkCode);
    return e.vkCode == 'X' ? HookAnswer::Withhold : HookAnswer::CallNext;
  });
  sim.typeKeys(u"axb space C backspace");
  sim.doEvents();
  EXPECT_EQ(seen, (std::vector<int>{'A', 'X', 'B', 32, 160, 'C', 8}));
  EXPECT_EQ(note.text, u"ab ");  // x withheld; C typed and erased
  sim.removeKeyboardHook();
  sim.typeKeys(u"x");
  sim.doEvents();
  EXPECT_EQ(note.text, u"ab x");
}

// A key's state keeps a press until the next query of that key, as GetAsyncKeyState does.
TEST(SimPlatform, AsyncKeyStateKeepsAPressUntilTheNextQuery) {
  SimPlatform sim;
  sim.installKeyboardHook([](const KeyEvent&) { return HookAnswer::CallNext; });
  constexpr int kF7 = 0x76;
  EXPECT_EQ(sim.asyncKeyState(kF7), kKeyStateUp);
  sim.queueKey(kF7, false);
  sim.doEvents();
  EXPECT_EQ(sim.asyncKeyState(kF7), kKeyStateNewlyPressed);
  EXPECT_EQ(sim.asyncKeyState(kF7), kKeyStateHeld);
  sim.queueKey(kF7, true);
  sim.doEvents();
  EXPECT_EQ(sim.asyncKeyState(kF7), kKeyStateUp);
  sim.typeKeys(u"lshift");  // pressed and released between two queries; Shift stands for either
  sim.doEvents();
  EXPECT_EQ(sim.asyncKeyState(16), kKeyStateReleasedAfterPress);
  EXPECT_EQ(sim.asyncKeyState(160), kKeyStateUp);

  sim.setLeftButton(true);
  sim.setLeftButton(false);
  EXPECT_EQ(sim.asyncKeyState(1), kKeyStateReleasedAfterPress);
  EXPECT_EQ(sim.asyncKeyState(1), kKeyStateUp);
  EXPECT_EQ(sim.hookCalls, 4) << "the mouse button never reaches the keyboard hook";
}

// A held key goes down once, repeats after the keyboard's delay and then at its rate, and comes
// up where the next repeat would come.
TEST(SimPlatform, AHeldKeyRepeatsOnTheClockAsAKeyboardDoes) {
  SimPlatform sim;
  sim.addWindow(u"记事本");
  std::vector<std::pair<std::uint32_t, bool>> seen;  // clock and down of each K event
  sim.installKeyboardHook([&](const KeyEvent& e) {
    if (e.vkCode == 'K') seen.emplace_back(sim.clockMs(), e.down);
    return HookAnswer::CallNext;
  });
  sim.setClock(1000);
  sim.typeKeys(u"hold+k");
  sim.advance(1000);
  const std::vector<std::pair<std::uint32_t, bool>> expected = {
      {1000, true}, {1500, true}, {1533, true}, {1566, false}};
  EXPECT_EQ(seen, expected);
}

TEST(SimPlatform, TimersFireInsideThePumpAsTheClockPasses) {
  SimPlatform sim;
  int ticks = 0;
  auto timer = sim.createTimer([&] { ++ticks; });
  sim.setTimer(timer, 50, true);
  sim.doEvents();
  EXPECT_EQ(ticks, 0);  // not due yet
  sim.sleepMs(50);      // the clock moves, but nothing runs until the pump does
  EXPECT_EQ(ticks, 0);
  sim.doEvents();
  EXPECT_EQ(ticks, 1);
  sim.advance(500);
  EXPECT_EQ(ticks, 11);
  sim.setTimer(timer, 50, false);
  sim.advance(500);
  EXPECT_EQ(ticks, 11);
}

// A handler that pumps past its interval is not entered again by its own timer.
TEST(SimPlatform, AHandlerThatPumpsIsNotEnteredAgain) {
  SimPlatform sim;
  int depth = 0, deepest = 0, ticks = 0;
  auto timer = sim.createTimer([&] {
    ++ticks;
    deepest = std::max(deepest, ++depth);
    if (ticks == 1) sim.advance(150);
    --depth;
  });
  sim.setTimer(timer, 10, true);
  sim.advance(200);
  EXPECT_GE(ticks, 3);
  EXPECT_EQ(deepest, 1);
}

// A form that has the focus takes the keys that pass the hook into its focused text box, each
// raising Change.
TEST(SimPlatform, KeysTypeIntoTheFocusedBoxOfAForm) {
  SimPlatform sim;
  sim.addWindow(u"note");
  std::vector<FormEvent> events;
  auto form = sim.createForm([&](const FormEvent& e) { events.push_back(e); });
  FormView view;
  ControlView box;
  box.name = u"Text1";
  box.kind = ControlKind::TextBox;
  box.text = u"a";
  view.controls.push_back(box);
  form->show(view);
  form->focusControl(u"Text1");
  EXPECT_EQ(sim.foregroundWindow(), form->id());
  sim.typeKeys(u"b");
  sim.doEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, FormEventKind::Change);
  EXPECT_EQ(events[0].control, u"Text1");
  EXPECT_EQ(events[0].text, u"ab");
}

TEST(SimPlatform, KeyQueuedDuringASortRunsInsideThatSortsPump) {
  SimPlatform sim;
  sim.addWindow(u"记事本");
  std::vector<std::u16string> lines;
  for (int i = 0; i < 1000; ++i) lines.push_back(std::u16string(1, static_cast<char16_t>(u'a' + (i * 7) % 26)) + u"x");
  bool sorting = false;
  bool keyRanDuringSort = false;
  sim.installKeyboardHook([&](const KeyEvent& e) {
    if (e.down) keyRanDuringSort = sorting;
    return HookAnswer::Withhold;
  });
  sim.typeKeys(u"q");  // queued, not yet delivered
  sorting = true;
  QuickSort(lines, 0, static_cast<int>(lines.size()) - 1, [&] { sim.doEvents(); });
  sorting = false;
  EXPECT_TRUE(keyRanDuringSort);
  EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
}

TEST(SimPlatform, PostedCharactersLandInUnicodeAndAnsiWindows) {
  SimPlatform sim;
  SimWindow& wide = sim.addWindow(u"wide");
  SimWindow& ansi = sim.addWindow(u"ansi");
  ansi.unicode = false;
  for (char16_t c : std::u16string_view(u"啊a")) {
    sim.postChar(wide.id, c);
    sim.postChar(ansi.id, c);
  }
  EXPECT_EQ(wide.text, u"啊a");
  EXPECT_EQ(ansi.text, u"啊a");
  ASSERT_EQ(sim.postedChars.size(), 4u);
  EXPECT_EQ(sim.postedChars[0].value, u'啊');
  EXPECT_EQ(sim.postedChars[1].value, 0xA1B0);  // lead byte low, trail byte high
  EXPECT_EQ(sim.postedChars[3].value, 0x61);
}

TEST(SimPlatform, SynthesizedPasteGoesThroughTheHookAndPastes) {
  SimPlatform sim;
  SimWindow& note = sim.addWindow(u"记事本");
  int injected = 0;
  sim.installKeyboardHook([&](const KeyEvent& e) {
    if ((e.flags & kKeyInjected) && (e.flags & kKeySentByProgram)) ++injected;
    return HookAnswer::CallNext;
  });
  sim.setClipboardText(u"砚舟");
  sim.sendKeyEvent(17, sim.scanCodeOf(17), false);
  sim.sendKeyEvent('V', sim.scanCodeOf('V'), false);
  sim.sendKeyEvent('V', sim.scanCodeOf('V'), true);
  sim.sendKeyEvent(17, sim.scanCodeOf(17), true);
  sim.doEvents();
  EXPECT_EQ(injected, 4);
  EXPECT_EQ(note.text, u"砚舟");
}

TEST(SimPlatform, GbkCodecHandlesBadInput) {
  SimPlatform sim;
  EXPECT_EQ(sim.fromGbk("\xb0\xa1" "a\x80"), u"啊a€");
  EXPECT_EQ(sim.toGbk(u"啊a€"), "\xb0\xa1" "a\x80");
  // Bytes that are not GBK decode to the replacement, never past the end.
  std::u16string bad = sim.fromGbk("a\xff\xb0");
  EXPECT_EQ(bad.substr(0, 1), u"a");
  EXPECT_EQ(bad.find(u'\uFFFD'), 1u);
  EXPECT_EQ(sim.fromGbk("\x81\x20"), u"\uFFFD ");
  // A pair the code page lacks leaves the pairs after it in its row decoding, as does the gap at
  // trail byte 0x7F; the last trail byte of a row decodes too.
  EXPECT_EQ(sim.fromGbk("\xa1\x40\xa1\xa1"), u"\uFFFD@\u3000");
  EXPECT_EQ(sim.fromGbk("\x81\x7f\x81\x80\x81\xfe"), u"\uFFFD\x7f\u4e90\u4fa2");
  // Characters outside GBK encode as "?".
  EXPECT_EQ(sim.toGbk(u"a\u0E01b\U0001F600"), "a?b?");
}

TEST(SimPlatform, ResourcesAreTheRegularFilesOfTheResourceFolder) {
  testing_support::TestFolder temp("yz-sim-resources-");
  SimPlatform sim;
  EXPECT_FALSE(sim.hasResource(101));  // no resource folder
  sim.resourceDir = temp.path();
  std::ofstream(temp.path() / "101.txt", std::ios::binary) << "a\r\nb";
  std::filesystem::create_directory(temp.path() / "102.txt");
  EXPECT_TRUE(sim.hasResource(101));
  EXPECT_EQ(sim.resource(101), std::optional<std::string>("a\r\nb"));
  EXPECT_FALSE(sim.hasResource(102));  // a folder in the file's place
  EXPECT_FALSE(sim.resource(102).has_value());
  EXPECT_FALSE(sim.hasResource(103));
  EXPECT_FALSE(sim.resource(103).has_value());
}

TEST(SimPlatform, MappedFilesReadAsTheFileAtEverySize) {
  testing_support::TestFolder temp("yz-sim-map-");
  SimPlatform sim;
  // Sizes about a page and the 2 MiB block the mapping is placed off.
  for (std::size_t size : {std::size_t{1}, std::size_t{4095}, std::size_t{4097}, std::size_t{3} << 20,
                           (std::size_t{4} << 20) + 5}) {
    SCOPED_TRACE(size);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
    const auto file = temp.path() / "f.bin";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    const auto mapped = sim.mapFile(file, std::uintmax_t{64} << 20);
    ASSERT_TRUE(mapped);
    ASSERT_EQ(mapped->size(), size);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped->data()), size), bytes);
    // Pages given back are read from the file again, unchanged.
    mapped->release(0, size);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped->data()), size), bytes);
  }
  EXPECT_FALSE(sim.mapFile(temp.path() / "f.bin", 4));  // over the limit
  EXPECT_FALSE(sim.mapFile(temp.path() / "missing.bin", 4));
  EXPECT_FALSE(sim.mapFile(temp.path(), 4));  // a folder
}

TEST(SimPlatform, ScriptedDialogsAndUnexpectedOnesFailLoudly) {
  SimPlatform sim;
  sim.messageBoxAnswers.push_back(MessageBoxAnswer::Cancel);
  EXPECT_EQ(sim.messageBox(u"继续？", u"", MessageBoxKind::OkCancel), MessageBoxAnswer::Cancel);
  EXPECT_THROW(sim.messageBox(u"again", u"", MessageBoxKind::Ok), PlatformError);
  EXPECT_EQ(sim.messageBoxes.size(), 2u);
  EXPECT_THROW(sim.inputBox(u"?", u"", u""), PlatformError);
}

TEST(SimPlatform, ScriptedHttpAndProcesses) {
  SimPlatform sim;
  sim.httpReplies[u"http://example.test/a"] = {true, 200, u"text/plain", "ok"};
  EXPECT_EQ(sim.httpGet(u"http://example.test/a", 3000, {}).body, "ok");
  EXPECT_FALSE(sim.httpGet(u"http://example.test/b", 3000, {}).ok);
  EXPECT_EQ(sim.httpRequests.size(), 2u);
  sim.processes = {u"Vexim2_xx.exe", u"vexim2_XX.EXE", u"other.exe"};
  EXPECT_EQ(sim.processCount(u"Vexim2_xx.exe"), 2);
}

// A scripted transfer ends on the virtual clock: after the scripted delay with its reply, at its
// time-out without one when the delay is longer or the reply never comes.
TEST(SimPlatform, ScriptedTransfersEndOnTheVirtualClock) {
  SimPlatform sim;
  sim.httpReplies[u"http://example.test/a"] = {true, 200, u"text/plain", "ok"};
  sim.httpTransferDelayMs = 200;
  HttpRequest request;
  request.url = u"http://example.test/a";
  request.timeoutMs = 1000;
  const auto answered = sim.startHttp(request);
  sim.sleepMs(199);
  EXPECT_TRUE(answered->stillExecuting());
  EXPECT_FALSE(answered->reply().ok);
  sim.sleepMs(1);
  EXPECT_FALSE(answered->stillExecuting());
  EXPECT_EQ(answered->reply().body, "ok");

  for (int delay : {-1, 1000}) {
    SCOPED_TRACE(delay);
    sim.httpTransferDelayMs = delay;
    const auto unanswered = sim.startHttp(request);
    sim.sleepMs(999);
    EXPECT_TRUE(unanswered->stillExecuting());
    sim.sleepMs(1);
    EXPECT_FALSE(unanswered->stillExecuting());
    EXPECT_FALSE(unanswered->reply().ok);
  }
  sim.httpTransferDelayMs = 0;
  const auto cancelled = sim.startHttp(request);
  cancelled->cancel();
  sim.sleepMs(10);
  EXPECT_FALSE(cancelled->stillExecuting());
  EXPECT_FALSE(cancelled->reply().ok);
  EXPECT_EQ(sim.httpRequests.size(), 4u);
}

}  // namespace
}  // namespace yz
