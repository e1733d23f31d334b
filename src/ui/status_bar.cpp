#include "ui/status_bar.h"

#include <cmath>

namespace yz {
namespace {

// The frame that holds the five areas stands 110 twips above the top of the window.
constexpr int kFrameTop = -110;
constexpr Colour kHighlight = 0x8000000D;  // the system's highlight colour
constexpr Colour kWhite = 0xFFFFFF;

struct Area {
  std::u16string_view name;
  int left, top, width, height;  // in the frame
  const char16_t* font;
  double size;
  std::u16string_view toolTip;
};

constexpr Area kAreas[] = {
    {u"Label2", 45, 120, 375, 375, u"宋体", 9, u""},
    {u"Label5", 450, -70, 495, 600, u"楷体", 12, u"中英切换"},
    {u"Label4", 960, -70, 480, 600, u"宋体", 10.5, u"中/英文标点切换"},
    {u"Label1", 1440, -70, 600, 600, u"楷体", 12, u"在砚舟平台与系统输入法之间切换"},
    {u"Label3", 2040, -70, 360, 600, u"宋体", 12, u"退出砚舟平台"},
};

const Area* areaOf(std::u16string_view name) {
  for (const Area& a : kAreas) {
    if (a.name == name) return &a;
  }
  return nullptr;
}

bool isDragHandle(std::u16string_view name) {
  return name == u"Label1" || name == u"Label2" || name == u"Label4" || name == u"Label5";
}

}  // namespace

StatusBar::StatusBar(Platform& platform, WindowState& win, CompositionState& comp)
    : platform_(platform), win_(win), comp_(comp) {}

StatusBar::~StatusBar() = default;

void StatusBar::placeAtStart() {
  const Rect screen = platform_.screenRect();
  const int twips = platform_.twipsPerPixel();
  left = static_cast<float>(screen.width() * twips - kStatusBarWidth);
  top = static_cast<float>(screen.height() * twips - kStatusBarFromBottom);
  width = kStatusBarWidth;
  height = kStatusBarHeight;
  win_.platformLabel = kPlatformCaption;
  win_.punctuationLabel = kFullWidthCaption;
  win_.languageLabel = kChineseCaption;
  visible = true;
  enabled = true;
  realise();
}

void StatusBar::hide() {
  visible = false;
  realise();
}

void StatusBar::setEnabled(bool on) {
  enabled = on;
  realise();
}

void StatusBar::refresh() {
  if (!native_) return;
  const FormView view = buildView();
  if (view.controls != shown_.controls || !(view.bounds == shown_.bounds) ||
      view.visible != shown_.visible || view.enabled != shown_.enabled) {
    realise();
  }
}

void StatusBar::mouseDown(std::u16string_view control, float x, float y) {
  if (!isDragHandle(control)) return;
  dx = x;
  dy = y;
  xleft = left;
  ytop = top;
}

void StatusBar::mouseMove(std::u16string_view control, int button, float x, float y) {
  if (!isDragHandle(control)) return;
  const float before[2] = {left, top};
  if (button == 1) {
    left = left + x - dx;
    top = top + y - dy;
  }
  const Rect screen = platform_.screenRect();
  const int twips = platform_.twipsPerPixel();
  const float sw = static_cast<float>(screen.width() * twips);
  const float sh = static_cast<float>(screen.height() * twips);
  const float right = sw - static_cast<float>(control == u"Label1" || control == u"Label2"
                                                  ? kStatusBarRightLimitWide
                                                  : kStatusBarRightLimitNarrow);
  if (right < left) left = right;
  if (sh - kStatusBarBottomLimit <= top) top = sh - kStatusBarBottomLimit;
  if (left != before[0] || top != before[1]) realise();
}

bool StatusBar::wasDrag() const {
  return std::fabs(xleft - left) > kClickSlack || std::fabs(ytop - top) > kClickSlack;
}

void StatusBar::click(std::u16string_view control) {
  if (control == u"Label3") {
    if (calls.ended) calls.ended();
    return;
  }
  if (control == u"Label2") {
    win_.returnProcessId = win_.targetProcessId;
    if (wasDrag()) return;
    win_.externalTarget = 0;
    if (calls.showSettings) calls.showSettings();
    return;
  }
  if (control == u"Label1") {
    if (wasDrag()) return;
    win_.boxes.rtext1.text.clear();
    if (comp_.hookActive == 1) {
      if (calls.removeKeyboardHook) calls.removeKeyboardHook();
      if (calls.setTimer1) calls.setTimer1(false);
    } else {
      if (calls.installKeyboardHook) calls.installKeyboardHook();
      if (calls.setTimer1) calls.setTimer1(true);
      if (calls.setTimer2) calls.setTimer2(true);
      if (calls.resetTypingCounters) calls.resetTypingCounters();
    }
    refresh();
    return;
  }
  if (control == u"Label4" || control == u"Label5") {
    if (wasDrag()) return;
    const bool toEnglish = comp_.chinesePunctuation == -1;
    comp_.chinesePunctuation = toEnglish ? 0 : -1;
    win_.punctuationLabel = toEnglish ? kHalfWidthCaption : kFullWidthCaption;
    win_.languageLabel = toEnglish ? kEnglishCaption : kChineseCaption;
    refresh();
  }
}

void StatusBar::onEvent(const FormEvent& event) {
  if (!enabled) return;
  const Area* a = areaOf(event.control);
  if (!a) return;
  // The window reports places relative to itself; the handlers take them inside the control.
  const float x = static_cast<float>(event.point.x - a->left);
  const float y = static_cast<float>(event.point.y - (a->top + kFrameTop));
  switch (event.kind) {
    case FormEventKind::MouseDown:
      mouseDown(event.control, x, y);
      break;
    case FormEventKind::MouseMove:
      mouseMove(event.control, event.button, x, y);
      break;
    case FormEventKind::Click:
      click(event.control);
      break;
    default:
      break;
  }
}

FormView StatusBar::buildView() const {
  FormView v;
  const int l = static_cast<int>(std::lround(left));
  const int t = static_cast<int>(std::lround(top));
  v.bounds = Rect{l, t, l + width, t + height};
  v.visible = visible;
  v.enabled = enabled;
  v.topMost = true;
  v.noActivate = true;  // a click on the bar leaves the focus with the program typed into
  v.border = true;
  v.backColour = kWhite;
  for (const Area& a : kAreas) {
    ControlView c;
    c.name = std::u16string(a.name);
    c.kind = ControlKind::Label;
    c.bounds = Rect{a.left, a.top + kFrameTop, a.left + a.width, a.top + kFrameTop + a.height};
    c.font = FontSpec{a.font, a.size, true};
    c.backColour = kWhite;
    c.foreColour = kHighlight;
    c.alignment = 2;
    c.toolTip = std::u16string(a.toolTip);
    if (a.name == u"Label1") c.text = win_.platformLabel;
    if (a.name == u"Label4") c.text = win_.punctuationLabel;
    if (a.name == u"Label5") c.text = win_.languageLabel;
    if (a.name == u"Label3") c.text = std::u16string(kExitCaption);
    if (a.name == u"Label2") {
      // The settings picture: a small tile in the highlight colour.
      c.kind = ControlKind::PictureBox;
      c.text = u"设";
      c.backColour = kHighlight;
      c.foreColour = kWhite;
    }
    v.controls.push_back(std::move(c));
  }
  return v;
}

WindowId StatusBar::id() {
  if (!native_) native_ = platform_.createForm([this](const FormEvent& e) { onEvent(e); });
  return native_->id();
}

void StatusBar::realise() {
  if (!native_) native_ = platform_.createForm([this](const FormEvent& e) { onEvent(e); });
  shown_ = buildView();
  native_->show(shown_);
}

}  // namespace yz
