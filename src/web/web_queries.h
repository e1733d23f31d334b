#pragma once
// The web queries of the conversion and the input pass: cloud candidates for the sentence in
// progress (`yuu`), cloud text for full-pinyin letters (`yuuqp`) and web hit counts of phrases
// (`xymaypu`, `xymaypu1`). Every request goes through a fresh `cNet` with the time-out of
// `kWebTimeoutMs`, blocks the GUI thread while it waits (pumping messages) and never raises an
// error: a failed request is the empty reply.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "lexicon/annotate.h"
#include "lexicon/files.h"
#include "lexicon/gbk.h"
#include "platform/platform.h"
#include "state/conversion_state.h"
#include "state/pass_state.h"
#include "state/service_cells.h"
#include "state/services.h"
#include "web/net.h"
#include "web/service_hosts.h"

namespace yz {

struct WebContext {
  Platform& platform;
  const ProgramFolder& files;
  const GbkTable& gbk;
  WebCells& web;
  PassState& pass;       // bmstr, hjziir, skipUnchangedFlag
  ConversionState& conv; // the sentence's word table
  EncoderContext encoder;
};

class WebQueries final : public WebServices {
 public:
  explicit WebQueries(const WebContext& ctx) : c_(ctx) {}

  float xymaypu(std::u16string_view strx) override;
  float xymaypu1(std::u16string_view strx1, std::u16string_view strx2) override;
  void yuu() override;
  void yuuqp() override;
  // The count of strx1 + strx2 in the suggestion reply for the two joined. One request; pumps
  // messages.
  float xymaypu2(std::u16string_view strx1, std::u16string_view strx2);
  // The code (`bm`) and pinyin (`qp`) of a text as `citcvuyn` gives them; an empty text empties
  // both and the encoder's last result sp0.
  void citcbmmaxymayp(std::u16string_view b00, std::u16string& bm, std::u16string& qp);

  // The service addresses, read from the configuration file at the first query.
  const ServiceHosts& hosts();
  void setHosts(ServiceHosts hosts) { hosts_ = std::move(hosts); }

  // The longest wait of one request, ms.
  int timeoutMs = kWebTimeoutMs;

 private:
  // The reply to a GET as text; "" without one, and without asking once the sentence in progress
  // has waited a whole time-out. Pumps messages.
  std::u16string get(cNet& net, const std::u16string& url);
  // The suggestion reply for a phrase; "" without one.
  std::u16string suggestions(cNet& net, std::u16string_view phrase);
  // The answers of the two cloud services for a pinyin query; "" when a reply is missing or
  // does not parse.
  std::u16string cloudPinyinAnswer(cNet& net, std::u16string_view query);
  std::u16string inputToolsAnswer(cNet& net, std::u16string_view query);

  WebContext c_;
  std::optional<ServiceHosts> hosts_;
};

// How often `t` occurs in `r`, counted as the pieces of `r` cut at `t`, less one: -1 for an
// empty `r`, 0 for an empty `t`.
float hitCount(std::u16string_view r, std::u16string_view t);

// The cloud pinyin reply's answer: the text between its third and fourth double quote; nullopt
// when the reply is no JSON object or has too few quotes.
std::optional<std::u16string> parseCloudPinyinReply(std::u16string_view reply);
// The input-tools reply's answer: its third comma field less two characters at each end;
// nullopt when the reply is no JSON array, has too few fields or the field is too short.
std::optional<std::u16string> parseInputToolsReply(std::u16string_view reply);

// The pinyin reading as a query: leading apostrophes dropped, the characters without a syllable
// (written as apostrophe, character, blank) taken out.
std::u16string normalizePinyinQuery(std::u16string_view reading);

}  // namespace yz
