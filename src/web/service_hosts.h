#pragma once
// Where the three web services answer. The addresses are configuration: the file
// 用户diy文件\网络服务地址.txt may name each service's address (scheme, host and an optional port,
// no path) on a line "名称=地址"; a service it does not name keeps its public address.
//
//   云拼音=http://olime.baidu.com
//   输入工具=https://www.google.com
//   搜索联想=https://www.baidu.com

#include <string>
#include <string_view>

namespace yz {

class Platform;
class ProgramFolder;

inline constexpr std::u16string_view kServiceHostsFile = u"用户diy文件\\网络服务地址.txt";

struct ServiceHosts {
  std::u16string cloudPinyin = u"http://olime.baidu.com";  // the cloud pinyin service
  std::u16string inputTools = u"https://www.google.com";   // the input-tools service
  std::u16string suggestion = u"https://www.baidu.com";    // the search-suggestion service
};

// The addresses from the configuration file; the public ones for a missing file, a missing or
// empty line, or an address that does not start with "http://" or "https://".
ServiceHosts readServiceHosts(const ProgramFolder& files, const Platform& platform);

}  // namespace yz
