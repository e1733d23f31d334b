#include "app/settings_dialog.h"

#include <algorithm>
#include <utility>

#include "app/settings_file.h"
#include "app/skin_library.h"

namespace yz {
namespace {

// Where a control goes in its page's flow of cells (two columns of rows).
enum class Place {
  Cell,  // one cell
  Lead,  // the left part of a cell; the next control takes the rest
  Wide,  // a whole row
  Help,  // the help box at the foot of the page
};

constexpr int kPageButtonLeft = 120;
constexpr int kPageButtonWidth = 1620;
constexpr int kPageButtonHeight = 420;
constexpr int kFrameLeft = 1860;
constexpr int kFrameTop = 60;
constexpr int kFrameWidth = SettingsDialog::kWidth - kFrameLeft - 180;
constexpr int kFrameHeight = SettingsDialog::kHeight - 600;
constexpr int kCellLeft = kFrameLeft + 120;
constexpr int kCellWidth = (kFrameWidth - 360) / 2;
constexpr int kRowTop = kFrameTop + 360;
constexpr int kRowHeight = 330;
constexpr int kLeadWidth = 1500;
constexpr int kHelpHeight = 1050;
constexpr int kHelpTop = kFrameTop + kFrameHeight - kHelpHeight - 90;

// The frames of the pages in the order of their page buttons.
constexpr std::u16string_view kFrames[kSettingsPages] = {u"Frame1",  u"Frame7",  u"Frame10",
                                                         u"Frame11", u"Frame17", u"Frame22",
                                                         u"Frame23", u"Frame24"};

#define YZ_OPTION(member) +[](Settings& s) -> bool& { return s.member; }

struct Row {
  std::u16string_view name;
  ControlKind kind;
  std::u16string_view caption;
  ControlBinding binding;
  Place place = Place::Cell;
};

using K = ControlKind;

std::vector<Row> pageRows(int page) {
  switch (page) {
    case 0:  // 1.打字模式
      return {
          {u"huvj", K::OptionButton, u"混输整句", YZ_OPTION(huvj)},
          {u"ilmvj", K::OptionButton, u"纯两码整句", YZ_OPTION(ilmvj)},
          {u"dgvj", K::OptionButton, u"顶功整句", YZ_OPTION(dgvj)},
          {u"izcmu", K::OptionButton, u"字词模式", YZ_OPTION(izcmu)},
          {u"smvj", K::OptionButton, u"纯三码整句", YZ_OPTION(smvj)},
          {u"gdms", K::OptionButton, u"跟打模式", YZ_OPTION(gdms)},
          {u"jumoxris", K::CheckBox, u"句末选重上屏", &Settings::jumoxris},
          {u"jtb", K::CheckBox, u"剪贴板上屏", &Settings::jtb},
          {u"iqlx", K::CheckBox, u"超前联想", &Settings::iqlx},
          {u"wyup", K::CheckBox, u"候选唯一上屏", &Settings::wyup},
          {u"kmup", K::CheckBox, u"空码上屏", &Settings::kmup},
          {u"Label12", K::Label, u"码起", {}, Place::Lead},
          {u"iqlxms", K::TextBox, u"", &Settings::iqlxms},
          {u"lidyx", K::OptionButton, u"输入流畅度优先", YZ_OPTION(lidyx)},
          {u"vqdyx", K::OptionButton, u"输入准确度优先", YZ_OPTION(vqdyx)},
          {u"gjxm", K::CheckBox, u"高阶形码整句", &Settings::gjxm},
          {u"cpyx", K::CheckBox, u"重码时词频优先", &Settings::cpyx},
          {u"idqi", K::CheckBox, u"词组重叠取差集", &Settings::idqi},
          {u"umzf", K::OptionButton, u"首末字辅助优先", YZ_OPTION(auxOrder[0])},
          {u"muzf", K::OptionButton, u"末首字辅助优先", YZ_OPTION(auxOrder[1])},
          {u"zyfv", K::OptionButton, u"任意字辅助", YZ_OPTION(auxOrder[2])},
          {u"fmwx", K::CheckBox, u"辅码乱序取", &Settings::fmwx},
          {u"Label13", K::Label, u"辅助后分词时间", {}, Place::Lead},
          {u"fcuj", K::TextBox, u"", &Settings::fcuj},
          {u"Text7", K::TextBox,
           u"整句模式决定怎样切分编码；流畅度优先转换快，准确度优先转换细。辅助码跟在两码之后，"
           u"用来从重码中挑字。",
           {}, Place::Help},
      };
    case 1:  // 2.编码方案
      return {
          {u"vxbf", K::Label, u"", &Settings::vxbf},
          {u"zrhx", K::Label, u"", &Settings::zrhx},
          {u"gbup", K::Label, u"", &Settings::gbup},
          {u"xhhx", K::Label, u"", &Settings::xhhx},
          {u"zdypf", K::Label, u"", &Settings::zdypf},
          {u"qrpn", K::Label, u"", &Settings::qrpn},
          {u"wbbl", K::Label, u"", &Settings::wbbl},
          {u"wbjb", K::Label, u"", &Settings::wbjb},
          {u"zm", K::Label, u"", &Settings::zm},
          {u"xdwb", K::Label, u"", &Settings::xdwb},
          {u"zdyxm", K::Label, u"", &Settings::zdyxm},
          {u"zdyyxm", K::Label, u"", &Settings::zdyyxm},
          {u"zdyxym", K::Label, u"", &Settings::zdyxym},
          {u"ubfm", K::Label, u"", &Settings::ubfm},
          {u"hxfvm", K::Label, u"", &Settings::hxfvm},
          {u"diyfvm", K::Label, u"", &Settings::diyfvm},
          {u"jjfvm", K::Label, u"", &Settings::jjfvm},
          {u"wbhfvm", K::Label, u"", &Settings::wbhfvm},
          {u"zrmfvm", K::Label, u"", &Settings::zrmfvm},
          {u"ynma", K::Label, u"", &Settings::ynma},
          {u"xyma", K::Label, u"", &Settings::xyma},
          {u"ynxyma", K::Label, u"", &Settings::ynxyma},
          {u"xyynma", K::Label, u"", &Settings::xyynma},
          {u"zrspbt", K::CheckBox, u"使用特权码表", &Settings::zrspbt},
          {u"yxmmh", K::CheckBox, u"音形码zcs模糊", &Settings::yxmmh},
          {u"Check5", K::CheckBox, u"", {}},
          {u"Check6", K::CheckBox, u"", {}},
          {u"Check7", K::CheckBox, u"", {}},
          {u"lhzv", K::Label, u"", {}},
          {u"zrhx1", K::Label, u"", {}},
          {u"Label14", K::Label, u"主码元集", {}, Place::Lead},
          {u"mayrji", K::TextBox, u"", &Settings::mayrji},
          {u"Label15", K::Label, u"辅码元集", {}, Place::Lead},
          {u"fumayrji", K::TextBox, u"", &Settings::fumayrji},
          {u"Text8", K::TextBox,
           u"边框标出的是正在使用的方案。点选方案后砚舟会重新生成词库并重新载入。", {},
           Place::Help},
      };
    case 2:  // 3.输入界面
      return {
          {u"Label16", K::Label, u"字词候选个数", {}, Place::Lead},
          {u"hxgu", K::TextBox, u"", &Settings::hxgu},
          {u"uphx", K::OptionButton, u"竖排候选", YZ_OPTION(uphx)},
          {u"hphx", K::OptionButton, u"横排候选", YZ_OPTION(hphx)},
          {u"zdhu", K::CheckBox, u"自动横竖", &Settings::zdhu},
          {u"jmgs", K::CheckBox, u"竖排候选置句末", &Settings::jmgs},
          {u"dhxj", K::CheckBox, u"多候选句", &Settings::dhxj},
          {u"uhxj", K::CheckBox, u"多候选句", &Settings::uhxj},
          {u"yuryh", K::CheckBox, u"云输入延后", &Settings::yuryh},
          {u"gbgs", K::CheckBox, u"光标跟随", &Settings::gbgs},
          {u"jlbm", K::CheckBox, u"编码分串", &Settings::jlbm},
          {u"Option1", K::OptionButton, u"编码栏", {}},
          {u"Option3", K::OptionButton, u"整句栏", {}},
          {u"Option4", K::OptionButton, u"候选栏", {}},
          {u"Command22", K::Button, u"背景色", {}},
          {u"Command2", K::Button, u"文字颜色", {}},
          {u"Command23", K::Button, u"字体、字号", {}},
          {u"xznvpf", K::Button, u"多彩皮肤任君选", {}},
          {u"Text6", K::TextBox, u"编码栏", &Settings::Text6},
          {u"Text4", K::TextBox, u"整句结果", &Settings::Text4},
          {u"Text5", K::TextBox, u"候选字词", &Settings::Text5},
          {u"Text3", K::TextBox,
           u"在左边选一栏，再用它下面的按钮改这一栏的背景色、文字颜色和字体，效果就显示在这里；"
           u"也可以点“多彩皮肤任君选”，在右边挑一款现成的皮肤。改好后点“保存、退出设置”。", {},
           Place::Help},
          {u"Pic1", K::PictureBox, u"", {}, Place::Help},
      };
    case 3:  // 4.词库工具
      return {
          {u"qjzc", K::CheckBox, u"上文动态造词", &Settings::qjzc},
          {u"fczc", K::CheckBox, u"智能造词", &Settings::fczc},
          {u"dzzc", K::CheckBox, u"连续单字造词", &Settings::dzzc},
          {u"ckyc", K::CheckBox, u"提醒词库有词", &Settings::ckyc},
          {u"yhcvh", K::CheckBox, u"用户词置后", &Settings::yhcvh},
          {u"Command4", K::Button, u"词库合并", {}},
          {u"Command18", K::Button, u"初始化两码词库", {}},
          {u"Command12", K::Button, u"单行转多行词库", {}},
          {u"Command13", K::Button, u"多行转单行词库", {}},
          {u"Command29", K::Button, u"整句识别分析器", {}},
          {u"Command25", K::Button, u"文章学习造词器", {}},
          {u"Label17", K::Label, u"词长范围", {}, Place::Lead},
          {u"Text2", K::TextBox, u"", &Settings::wordLengthRange},
          {u"Label18", K::Label, u"个汉字", {}},
          {u"yzlm", K::CheckBox, u"每字取前两码生成编码", &Settings::yzlm},
          {u"yzym", K::CheckBox, u"每字取首码构成简拼", &Settings::yzym},
          {u"smdi", K::CheckBox, u"四码定长", &Settings::smdi},
          {u"ijjp", K::CheckBox, u"超级简拼", &Settings::ijjp},
          {u"Label7", K::Label, u"两字词", {}, Place::Lead},
          {u"ldzici", K::TextBox, u"", &Settings::ldzici},
          {u"Label8", K::Label, u"三字词", {}, Place::Lead},
          {u"sjzici", K::TextBox, u"", &Settings::sjzici},
          {u"Label9", K::Label, u"四字词", {}, Place::Lead},
          {u"sizici", K::TextBox, u"", &Settings::sizici},
          {u"Label10", K::Label, u"五字词", {}, Place::Lead},
          {u"wuzici", K::TextBox, u"", &Settings::wuzici},
          {u"Label11", K::Label, u"六字词", {}, Place::Lead},
          {u"lqzici", K::TextBox, u"", &Settings::lqzici},
          {u"Label19", K::Label, u"七字词", {}, Place::Lead},
          {u"qizici", K::TextBox, u"", &Settings::qizici},
          {u"Label20", K::Label, u"N字词", {}, Place::Lead},
          {u"nzici", K::TextBox, u"", &Settings::nzici},
          {u"Text9", K::TextBox, u"自造词词长范围写成“2到7”的样子。", {}, Place::Help},
      };
    case 4:  // 5.快捷键设置
      return {
          {u"Label21", K::Label, u"卸载砚舟", {}, Place::Lead},
          {u"xzvx", K::TextBox, u"", &Settings::xzvx},
          {u"Label22", K::Label, u"混输整句", {}, Place::Lead},
          {u"huzj", K::TextBox, u"", &Settings::huzj},
          {u"Label23", K::Label, u"两码整句", {}, Place::Lead},
          {u"lmzj", K::TextBox, u"", &Settings::lmzj},
          {u"Label24", K::Label, u"准确度优先", {}, Place::Lead},
          {u"vqyx", K::TextBox, u"", &Settings::vqyx},
          {u"Label25", K::Label, u"流畅度优先", {}, Place::Lead},
          {u"liyx", K::TextBox, u"", &Settings::liyx},
          {u"Label26", K::Label, u"覆水可收", {}, Place::Lead},
          {u"fuku", K::TextBox, u"", &Settings::fuku},
          {u"Label27", K::Label, u"打印文档", {}, Place::Lead},
          {u"dywd", K::TextBox, u"", &Settings::dywd},
          {u"Label28", K::Label, u"当前时间", {}, Place::Lead},
          {u"dqsj", K::TextBox, u"", &Settings::dqsj},
          {u"Label29", K::Label, u"当前日期", {}, Place::Lead},
          {u"dqrq", K::TextBox, u"", &Settings::dqrq},
          {u"Label30", K::Label, u"当前星期", {}, Place::Lead},
          {u"dqxq", K::TextBox, u"", &Settings::dqxq},
          {u"Label31", K::Label, u"计算器", {}, Place::Lead},
          {u"jsq", K::TextBox, u"", &Settings::jsq},
          {u"Label32", K::Label, u"记事本", {}, Place::Lead},
          {u"jub", K::TextBox, u"", &Settings::jub},
          {u"lshift", K::OptionButton, u"波浪符号键", YZ_OPTION(lshift)},
          {u"qhzdy", K::OptionButton, u"自定义键值", YZ_OPTION(qhzdy)},
          {u"qhjv", K::Label, u"", &Settings::qhjv},
          {u"lctr", K::OptionButton, u"左Ctrl键", YZ_OPTION(lctr)},
          {u"ugzdy", K::OptionButton, u"自定义键值", YZ_OPTION(ugzdy)},
          {u"ugjv", K::Label, u"", &Settings::ugjv},
          {u"hiup", K::CheckBox, u"回车上屏汉字", &Settings::hiup},
          {u"Label33", K::Label, u"候选项快选键：", {}, Place::Lead},
          {u"kjhxj", K::TextBox, u"", &Settings::kjhxj},
          {u"bdkx", K::CheckBox, u"容许标点选", &Settings::bdkx},
          {u"kxup", K::CheckBox, u"标点顶屏", &Settings::kxup},
          {u"uzkx", K::CheckBox, u"容许数字选", &Settings::uzkx},
          {u"Label42", K::Label, u"F6 深系切换", {}},
          {u"Label37", K::Label, u"左Ctrl中英切换", {}},
          {u"Label38", K::Label, u"F7 抹黑取词", {}},
          {u"Label39", K::Label, u"F10 一键截图", {}},
          {u"Label40", K::Label, u"ESC 清空编码", {}},
          {u"Label41", K::Label, u"Tab 翻全页", {}},
          {u"Label34", K::Label, u"", {}},
          {u"Label35", K::Label, u"", {}},
          {u"jisrqi", K::TextBox, u"c:\\windows\\system32\\calc.exe", {}},
          {u"jiuibf", K::TextBox, u"c:\\windows\\system32\\\r\nnote\r\npad.exe", {}},
          {u"Text10", K::TextBox, u"点一下“按键码”，再按一下要用的键。", {}, Place::Help},
      };
    case 5:  // 6.十问十答
      return {{u"Text11", K::TextBox,
               u"问：怎样切换到系统输入法？\r\n答：没有编码时按一下反引号键。\r\n"
               u"问：打错的字怎样改？\r\n答：按左Ctrl键进入瞬改。",
               {}, Place::Help}};
    case 6:  // 7.说明书
      return {{u"Text12", K::TextBox,
               u"砚舟按两码一字输入整句，空格上屏，回车上屏编码，ESC清空编码，Tab翻全页。", {},
               Place::Help}};
    default:  // 8.关 于
      return {
          {u"Frame25", K::Frame, u"输入方式", {}, Place::Wide},
          {u"ymur", K::OptionButton, u"音码输入", YZ_OPTION(ymur)},
          {u"xmur", K::OptionButton, u"形码输入", YZ_OPTION(xmur)},
          {u"yxmur", K::OptionButton, u"音形码输入", YZ_OPTION(yxmur)},
          {u"Text13", K::TextBox, u"砚舟整句输入平台。", {}, Place::Help},
      };
  }
}

#undef YZ_OPTION

constexpr std::u16string_view kPageButtons[kSettingsPages][2] = {
    {u"bmfa", u"1.打字模式"}, {u"dzmu", u"2.编码方案"}, {u"urjm", u"3.输入界面"},
    {u"ckgj", u"4.词库工具"}, {u"kjuv", u"5.快捷键设置"}, {u"uwud", u"6.十问十答"},
    {u"umu", u"7.说明书"},    {u"gryu", u"8.关 于"}};

constexpr std::u16string_view kFrameCaptions[kSettingsPages] = {
    u"打字模式", u"编码方案", u"输入界面", u"词库工具", u"快捷设置", u"十问十答", u"说明书", u"关 于"};

Colour colourOf(std::int32_t signedColour) { return static_cast<Colour>(signedColour); }

}  // namespace

SettingsDialog::SettingsDialog(Platform& platform, Settings& settings, CompositionState& comp,
                               WindowState& win)
    : platform_(platform), settings_(settings), comp_(comp), win_(win) {
  layout();
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::layout() {
  for (int p = 0; p < kSettingsPages; ++p) {
    DialogControl button;
    button.name = std::u16string(kPageButtons[p][0]);
    button.kind = ControlKind::Button;
    button.caption = std::u16string(kPageButtons[p][1]);
    button.bounds = Rect{kPageButtonLeft, 120 + p * 480, kPageButtonLeft + kPageButtonWidth,
                         120 + p * 480 + kPageButtonHeight};
    controls_.push_back(std::move(button));
  }
  DialogControl save;
  save.name = u"bcuv";
  save.kind = ControlKind::Button;
  save.caption = u"保存、退出设置";
  save.bounds = Rect{kPageButtonLeft, 120 + 8 * 480 + 240, kPageButtonLeft + kPageButtonWidth,
                     120 + 8 * 480 + 240 + 600};
  controls_.push_back(std::move(save));

  for (int p = 0; p < kSettingsPages; ++p) {
    DialogControl frame;
    frame.name = std::u16string(kFrames[p]);
    frame.kind = ControlKind::Frame;
    frame.page = p;
    frame.caption = std::u16string(kFrameCaptions[p]);
    frame.bounds = Rect{kFrameLeft, kFrameTop, kFrameLeft + kFrameWidth, kFrameTop + kFrameHeight};
    controls_.push_back(std::move(frame));

    int col = 0, row = 0;
    bool leadOpen = false;
    auto cellX = [&] { return kCellLeft + col * (kCellWidth + 120); };
    auto cellY = [&] { return kRowTop + row * kRowHeight; };
    auto advance = [&] {
      if (++col == 2) {
        col = 0;
        ++row;
      }
    };
    for (const Row& r : pageRows(p)) {
      DialogControl c;
      c.name = std::u16string(r.name);
      c.kind = r.kind;
      c.page = p;
      c.caption = std::u16string(r.caption);
      c.binding = r.binding;
      c.multiLine = r.place == Place::Help;
      const int h = kRowHeight - 30;
      switch (r.place) {
        case Place::Lead:
          c.bounds = Rect{cellX(), cellY(), cellX() + kLeadWidth, cellY() + h};
          leadOpen = true;
          break;
        case Place::Cell:
          if (leadOpen) {
            c.bounds = Rect{cellX() + kLeadWidth + 60, cellY(), cellX() + kCellWidth, cellY() + h};
            leadOpen = false;
          } else {
            c.bounds = Rect{cellX(), cellY(), cellX() + kCellWidth, cellY() + h};
          }
          advance();
          break;
        case Place::Wide:
          if (col != 0) advance();
          c.bounds = Rect{kCellLeft, cellY(), kFrameLeft + kFrameWidth - 120, cellY() + h};
          ++row;
          break;
        case Place::Help:
          c.bounds = Rect{kCellLeft, kHelpTop, kFrameLeft + kFrameWidth - 120, kHelpTop + kHelpHeight};
          break;
      }
      // The key labels always have a border; the skin picture starts hidden.
      if (c.name == u"qhjv" || c.name == u"ugjv") c.borderStyle = 1;
      if (c.name == u"Pic1") c.visible = false;
      controls_.push_back(std::move(c));
    }
  }
  layoutLookPage();
  // The input-kind frame holds its three options: stretch it over their rows.
  if (DialogControl* f = find(u"Frame25")) {
    f->bounds.bottom = f->bounds.top + 3 * kRowHeight;
  }
}

DialogControl* SettingsDialog::find(std::u16string_view name) {
  for (auto& c : controls_) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

const DialogControl* SettingsDialog::control(std::u16string_view name) const {
  for (const auto& c : controls_) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

void SettingsDialog::load() {
  if (native_) return;
  native_ = platform_.createForm([this](const FormEvent& e) { onEvent(e); });
  visible_ = false;
  realise();
}

void SettingsDialog::show() {
  load();
  visible_ = true;
  topMost_ = true;
  realise();
}

void SettingsDialog::hide() {
  visible_ = false;
  realise();
}

void SettingsDialog::unload() {
  visible_ = false;
  focusedBox_.clear();
  native_.reset();
}

void SettingsDialog::showPage(int page) {
  if (page < 0 || page >= kSettingsPages) return;
  page_ = page;
  realise();
}

std::u16string SettingsDialog::caption(std::u16string_view name) const {
  const DialogControl* c = control(name);
  return c ? c->caption : std::u16string();
}

void SettingsDialog::setCaption(std::u16string_view name, std::u16string_view text) {
  if (DialogControl* c = find(name)) c->caption = std::u16string(text);
  realise();
}

namespace {

void showNotReady(Platform& platform) {
  platform.messageBox(u"该功能尚在整合中，请等正式版。", u"", MessageBoxKind::Ok);
}

}  // namespace

void SettingsDialog::spareNotice1() { showNotReady(platform_); }
void SettingsDialog::spareNotice2() { showNotReady(platform_); }
void SettingsDialog::spareNotice3() { showNotReady(platform_); }
void SettingsDialog::spareNotice4() { showNotReady(platform_); }

void SettingsDialog::spareUserWordCodes() {
  if (lexiconCommands_) lexiconCommands_->yhckfvm();
}

void SettingsDialog::spareExit() {
  if (commands_) commands_->Label8_Click();
}

void SettingsDialog::leaveTopmost() {
  topMost_ = false;
  realise();
}

void SettingsDialog::qhjv_Click() {
  // Out of the topmost band, so the message box comes to the front.
  topMost_ = false;
  realise();
  platform_.messageBox(u"鼠标点击确定后，请立即在键盘上点击一下你要作为切换输入法快捷键的按键！",
                       u"", MessageBoxKind::Ok);
  comp_.switchKeyCode = -1;
  comp_.platformMode = 1;
  win_.platformLabel = u"砚舟";
}

void SettingsDialog::ugjv_Click() {
  topMost_ = false;
  realise();
  platform_.messageBox(u"鼠标点击确定后，请立即点击一下你要作为瞬改快捷键的按键！", u"",
                       MessageBoxKind::Ok);
  comp_.modifyKeyCode = -1;
  comp_.platformMode = 1;
  win_.platformLabel = u"砚舟";
}

void SettingsDialog::endPreview() {
  if (DialogControl* t = find(u"Text3")) t->visible = true;
  showSkinPanel(false);
  realise();
}

void SettingsDialog::xznvpf_Click() {
  hideHelp();
  showSkinPanel(true);
  realise();
}

void SettingsDialog::hideHelp() {
  if (DialogControl* t = find(u"Text3")) t->visible = false;
  realise();
}

void SettingsDialog::place(const Rect& bounds) {
  placement_ = bounds;
  realise();
}

Rect SettingsDialog::bounds() const {
  if (placement_) return *placement_;
  const Rect screen = platform_.screenRect();
  const int twips = platform_.twipsPerPixel();
  const int left = std::max(0, (screen.width() * twips - kWidth) / 2);
  const int top = std::max(0, (screen.height() * twips - kHeight) / 2);
  return Rect{left, top, left + kWidth, top + kHeight};
}

void SettingsDialog::onEvent(const FormEvent& event) {
  if (!enabled_) return;  // a lexicon is being rebuilt
  if (event.kind == FormEventKind::Close && event.control.empty()) {
    if (commands_) commands_->Form_QueryUnload(0);
    return;
  }
  if (event.kind == FormEventKind::KeyPress) {
    // Typed characters go to the text box clicked last.
    if (DialogControl* box = find(focusedBox_)) typeInto(*box, event.text);
    realise();
    return;
  }
  DialogControl* c = find(event.control);
  if (!c) return;
  switch (event.kind) {
    case FormEventKind::Click:
      click(*c, event);
      break;
    case FormEventKind::Change:
      if (c->kind == ControlKind::TextBox) {
        if (auto* m = std::get_if<std::u16string Settings::*>(&c->binding)) settings_.*(*m) = event.text;
        else c->caption = event.text;
      }
      break;
    default:
      return;
  }
  realise();
}

void SettingsDialog::click(DialogControl& c, const FormEvent&) {
  for (int p = 0; p < kSettingsPages; ++p) {
    if (c.name == kPageButtons[p][0]) {
      showPage(p);
      return;
    }
  }
  if (c.name == u"bcuv") {
    if (commands_) commands_->bcuv_Click();
    return;
  }
  if (c.name == u"Label8") {
    if (commands_) commands_->Label8_Click();
    return;
  }
  if (lexiconCommands_ && lexiconCommands_->lexiconClick(c.name)) return;
  if (c.name == u"qhjv") return qhjv_Click();
  if (c.name == u"ugjv") return ugjv_Click();
  if (c.name == u"xznvpf") return xznvpf_Click();
  if (look_ && look_->lookClick(c.name)) return;
  if (tools_ && tools_->toolClick(c.name)) return;
  if (c.name == u"Option1") lookBar_ = 0;
  if (c.name == u"Option3") lookBar_ = 1;
  if (c.name == u"Option4") lookBar_ = 2;
  if (auto* m = std::get_if<int Settings::*>(&c.binding)) {
    settings_.*(*m) = settings_.*(*m) ? 0 : 1;
  } else if (auto* ref = std::get_if<OptionRef>(&c.binding)) {
    // One option group per container: choosing one clears the others.
    selectOption(settings_, (*ref)(settings_));
  } else if (c.kind == ControlKind::TextBox) {
    focusedBox_ = c.name;
    if ((c.name == u"mayrji" || c.name == u"fumayrji") && commands_) commands_->alphabetBoxClicked();
  }
}

void SettingsDialog::typeInto(DialogControl& c, std::u16string_view typed) {
  auto* m = std::get_if<std::u16string Settings::*>(&c.binding);
  std::u16string& text = m ? settings_.*(*m) : c.caption;
  for (char16_t ch : typed) {
    if (ch == u'\b') {
      if (!text.empty()) text.pop_back();
    } else if (ch >= u' ') {
      text.push_back(ch);
    }
  }
}

ControlView SettingsDialog::viewOf(const DialogControl& c) const {
  ControlView v;
  v.name = c.name;
  v.kind = c.kind;
  v.text = c.caption;
  v.bounds = c.bounds;
  v.visible = c.visible && (c.page < 0 || c.page == page_);
  v.borderStyle = c.borderStyle;
  v.multiLine = c.multiLine;
  v.backColour = 0x8000000F;  // the button face
  v.font = FontSpec{u"宋体", 9, false};
  Settings& s = settings_;
  if (auto* m = std::get_if<int Settings::*>(&c.binding)) {
    v.value = s.*(*m);
  } else if (auto* ref = std::get_if<OptionRef>(&c.binding)) {
    v.value = (*ref)(s) ? -1 : 0;
  } else if (auto* label = std::get_if<SchemeLabel Settings::*>(&c.binding)) {
    v.text = (s.*(*label)).caption;
    v.borderStyle = (s.*(*label)).borderStyle;
  } else if (auto* text = std::get_if<std::u16string Settings::*>(&c.binding)) {
    v.text = s.*(*text);
  } else if (auto* box = std::get_if<SkinBox Settings::*>(&c.binding)) {
    const SkinBox& b = s.*(*box);
    v.backColour = colourOf(b.backColour);
    v.foreColour = colourOf(b.foreColour);
    v.font = FontSpec{b.fontName, b.fontSize, b.bold};
  }
  if (c.name == u"Option1" || c.name == u"Option3" || c.name == u"Option4") {
    const int bar = c.name == u"Option1" ? 0 : c.name == u"Option3" ? 1 : 2;
    v.value = bar == lookBar_ ? -1 : 0;
  }
  if (skinLabel(c.name)) {
    // The skin labels: large white captions on the highlight colour.
    v.font = FontSpec{u"宋体", 14.25, false};
    v.backColour = 0x8000000D;
    v.foreColour = 0xFFFFFF;
    v.alignment = 2;
  }
  if (c.kind == ControlKind::TextBox && !std::holds_alternative<SkinBox Settings::*>(c.binding)) {
    v.backColour = 0xFFFFFF;
    v.borderStyle = 1;
  }
  return v;
}

FormView SettingsDialog::buildView() const {
  FormView view;
  view.title = u"砚舟Vexim输入法 — 设置";
  view.bounds = bounds();
  view.visible = visible_;
  view.topMost = topMost_;
  view.backColour = 0x8000000F;
  view.controls.reserve(controls_.size());
  for (const auto& c : controls_) view.controls.push_back(viewOf(c));
  return view;
}

void SettingsDialog::realise() {
  if (native_) native_->show(buildView());
}

}  // namespace yz
