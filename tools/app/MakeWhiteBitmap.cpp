// Writes the default background image of the karaoke video: a white bitmap of
// 640 x 480 pixels, 24 bits per pixel, bottom-up rows (BITMAPINFOHEADER).
//
//   crx_make_white_bitmap OUT.bmp

#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/ByteWriter.h"

namespace {

constexpr uint32_t kWidth = 640;
constexpr uint32_t kHeight = 480;
constexpr uint16_t kBitsPerPixel = 24;
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch
constexpr uint8_t kWhite = 0xFF;

// Rows are padded to whole 4-byte words.
constexpr uint32_t kRowSize = (kWidth * kBitsPerPixel / 8 + 3) / 4 * 4;
constexpr uint32_t kPixelDataSize = kRowSize * kHeight;
constexpr uint32_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize;

crx::ByteWriter WhiteBitmap() {
  crx::ByteWriter w;
  w.Text("BM");
  w.U32LE(kPixelOffset + kPixelDataSize);
  w.U32LE(0);  // two reserved words
  w.U32LE(kPixelOffset);
  w.U32LE(kInfoHeaderSize);
  w.U32LE(kWidth);
  w.U32LE(kHeight);  // positive: the last row comes first
  w.U16LE(1);        // planes
  w.U16LE(kBitsPerPixel);
  w.U32LE(0);  // no compression
  w.U32LE(kPixelDataSize);
  w.U32LE(kPixelsPerMetre);
  w.U32LE(kPixelsPerMetre);
  w.U32LE(0);  // colours used
  w.U32LE(0);  // important colours
  for (uint32_t row = 0; row < kHeight; ++row) {
    w.Fill(kWidth * kBitsPerPixel / 8, kWhite);
    w.Fill(kRowSize - kWidth * kBitsPerPixel / 8, 0);
  }
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("Usage: crx_make_white_bitmap OUT.bmp\n", stderr);
    return 2;
  }
  const std::string out = argv[1];
  const std::string tmp = out + ".tmp";
  const crx::ByteWriter image = WhiteBitmap();
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  bool ok = f != nullptr;
  if (f) {
    ok = std::fwrite(image.Data().data(), 1, image.Size(), f) == image.Size();
    ok = std::fclose(f) == 0 && ok;
  }
  if (!ok || std::rename(tmp.c_str(), out.c_str()) != 0) {
    std::remove(tmp.c_str());
    std::fprintf(stderr, "crx_make_white_bitmap: %s cannot be written\n", out.c_str());
    return 1;
  }
  return 0;
}
