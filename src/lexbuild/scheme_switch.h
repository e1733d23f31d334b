#pragma once
// The coding schemes the settings dialog switches among, and the rules by which a switch reads a
// scheme's single-character full-code file (`CharCodeLine` records "code,character", GBK, CR LF)
// into the per-character tables. The switch itself (question, settings, regeneration, reload)
// belongs to the application; this file holds what it needs to know about each scheme.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "state/lexicon_state.h"
#include "state/settings.h"

namespace yz {

class GbkTable;

inline constexpr std::u16string_view kActiveFullCodesPath = u"内置文件\\单字全码.txt";
inline constexpr std::u16string_view kActiveSyllablePairPath = u"内置文件\\qp2sp.txt";
inline constexpr std::u16string_view kCharCodeTablePath = u"内置文件\\单字码表.txt";
inline constexpr std::u16string_view kWubi86LexiconPath = u"内置文件\\两码词库五笔86默认.txt";
inline constexpr std::u16string_view kWubi86CharLexiconPath = u"内置文件\\单字字库五笔86默认.txt";
inline constexpr std::u16string_view kWubi86FullCodesPath = u"内置文件\\单字全码五笔86.txt";

// The input kind a scheme selects; it decides the regeneration (shape: `hzvh`, sound: `bmvh`,
// sound-shape: `yxmvh`).
enum class InputKind { Sound, Shape, SoundShape };

// The last code character a scheme accepts; a code ending in anything else becomes its first
// letter doubled.
enum class EndRange {
  None,           // no end-letter rule (自定义形码)
  Letters,        // a to z
  LettersAndMark  // _ to z (character codes 95 to 122)
};

// Which record of a character sets its full code.
enum class FullCodeRule {
  FirstWins,  // the first record, or a later one with "_" as its second letter
  LastWins    // the last record with a one-character field and a code of two or more letters
};

struct SchemeMember {
  std::u16string_view label;     // the settings label marked by the switch
  std::u16string_view question;  // the OK/Cancel question; empty: none is asked (五笔86)
  InputKind kind;
  // The code alphabets written before the label is marked; unset: left as they are.
  std::optional<std::u16string_view> mainAlphabet;
  std::optional<std::u16string_view> auxAlphabet;
  std::u16string_view fullCodeSource;  // copied over 内置文件\单字全码.txt
  std::u16string_view syllableSource;  // copied over 内置文件\qp2sp.txt; empty: none
  EndRange endRange;
  FullCodeRule fullCodeRule;
  bool readsFullCodes;      // false: the copied file is not read (国标双拼, 五笔86)
  bool fluencyFirst;        // `lidyx` selected after the regeneration; false: cleared
  bool showsWaitText;       // false for 小鹤双拼: no wait text, the full-code table kept
  bool readyMade;           // 五笔86: restores ready-made lexicon files instead of regenerating
  bool clearsFullPinyin;    // the sound schemes clear 全拼 when their label is already marked
  std::u16string_view waitText;
};

// The member of a scheme label (ubfm, wbjb, zdyxym, zdyyxm, xdwb, zdyxm, zm, vxbf, wbbl, and the
// procedures' labels xhhx, gbup, zdypf); nullptr for any other name.
const SchemeMember* schemeMember(std::u16string_view label);
// The labels of every member, in the order of the scheme table.
std::vector<std::u16string_view> schemeLabels();

// The display name of a scheme label (its caption), for messages.
std::u16string_view schemeName(const Settings& settings, std::u16string_view label);
// The label field of a settings store by name; nullptr for an unknown name.
SchemeLabel* schemeLabel(Settings& settings, std::u16string_view label);

// The border clearers of the scheme page: `bkbu` clears all 23 labels, `bkbusp` the coding-scheme,
// imported-lexicon and 全拼 labels (1 to 18), `bkbufvm` the five auxiliary-code labels.
void bkbu(Settings& settings);
void bkbusp(Settings& settings);
void bkbufvm(Settings& settings);

// Selects the input-kind option of a kind.
void selectInputKind(Settings& settings, InputKind kind);

// The fields of a `CharCodeLine` file as a stream: a comma or a line end closes a field, a
// double-quoted field may hold a comma and loses its quotes; blank lines hold no field. Fields
// are paired two at a time in file order.
std::vector<std::u16string> charCodeFields(std::u16string_view text);

struct FullCodeReadResult {
  std::int32_t records = 0;  // records read into the tables
  std::int32_t skipped = 0;  // records with an empty code or character field
  // One message a record whose code begins with a double-byte character (fields swapped):
  // the file path, the code, two blanks, the character field and "是否有误？请检查！".
  std::vector<std::u16string> suspicious;
};

// Reads a full-code file's text into `charFullCodes` and `charAuxCodes` by the member's rules:
// spaces removed, a one-letter code doubled, the end-letter rule, the auxiliary letters from the
// third letter on, the full code by the member's rule, and a character field of several
// characters giving its first character the rest of the field. The caller empties the tables
// it wants empty.
FullCodeReadResult readSchemeFullCodes(std::u16string_view text, const SchemeMember& member,
                                       const GbkTable& gbk, CharTable& charFullCodes,
                                       CharTable& charAuxCodes);

// The short codes of the first-level characters in the order the privileged code table lists
// them: `yjjmcn` the characters, `yjjmen` their two-letter codes ending in "_".
struct FirstLevelShortCodes {
  std::u16string yjjmcn;  // characters that have a first-level short code
  std::u16string yjjmen;  // their two-letter short codes, in the same order
};
FirstLevelShortCodes firstLevelShortCodes(const PrivilegedCodeTable& table);

}  // namespace yz
