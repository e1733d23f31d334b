// The composition resets escjm and tejm.

#include <gtest/gtest.h>

#include "input_rig.h"

namespace yz {
namespace {

TEST(Escjm, EmptiesTheCompositionAndGivesTheListSettingsBack) {
  Rig rig;
  App& app = rig.app;
  app.mirror.pageSize = 7;
  app.mirror.verticalListSetting = -1;
  app.settings.hxgu = u"10";
  app.settings.hphx = true;
  rig.compose(u"nihk", u"你好");
  app.win.boxes.hxl.text = u"1.你好";
  app.comp.segmentCount = 2;
  app.comp.segmentTextEnds[1] = 1;
  app.conv.endzf = u"你好 083";
  app.conv.wordIndex = 2;
  app.conv.wordTable[1].text = u"你好";
  app.comp.pendingCommand = kPendingEnter;
  app.comp.singleQuoteToggle = -1;

  app.input.composition.escjm();
  EXPECT_EQ(rig.window.zdusCalls, 1);
  EXPECT_EQ(app.settings.hxgu, u"7");
  EXPECT_TRUE(app.settings.uphx);
  EXPECT_FALSE(app.settings.hphx);
  EXPECT_EQ(rig.code(), "");
  EXPECT_EQ(app.win.boxes.rtext1.text, u"");
  EXPECT_EQ(app.win.boxes.text7.text, u"");
  EXPECT_EQ(app.win.boxes.hxl.text, u"");
  EXPECT_EQ(app.win.boxes.Text2.text, u"输入");
  EXPECT_EQ(app.comp.segmentCount, 0);
  EXPECT_EQ(app.comp.segmentTextEnds[1], 0);
  EXPECT_EQ(app.comp.lastCode, u"");
  EXPECT_EQ(app.comp.lastCaretPos, 0);
  EXPECT_EQ(app.conv.endzf, u"");
  EXPECT_EQ(app.conv.wordIndex, 0);
  // Left as they were: the word table, the quote toggles and the pending command.
  EXPECT_EQ(app.conv.wordTable[1].text, u"你好");
  EXPECT_EQ(app.comp.singleQuoteToggle, -1);
  EXPECT_EQ(app.comp.pendingCommand, kPendingEnter);
}

TEST(Tejm, ClearKeepsTheCodeLineAndResetsTheQuotes) {
  Rig rig;
  App& app = rig.app;
  rig.compose(u"nihk", u"你好");
  app.settings.hxgu = u"10";
  app.comp.singleQuoteToggle = -1;
  app.comp.doubleQuoteToggle = -1;
  app.comp.xbzm = u"ａｂ";
  app.conv.wordTable[1].text = u"你好";
  app.input.composition.tejm(kTejmClear);
  EXPECT_EQ(rig.code(), "nihk");
  EXPECT_EQ(app.win.boxes.rtext1.text, u"");
  EXPECT_EQ(app.win.boxes.text7.text, u"");
  EXPECT_EQ(app.win.boxes.Text5.text, u"ａｂ");
  EXPECT_EQ(app.comp.singleQuoteToggle, 1);
  EXPECT_EQ(app.comp.doubleQuoteToggle, 1);
  EXPECT_EQ(app.conv.wordTable[1].text, u"");
  EXPECT_EQ(app.conv.qmhbir, 1);
  EXPECT_EQ(app.settings.hxgu, u"10");  // the settings dialog is left alone
}

TEST(Tejm, EnteringInstantModifyGivesEachCharacterAPositionLetter) {
  Rig rig;
  App& app = rig.app;
  rig.compose(u"nihkwo", u"你好我");
  app.input.composition.tejm(kTejmModify);
  EXPECT_EQ(app.comp.modifyMode, 1);
  EXPECT_EQ(app.win.boxes.Text2.text, u"瞬改");
  EXPECT_EQ(toUtf8(app.win.boxes.Text5.text), "ａｂｃ");
  EXPECT_EQ(toUtf8(app.win.boxes.hxl.text), "ａｂｃ");
  EXPECT_EQ(app.comp.lastCode, u"nihkwo");
  EXPECT_EQ(app.comp.lastCaretPos, 6);
  EXPECT_EQ(app.pass.buy, u"nihkwo");
  EXPECT_EQ(app.comp.segmentCount, 0);
  EXPECT_EQ(app.comp.segmentCodeEnds[1], 8);
  EXPECT_EQ(app.comp.segmentTextEnds[1], 4);

  // A second entry while instant modify is on changes nothing.
  app.input.composition.tejm(kTejmModify);
  EXPECT_EQ(toUtf8(app.win.boxes.Text5.text), "ａｂｃ");
}

TEST(Tejm, CodeOfOtherLengthIsEncodedAndSpacesRecordSegments) {
  Rig rig;
  App& app = rig.app;
  app.settings.ymur = false;
  app.settings.xmur = true;
  // 我 has no full code: the encoder leaves it uncoded and the typed code is kept.
  app.lex.charFullCodes.set(app.gbk.charIndex(u'你'), u"wqiy");
  app.lex.charFullCodes.set(app.gbk.charIndex(u'好'), u"vbg");
  rig.compose(u"ni hkwo", u"我你好");
  app.input.composition.tejm(kTejmModify);
  EXPECT_EQ(app.pass.buy, u"ni hkwo");
  EXPECT_EQ(app.comp.segmentCount, 1);
  EXPECT_EQ(app.comp.segmentCodeEnds[1], 3);
  EXPECT_EQ(app.comp.segmentTextEnds[1], 2);  // 1.5 rounds to the even 2
  EXPECT_EQ(app.comp.segmentCodeEnds[2], 9);
  EXPECT_EQ(app.comp.segmentTextEnds[2], 4);
  EXPECT_EQ(toUtf8(app.win.boxes.Text5.text), "ａｂｃｄ");  // 3.5 rounds to 4

  // With every character coded the encoder's code replaces the code line.
  Rig coded;
  coded.app.settings.ymur = false;
  coded.app.settings.xmur = true;
  coded.app.lex.charFullCodes.set(coded.app.gbk.charIndex(u'你'), u"wqiy");
  coded.app.lex.charFullCodes.set(coded.app.gbk.charIndex(u'好'), u"vbg");
  coded.compose(u"n h", u"你好");
  coded.app.input.composition.tejm(kTejmModify);
  EXPECT_EQ(coded.app.pass.buy, u"wqvb");
  EXPECT_EQ(coded.app.win.boxes.rtext1.text, u"wqvb");
}

TEST(Tejm, DoesNothingWhenTheCodeLineHoldsChineseText) {
  Rig rig;
  App& app = rig.app;
  rig.compose(u"你好", u"你好");
  app.comp.singleQuoteToggle = -1;
  app.input.composition.tejm(kTejmModify);
  app.input.composition.tejm(kTejmClear);
  EXPECT_EQ(app.comp.modifyMode, 0);
  EXPECT_EQ(app.comp.singleQuoteToggle, -1);
  EXPECT_EQ(app.win.boxes.text7.text, u"你好");
}

TEST(Tejm, OnlyTheFirst26CharactersGetPositionLetters) {
  Rig rig;
  std::u16string code;
  for (int i = 0; i < 30; ++i) code += u"ni";
  rig.compose(code, std::u16string(30, u'你'));
  rig.app.input.composition.tejm(kTejmModify);
  const std::u16string& letters = rig.app.win.boxes.Text5.text;
  ASSERT_EQ(letters.size(), 26u);
  EXPECT_EQ(letters.back(), u'ｚ');
}

}  // namespace
}  // namespace yz
