#pragma once

#include <string>
#include <string_view>

// The loaded picture's own file, which the report embeds in place of a PNG
// of the decoded picture when a browser shows it as the panes do: a JPEG file
// is a fifth of that PNG or less. A browser turns a picture by its EXIF
// orientation and converts it by its colour profile, while the loader does
// neither, so such a file is not used; nor is one a browser may not read.

// True when a browser shows the JPEG file's picture as the loader decodes
// it: 8-bit samples, Huffman-coded (sequential or progressive), grey or
// YCbCr colour, no EXIF orientation other than 1 and no colour profile.
// False for anything else, a damaged file included.
bool ShowsAsLoaded(std::string_view jpeg);

// A picture file as it was when the picture was loaded from it: taken before
// the load, it tells later whether the file still holds what was loaded.
class TPictureSource {
 public:
  TPictureSource() = default;
  explicit TPictureSource(std::string path);

  // The file's bytes when it is a JPEG file (by its extension) that
  // ShowsAsLoaded and has not changed since this was made (same size,
  // modification time and file); empty otherwise, or when it cannot be read.
  std::string EmbeddableJpeg() const;

 private:
  struct TStamp {
    bool valid = false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedSeconds = 0;
    long long modifiedNanoseconds = 0;
    friend bool operator==(const TStamp&, const TStamp&) = default;
  };
  static TStamp StampOf(const std::string& path);

  std::string path_;
  TStamp stamp_;
};
