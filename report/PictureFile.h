#pragma once

#include <string>

#include "common/Bitmap.h"

// A picture saved as a file of the kind its name ends in: ".png" (lossless,
// palette when it has few colours), ".bmp" (24 bits) or ".jpg" / ".jpeg",
// any letter case. Written whole or not at all (see OutputFiles.h).

// True when SavePicture takes the name.
bool IsSavablePictureName(const std::string& path);

// Saves the picture. `jpeg`, when not empty, is a JPEG file whose decoding
// the picture is, written as it is for a JPEG name so that the picture is not
// coded twice; otherwise JPEG is written at `quality`. Throws TOutputError
// for a name of another kind and for a file that cannot be written.
void SavePicture(const std::string& path, const TBitmap& picture, const std::string& jpeg = {}, int quality = 95);
