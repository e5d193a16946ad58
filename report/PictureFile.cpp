#include "report/PictureFile.h"

#include "picture/BmpFile.h"
#include "picture/JpegFile.h"
#include "picture/PictureLoader.h"
#include "report/OutputFiles.h"
#include "report/PngFile.h"

bool IsSavablePictureName(const std::string& path) {
  const std::string extension = LowerCaseExtension(path);
  return extension == ".png" || extension == ".bmp" || extension == ".jpg" || extension == ".jpeg";
}

void SavePicture(const std::string& path, const TBitmap& picture, const std::string& jpeg, int quality) {
  const std::string extension = LowerCaseExtension(path);
  std::string bytes;
  try {
    if (extension == ".png") {
      bytes = TPngPicture(picture).Encode();
    } else if (extension == ".bmp") {
      bytes = EncodeBmp(picture);
    } else if (extension == ".jpg" || extension == ".jpeg") {
      bytes = jpeg.empty() ? EncodeJpeg(picture, quality) : jpeg;
    } else {
      throw TOutputError("cannot write " + path + ": the name must end in .png, .bmp, .jpg or .jpeg",
                         "the name must end in .png, .bmp, .jpg or .jpeg");
    }
  } catch (const TOutputError&) {
    throw;
  } catch (const std::exception& failure) {
    throw TOutputError("cannot write " + path + ": " + failure.what(), failure.what());
  }
  WriteFileAtomically(path, bytes);
}
