// The look page of the settings dialog (输入界面): the candidate options in three columns on top;
// below them at the left the look editor (a bar chooser with its preview box per bar and the
// colour, font and skin buttons); beside it the help text, over which the live preview of the
// candidate window lands. The skin panel with its twelve labels takes the help text's place.

#include "app/settings_dialog.h"
#include "app/skin_library.h"

namespace yz {
namespace {

constexpr int kPage = 2;
constexpr int kLeft = 1980;           // the page's left edge inside its frame
constexpr int kRight = SettingsDialog::kWidth - 300;
constexpr int kTop = 420;
constexpr int kRow = 330;
constexpr int kColumns = 3;
constexpr int kColumnGap = 60;
constexpr int kColumnWidth = (kRight - kLeft - (kColumns - 1) * kColumnGap) / kColumns;
constexpr int kLeadWidth = 1500;
// The live preview stands over the help text: the editor keeps to the left of it and the
// options above it.
constexpr int kEditorTop = 1800;
constexpr int kEditorWidth = 1580;
constexpr int kHelpLeft = kLeft + kEditorWidth + 120;

}  // namespace

void SettingsDialog::layoutLookPage() {
  auto at = [&](std::u16string_view name, int left, int top, int width, int height) {
    if (DialogControl* c = find(name)) c->bounds = Rect{left, top, left + width, top + height};
  };
  // The options, row by row across three columns.
  int cell = 0;
  auto next = [&](std::u16string_view name) {
    const int col = cell % kColumns, row = cell / kColumns;
    const int x = kLeft + col * (kColumnWidth + kColumnGap);
    const int y = kTop + row * kRow;
    if (name == u"hxgu") {
      at(u"Label16", x, y, kLeadWidth, kRow - 30);
      at(u"hxgu", x + kLeadWidth + 60, y, kColumnWidth - kLeadWidth - 60, kRow - 30);
    } else {
      at(name, x, y, kColumnWidth, kRow - 30);
    }
    ++cell;
  };
  for (std::u16string_view name : {u"hxgu", u"uphx", u"hphx", u"zdhu", u"jmgs", u"dhxj", u"uhxj",
                                   u"yuryh", u"gbgs", u"jlbm"}) {
    next(name);
  }

  // The look editor: a bar chooser beside each preview box, then the buttons.
  const std::u16string_view bars[3][2] = {
      {u"Option1", u"Text6"}, {u"Option3", u"Text4"}, {u"Option4", u"Text5"}};
  for (int i = 0; i < 3; ++i) {
    const int y = kEditorTop + i * 450;
    at(bars[i][0], kLeft, y, 255, 400);
    at(bars[i][1], kLeft + 300, y, kEditorWidth - 300, 400);
    if (DialogControl* option = find(bars[i][0])) option->caption.clear();
  }
  const std::u16string_view buttons[] = {u"Command22", u"Command2", u"Command23", u"xznvpf"};
  for (int i = 0; i < 4; ++i) at(buttons[i], kLeft, kEditorTop + 1450 + i * 420, kEditorWidth, 350);

  const int helpBottom = kEditorTop + 1450 + 4 * 420;
  at(u"Text3", kHelpLeft, kEditorTop, kRight - kHelpLeft, helpBottom - kEditorTop);
  // The skin panel over the help text's corner: a skin's preview lands right of it.
  at(u"Pic1", kHelpLeft, kEditorTop, kSkinPanelWidth, kSkinPanelHeight);
  if (DialogControl* pic = find(u"Pic1")) pic->borderStyle = 1;

  for (const SkinLabel& l : kSkinLabels) {
    DialogControl c;
    c.name = std::u16string(l.name);
    c.kind = ControlKind::Label;
    c.page = kPage;
    c.caption = std::u16string(l.caption);
    c.visible = false;  // the panel starts hidden
    const int left = kHelpLeft + kSkinLabelLeft;
    const int top = kEditorTop + l.top;
    c.bounds = Rect{left, top, left + l.width, top + kSkinLabelHeight};
    controls_.push_back(std::move(c));
  }
}

void SettingsDialog::showSkinPanel(bool shown) {
  if (DialogControl* p = find(u"Pic1")) p->visible = shown;
  for (const SkinLabel& l : kSkinLabels) {
    if (DialogControl* c = find(l.name)) c->visible = shown;
  }
}

}  // namespace yz
