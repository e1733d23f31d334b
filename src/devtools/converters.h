#pragma once
// One-off lexicon converters with which the lexicon and table files were derived from word lists,
// frequency lists and stroke tables. Each works on the lines of its input files and gives back the
// lines of its output; `convertFiles` runs one between files of a folder named by the caller.
// Nothing in the program calls them.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace yz {

class Platform;
class ProgramFolder;

using LineList = std::vector<std::u16string>;
// The auxiliary-code letters of a character ("" when it has none).
using AuxCodeOf = std::function<std::u16string(char16_t)>;

// "word,code" records to "code,word*n" lines with the code lengthened by auxiliary letters.
LineList ciku(const LineList& records, const AuxCodeOf& auxOf);

// "code,word,weight,x" records to "code,word,marker,weight,length" lines, a marker per way of
// forming the code.
LineList rewriteMarkerCodes(const LineList& records, const AuxCodeOf& auxOf);

// Adjacent lines of one code joined into "code,list".
LineList joinSameCodeLines(const LineList& lines);

// Older "code,word+weight word+weight" lines to one "code,word weight" line per item.
LineList splitLexiconPairs(const LineList& lines);

// "a,b" lines with every digit of b set between commas.
LineList separateStrokeDigits(const LineList& lines);

// A code with the zero-initial pieces rewritten: v/i/u pieces to z/c/s, then a/e/o pieces by the
// zero-initial table ("pair,replacement" lines).
std::u16string zeroInitialCode(std::u16string_view code, const LineList& zeroTable);
LineList zeroInitialVariants(const LineList& lexiconLines, const LineList& zeroTable);

// "character,strokes" and "code,character" lines to "piece strokes,character" lines.
LineList zeroInitialStrokeMerge(const LineList& strokeLines, const LineList& zeroTable,
                                const LineList& charCodeLines);

// Word list "a,b,c" with the frequency of b from a "word,frequency" table sorted by word (400 when
// absent).
LineList mergeWordFrequencies(const LineList& frequencyLines, const LineList& wordLines);

// Word list "a,b,c" with the frequency of (a, b) from an "X,Y,F" corpus table glued behind b; an
// unmatched line takes the last frequency plus 0.0001.
LineList joinCorpusFrequencies(const LineList& corpusLines, const LineList& wordLines);

// One Chinese text a line to "code,text 100" lines; `codeOf` gives the text's shuangpin code.
LineList annotateWordList(const LineList& lines,
                          const std::function<std::u16string(std::u16string_view)>& codeOf);

// First pass: "a,b,c,d" lines with b in another layout's codes to "a,pinyin,d+1000" through the
// "pinyin,code" table. Second pass: "a,pinyin,c" lines to "code,a,c" through the "pinyin,code"
// table of 自然双拼 (a syllable it lacks gives no code).
LineList frequencyListToShuangpin(const LineList& layoutTable, const LineList& frequencyLines);
LineList frequencyListToShuangpin2(const LineList& ziranTable, const LineList& pinyinLines);

// Runs a converter of one input between two files of a folder; false when the input cannot be
// read or the output written (the old output is kept then).
bool convertFiles(const ProgramFolder& files, const Platform& platform, std::u16string_view input,
                  std::u16string_view output, const std::function<LineList(const LineList&)>& convert);

}  // namespace yz
