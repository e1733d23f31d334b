#pragma once
// The skin library: twelve ready-made skins in the folder 界面皮肤库, each a skin record of
// twelve lines, and the labels of the settings dialog's skin panel that apply them. Label order
// (top to bottom in the panel) and file numbers differ.

#include <array>
#include <string_view>

namespace yz {

struct SkinLabel {
  std::u16string_view name;     // the label control
  std::u16string_view caption;  // two-character names carry two blanks between the characters
  int top;                      // in the panel, twips
  int width;
  std::u16string_view file;     // relative to the program folder
};

inline constexpr std::array<SkinLabel, 12> kSkinLabels = {{
    {u"ljka", u"蓝  咖", 120, 1000, u"界面皮肤库\\界面皮肤 01- [蓝咖].ini"},
    {u"moto", u"墨  拓", 480, 1000, u"界面皮肤库\\界面皮肤 03- [墨拓].ini"},
    {u"ypdj", u"云  淡", 840, 1000, u"界面皮肤库\\界面皮肤 05- [云淡].ini"},
    {u"hsxi", u"红  喜", 1200, 1000, u"界面皮肤库\\界面皮肤 02- [红喜].ini"},
    {u"vupi", u"朱  批", 1560, 1000, u"界面皮肤库\\界面皮肤 04- [朱批].ini"},
    {u"qyfg", u"清  风", 1920, 1000, u"界面皮肤库\\界面皮肤 06- [清风].ini"},
    {u"jnzi", u"金  字", 2280, 1005, u"界面皮肤库\\界面皮肤 10- [金字].ini"},
    {u"hdjnjw", u"黄金甲", 2640, 1000, u"界面皮肤库\\界面皮肤 07- [黄金甲].ini"},
    {u"yudltj", u"玉带滩", 3000, 1005, u"界面皮肤库\\界面皮肤 08- [玉带滩].ini"},
    {u"ljdl", u"蓝  带", 3360, 1000, u"界面皮肤库\\界面皮肤 09- [蓝带].ini"},
    {u"morf", u"默  认", 3720, 1005, u"界面皮肤库\\界面皮肤 11- [默认].ini"},
    {u"Label36", u"绿  芒", 4080, 1005, u"界面皮肤库\\界面皮肤 12- [绿芒].ini"},
}};

inline constexpr int kSkinLabelLeft = 120;
inline constexpr int kSkinLabelHeight = 375;
inline constexpr int kSkinPanelWidth = 1300;
inline constexpr int kSkinPanelHeight = 4680;

inline const SkinLabel* skinLabel(std::u16string_view name) {
  for (const SkinLabel& l : kSkinLabels) {
    if (l.name == name) return &l;
  }
  return nullptr;
}

}  // namespace yz
