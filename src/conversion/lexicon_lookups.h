#pragma once
// The conversion's lookups served by the lexicon subsystem: the code lookup with its wrappers and
// the user and single-character lookups.

#include <string>
#include <string_view>

#include "conversion/lookups.h"
#include "lexicon/lookup.h"
#include "lexicon/user_lookup.h"

namespace yz {

class LexiconLookups final : public ConversionLookups {
 public:
  LexiconLookups(CodeLookup& code, UserLookup& user) : code_(code), user_(user) {}

  void hzirvck(std::u16string_view str4, std::u16string& cnir, float& zicipn) override {
    code_.hzirvck(str4, cnir, zicipn);
  }
  std::u16string ybci(std::u16string_view strx) override { return code_.ybci(strx); }
  std::u16string ybcib(std::u16string_view strx) override { return code_.ybcib(strx); }
  void hziryhck(std::u16string str4, std::u16string& cnir, std::int32_t& k12) override {
    user_.hziryhck(std::move(str4), cnir, k12);
  }
  void hzirdzck(std::u16string str4, std::u16string& cnir, float& zicipn) override {
    user_.hzirdzck(std::move(str4), cnir, zicipn);
  }
  void beginRepeats() override { code_.beginRepeats(); }
  void endRepeats() override { code_.endRepeats(); }
  void forgetRepeats() override { code_.forgetRepeats(); }

 private:
  CodeLookup& code_;
  UserLookup& user_;
};

}  // namespace yz
