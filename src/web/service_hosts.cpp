#include "web/service_hosts.h"

#include "lexicon/files.h"
#include "lexicon/text_file.h"
#include "platform/platform.h"

namespace yz {
namespace {

std::u16string_view trim(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

ServiceHosts readServiceHosts(const ProgramFolder& files, const Platform& platform) {
  ServiceHosts hosts;
  const auto lines = readGbkLines(files, platform, kServiceHostsFile);
  if (!lines) return hosts;
  struct Key {
    std::u16string_view name;
    std::u16string ServiceHosts::*field;
  };
  static constexpr Key kKeys[] = {{u"云拼音", &ServiceHosts::cloudPinyin},
                                  {u"输入工具", &ServiceHosts::inputTools},
                                  {u"搜索联想", &ServiceHosts::suggestion}};
  for (const std::u16string& line : *lines) {
    const std::size_t eq = line.find(u'=');
    if (eq == std::u16string::npos) continue;
    const std::u16string_view name = trim(std::u16string_view(line).substr(0, eq));
    std::u16string_view address = trim(std::u16string_view(line).substr(eq + 1));
    while (address.ends_with(u'/')) address.remove_suffix(1);
    if (!address.starts_with(u"http://") && !address.starts_with(u"https://")) continue;
    if (address.find_first_of(u"/?#", address.find(u"//") + 2) != std::u16string_view::npos) {
      continue;  // an address carries no path of its own
    }
    for (const Key& k : kKeys) {
      if (name == k.name) hosts.*(k.field) = address;
    }
  }
  return hosts;
}

}  // namespace yz
