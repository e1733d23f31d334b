#pragma once
// A program folder of its own for one test, with a Chinese name and a blank in its path, filled
// with small tables, and a session of the whole program started on it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/settings_file.h"
#include "lexicon/files.h"
#include "lexicon/utf.h"
#include "main/sim_driver.h"

#include "../support/test_folder.h"

namespace yz::testing {

inline std::filesystem::path dataDir() {
  const char* dir = std::getenv("YZ_DATA_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::path("data");
}

inline FormEvent formEvent(FormEventKind kind, std::u16string_view control,
                           std::u16string_view text = {}) {
  FormEvent e;
  e.kind = kind;
  e.control = control;
  e.text = text;
  return e;
}

// The realised settings dialog of the simulated desktop.
inline SimForm* dialogForm(SimPlatform& platform) {
  for (SimForm* f : platform.forms()) {
    if (f->control(u"bcuv")) return f;
  }
  return nullptr;
}

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_.emplace("yz-program-");
    root_ = temp_->path() / std::filesystem::path(u8"砚舟 程序");
    for (const char8_t* dir : {u8"内置文件", u8"用户diy文件", u8"赛文资料", u8"界面皮肤库", u8"第三方词库"}) {
      std::filesystem::create_directories(root_ / std::filesystem::path(dir));
    }
    resources_ = temp_->path() / "resources";
    std::filesystem::create_directories(resources_);
  }
  void TearDown() override {
    session.reset();
    temp_.reset();
  }

  ProgramFolder folder() const { return ProgramFolder(root_); }

  // Writes a file of the program folder as GBK text.
  void write(std::u16string_view relative, std::u16string_view text) {
    ASSERT_TRUE(folder().writeBytes(relative, codec_.toGbk(text)));
  }
  void writeLines(std::u16string_view relative, std::initializer_list<std::u16string_view> lines) {
    std::u16string text;
    for (auto l : lines) (text += l) += u"\r\n";
    write(relative, text);
  }
  std::optional<std::string> bytes(std::u16string_view relative) const {
    return folder().readBytes(relative);
  }
  std::u16string text(std::u16string_view relative) const {
    auto b = bytes(relative);
    return b ? codec_.fromGbk(*b) : std::u16string();
  }
  std::vector<std::u16string> lines(std::u16string_view relative) const {
    std::vector<std::u16string> out;
    const std::u16string all = text(relative);
    for (auto l : splitLines(all)) out.emplace_back(l);
    return out;
  }
  bool exists(std::u16string_view relative) const { return folder().exists(relative); }

  // The real master syllable file and resources 102-104; the small tables below.
  void writeTables() {
    std::filesystem::copy_file(dataDir() / std::filesystem::path(u8"内置文件/全拼-小鹤-自然-国标.txt"),
                               root_ / std::filesystem::path(u8"内置文件/全拼-小鹤-自然-国标.txt"));
    for (int id : {102, 103, 104}) {
      std::string name = std::to_string(id) + ".txt";
      std::filesystem::copy_file(dataDir() / "resources" / name, resources_ / name);
    }
    writeLines(u"内置文件\\单字全码.txt",
               {u"a,啊", u"b,不", u"aa,啊", u"aaa,啊", u"ni,你", u"nide,你", u"hk,好", u"hkz,好",
                u"wo,我", u"de,的", u"dev,的", u"zi,在", u"zi,字"});
    writeLines(u"内置文件\\两码词库.txt",
               {u"aa,啊 156.726", u"de,的 1 得 5", u"hk,好 2", u"ni,你 1 尼 5", u"nihk,你好 10",
                u"wo,我 1", u"zi,在 3 字 4"});
    writeLines(u"内置文件\\单字字库.txt",
               {u"a,啊 100.001", u"de,的 1 得 5", u"hk,好 2", u"ni,你 1", u"wo,我 1"});
  }

  // A settings record from the defaults with some controls changed.
  void writeSettings(std::u16string_view relative, const Settings& s,
                     SettingsCopy copy = SettingsCopy::Program) {
    write(relative, settingsRecordText(s, copy));
  }

  void start() {
    SimSessionOptions options;
    options.programFolder = root_;
    options.resourceDir = resources_;
    options.writeFaults = faults;
    session = std::make_unique<SimSession>(options);
  }
  App& app() { return *session->app; }
  SimPlatform& platform() { return session->platform; }
  std::vector<std::u16string> messages() const {
    std::vector<std::u16string> out;
    for (const auto& m : session->platform.messageBoxes) out.push_back(m.text);
    return out;
  }

  std::unique_ptr<SimSession> session;
  // Faults laid on the program's own file writing (not on the test's).
  std::shared_ptr<WriteFaults> faults = std::make_shared<WriteFaults>();
  std::filesystem::path root_;
  std::filesystem::path resources_;

 private:
  std::optional<testing_support::TestFolder> temp_;
  SimPlatform codec_;
};

}  // namespace yz::testing
