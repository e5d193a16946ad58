#pragma once

#include <string>

#include "common/Bitmap.h"

// A PNG file as a packed picture (the loader's PNG part; LoadPicture states
// the contract): every colour type and bit depth, interlaced or not, 16-bit
// samples rounded to 8, transparent parts composed onto white. Throws
// TPictureError.
TBitmap LoadPng(const std::string& path);
