// A minimal PNG writer for screenshots: 8-bit RGB, stored (uncompressed)
// deflate blocks, so it needs no compression library.
#pragma once

#include <string>
#include <vector>

namespace e2e {

// rgb holds width * height pixels, three bytes each, rows top to bottom.
bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);

}  // namespace e2e
