#pragma once
// The settings record 设置记录.ini and the skin record 界面皮肤.ini: positional lines "key=value"
// in GBK with CR LF. The line number identifies a setting, its key finds it when lines were added
// or lost; the reader takes the text after the first "=" of each line.

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "state/composition_state.h"
#include "state/settings.h"

namespace yz {

class Platform;
class ProgramFolder;

inline constexpr int kSettingsLines = 96;
inline constexpr int kSkinLines = 12;

// The program-folder copy and the user copy differ only in the key of line 27.
enum class SettingsCopy { Program, User };

// Selects an option button and clears the other options of its group (a field of `settings`).
void selectOption(Settings& settings, bool& option);

// The 96 lines of the settings record for the controls as they stand.
std::u16string settingsRecordText(const Settings& settings, SettingsCopy copy);
// Reads a settings record into the controls, line by line by position (inuvjl); a line that an
// added or a lost line has moved is found by its key. A value that does not convert, or that the
// control refuses, leaves that control as it is; missing lines leave their controls alone. Lines
// 51 and 53 also set `modifyKeyCode` and `switchKeyCode`. False, with nothing read, when no line
// carries a key of the record (random bytes, another encoding read as GBK).
bool inuvjl(std::u16string_view text, Settings& settings, CompositionState& comp);

// The 12 lines of the skin record from the three preview boxes.
std::u16string skinRecordText(const Settings& settings);
// Reads a skin record into the preview boxes; a value that does not convert is skipped.
void readSkinRecord(std::u16string_view text, Settings& settings);

// Writes 设置记录.ini and then 界面皮肤.ini in the program folder (uvjl), or both into the user
// folder 用户diy文件 (uvjly). Each file goes through a temporary file and a rename; false when a write failed, and
// then that file is as it was.
bool uvjl(const ProgramFolder& files, const Platform& platform, const Settings& settings,
          std::error_code* why = nullptr);
bool uvjly(const ProgramFolder& files, const Platform& platform, const Settings& settings,
           std::error_code* why = nullptr);

}  // namespace yz
