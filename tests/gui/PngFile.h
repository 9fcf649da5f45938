// Writes a 24-bit RGB image as a PNG file (stored, uncompressed deflate blocks), so that a GUI test can
// leave a screenshot without an image library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace halvern::test {

// Rgb holds Height rows of Width pixels, top row first, three bytes per pixel. False when the file
// cannot be written.
bool WritePng(const std::string& Path, int Width, int Height, const std::vector<uint8_t>& Rgb);

}  // namespace halvern::test
