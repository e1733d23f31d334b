#pragma once
// Screen automation nothing in the program calls: a left click at a screen point, a copy of the
// screen, and the search of a picture on the screen with a colour tolerance.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace yz {

class Platform;
class ProgramFolder;

// Pixels row by row from the top, each 0xAARRGGBB (the bytes of a top-down 32-bit bitmap: blue,
// green, red, reserved).
struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// Clicks the left mouse button at a screen point.
void DS(Platform& platform, int x, int y);

// The whole screen.
PixelImage captureDesktop(Platform& platform);

// An uncompressed 24- or 32-bit BMP file's pixels; nullopt for anything else or a damaged file.
std::optional<PixelImage> readPictureBits(std::string_view bytes);

// The first place (top row first, then leftmost) from (Left, Top) at which `picture` shows in
// `screen` (the screen pixels x < Right, y < Bottom): a place is given up at its seventh colour
// channel that differs by more than SimRate, a pixel outside the copy counting three. False, with
// intX and intY untouched, when no place matches or the picture is empty.
bool FindPic(const PixelImage& screen, const PixelImage& picture, int Left, int Top, int Right,
             int Bottom, int SimRate, int& intX, int& intY);

// The same on a copy of the screen's Right × Bottom top-left part, the picture read from a BMP
// file of the program folder; false when the file cannot be read.
bool FindPic(Platform& platform, const ProgramFolder& files, int Left, int Top, int Right,
             int Bottom, std::u16string_view fileurl, int SimRate, int& intX, int& intY);

}  // namespace yz
