#include "devtools/regex_demo.h"

#include <regex>
#include <string>

#include "platform/platform.h"
#include "state/service_cells.h"
#include "state/services.h"

namespace yz {

namespace {

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::u16string narrow(const std::wstring& text) {
  std::u16string out;
  for (wchar_t c : text) out.push_back(static_cast<char16_t>(c));
  return out;
}

std::u16string number(long long n) {
  std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

bool bTest(std::u16string_view s, std::u16string_view p) {
  try {
    std::wregex pattern(wide(p));
    std::wstring text = wide(s);
    return std::regex_search(text, pattern);
  } catch (const std::regex_error&) {
    return false;
  }
}

std::u16string TestRegExp(std::u16string_view myPattern, std::u16string_view myString) {
  std::u16string result;
  try {
    std::wregex pattern(wide(myPattern), std::regex::ECMAScript | std::regex::icase);
    std::wstring text = wide(myString);
    for (std::wsregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
      result += u"Match found at position " + number(it->position()) + u". Match Value is '" +
                narrow(it->str()) + u"'.\r\n";
    }
  } catch (const std::regex_error&) {
    result.clear();
  }
  return result.empty() ? std::u16string(u"String Matching Failed") : result;
}

std::vector<std::u16string> regExpDemo(Platform* platform) {
  auto truth = [](bool b) { return std::u16string(b ? u"True" : u"False"); };
  std::vector<std::u16string> texts{
      TestRegExp(u"s", u"IS1 is2 IS3 wodeis4"),
      truth(bTest(u"wo45,df,womfui123", u"/d")),
      truth(bTest(u"wo45,df,womfui123", u"^/d+$")),
      truth(bTest(u"wo45,df,womfui123", u"[A-Z]+")),
  };
  if (platform != nullptr) {
    for (const auto& text : texts) platform->messageBox(text, u"", MessageBoxKind::Ok);
  }
  return texts;
}

std::vector<std::u16string> dumpCloudFirstChoices(
    const std::vector<std::u16string>& lexiconLines, const SyllableTable& syllables,
    const std::function<std::u16string(const std::u16string& pinyin)>& ask,
    const std::function<void(int ms)>& wait, int maxQueries) {
  std::vector<std::u16string> out;
  for (const auto& line : lexiconLines) {
    std::size_t comma = line.find(u',');
    if (comma == std::u16string::npos) continue;
    std::u16string_view code = std::u16string_view(line).substr(0, comma);
    std::u16string_view list = std::u16string_view(line).substr(comma + 1);
    std::size_t space = list.find(u' ');
    if (space == std::u16string_view::npos) continue;  // no weight: no word to ask for
    std::u16string_view word = list.substr(0, space);
    if (code.size() != word.size() * 2 || code.size() < 4) continue;
    std::u16string pinyin;
    bool complete = true;
    for (std::size_t p = 0; p + 1 < code.size() && complete; p += 2) {
      std::u16string_view piece = code.substr(p, 2);
      complete = false;
      for (int i = 0; i <= syllables.last; ++i) {
        if (syllables.codes[static_cast<std::size_t>(i)] == piece) {
          pinyin += syllables.syllables[static_cast<std::size_t>(i)];
          complete = true;
          break;
        }
      }
    }
    if (!complete) continue;  // a piece no syllable has: nothing sound to ask
    std::u16string previous = u"45";
    std::u16string answer = ask(pinyin);
    bool settled = false;
    for (int queries = 1; queries < maxQueries; ++queries) {
      if (!answer.empty() && answer == previous) {
        settled = true;
        break;
      }
      previous = answer;
      wait(10);
      answer = ask(pinyin);
    }
    if (!answer.empty() && answer == previous) settled = true;
    if (settled && answer != word) out.push_back(answer);
    wait(10);
  }
  return out;
}

std::function<std::u16string(const std::u16string& pinyin)> askThroughCloudQuery(WebServices& web,
                                                                                WebCells& cells) {
  return [&web, &cells](const std::u16string& pinyin) {
    cells.pinyinQuery = pinyin;
    web.yuu();
    return cells.cloudText;
  };
}

}  // namespace yz
