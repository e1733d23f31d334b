#pragma once
// The look editor of the settings dialog: the buttons 背景色, 字体、字号 and 文字颜色 change one bar
// of the candidate window through the platform's colour and font dialogs, and the skin labels
// apply a skin of the library; each shows the candidate window over the look page as a live
// preview. The look lives in the preview boxes (the `SkinBox` fields of the settings) until the
// dialog writes the skin record.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/settings_dialog.h"

namespace yz {

class App;

inline constexpr std::u16string_view kPreviewText = u"你的输入界面设置效果";
// Where the live preview lands: right of and below the look page's help box `Text3` by these
// amounts. A library skin's preview stands further right, beside the skin panel over the box.
inline constexpr int kPreviewDrop = 1000;
inline constexpr int kColourPreviewShift = 1000;
inline constexpr int kSkinPreviewShift = 1500;

// The font dialog's answer, kept between calls.
struct FontRecord {
  std::u16string faceName;
  int pointSize = 12;  // whole points
  std::int32_t colour = 0;
  // The effects ticked when the dialog last closed with OK; the next dialog opens with them.
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
};

// The font dialog's size in tenths of a point to whole points: the nearest, a half to the even
// neighbour (105 gives 10, 115 gives 12, 125 gives 12).
int wholePoints(int tenths);

class LookEditor final : public LookCommands {
 public:
  explicit LookEditor(App& app);

  bool lookClick(std::u16string_view control) override;

  // 背景色, 字体、字号, 文字颜色. Pump messages (the platform's dialogs).
  void Command22_Click();
  void Command23_Click();
  void Command2_Click();
  // Applies the library skin at `wfjm` (relative to the program folder) to the preview boxes
  // and the candidate window and previews it. A file that cannot be read changes nothing and
  // says so.
  void hrfu(const std::u16string& wfjm);

  // The colour dialog: the chosen colour, or -1 when cancelled.
  std::int32_t chooseColorDialog();
  // The font dialog: the chosen face, or "" when cancelled; the face, the size in whole points
  // and the colour stay in `fontRecord`.
  std::u16string chooseFontDialog();

  std::u16string pathArgument;  // the path handed to the skin loader
  FontRecord fontRecord;

 private:
  // Shows the candidate window over the look page with the sample text.
  void livePreview(int shift, bool fontChanged);

  App& app_;
};

}  // namespace yz
