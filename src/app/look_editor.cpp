#include "app/look_editor.h"

#include <cmath>

#include "app/app.h"
#include "app/settings_file.h"
#include "app/skin_library.h"

namespace yz {
namespace {

// The preview box and the two window boxes of a bar.
struct Bar {
  SkinBox& preview;
  BoxLook& first;
  BoxLook& second;
};

Bar barOf(App& app, int bar) {
  CandidateForm& f = app.windowUi.window.form;
  Settings& s = app.settings;
  switch (bar) {
    case 0: return Bar{s.Text6, f.rtext1, f.Text1};
    case 1: return Bar{s.Text4, f.text7, f.rText7};
    default: return Bar{s.Text5, f.Text5, f.hxl};
  }
}

}  // namespace

int wholePoints(int tenths) { return static_cast<int>(std::nearbyint(tenths / 10.0)); }

LookEditor::LookEditor(App& app) : app_(app) {}

bool LookEditor::lookClick(std::u16string_view control) {
  if (control == u"Command22") {
    Command22_Click();
  } else if (control == u"Command23") {
    Command23_Click();
  } else if (control == u"Command2") {
    Command2_Click();
  } else if (const SkinLabel* label = skinLabel(control)) {
    pathArgument = std::u16string(label->file);
    hrfu(pathArgument);
  } else {
    return false;
  }
  return true;
}

std::int32_t LookEditor::chooseColorDialog() {
  const std::optional<Colour> c = app_.platform.chooseColour(0);
  if (!c) return -1;
  return static_cast<std::int32_t>(*c & 0x00FFFFFFu);
}

std::u16string LookEditor::chooseFontDialog() {
  // The dialog always opens at Times New Roman, regular, 12 points, black; the effects as the
  // user left them.
  const FontSpec start{u"Times New Roman", 12, false, fontRecord.italic, fontRecord.underline,
                       fontRecord.strikeOut};
  const std::optional<FontChoice> chosen = app_.platform.chooseFont(start);
  if (!chosen) return u"";
  fontRecord.italic = chosen->font.italic;
  fontRecord.underline = chosen->font.underline;
  fontRecord.strikeOut = chosen->font.strikeOut;
  fontRecord.faceName = chosen->font.name;
  fontRecord.pointSize = wholePoints(static_cast<int>(std::lround(chosen->font.size * 10)));
  fontRecord.colour = static_cast<std::int32_t>(chosen->colour & 0x00FFFFFFu);
  return fontRecord.faceName;
}

void LookEditor::Command22_Click() {
  try {
    const std::int32_t c = chooseColorDialog();
    if (c != -1) {
      Bar b = barOf(app_, app_.loader.dialog.lookBar());
      b.preview.backColour = b.first.backColour = b.second.backColour = c;
      if (app_.loader.dialog.lookBar() == 2) app_.windowUi.window.form.backColour = c;
    }
    livePreview(kColourPreviewShift, false);
  } catch (const PlatformError&) {
    app_.platform.messageBox(u"请选择“基本颜色”或者先点选“规定自定义颜色”！", u"",
                             MessageBoxKind::Ok);
  }
}

void LookEditor::Command23_Click() {
  try {
    if (!chooseFontDialog().empty()) {
      Bar b = barOf(app_, app_.loader.dialog.lookBar());
      b.preview.fontSize = fontRecord.pointSize;
      b.preview.fontName = fontRecord.faceName;
      for (BoxLook* box : {&b.first, &b.second}) {
        box->font.size = fontRecord.pointSize;
        box->font.name = fontRecord.faceName;
      }
    }
    livePreview(kColourPreviewShift, true);
  } catch (const PlatformError&) {
    app_.platform.messageBox(u"你的系统缺少字体控件！", u"", MessageBoxKind::Ok);
  }
}

void LookEditor::Command2_Click() {
  try {
    if (!chooseFontDialog().empty()) {
      Bar b = barOf(app_, app_.loader.dialog.lookBar());
      b.preview.foreColour = b.first.foreColour = b.second.foreColour = fontRecord.colour;
    }
    livePreview(kColourPreviewShift, false);
  } catch (const PlatformError&) {
    app_.platform.messageBox(u"你的系统缺少字体控件！", u"", MessageBoxKind::Ok);
  }
}

void LookEditor::hrfu(const std::u16string& wfjm) {
  const std::optional<std::string> bytes = app_.files.readBytes(wfjm);
  if (!bytes) {
    app_.platform.messageBox(u"皮肤文件“" + wfjm + u"”找不到或读不出来，界面没有改动。", u"砚舟",
                             MessageBoxKind::Ok);
    return;
  }
  readSkinRecord(app_.platform.fromGbk(*bytes), app_.settings);
  app_.windowUi.window.applyLook();
  livePreview(kSkinPreviewShift, true);
}

void LookEditor::livePreview(int shift, bool lookChanged) {
  CandidateWindow& window = app_.windowUi.window;
  CandidateBoxes& boxes = app_.win.boxes;
  SettingsDialog& dialog = app_.loader.dialog;
  const Rect at = dialog.bounds();
  const DialogControl* help = dialog.control(u"Text3");
  const Rect helpPlace = help != nullptr ? help->bounds : Rect{};
  window.form.left = at.left + helpPlace.left + shift;
  window.form.top = at.top + helpPlace.top + kPreviewDrop;
  window.showTopMost();
  boxes.rtext1.text = kPreviewText;
  dialog.hideHelp();
  boxes.rText7.text = kPreviewText;
  boxes.hxl.text = kPreviewText;
  app_.input.context.setTimer1(false);
  if (app_.pass.timer2 >= 0) app_.platform.setTimer(app_.pass.timer2, kTimer2IntervalMs, false);
  if (lookChanged) app_.pass.lookChanged = -1;
  // The preview stands where it is put: the once-per-composition move below the caret line is
  // the typing's, not the preview's.
  const bool shiftDone = app_.win.rhkl;
  app_.win.rhkl = true;
  window.zdus();
  app_.win.rhkl = shiftDone;
  boxes.rText7.text = kPreviewText;
  window.realise();
}

}  // namespace yz
