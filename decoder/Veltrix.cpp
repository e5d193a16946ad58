#include "Veltrix.h"

#include <exception>
#include <new>
#include <string>

#include "common/Errors.h"
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
    : surfaces_(surfaces),
      frontImage_(std::make_unique<TFrontImage>(surfaces, progress_)),
      decorder_(std::make_unique<TDecorder>(surfaces, progress_)),
      resolver_(frontImage_->Offset()) {}

TVeltrix::~TVeltrix() = default;

void TVeltrix::SetWarp(std::int32_t value) { decorder_->SetWarp(RangeOf(TParameter::Warp).Clamp(value)); }

void TVeltrix::SetResolver(std::int32_t value) {
  resolver_ = RangeOf(TParameter::Resolver).Clamp(value);
  frontImage_->SetOffset(resolver_);
}

TDecodeParameters TVeltrix::Parameters() const { return {resolver_, decorder_->Warp(), forceVersion_}; }

bool TVeltrix::Decode(const TBitmap& picture) { return DecodeBinarized(Binarize(picture)); }

TBinarized TVeltrix::Binarize(const TBitmap& picture) {
  TBinarized kept;
  kept.width = picture.Width();
  kept.height = picture.Height();
  progress_.Begin(kept.width, kept.height, Parameters());
  progress_.Enter(TStage::Binarization);
  // No threshold exists for fewer than two columns or for columns without
  // rows: such a picture is not binarized at all.
  if (TFrontImage::CanBinarize(kept.width, kept.height)) {
    // The binarizer reads the picture's rows directly; no colour plane is copied.
    try {
      frontImage_->Binarize(picture);
    } catch (const std::bad_alloc&) {
      // This step is not guarded like the later ones: the failure leaves the
      // decode, recorded as the reason it stopped.
      const std::string reason = "not enough memory to binarize a " + std::to_string(kept.width) + " x " +
                                 std::to_string(kept.height) + " picture";
      progress_.Finish(reason);
      binary_ = nullptr;
      throw TDecodeError(reason);
    }
    kept.plane = frontImage_->SharedPlane();
    try {
      kept.finders = decorder_->SearchFinders(*kept.plane, kept.width, kept.height);
    } catch (...) {
      kept.searchFailure = std::current_exception();
    }
  }
  kept.record = progress_.Record();
  return kept;
}

bool TVeltrix::DecodeBinarized(const TBinarized& kept) {
  SetResolver(kept.Resolver());
  progress_.Resume(kept.record, Parameters());
  tooSmall_ = kept.plane == nullptr;
  if (tooSmall_) {
    // Reported like a picture without a symbol.
    binary_ = nullptr;
    return DecodeGuarded(nullptr);
  }
  binary_ = kept.plane.get();
  // The panes that later stages make of the plane share it (a no-op after
  // this facade's own Binarize).
  surfaces_.ShareBinaryPlane(kept.plane);
  return DecodeGuarded([&] {
    decorder_->SetForceVersion(forceVersion_);
    if (kept.searchFailure) {
      decorder_->ClearError();
      std::rethrow_exception(kept.searchFailure);
    }
    return decorder_->Decode(*binary_, kept.width, kept.height, kept.finders);
  });
}

bool TVeltrix::DecodeMatrix(const TPlaneBoolean& matrix) {
  progress_.Begin(matrix.Width(), matrix.Height(), Parameters());
  tooSmall_ = false;
  binary_ = nullptr;
  return DecodeGuarded([&] { return decorder_->DecodeMatrix(matrix); });
}

bool TVeltrix::DecodeGuarded(const std::function<std::string()>& decode) {
  failureText_.clear();
  decorder_->ClearSampled();
  // Without a decode (a picture too small to binarize) the result is a failure.
  bool result = static_cast<bool>(decode);
  if (decode) {
    try {
      decodedText_.clear();
      decodedText_ = decode();
    } catch (const std::exception& failure) {
      result = false;
      failureText_ = failure.what();
    } catch (...) {
      result = false;
      failureText_ = "unknown failure";
    }
    if (!decorder_->ErrorText().empty()) result = false;
  }

  progress_.Finish(result ? std::string() : FailureReason());
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

std::int32_t TVeltrix::ErrorCode() const {
  if (tooSmall_) return kNoFinderPattern;
  return decorder_->ErrorText().empty() ? 0 : decorder_->ErrorCode;
}

std::string TVeltrix::GetVersionText() const { return decorder_->GetVersionText(); }

TGreyHistogram TVeltrix::GreyHistogram(const TBitmap& picture) { return TFrontImage::GreyHistogram(picture); }

const TPlaneBoolean& TVeltrix::BinaryPlane() const { return binary_ != nullptr ? *binary_ : kNoPlane; }
