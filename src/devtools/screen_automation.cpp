#include "devtools/screen_automation.h"

#include <cstdlib>

#include "lexicon/files.h"
#include "platform/platform.h"

namespace yz {

namespace {

constexpr int kMismatchesTolerated = 6;

std::uint32_t readLe(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

int channel(std::uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

}  // namespace

void DS(Platform& platform, int x, int y) { platform.sendLeftClick({x, y}); }

PixelImage captureDesktop(Platform& platform) {
  Rect screen = platform.screenRect();
  PixelImage image;
  image.width = std::max(0, screen.width());
  image.height = std::max(0, screen.height());
  image.pixels = platform.captureScreen(screen);
  image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
  return image;
}

std::optional<PixelImage> readPictureBits(std::string_view bytes) {
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  std::uint32_t offset = readLe(bytes, 10, 4);
  std::uint32_t headerSize = readLe(bytes, 14, 4);
  auto width = static_cast<std::int32_t>(readLe(bytes, 18, 4));
  auto height = static_cast<std::int32_t>(readLe(bytes, 22, 4));
  std::uint32_t bits = readLe(bytes, 28, 2);
  std::uint32_t compression = readLe(bytes, 30, 4);
  if (headerSize < 40 || (bits != 24 && bits != 32) || (compression != 0 && compression != 3)) {
    return std::nullopt;
  }
  bool topDown = height < 0;
  std::int64_t rows = topDown ? -static_cast<std::int64_t>(height) : height;
  if (width <= 0 || rows <= 0 || width > 16384 || rows > 16384) return std::nullopt;
  std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
  if (offset > bytes.size() || stride * static_cast<std::uint64_t>(rows) > bytes.size() - offset) {
    return std::nullopt;
  }
  PixelImage image;
  image.width = width;
  image.height = static_cast<int>(rows);
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
  for (std::int64_t y = 0; y < rows; ++y) {
    std::int64_t fileRow = topDown ? y : rows - 1 - y;
    std::size_t rowStart = offset + static_cast<std::size_t>(fileRow * static_cast<std::int64_t>(stride));
    for (int x = 0; x < width; ++x) {
      std::size_t at = rowStart + static_cast<std::size_t>(x) * (bits / 8);
      std::uint32_t bgr = readLe(bytes, at, 3);
      image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
          0xFF000000u | bgr;
    }
  }
  return image;
}

bool FindPic(const PixelImage& screen, const PixelImage& picture, int Left, int Top, int Right,
             int Bottom, int SimRate, int& intX, int& intY) {
  const int pw = picture.width;
  const int ph = picture.height;
  if (pw <= 0 || ph <= 0 || picture.pixels.size() < static_cast<std::size_t>(pw) * static_cast<std::size_t>(ph)) {
    return false;
  }
  // The copied area: what both the requested size and the screen image hold (whole rows of its
  // pixel buffer only).
  const int areaWidth = std::min(Right, screen.width);
  const std::size_t rowsHeld =
      screen.width > 0 ? screen.pixels.size() / static_cast<std::size_t>(screen.width) : 0;
  const int areaHeight = static_cast<int>(std::min<std::size_t>(
      static_cast<std::size_t>(std::max(0, std::min(Bottom, screen.height))), rowsHeld));
  for (int y = std::max(0, Top); y <= Bottom - ph + 1; ++y) {
    for (int x = std::max(0, Left); x <= Right - pw + 1; ++x) {
      int mismatches = 0;
      for (int j = 0; j < ph && mismatches <= kMismatchesTolerated; ++j) {
        for (int i = 0; i < pw && mismatches <= kMismatchesTolerated; ++i) {
          int sx = x + i;
          int sy = y + j;
          std::uint32_t want = picture.pixels[static_cast<std::size_t>(j) * static_cast<std::size_t>(pw) + static_cast<std::size_t>(i)];
          if (sx >= areaWidth || sy >= areaHeight) {
            mismatches += 3;
            continue;
          }
          std::uint32_t have = screen.pixels[static_cast<std::size_t>(sy) * static_cast<std::size_t>(screen.width) + static_cast<std::size_t>(sx)];
          for (int shift : {16, 8, 0}) {  // red, green, blue
            if (std::abs(channel(have, shift) - channel(want, shift)) > SimRate) ++mismatches;
          }
        }
      }
      if (mismatches <= kMismatchesTolerated) {
        intX = x;
        intY = y;
        return true;
      }
    }
  }
  return false;
}

bool FindPic(Platform& platform, const ProgramFolder& files, int Left, int Top, int Right,
             int Bottom, std::u16string_view fileurl, int SimRate, int& intX, int& intY) {
  std::optional<std::string> bytes = files.readBytes(fileurl);
  if (!bytes) return false;
  std::optional<PixelImage> picture = readPictureBits(*bytes);
  if (!picture || Right <= 0 || Bottom <= 0) return false;
  PixelImage screen;
  screen.width = Right;
  screen.height = Bottom;
  screen.pixels = platform.captureScreen({0, 0, Right, Bottom});
  screen.pixels.resize(static_cast<std::size_t>(Right) * static_cast<std::size_t>(Bottom));
  return FindPic(screen, *picture, Left, Top, Right, Bottom, SimRate, intX, intY);
}

}  // namespace yz
