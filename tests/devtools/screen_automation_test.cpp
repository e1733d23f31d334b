#include "devtools/screen_automation.h"

#include <gtest/gtest.h>

#include "lexicon/files.h"
#include "platform/sim/sim_platform.h"
#include "../support/test_folder.h"

namespace yz {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

PixelImage blank(int w, int h) { return {w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w * h), kWhite)}; }

void put(PixelImage& image, int x, int y, std::uint32_t pixel) {
  image.pixels[static_cast<std::size_t>(y * image.width + x)] = pixel;
}

// A 3 × 2 pattern of distinct colours.
PixelImage pattern() {
  PixelImage p{3, 2, {0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u, 0xFF000000u, 0xFF123456u}};
  return p;
}

void paste(PixelImage& screen, const PixelImage& p, int x, int y) {
  for (int j = 0; j < p.height; ++j)
    for (int i = 0; i < p.width; ++i) put(screen, x + i, y + j, p.pixels[static_cast<std::size_t>(j * p.width + i)]);
}

TEST(ScreenAutomation, FindsThePatternInAPixelBuffer) {
  PixelImage screen = blank(20, 10);
  paste(screen, pattern(), 7, 4);
  paste(screen, pattern(), 2, 6);  // a lower row: found later
  int x = -1, y = -1;
  ASSERT_TRUE(FindPic(screen, pattern(), 0, 0, 20, 10, 0, x, y));
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 4);
  // Starting at the place itself.
  ASSERT_TRUE(FindPic(screen, pattern(), 7, 4, 20, 10, 0, x, y));
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 4);
  // From a lower row on, the lower copy is found; a row starts at Left.
  ASSERT_TRUE(FindPic(screen, pattern(), 0, 5, 20, 10, 0, x, y));
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 6);
  EXPECT_FALSE(FindPic(screen, pattern(), 3, 5, 20, 10, 0, x, y));
}

TEST(ScreenAutomation, ToleranceAndMismatchCount) {
  PixelImage screen = blank(10, 5);
  PixelImage p = pattern();
  paste(screen, p, 4, 1);
  int x = -1, y = -1;
  // Two pixels differing in all three channels: six mismatches are tolerated.
  put(screen, 4, 1, 0xFF000000u);
  put(screen, 5, 1, 0xFFFFFFFEu);
  ASSERT_TRUE(FindPic(screen, p, 0, 0, 10, 5, 0, x, y));
  EXPECT_EQ(x, 4);
  // A seventh differing channel rejects the place; x and y stay.
  put(screen, 6, 1, 0xFF708091u);
  x = y = -7;
  EXPECT_FALSE(FindPic(screen, p, 0, 0, 10, 5, 0, x, y));
  EXPECT_EQ(x, -7);
  EXPECT_EQ(y, -7);
  // A difference equal to the tolerance is no mismatch.
  PixelImage shifted = blank(10, 5);
  PixelImage q = p;
  for (auto& px : q.pixels) px = 0xFF000000u | ((px & 0xFEFEFE) + 0x010101u);
  paste(shifted, q, 1, 1);
  EXPECT_TRUE(FindPic(shifted, p, 0, 0, 10, 5, 1, x, y));
  EXPECT_EQ(x, 1);
  EXPECT_FALSE(FindPic(shifted, p, 0, 0, 10, 5, 0, x, y));
}

TEST(ScreenAutomation, PixelsOutsideTheCopyCountThree) {
  // A 1 × 2 white picture at the last column: one pixel outside adds three mismatches only.
  PixelImage screen = blank(4, 4);
  PixelImage p{2, 1, {0xFF000000u, 0xFF000000u}};
  put(screen, 3, 0, 0xFF000000u);
  int x = -1, y = -1;
  ASSERT_TRUE(FindPic(screen, p, 3, 0, 4, 4, 0, x, y));
  EXPECT_EQ(x, 3);
  EXPECT_FALSE(FindPic(screen, PixelImage{}, 0, 0, 4, 4, 0, x, y));
  // A screen buffer shorter than its size: the rows it lacks lie outside the copy.
  PixelImage cut = blank(4, 4);
  cut.pixels.resize(6);
  cut.pixels.shrink_to_fit();
  x = y = -1;
  ASSERT_TRUE(FindPic(cut, PixelImage{1, 1, {kWhite}}, 0, 0, 4, 4, 0, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_FALSE(FindPic(cut, PixelImage{1, 3, {kWhite, kWhite, kWhite}}, 0, 1, 4, 4, 0, x, y));
}

std::string bmp(const PixelImage& image) {
  auto le = [](std::string& s, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  std::string s = "BM";
  le(s, static_cast<std::uint32_t>(54 + image.pixels.size() * 4), 4);
  le(s, 0, 4);
  le(s, 54, 4);
  le(s, 40, 4);
  le(s, static_cast<std::uint32_t>(image.width), 4);
  le(s, static_cast<std::uint32_t>(image.height), 4);  // bottom-up
  le(s, 1, 2);
  le(s, 32, 2);
  le(s, 0, 4);
  for (int i = 0; i < 5; ++i) le(s, 0, 4);
  for (int y = image.height - 1; y >= 0; --y)
    for (int x = 0; x < image.width; ++x) le(s, image.pixels[static_cast<std::size_t>(y * image.width + x)], 4);
  return s;
}

TEST(ScreenAutomation, SearchOnTheSimScreenAndClick) {
  testing_support::TestFolder temp("yz-devtools-");
  ProgramFolder files(temp.path());
  ASSERT_TRUE(files.writeBytes(u"图.bmp", bmp(pattern())));
  SimPlatform platform;
  PixelImage screen = blank(40, 30);
  paste(screen, pattern(), 25, 12);
  platform.screenImage = screen.pixels;
  platform.screenImageWidth = screen.width;
  int x = -1, y = -1;
  ASSERT_TRUE(FindPic(platform, files, 0, 0, 40, 30, u"图.bmp", 0, x, y));
  EXPECT_EQ(x, 25);
  EXPECT_EQ(y, 12);
  EXPECT_FALSE(FindPic(platform, files, 0, 0, 40, 30, u"缺.bmp", 0, x, y));
  ASSERT_TRUE(files.writeBytes(u"坏.bmp", bmp(pattern()).substr(0, 70)));
  EXPECT_FALSE(FindPic(platform, files, 0, 0, 40, 30, u"坏.bmp", 0, x, y));
  PixelImage desktop = captureDesktop(platform);
  EXPECT_EQ(desktop.width, 1920);
  EXPECT_EQ(desktop.pixels[static_cast<std::size_t>(12 * 1920 + 25)], 0xFF102030u);
  DS(platform, 26, 13);
  ASSERT_EQ(platform.sentClicks.size(), 1u);
  EXPECT_EQ(platform.sentClicks[0].x, 26);
  EXPECT_EQ(platform.cursorPos(), (Point{26, 13}));  // the cursor went there first
}

}  // namespace
}  // namespace yz

namespace yz {
namespace {

TEST(ScreenAutomation, DamagedPictureFilesAreRefused) {
  const std::string good = bmp(pattern());
  ASSERT_TRUE(readPictureBits(good).has_value());
  EXPECT_EQ(readPictureBits(good)->pixels[4], 0xFF000000u);
  // Every truncation is refused rather than read past the end.
  for (std::size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(readPictureBits(good.substr(0, n)).has_value()) << n;
  auto patched = [&](std::size_t at, std::uint32_t value, int bytes) {
    std::string s = good;
    for (int i = 0; i < bytes; ++i) s[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return s;
  };
  EXPECT_FALSE(readPictureBits(patched(0, 'X', 1)));           // not a bitmap
  EXPECT_FALSE(readPictureBits(patched(28, 8, 2)));            // a palette picture
  EXPECT_FALSE(readPictureBits(patched(30, 1, 4)));            // run-length compressed
  EXPECT_FALSE(readPictureBits(patched(18, 0x7FFFFFFF, 4)));   // absurd width
  EXPECT_FALSE(readPictureBits(patched(22, 0x80000000u, 4)));  // absurd top-down height
  EXPECT_FALSE(readPictureBits(patched(10, 0xFFFFFFF0u, 4)));  // pixels beyond the file
  // Rows stored top-down (negative height) come out in the same order.
  auto topDown = readPictureBits(patched(22, static_cast<std::uint32_t>(-2), 4));
  ASSERT_TRUE(topDown);
  EXPECT_EQ(topDown->pixels[0], 0xFFA0B0C0u);
}

}  // namespace
}  // namespace yz
