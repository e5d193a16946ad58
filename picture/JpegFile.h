#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "common/Bitmap.h"

// JPEG files written through libjpeg, and read back from memory: the maker's
// JPEG effect codes its picture and decodes it again, and a made picture is
// saved as JPEG. Toolkit-free. (Pictures from elsewhere are read by the
// picture loader, which holds them to its limits.)

// A JPEG file that cannot be coded or decoded; the message is libjpeg's.
class TJpegError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How a file is coded: Huffman or arithmetic, sequential or progressive
// (libjpeg's own progression, or `scans` scans up to 64: the DC coefficients,
// then one coefficient of the first component a scan), colour or grey (the
// mean of red, green and blue), with a restart marker every `restartRows`
// rows of blocks (0: none).
struct TJpegCoding {
  bool progressive = false;
  bool arithmetic = false;
  bool grey = false;
  int scans = 0;
  int restartRows = 0;
};

// The file's bytes at `quality` (1 to 100, clamped). Throws TJpegError for an
// empty picture, more than 64 scans or a failure of libjpeg.
std::string EncodeJpeg(const TBitmap& picture, int quality, const TJpegCoding& coding = {});

// The picture that JPEG bytes hold, as red, green and blue whatever the
// file's colour space. Throws TJpegError for bytes that are not a whole JPEG file.
TBitmap DecodeJpeg(std::string_view bytes);
