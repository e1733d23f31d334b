#pragma once
// Committing text into the target program: posted characters or the clipboard and Ctrl+V.

#include <string>
#include <string_view>

#include "input/input_context.h"
#include "input/reset.h"

namespace yz {

class Committer {
 public:
  Committer(const InputContext& ctx, Composition& composition) : c_(ctx), composition_(composition) {}

  // Commits a text into the target program and resets the composition; may rewrite `str4`
  // (line breaks, code-page round trip). A failed delivery keeps the composition. Pumps messages.
  void qqdz(std::u16string& str4);
  // Posts a text to a window as character messages; false when a post failed.
  bool subPostString(WindowId hwnd, std::u16string_view strP);
  // Waits a number of milliseconds while processing pending messages, at least once. Pumps messages.
  void delay(int t);

 private:
  // Whether the text counts as chosen with a quick-select key or from instant modify.
  bool chosen(const std::u16string& str4) const;
  void prepareChosen(std::u16string& str4);
  // The initials of the running context record for a committed text, one a character.
  std::u16string initialsOf(const std::u16string& text);
  // Puts the text on the clipboard; false when the clipboard refused it.
  bool putOnClipboard(std::u16string_view text);
  // Synthesizes Ctrl+V and lets it through the hook. Pumps messages.
  void sendPasteKeys();
  void resetAfterCommit();
  void takeUpTypedAhead();
  void finish();

  // Ends a delivered commit on every path out of it: resets the composition once (unless done
  // already) and restarts the input timer.
  class AfterDelivery {
   public:
    explicit AfterDelivery(Committer& committer) : committer_(committer) {}
    ~AfterDelivery();
    AfterDelivery(const AfterDelivery&) = delete;
    AfterDelivery& operator=(const AfterDelivery&) = delete;
    void reset();

   private:
    Committer& committer_;
    bool resetDone_ = false;
  };

  const InputContext& c_;
  Composition& composition_;
};

}  // namespace yz
