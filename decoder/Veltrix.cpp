#include "Veltrix.h"

#include <exception>

#include "common/Messages.h"
#include "decoder/Decorder.h"
#include "decoder/Parameters.h"
#include "image/FrontImage.h"

namespace {

// The message of a picture without a symbol, also used for pictures too small to binarize.
constexpr std::int32_t kNoFinderPattern = 1;

const TPlaneBoolean kNoPlane;

}  // namespace

TVeltrix::TVeltrix(TSurfaces& surfaces)
    : frontImage_(std::make_unique<TFrontImage>(surfaces, progress_)),
      decorder_(std::make_unique<TDecorder>(surfaces, progress_)) {
  resolver_ = frontImage_->Offset();
}

TVeltrix::~TVeltrix() = default;

void TVeltrix::SetWarp(std::int32_t value) { decorder_->SetWarp(RangeOf(TParameter::Warp).Clamp(value)); }

void TVeltrix::SetResolver(std::int32_t value) {
  resolver_ = RangeOf(TParameter::Resolver).Clamp(value);
  frontImage_->SetOffset(resolver_);
}

bool TVeltrix::Decode(const TBitmap& picture) {
  bool result = true;
  progress_.Enter(TStage::Binarization);
  failureText_.clear();
  tooSmall_ = false;
  const std::int32_t width = picture.Width();
  const std::int32_t height = picture.Height();

  if (!TFrontImage::CanBinarize(width, height)) {
    // No threshold exists for fewer than two columns or for columns without rows:
    // reported like a picture without a symbol, without binarizing anything.
    tooSmall_ = true;
    binary_ = nullptr;
    result = false;
  } else {
    // The binarizer reads the picture's rows directly; no colour plane is copied.
    binary_ = &frontImage_->Binarize(picture);
    try {
      decodedText_.clear();
      decorder_->SetForceVersion(forceVersion_);
      decodedText_ = decorder_->Decode(*binary_, width, height);
    } catch (const std::exception& failure) {
      result = false;
      failureText_ = failure.what();
    } catch (...) {
      result = false;
      failureText_ = "unknown failure";
    }
    if (!decorder_->ErrorText().empty()) result = false;
  }

  if (result) {
    progress_.Enter(TStage::Done);
    if (OnDecoded) OnDecoded(*this);
  } else {
    decodedText_.clear();
    if (OnError) OnError(*this);
  }
  return result;
}

std::string TVeltrix::GetErrorText() const {
  if (tooSmall_) return ErrorMessage(kNoFinderPattern);
  return decorder_->ErrorText();
}

std::string TVeltrix::GetVersionText() const { return decorder_->GetVersionText(); }

const TPlaneBoolean& TVeltrix::BinaryPlane() const { return binary_ != nullptr ? *binary_ : kNoPlane; }
