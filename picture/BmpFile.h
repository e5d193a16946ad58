#pragma once

#include <string>

#include "common/Bitmap.h"

// A picture as a Windows bitmap file: 24 bits a pixel, rows from the bottom
// up, each padded to four bytes. Toolkit-free.
std::string EncodeBmp(const TBitmap& picture);
