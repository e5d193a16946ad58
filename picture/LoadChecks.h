#pragma once

// What every picture format's loader checks and how it refuses a file; shared
// by the loaders of picture/ and by nothing else.

#include <string>

namespace picture_loading {

// Throws TPictureError with "PATH: REASON" on one line.
[[noreturn]] void Fail(const std::string& path, const std::string& reason);

// A regular file that exists and is not empty, or a TPictureError saying why not.
void CheckFile(const std::string& path);

// More pixels than kMaxPicturePixels.
bool TooLarge(long long width, long long height);

// The reason given for a picture that is TooLarge.
std::string SizeReason(long long width, long long height);

}  // namespace picture_loading
