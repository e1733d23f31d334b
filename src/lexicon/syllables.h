#pragma once
// Full-pinyin syllables and shuangpin layouts: the pair files derived from the master syllable
// file, and the conversions between 自然双拼 codes and full pinyin through the `SyllableTable`s.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "state/lexicon_state.h"

namespace yz {

class Platform;
class ProgramFolder;

inline constexpr std::u16string_view kSyllableMasterPath = u"内置文件\\全拼-小鹤-自然-国标.txt";
inline constexpr std::u16string_view kSyllablePairPath = u"内置文件\\qp2sp.txt";
inline constexpr std::u16string_view kZiranmaPairPath = u"内置文件\\qp2sp自然.txt";
inline constexpr std::u16string_view kCustomLayoutSourcePath = u"用户diy文件\\qp2sp自定义.txt";
inline constexpr std::u16string_view kCustomLayoutPairPath = u"用户diy文件\\自定义双拼2自然双拼.txt";

// Derives the six pair files from the master syllable file (qp2sp小鹤, qp2sp自然, qp2sp国标,
// 小鹤双拼2自然双拼, 国标双拼2自然双拼, sp2qp自然) and copies qp2sp自然.txt over qp2sp.txt. False when
// the master file is missing (nothing is written then) or a file could not be written. A master
// line without exactly four fields is skipped. Without a single 国标 code in the master file the
// two 国标 files are left as they are, so a pair file the user supplies there stays.
bool qptouptoup(const ProgramFolder& files, const Platform& platform);

// Writes 用户diy文件\自定义双拼2自然双拼.txt, "user code,自然 code" for every syllable of
// qp2sp自然.txt (from its second line) that 用户diy文件\qp2sp自定义.txt lists. False, writing
// nothing, when an input is missing or holds more than 501 lines.
bool zdyup2zrup(const ProgramFolder& files, const Platform& platform);

// Writes 用户diy文件\鹤形辅助码缺少.txt: the lines of 内置文件\自然码辅助码.txt whose character
// 用户diy文件\鹤形辅助码.txt does not list. Same limits as `zdyup2zrup`.
bool zrmfvm2xhfvm(const ProgramFolder& files, const Platform& platform);

// Fills both syllable tables from "syllable,code" lines (qp2sp.txt or resource 101), from
// index 0: by pinyin in line order, by code sorted by code with every "ve" written "ue". At most
// 501 lines are taken. Pumps messages (through the sort).
void fillSyllableTables(LexiconState& lex, const std::vector<std::u16string>& lines,
                        const std::function<void()>& pump);

// Code string to full pinyin, two letters a syllable, "'" between them; a code the table lacks
// stays as typed. Leaves loopCounter = the length of spir.
void sptoqp(const LexiconState& lex, std::u16string_view spir, std::u16string& qpir,
            std::int32_t& loopCounter);

// Full pinyin with "'" between syllables to concatenated 自然双拼 codes; a syllable the table
// lacks is dropped. Leaves splitList = the syllables, loopCounter = its last index.
void qptosp(const LexiconState& lex, std::u16string_view qpir, std::u16string& spir,
            std::vector<std::u16string>& splitList, std::int32_t& loopCounter);

}  // namespace yz
