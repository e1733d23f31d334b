#include "inputpass/layout_normalize.h"

#include <algorithm>

#include "lexbuild/layout_table.h"

namespace yz {
namespace {

bool isKey(char16_t ch) { return ch >= u'a' && ch <= u'z'; }

constexpr std::u16string_view kNoCloudAnswer =
    u"全拼输入需要云拼音服务，现在没有得到回答（可能没有联网）。打出的字母保留在编码栏里，"
    u"可以回车上屏英文，或在设置里取消“全 拼”改用双拼。";

// How much of the typed code is 自然双拼 already, from what the last layout step saw.
std::size_t ziranFront(const CompositionState& comp, LayoutStepMemory& m, std::u16string_view typed) {
  if (typed.empty() || comp.lastCode.empty()) return 0;  // a new composition
  if (m.result != m.typed && !m.result.empty() && typed.starts_with(m.result)) {
    // The pass wrote its code line back into the typed code (a mark closed the segment, or
    // instant modify began): that code line, and the blank after a mark, are 自然双拼.
    std::size_t n = m.result.size();
    if (n < typed.size() && typed[n] == u' ') ++n;
    return n;
  }
  if (typed.starts_with(m.typed) || std::u16string_view(m.typed).starts_with(typed)) {
    return std::min(m.ziranLength, typed.size());  // keys typed or taken back at the end
  }
  return 0;  // edited some other way: taken as typed
}

// The command codes are typed as they are written in the settings, whatever the layout.
bool isCommandCode(const Settings& s, std::u16string_view code) {
  for (const std::u16string* command : {&s.xzvx, &s.huzj, &s.lmzj, &s.vqyx, &s.liyx, &s.dywd, &s.dqsj,
                                        &s.dqrq, &s.dqxq, &s.jsq, &s.jub, &s.fuku}) {
    if (!command->empty() && code == *command) return true;
  }
  return code == u"ors";
}

void layoutStep(const PassContext& c, const LayoutTable& table) {
  CandidateBoxes& b = c.win.boxes;
  LayoutStepMemory& m = c.pass.layoutStep;
  const std::u16string typed = b.Text1.text;
  std::u16string code = b.rtext1.text;
  std::u16string setAside;
  if (!isKey(code.back())) {
    // A mark at the end stays out of the translation and follows it, for this pass.
    setAside = code.substr(code.size() - 1);
    code.pop_back();
  }
  const std::size_t front =
      isCommandCode(c.settings, code) ? code.size() : std::min(ziranFront(c.comp, m, typed), code.size());
  std::u16string line = code.substr(0, front);
  line += translateLayoutCode(table, std::u16string_view(code).substr(front));
  line += setAside;
  b.rtext1.text = line;
  m.typed = typed;
  m.result = line;
  m.ziranLength = front;
}

void fullPinyinStep(const PassContext& c) {
  CandidateBoxes& b = c.win.boxes;
  PassState& p = c.pass;
  const std::u16string line = b.rtext1.text;
  const bool markAtEnd = !isKey(line.back());
  p.bmstr = markAtEnd ? line.substr(0, line.size() - 1) : line;
  if (c.webServices != nullptr) c.webServices->yuuqp();
  p.hjziir = c.web.cloudText;
  std::u16string bm, pinyin;
  c.input.context.citcbmma(p.hjziir, bm, pinyin);
  if (bm.empty() && !p.bmstr.empty()) {
    // No answer from the cloud: the typed letters stay, and the user hears why once.
    if (!p.fullPinyinUnansweredTold) {
      p.fullPinyinUnansweredTold = true;
      c.platform.messageBox(kNoCloudAnswer, u"砚舟", MessageBoxKind::Ok);
    }
    return;
  }
  if (markAtEnd) {
    b.rtext1.text = bm + line.back();
  } else {
    b.rtext1.text = bm;
    c.settings.qrpn.borderStyle = 0;  // endPass marks it again from fullPinyinMode
  }
}

}  // namespace

std::u16string translateLayoutCode(const LayoutTable& table, std::u16string_view code) {
  std::u16string out;
  out.reserve(code.size());
  std::size_t i = 0;
  while (i < code.size()) {
    if (!isKey(code[i])) {
      out.push_back(code[i++]);
      continue;
    }
    // A run of letters is cut into pairs from its own start, so a mark typed inside the code
    // after a lone key does not shift the pairs that follow it.
    std::size_t end = i;
    while (end < code.size() && isKey(code[end])) ++end;
    while (i < end) {
      const std::u16string_view piece = code.substr(i, std::min<std::size_t>(2, end - i));
      const std::u16string& cell = table.at(piece[0], piece.size() == 2 ? piece[1] : char16_t{0});
      out += cell.empty() ? piece : std::u16string_view(cell);
      i += piece.size();
    }
  }
  return out;
}

void normalizeCodeLine(const PassContext& c) {
  if (c.win.boxes.rtext1.text.empty()) {
    c.pass.layoutStep = {};
    return;
  }
  const Settings& s = c.settings;
  const bool noModify = c.comp.modifyMode == 0;
  // Only while 国标, 小鹤 or 自定 双拼 is marked: the table keeps the last layout loaded after a
  // switch to a 自然双拼 scheme, and those keys must not be translated.
  if (!markedLayout(s).empty() && s.ymur && !s.qrpn.marked() && noModify) {
    layoutStep(c, c.lex.layoutTable);
  }
  if (c.mirror.fullPinyinMode == 1 && noModify && !c.win.boxes.rtext1.text.empty()) fullPinyinStep(c);
}

}  // namespace yz
