#pragma once
// The settings dialog's controls: the live settings store. Every part reads a setting from its
// control at the moment it needs it. Check boxes hold 0 or 1; option buttons true or false; a
// scheme or layout label counts as marked while its border style is 1. Field names are the
// controls' names; the defaults are the dialog's design values.

#include <array>
#include <cstdint>
#include <string>

namespace yz {

struct SchemeLabel {
  std::u16string caption;  // the name the label shows
  int borderStyle = 0;     // 1 while the scheme, layout or table is the one in use
  bool marked() const { return borderStyle == 1; }
};

// A bar of the candidate window as the skin editor holds it. Colours are the signed form of the
// windowing runtime: 0x00BBGGRR, or 0x80000000 + index for a system colour.
struct SkinBox {
  std::int32_t backColour = 16777215;  // the bar's background
  std::int32_t foreColour = 0;         // its text colour
  double fontSize = 10.5;              // its font size, points
  std::u16string fontName = u"宋体";   // its font
  bool bold = false;                   // its font is bold
};

struct Settings {
  // --- input kind and sentence mode ---
  bool ymur = true;    // 音码输入
  bool yxmur = false;  // 音形码输入
  bool xmur = false;   // 形码输入
  bool huvj = false;   // 混输整句
  bool ilmvj = true;   // 纯两码整句
  bool dgvj = false;   // 顶功整句
  bool izcmu = false;  // 字词模式
  bool smvj = false;   // 纯三码整句
  int gjxm = 0;        // 高阶形码整句 (not saved)
  bool vqdyx = false;  // 输入准确度优先 (not saved)
  bool lidyx = true;   // 输入流畅度优先 (not saved)

  // --- keys ---
  bool gdms = false;   // 跟打模式 (not saved)
  bool lctr = true;    // 左Ctrl键 enters instant modify
  bool ugzdy = false;  // 自定义键值 enters instant modify
  std::u16string ugjv = u"按键码";  // captured instant-modify key code (a label's caption)
  std::u16string qhjv = u"按键码";  // captured switch key code
  bool lshift = true;  // 波浪符号键 switches input method
  bool qhzdy = false;  // 自定义键值 switches input method

  // --- candidates ---
  std::u16string hxgu = u"5";  // 候选个数
  bool uphx = false;           // 竖排候选
  bool hphx = true;            // 横排候选
  int uzkx = 1;                // 容许数字选
  int bdkx = 1;                // 容许标点选
  int kxup = 1;                // 快选键上屏
  std::u16string kjhxj = u";'[]\\";  // 快捷候选键
  int zdhu = 0;                // 自动横竖排显示
  int jumoxris = 1;            // 句末选重上屏
  int jmgs = 0;                // 竖排候选置句末
  int dhxj = 0;                // 多候选句
  int kmup = 0;                // 空码上屏
  int wyup = 0;                // 候选唯一上屏
  int hiup = 0;                // 回车上屏汉字
  int cpyx = 0;                // 重码时词频优先 (not saved)

  // --- association and auxiliary codes ---
  int iqlx = 0;                    // 超前联想
  std::u16string iqlxms = u"12";   // 超前联想起始码数
  int fmwx = 0;                    // 辅码乱序取 (not saved)
  // 首末字辅助优先, 末首字辅助优先, 任意字辅助: one option-button array.
  std::array<bool, 3> auxOrder{false, true, false};  // umzf, muzf, zyfv
  std::u16string mayrji = u"abcdefghijklmnopqrstuvwxyz";  // 编码码元集: main code elements
  std::u16string fumayrji;                                   // auxiliary code elements
  std::u16string fcuj = u"1000000";                          // 辅助后切分时间

  // --- schemes and layouts (marked by border style 1) ---
  SchemeLabel vxbf{u"声韵辅数"};        // scheme
  SchemeLabel zrhx{u"自然双拼"};        // layout
  SchemeLabel ubfm{u"声笔飞码"};        // scheme
  SchemeLabel qrpn{u"全 拼"};         // full pinyin

  // --- further schemes, layouts, auxiliary tables and imported-lexicon kinds ---
  SchemeLabel gbup{u"国标双拼"};        // layout
  SchemeLabel xhhx{u"小鹤双拼"};        // layout
  SchemeLabel wbbl{u"五笔86"};        // shape scheme
  SchemeLabel xdwb{u"现代五笔"};        // shape scheme
  SchemeLabel zm{u"郑码"};            // shape scheme
  SchemeLabel zdyyxm{u"自定义音形码"};    // user-defined sound-shape scheme
  SchemeLabel zdyxm{u"自定义形码"};      // user-defined shape scheme
  SchemeLabel zdypf{u"自定双拼"};       // user-defined layout
  SchemeLabel zdyxym{u"自声鹤形"};      // sound-shape scheme
  SchemeLabel wbjb{u"五笔98"};        // shape scheme
  SchemeLabel ynma{u"音码"};          // imported lexicon: sound codes
  SchemeLabel xyma{u"形码"};          // imported lexicon: shape codes
  SchemeLabel ynxyma{u"音形码"};       // imported lexicon: sound-shape codes
  SchemeLabel xyynma{u"形音码"};       // imported lexicon: shape-sound codes
  SchemeLabel zrmfvm{u"自然辅助码"};     // auxiliary-code table
  SchemeLabel hxfvm{u"鹤形辅助码"};      // auxiliary-code table
  SchemeLabel diyfvm{u"自定辅助码"};     // auxiliary-code table (the user's)
  SchemeLabel wbhfvm{u"笔画辅助码"};     // auxiliary-code table
  SchemeLabel jjfvm{u"偏旁辅助码"};      // auxiliary-code table

  // --- behaviour ---
  int dzzc = 0;    // 连续单字造词
  int uhxj = 0;    // 多候选句 (双候选栏)
  int yuryh = 1;   // 云输入延后
  int zrspbt = 0;  // 使用特权码表
  int idqi = 0;    // 词组重叠取差集
  int yxmmh = 1;   // 音形码zcs模糊
  int jtb = 0;     // 剪贴板上屏
  int qjzc = 0;    // 上文动态造词
  int fczc = 1;    // 智能造词
  int ckyc = 0;    // 提醒词库有词
  int gbgs = 0;    // 光标跟随
  int jlbm = 0;    // 编码分串
  int yhcvh = 0;   // 用户词置后 (not saved)
  std::u16string wordLengthRange = u"2到7";  // Form2.Text2 自造词词长范围

  // --- command codes ---
  std::u16string xzvx = u"xzvx";  // 卸载砚舟
  std::u16string huzj = u"huvj";  // 混输整句
  std::u16string lmzj = u"lmvj";  // 两码整句
  std::u16string vqyx = u"vqyx";  // 准确度优先
  std::u16string liyx = u"liyx";  // 流畅度优先
  std::u16string dywd = u"dywd";  // 打印文档
  std::u16string dqsj = u"time";  // 当前时间
  std::u16string dqrq = u"date";  // 当前日期
  std::u16string dqxq = u"week";  // 当前星期
  std::u16string jsq = u"jsqi";   // 计算器
  std::u16string jub = u"jubf";   // 记事本
  std::u16string fuku = u"fuku";  // 覆水可收

  // --- word-code rules ---
  int yzlm = 1;  // 每字取前两码生成编码
  int yzym = 0;  // 每字取首码构成简拼
  int smdi = 0;  // 四码定长
  int ijjp = 1;  // 超级简拼
  // Word-code rules by word length, one code per comma-separated rule. A rule joins elements with
  // "+"; an element names a character (1-9, 0 the tenth, a-z the 11th on, # the last) and then the
  // letters it gives: 1 and 2 from its two-letter code, 3 and on from its full code.
  std::u16string ldzici = u"112+212,112+2123,1123+212,112+212+13+23,112+212+23+13";  // two characters
  std::u16string sjzici = u"11+21+312";           // three characters
  std::u16string sizici = u"11+21+31+41";         // four characters
  std::u16string wuzici = u"11+21+31+41+51";      // five characters
  std::u16string lqzici = u"11+21+31+41+51+n12";  // six characters
  std::u16string qizici = u"11+21+31+41+51+n12";  // seven characters
  std::u16string nzici = u"11+21+31+41+51+n12";   // eight characters and more

  // --- the look: the three preview boxes of the skin editor ---
  SkinBox Text6{16777215, -2147483640, 10.5, u"宋体", false};  // 编码栏: the code bar
  SkinBox Text4{16777215, -2147483640, 12, u"楷体", true};     // 整句结果: the sentence bar
  SkinBox Text5{-2147483644, 0, 10.5, u"宋体", false};         // 候选字词: the candidate bar
};

}  // namespace yz
