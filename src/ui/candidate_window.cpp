#include "ui/candidate_window.h"

#include <algorithm>
#include <initializer_list>

namespace yz {
namespace {

std::u16string_view trimSpaces(std::u16string_view s) {
  const auto first = s.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const auto last = s.find_last_not_of(u' ');
  return s.substr(first, last - first + 1);
}

// Drops the last character of a box's text and keeps the caret at its end.
void dropLastChar(TextBoxState& box) {
  if (!box.text.empty()) box.text.pop_back();
  box.selStart = static_cast<std::int32_t>(box.text.size());
}

ControlView control(std::u16string name, const BoxLook& look, std::u16string_view text,
                    bool multiLine) {
  ControlView c;
  c.name = std::move(name);
  c.kind = ControlKind::TextBox;
  c.text = std::u16string(text);
  c.bounds = Rect{look.left, look.top, look.left + look.width, look.top + look.height};
  c.visible = look.visible;
  c.foreColour = static_cast<Colour>(look.foreColour);
  c.backColour = static_cast<Colour>(look.backColour);
  c.font = look.font;
  c.borderStyle = look.borderStyle;
  c.multiLine = multiLine;
  return c;
}

}  // namespace

CandidateWindow::CandidateWindow(Platform& platform, const Settings& settings, WindowState& win,
                                 const CompositionState& comp, const ConversionState& conv,
                                 const PassState& pass)
    : platform_(platform), settings_(settings), win_(win), comp_(comp), conv_(conv), pass_(pass) {
  applyLook();
  form.text7.font.bold = form.rText7.font.bold = settings.Text4.bold;
}

CandidateWindow::~CandidateWindow() = default;

Point CandidateWindow::extent(const FontSpec& font, std::u16string_view text) const {
  Point total;
  std::size_t pos = 0;
  while (true) {
    std::size_t end = text.find(u'\n', pos);
    std::u16string_view line = text.substr(pos, end == std::u16string_view::npos ? end : end - pos);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    const Point p = platform_.measureText(font, line);
    total.x = std::max(total.x, p.x);
    total.y += p.y;
    if (end == std::u16string_view::npos) break;
    pos = end + 1;
  }
  return total;
}

void CandidateWindow::applyLook() {
  auto copy = [](BoxLook& box, const SkinBox& skin) {
    box.backColour = skin.backColour;
    box.foreColour = skin.foreColour;
    box.font.size = skin.fontSize;
    box.font.name = skin.fontName;
  };
  copy(form.rtext1, settings_.Text6);
  copy(form.Text1, settings_.Text6);
  copy(form.text7, settings_.Text4);
  copy(form.rText7, settings_.Text4);
  copy(form.Text5, settings_.Text5);
  copy(form.hxl, settings_.Text5);
  form.backColour = form.hxl.backColour;
}

void CandidateWindow::zdus() {
  CandidateBoxes& b = win_.boxes;
  CandidateForm& f = form;
  CandidateFormState& size = win_.form1;
  const bool modify = comp_.modifyMode == 1;

  // Fonts: the code line and the shown sentence always take the sentence box's font.
  f.text7.font.name = u"Consolas";
  f.Text5.font.name = u"Consolas";
  for (BoxLook* box : {&f.rtext1, &f.rText7, &f.Text1}) {
    box->font.name = f.text7.font.name;
    box->font.size = f.text7.font.size;
  }
  f.rtext1.height = extent(f.rtext1.font, b.rtext1.text).y;
  const BoxLook& listFont = trimSpaces(b.hxl.text) == trimSpaces(comp_.xbzm) ? f.text7 : f.Text5;
  f.hxl.font.name = listFont.font.name;
  f.hxl.font.size = listFont.font.size;
  f.rtext2.visible = false;

  // Wrap the sentence. Outside instant modify only its first 100 characters are shown; the
  // sentence itself stays whole, so Space still commits all of it.
  std::u16string_view s = b.text7.text;
  if (!modify && s.size() > kShownTextCap) s = s.substr(0, kShownTextCap);
  int lines = 1;
  std::u16string shown;
  if (s.size() > static_cast<std::size_t>(kWrapColumns)) {
    lines = static_cast<int>(s.size()) / kWrapColumns + 1;
    for (int i = 0; i < lines; ++i) {
      const std::size_t from = static_cast<std::size_t>(i) * kWrapColumns;
      if (from < s.size()) shown += s.substr(from, kWrapColumns);
      if (i + 1 < lines) shown += u"\r\n";
    }
  } else {
    shown = std::u16string(s);
  }
  b.rText7.text = shown;
  f.text7.visible = false;
  f.rText7.visible = true;
  f.rText7.height = extent(f.text7.font, shown).y + 25;
  const int lineHeight = extent(f.hxl.font, b.text7.text).y;

  // Stack the boxes.
  f.rText7.top = f.rtext1.top + f.rtext1.height + 25;
  f.hxl.top = f.rText7.top + f.rText7.height + 25;
  f.Text2.height = f.text7.height + 14;
  f.Text2.top = f.hxl.top + 50;

  int w = 0;
  if (modify) {
    w = std::max(extent(f.hxl.font, b.hxl.text).x, extent(f.hxl.font, b.rText7.text).x);
    if (b.Text2.text != u"瞬改" && !settings_.hphx) {
      f.hxl.height = (win_.loopCounter + 1) * lineHeight + 25;
      size.height = f.rtext1.height + lines * f.text7.height + f.hxl.height + 90;
    } else {
      const int listHeight = extent(f.hxl.font, b.hxl.text).y;
      f.hxl.height = listHeight + 25;
      size.height = f.rtext1.height + lines * f.text7.height + listHeight + 90;
    }
  } else {
    if (b.rtext1.text.empty()) {
      size.width = 0;
      size.visible = false;
      realise();
      return;
    }
    f.borderStyle = 0;
    f.rtext1.borderStyle = 0;

    // The first layout of a composition moves the window down once, clear of the caret line,
    // however many letters a fast typist got in before it.
    if (shiftCondition()) {
      f.top += kFirstLettersShift;
      win_.rhkl = true;
    } else if (b.rtext1.text.size() >= 2) {
      win_.rhkl = true;
    }

    int widest = extent(f.rtext1.font, b.rText7.text).x;
    widest = std::max(widest, extent(f.text7.font, b.rText7.text).x);
    widest = std::max(widest, extent(f.text7.font, b.Text1.text).x);
    if (b.hxl.text.size() > kShownTextCap) b.hxl.text.resize(kShownTextCap);
    widest = std::max(widest, extent(f.hxl.font, b.hxl.text).x);
    if (settings_.uphx) {
      widest += 125;
      f.hxl.height = (win_.loopCounter + 1) * lineHeight + 25;
      size.height = f.rtext1.height + lines * f.text7.height + f.hxl.height + 90;
    } else {
      f.hxl.height = extent(f.hxl.font, b.hxl.text).y + 25;
      size.height = f.rText7.height + f.rtext1.height + f.hxl.height + 90;
    }
    w = std::max(widest, kMinLayoutWidth);
  }

  // Widths: the prompt box starts at the layout width, so outside instant modify it lies beyond
  // the window's right edge but for 10 twips.
  w += 255;
  f.Text2.left = w;
  f.rtext1.width = w + 15;
  f.rtext2.width = w;
  f.Text1.width = w;
  f.Text1.height = f.rtext1.height;
  f.Text5.width = w + 100;
  f.hxl.width = w - 90;
  f.rText7.width = w + 270;
  if (modify) {
    size.width = w + 495;
    f.rtext1.width = w + 495;
    f.rText7.width = w + 900;
  } else {
    size.width = w + 10;
  }
  if (b.hxl.text.empty()) size.height = f.rtext1.height + lines * f.text7.height - 15;
  if (settings_.jlbm == 1 && !modify) splitCodeDisplay();
  realise();
}

bool CandidateWindow::shiftCondition() const {
  return settings_.gbgs == 1 && win_.targetWindowClass != u"TXGuiFoundation" && !win_.rhkl;
}

bool CandidateWindow::firstLettersShiftDue() const {
  return comp_.modifyMode != 1 && !win_.boxes.rtext1.text.empty() && shiftCondition();
}

// 编码分串: the code line shows the code split at word boundaries, or in the short form the end
// of the code shifted under the end of the sentence.
void CandidateWindow::splitCodeDisplay() {
  CandidateBoxes& b = win_.boxes;
  const std::u16string& elements = pass_.vumayr;
  if (elements.size() >= 2 && elements.ends_with(u"zy")) {
    win_.lent7 = static_cast<std::int32_t>(b.text7.text.size());
    const std::uint32_t now = platform_.clockMs();
    if (win_.lent7 - win_.lt70 == 1) win_.typingStartTime = now;
    win_.typingNowTime = now;
    if (win_.lent7 != 0) {
      const std::u16string& code = b.rtext1.text;
      std::u16string last6 = code.size() > 6 ? code.substr(code.size() - 6) : code;
      b.Text1.text = win_.lent7 <= 3 ? last6 : std::u16string(win_.lent7 - 3, u' ') + last6;
      b.Text1.selStart = static_cast<std::int32_t>(b.Text1.text.size());
    }
    form.Text1.width = form.rtext1.width;
    form.Text1.height = form.rtext1.height;
  } else {
    std::u16string split;
    for (int i = 1; i <= std::min(conv_.wordIndex, kMaxSentenceWords); ++i) {
      const std::u16string& code = conv_.wordTable[static_cast<std::size_t>(i)].code;
      if (!code.empty()) split += code + u"_";
    }
    std::u16string& remembered = win_.lastSegmentDisplay;
    const std::u16string& first = conv_.wordTable[1].code;
    const std::size_t at = first.empty() ? std::u16string::npos : remembered.rfind(first);
    if (at != std::u16string::npos && remembered.size() - at > 4 && split.size() > 7) {
      b.Text1.text = remembered.substr(0, at) + split;
      remembered = b.Text1.text;
    } else {
      b.Text1.text = remembered + split;
    }
    if (comp_.segmentCount != win_.segmentDisplayParity) {
      remembered = b.Text1.text;
      win_.segmentDisplayParity = comp_.segmentCount;
    }
  }
  dropLastChar(b.Text1);
}

void CandidateWindow::showTopMost() {
  win_.form1.visible = true;
  win_.form1.topMost = true;
  realise();
}

WindowId CandidateWindow::id() { return native().id(); }

NativeForm& CandidateWindow::native() {
  if (!native_) {
    native_ = platform_.createForm([this](const FormEvent& e) {
      if (onEvent) onEvent(e);
    });
  }
  return *native_;
}

FormView CandidateWindow::buildView(bool activate) const {
  const CandidateBoxes& b = win_.boxes;
  const CandidateForm& f = form;
  const CandidateFormState& size = win_.form1;
  FormView v;
  v.title = f.caption;
  v.bounds = Rect{f.left, f.top, f.left + size.width, f.top + size.height};
  v.visible = size.visible && size.width > 0;
  v.topMost = size.topMost;
  v.noActivate = !activate;
  v.clickActivates = true;  // a click into the window takes the focus, as caret following expects
  v.border = true;  // a thin line keeps the window apart from a white or a dark document
  v.backColour = static_cast<Colour>(f.backColour);
  // Later controls lie on top of earlier ones.
  v.controls.push_back(control(u"rtext2", f.rtext2, b.rtext2.text, true));
  v.controls.push_back(control(u"text7", f.text7, b.text7.text, false));
  v.controls.push_back(control(u"Text5", f.Text5, b.Text5.text, false));
  v.controls.push_back(control(u"rtext1", f.rtext1, b.rtext1.text, false));
  v.controls.push_back(control(u"Text1", f.Text1, b.Text1.text, false));
  // The code line is an edit box: a click puts the caret into the code, where the keys edit it.
  v.controls.back().caret =
      std::clamp<std::int32_t>(b.Text1.selStart, 0, static_cast<std::int32_t>(b.Text1.text.size()));
  v.controls.push_back(control(u"rText7", f.rText7, b.rText7.text, true));
  v.controls.push_back(control(u"hxl", f.hxl, b.hxl.text, true));
  v.controls.push_back(control(u"Text2", f.Text2, b.Text2.text, false));
  return v;
}

void CandidateWindow::realise(bool activate) {
  // A focus the commit or the hook asked for is given once.
  activate = activate || win_.form1.hasFocus;
  win_.form1.hasFocus = false;
  view_ = buildView(activate);
  native().show(view_);
}

}  // namespace yz
