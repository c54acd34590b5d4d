#include "Png.h"

#include <cstdint>
#include <cstdio>

namespace e2e {

namespace {

uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBigEndian(std::vector<unsigned char>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

void AppendChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
  if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3) return false;

  // Scanlines, each led by filter type 0.
  std::vector<unsigned char> raw;
  const size_t stride = static_cast<size_t>(width) * 3;
  raw.reserve((stride + 1) * height);
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + y * stride, rgb.begin() + (y + 1) * stride);
  }

  // zlib stream of stored blocks.
  std::vector<unsigned char> zlib = {0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t offset = 0; offset < raw.size() || offset == 0;) {
    const size_t size = raw.size() - offset < 65535 ? raw.size() - offset : 65535;
    const bool last = offset + size == raw.size();
    zlib.push_back(last ? 1 : 0);
    zlib.push_back(static_cast<unsigned char>(size & 0xFF));
    zlib.push_back(static_cast<unsigned char>(size >> 8));
    zlib.push_back(static_cast<unsigned char>(~size & 0xFF));
    zlib.push_back(static_cast<unsigned char>((~size >> 8) & 0xFF));
    zlib.insert(zlib.end(), raw.begin() + offset, raw.begin() + offset + size);
    offset += size;
    if (last) break;
  }
  PutBigEndian(zlib, (b << 16) | a);

  std::vector<unsigned char> header;
  PutBigEndian(header, static_cast<uint32_t>(width));
  PutBigEndian(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace

  std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  AppendChunk(file, "IHDR", header);
  AppendChunk(file, "IDAT", zlib);
  AppendChunk(file, "IEND", {});

  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace e2e
