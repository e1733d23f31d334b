#include <gtest/gtest.h>

#include "app/load.h"
#include "lexicon/user_store.h"
#include "program_fixture.h"

namespace yz {
namespace {

using testing::ProgramFolderTest;
using testing::dataDir;
using testing::dialogForm;
using testing::formEvent;

class SettingsDialogTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
    start();
    app().loader.showSettings();
    form = testing::dialogForm(platform());
    ASSERT_NE(form, nullptr);
  }
  void click(std::u16string_view control) {
    form->fire(formEvent(FormEventKind::Click, std::u16string(control)));
    platform().settle();
  }
  const ControlView& view(std::u16string_view name) {
    const ControlView* c = form->control(name);
    EXPECT_NE(c, nullptr) << toUtf8(name);
    static const ControlView none;
    return c ? *c : none;
  }
  SimForm* form = nullptr;
};

TEST_F(SettingsDialogTest, EachPageButtonShowsExactlyItsFrame) {
  const std::u16string_view pages[][2] = {{u"bmfa", u"Frame1"},  {u"dzmu", u"Frame7"},
                                          {u"urjm", u"Frame10"}, {u"ckgj", u"Frame11"},
                                          {u"kjuv", u"Frame17"}, {u"uwud", u"Frame22"},
                                          {u"umu", u"Frame23"},  {u"gryu", u"Frame24"}};
  for (const auto& [button, frame] : pages) {
    click(button);
    int shown = 0;
    for (const auto& [b, f] : pages) shown += view(f).visible ? 1 : 0;
    EXPECT_EQ(shown, 1) << toUtf8(button);
    EXPECT_TRUE(view(frame).visible) << toUtf8(button);
  }
  EXPECT_TRUE(form->view().visible);
  EXPECT_FALSE(form->view().title.empty());
}

// The controls show the store with their kind and design value.
TEST_F(SettingsDialogTest, ControlsShowTheirKindAndDefault) {
  struct Case {
    std::u16string_view name;
    ControlKind kind;
    int value;
    std::u16string_view text;
  };
  const Case cases[] = {
      {u"fczc", ControlKind::CheckBox, 1, u"智能造词"},
      {u"ilmvj", ControlKind::OptionButton, -1, u"纯两码整句"},
      {u"huvj", ControlKind::OptionButton, 0, u"混输整句"},
      {u"hxgu", ControlKind::TextBox, 0, u"5"},
      {u"Text2", ControlKind::TextBox, 0, u"2到7"},
      {u"kjhxj", ControlKind::TextBox, 0, u";'[]\\"},
      {u"xzvx", ControlKind::TextBox, 0, u"xzvx"},
      {u"ugjv", ControlKind::Label, 0, u"按键码"},
      {u"qrpn", ControlKind::Label, 0, u"全 拼"},
      {u"ymur", ControlKind::OptionButton, -1, u"音码输入"},
      {u"bcuv", ControlKind::Button, 0, u"保存、退出设置"},
      {u"Pic1", ControlKind::PictureBox, 0, u""},
  };
  for (const Case& c : cases) {
    const ControlView& v = view(c.name);
    EXPECT_EQ(v.kind, c.kind) << toUtf8(c.name);
    EXPECT_EQ(v.value, c.value) << toUtf8(c.name);
    EXPECT_EQ(v.text, c.text) << toUtf8(c.name);
  }
  EXPECT_EQ(view(u"ugjv").borderStyle, 1);
  EXPECT_EQ(view(u"Text4").font.name, u"楷体");
}

TEST_F(SettingsDialogTest, ClicksChangeTheStore) {
  click(u"dgvj");
  const Settings& s = app().settings;
  EXPECT_TRUE(s.dgvj);
  EXPECT_FALSE(s.ilmvj);
  click(u"gdms");
  EXPECT_TRUE(s.gdms);
  EXPECT_FALSE(s.dgvj);
  click(u"smvj");
  EXPECT_TRUE(s.smvj);
  EXPECT_FALSE(s.gdms);
  click(u"jtb");
  EXPECT_EQ(s.jtb, 1);
  EXPECT_EQ(view(u"jtb").value, 1);
  form->fire(formEvent(FormEventKind::Change, u"hxgu", u"9"));
  platform().settle();
  EXPECT_EQ(s.hxgu, u"9");
}

TEST_F(SettingsDialogTest, TheKeyLabelCapturesTheNextKey) {
  click(u"kjuv");
  click(u"ugjv");
  ASSERT_FALSE(platform().messageBoxes.empty());
  EXPECT_EQ(platform().messageBoxes.back().text, u"鼠标点击确定后，请立即点击一下你要作为瞬改快捷键的按键！");
  EXPECT_EQ(app().comp.modifyKeyCode, -1);
  EXPECT_EQ(app().win.platformLabel, u"砚舟");
  platform().typeKeys(u"rctrl");
  platform().settle();
  EXPECT_EQ(app().comp.modifyKeyCode, 163);
  EXPECT_EQ(app().settings.ugjv, u"163");
  app().lifecycle->csqid();
  EXPECT_EQ(lines(u"设置记录.ini")[50], u"瞬改自定义键值=163");
}

TEST_F(SettingsDialogTest, TheCaptionThreeCharacterWordsEndsTheProgram) {
  click(u"ckgj");
  click(u"Label8");
  EXPECT_TRUE(platform().quitRequested);
  EXPECT_TRUE(app().loader.stopped());
  EXPECT_FALSE(platform().keyboardHookInstalled());
}

// The procedures no control calls: four notices, the user words with their codes, the exit.
TEST_F(SettingsDialogTest, SpareProceduresNoticeListOrEnd) {
  SettingsDialog& dialog = app().loader.dialog;
  for (void (SettingsDialog::*notice)() : {&SettingsDialog::spareNotice1, &SettingsDialog::spareNotice2,
                                           &SettingsDialog::spareNotice3, &SettingsDialog::spareNotice4}) {
    platform().messageBoxes.clear();
    (dialog.*notice)();
    ASSERT_EQ(platform().messageBoxes.size(), 1u);
    EXPECT_EQ(platform().messageBoxes[0].text, u"该功能尚在整合中，请等正式版。");
    EXPECT_FALSE(platform().quitRequested);
  }
  writeLines(u"用户词库.txt", {u"你好"});
  dialog.spareUserWordCodes();
  EXPECT_TRUE(exists(u"用户词库+辅助码.txt"));
  EXPECT_TRUE(platform().quitRequested);
}

TEST_F(SettingsDialogTest, TheSpareExitRunsTheExitSequence) {
  app().settings.hxgu = u"6";
  app().loader.dialog.spareExit();
  EXPECT_TRUE(platform().quitRequested);
  EXPECT_TRUE(app().loader.stopped());
  EXPECT_FALSE(platform().keyboardHookInstalled());
  EXPECT_NE(text(u"设置记录.ini").find(u"候选个数=6"), std::u16string::npos);
}

TEST_F(SettingsDialogTest, TheSkinButtonShowsThePictureUntilSaved) {
  click(u"urjm");
  click(u"xznvpf");
  EXPECT_TRUE(view(u"Pic1").visible);
  EXPECT_FALSE(view(u"Text3").visible);
  click(u"bcuv");
  EXPECT_FALSE(form->view().visible);
  EXPECT_TRUE(view(u"Text3").visible || !view(u"Frame10").visible);
  EXPECT_FALSE(app().loader.dialog.control(u"Pic1")->visible);
}

}  // namespace
}  // namespace yz
