#pragma once
// The life of the program: the load sequence that brings everything up (at start and again after
// a switch of scheme, layout or auxiliary table), the settings commits and the exit sequence.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <system_error>
#include <system_error>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings_dialog.h"
#include "lexbuild/char_lexicon.h"
#include "lexicon/image_loader.h"
#include "lexicon/text_encoding.h"
#include "state/lexicon_state.h"
#include "state/services.h"
#include "state/settings.h"

namespace yz {

class App;
class GbkTable;

inline constexpr std::u16string_view kProgramImageName = u"Vexim2_xx.exe";
inline constexpr std::u16string_view kSettingsFile = u"设置记录.ini";
inline constexpr std::u16string_view kSkinFile = u"界面皮肤.ini";
inline constexpr std::u16string_view kUserSettingsFile = u"用户diy文件\\设置记录.ini";
inline constexpr std::u16string_view kUserSkinFile = u"用户diy文件\\界面皮肤.ini";
inline constexpr std::u16string_view kDefaultSkinSlot = u"界面皮肤库\\界面皮肤 11- [默认].ini";
inline constexpr std::u16string_view kFullCodesPath = u"内置文件\\单字全码.txt";
inline constexpr std::u16string_view kTwoCodeUserLexiconPath = u"用户diy文件\\用户两码词库.txt";
// The user's 用户词库.txt as it was before a supplied lexicon was first saved into it.
inline constexpr std::u16string_view kUserLexiconBeforeSuppliedPath =
    u"用户diy文件\\用户词库-两码词库启用前.txt";
inline constexpr std::u16string_view kPrivilegedCodesPath = u"用户diy文件\\特权码表.txt";
inline constexpr std::u16string_view kRaceScratchPath = u"赛文资料\\两码整句赛文纯汉字.txt";
// What the code line shows while the program loads.
inline constexpr std::u16string_view kStartingText = u"启动中……";
// A settings file in the program folder shorter than this is taken as damaged.
inline constexpr std::uintmax_t kMinSettingsBytes = 1000;
// Size bounds of the files the load reads, far beyond any real one (the syllable master holds a
// few kilobytes, the full codes and auxiliary tables some hundred, the system lexicon about 8 MB,
// a large user lexicon 2 MB): a larger file is refused with a message rather than read.
inline constexpr std::uintmax_t kSmallTableLimit = std::uintmax_t{4} << 20;
inline constexpr std::uintmax_t kLexiconFileLimit = std::uintmax_t{128} << 20;
inline constexpr std::uintmax_t kUserLexiconLimit = std::uintmax_t{16} << 20;
// Where a damaged single-character lexicon is kept before it is regenerated.
inline constexpr std::u16string_view kDamagedCharLexiconCopy = u"内置文件\\单字字库-损坏.txt";

// A resource's text cut at every CR LF; the last piece is what follows the last one.
std::vector<std::u16string_view> splitResourcePieces(std::u16string_view text);
// Fills a lexicon table from lines "code,list" without checking them (the single-character
// lexicon, a supplied user lexicon, resource 105 when `resourcePieces`: its last piece is
// padding). Empty lines are skipped; the texts stay in one buffer that the table keeps.
void loadFieldLexicon(std::u16string_view text, bool resourcePieces, LexiconTable& table);

// One message for every bad line of the main lexicon: the count and the first line numbers.
std::u16string badLexiconLinesMessage(const std::vector<std::int32_t>& lines);

// What makes a single-character lexicon text unusable, or "" when it is sound: no entry, a line
// that is not "code,list" (no comma, an empty code or one with a blank or control character, an
// empty list, an undecodable byte) or lines out of ascending order (lookups bisect the table).
std::u16string charLexiconDamage(std::u16string_view text);

// Why the start would refuse the single-character full codes 内置文件\单字全码.txt (the message it
// shows before it stops), or "" when it would take them. `firstCharOnly`: 郑码, where a line's
// character field is cut to its first character.
std::u16string fullCodesRefusal(const ProgramFolder& files, const Platform& platform, const GbkTable& gbk,
                                bool firstCharOnly);

// The message that a file is far larger than any real one and was not read.
std::u16string oversizedFileMessage(std::u16string_view path, std::uintmax_t bytes);

// Steps 12 and 16 of the load on a settings store: the input kind from the marked scheme label,
// then the options that follow from the algorithm (fluency or accuracy first).
void deriveInputKind(Settings& s);
void deriveOptions(Settings& s);

class Lifecycle final : public LifecycleServices, public DialogCommands {
 public:
  explicit Lifecycle(App& app);

  // The load sequence: pair files, second-copy check, hook, settings and skin, every table and
  // lexicon, the status bar, the input timer and the code-key set. Pumps messages.
  void Form_Load() override;
  // Commits the settings: writes them into the program folder, copies them into 用户diy文件\,
  // saves the user lexicon unless 公平赛打 is ticked. Pumps messages.
  void csqid() override;
  // The exit sequence: saves the settings, the skin and the user lexicon, deletes the scratch
  // files, gives the keyboard back and ends the message loop. Pumps messages.
  void ended() override;

  // 保存、退出设置. Pumps messages.
  void bcuv_Click() override;
  // The settings dialog's close box. Pumps messages.
  void Form_QueryUnload(int unloadMode) override;
  // The exit label "三字词". Pumps messages.
  void Label8_Click() override { ended(); }
  void alphabetBoxClicked() override;

  // Shows the settings dialog with what the files hold (the status bar's settings command).
  void showSettings();
  // Builds the user lexicon in memory again from its file for a fair race (after an analyzer run):
  // a word without its weight gets a random one of 100 to 110, a word of a code longer than seven
  // letters also enters under its initials, and the privileged codes come in with weight 1;
  // writes nothing. Pumps messages.
  void rebuildUserLexicon();

  // Lets go of the lexicon image file before a command replaces it: the check still due is run
  // to its end (a failed one loads the text lexicon), and the main lexicon keeps a copy of the
  // image in memory until the next load maps the new one.
  void releaseLexiconImage();

  // Whether at least two running processes carry this image name.
  bool FindProcess(std::u16string_view processName) const;

  // True once the program has ended (the exit sequence, a fatal load error, a second copy
  // declined): nothing more runs.
  bool stopped() const { return stopped_; }
  // The user lexicon is complete in memory, and the file it came from may be written back.
  bool userLexiconLoaded() const { return userLexiconInMemory_; }
  bool userLexiconFileOwned() const { return userFileOwned_; }
  // Privileged codes left out because their code could not be formed.
  int skippedPrivilegedCodes() const { return skippedPrivilegedCodes_; }

  SettingsDialog dialog;  // Form2: the settings store's window

 private:
  // Load steps.
  void readSettingsSource();
  void showStartWindow();
  void hideStartWindow();
  void jmuv(std::u16string_view skinPath);
  void loadLayoutTables();
  bool loadTables();
  void loadSyllableTables();
  void loadMainLexicon();
  // Loads the text lexicon (resource 105 without it) into the main lexicon, after the image was
  // rejected (`rejected`) or when there is none.
  void loadTextLexicon(const std::optional<LexiconImageResult>& rejected);
  // A stretch of the image's full check (a timer tick); lets the image go for the text lexicon
  // once the check fails or a read found a record outside it.
  void continueImageCheck();
  // A timer tick: once a sentence is done (the code line empty again after keys), the pages of the
  // mapped image that its lookups brought in are given back, so the memory the program holds stays
  // what one sentence reads, however long it runs.
  void trimImagePages();
  void loadAuxCodes();
  bool loadFullCodes(std::vector<std::u16string>& oneLetterLines);
  void loadCharLexicon(const std::vector<std::u16string>& oneLetterLines);
  void loadUserLexicon();
  // The supplied two-code lexicon, with the words saved beside it at earlier exits.
  void loadSuppliedLexicon(bool firstLoad);
  void readPrivilegedCodes();
  void readUserLexiconFile();
  // Keeps the bytes of a user lexicon in another encoding beside it before the file is saved
  // as GBK; the copy's path, or "" when it could not be written (`why` then says why).
  std::u16string keepOriginalUserLexicon(const std::string& bytes, TextEncoding encoding,
                                         std::error_code& why);
  // A start file read whole, or nullopt; a file larger than `limit` is refused with a message
  // (once a session), and anything but a regular file counts as missing.
  std::optional<std::string> readStartFile(std::u16string_view path, std::uintmax_t limit);
  // Shows a message box once in the life of the program (keyed by its text).
  void tellOnce(const std::u16string& text);
  // The text of a table file the user may have saved in an editor: GBK, UTF-8 or UTF-16 read in
  // its own encoding; anything else is refused with a message (nullopt), never read as junk.
  std::optional<std::u16string> decodeTableFile(std::u16string_view path, const std::string& bytes);
  // Writes the image again from the main lexicon just loaded from its text, after the image was
  // rejected (damaged, or stale beside a newer text); says so when it was damaged.
  void mendLexiconImage(const LexiconImageResult& rejected, const LexiconSourceStamp& text);
  // Loads the image that the text lexicon's stamp outdated, when the text itself is empty or
  // unreadable (`what` says which) and the image is sound; false when it is not.
  bool keepSoundImage(std::u16string_view what);
  std::optional<std::u16string> canonicalPrivilegedCode(std::u16string_view code);
  void finishLoad();

  // Commit steps.
  // Writes the program folder's pair and copies it into 用户diy文件\; the file that failed, or "".
  std::u16string_view writeProgramRecords();
  void saveUserLexicon();
  Settings recordView() const;
  // Says that the settings could not be saved to `path`, and why.
  void reportWriteFailure(std::u16string_view path);
  std::error_code settingsWriteError_;  // the reason of the last failed settings write
  // Ends the run where it stands (a fatal load error, a second copy declined).
  void stop();
  void pump();
  // The runtime's random number in [0, 1): never seeded, so every run draws the same sequence
  // (one generator with word learning).
  float rnd();

  App& app_;
  bool userLexiconInMemory_ = false;
  bool userFileOwned_ = false;
  bool saveFailureShown_ = false;  // the last save of the user lexicon failed and was reported
  std::set<std::u16string> shownOnce_;
  bool stopped_ = false;
  int skippedPrivilegedCodes_ = 0;
  // The stored algorithm choice while offline forces fluency first: what a save writes.
  struct StoredAlgorithm {
    bool lidyx = true;
    int uhxj = 0;
  };
  std::optional<StoredAlgorithm> offlineOverride_;
  std::unique_ptr<LexiconImageCheck> imageCheck_;  // the full check of the image in use, still to run
  Platform::TimerId imageCheckTimer_ = -1;
  // A stretch of the check takes about a millisecond; the image is checked within about two
  // seconds of the start.
  static constexpr int kImageCheckIntervalMs = 50;
  static constexpr std::size_t kImageCheckBytes = std::size_t{256} << 10;
  Platform::TimerId imageTrimTimer_ = -1;
  std::uint32_t trimmedAfterKey_ = 0;  // the last key's time when the image was last trimmed
  static constexpr int kImageTrimIntervalMs = 100;
};

}  // namespace yz
