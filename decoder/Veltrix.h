#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "common/Bitmap.h"
#include "common/DecodeStages.h"
#include "common/Diagnosis.h"
#include "common/Plane.h"
#include "common/Surfaces.h"
#include "locate/FindPattern.h"

class TFrontImage;
class TDecorder;

// The part of a decode that depends only on the picture and Resolver: the
// binary plane and the finder search over it. Kept, it lets further decodes of
// the same picture and Resolver with other Warp and ForceVersion values skip
// both, and decode exactly as a whole decode would.
struct TBinarized {
  // The binary plane; null when the picture was too small to binarize.
  std::shared_ptr<const TPlaneBoolean> plane;
  std::int32_t width = 0;
  std::int32_t height = 0;
  TFinderResult finders;
  // What the finder search raised, to be reported by the decode.
  std::exception_ptr searchFailure;
  // What binarization and finder search measured, and where the decode stood
  // after them: the record a decode from this part begins with.
  TDiagnosis record;

  // The Resolver (clamped) the plane was made with.
  std::int32_t Resolver() const { return record.parameters.resolver; }
};

// The one entry into the decoder. The owner writes the three parameters, calls
// Decode with the picture and reads the outcome: the result, DecodedText,
// GetErrorText, and one of the two notifications raised inside Decode.
// Decode is the only place where failures of the pipeline are caught.
class TVeltrix {
 public:
  using TNotify = std::function<void(TVeltrix& sender)>;

  explicit TVeltrix(TSurfaces& surfaces);
  ~TVeltrix();
  TVeltrix(const TVeltrix&) = delete;
  TVeltrix& operator=(const TVeltrix&) = delete;

  // Clamped to 1..6 and passed to the driver at once.
  void SetWarp(std::int32_t value);
  // Clamped to -128..128 and copied into the binarizer at once.
  void SetResolver(std::int32_t value);
  // Stored as written; handed to the driver at the start of every Decode.
  void SetForceVersion(std::int32_t value) { forceVersion_ = value; }
  // The last Resolver after clamping (the binarizer's initial offset before any write).
  std::int32_t Resolver() const { return resolver_; }
  std::int32_t ForceVersion() const { return forceVersion_; }
  // Resolver and ForceVersion as held here, Warp as the locate stage holds it.
  TDecodeParameters Parameters() const;

  TNotify OnDecoded;  // raised after a successful decode
  TNotify OnError;    // raised after a failed decode

  // Binarizes the picture (drawing FrontImage) and has the driver decode it.
  // True when the driver finished without failure.
  bool Decode(const TBitmap& picture);
  // The same in two parts. Binarize makes the binary plane with the current
  // Resolver and runs the finder search on it (drawing FrontImage and
  // ClossLineImage); DecodeBinarized runs the rest with the current Warp and
  // ForceVersion. A kept TBinarized may be decoded any number of times, by any
  // facade on the same thread; the facade takes its Resolver. Binarize raises
  // only when there is no memory for the plane: a TDecodeError saying so,
  // which the record keeps as the failure.
  TBinarized Binarize(const TBitmap& picture);
  bool DecodeBinarized(const TBinarized& kept);
  // A decode from a module matrix instead of a picture, as the sampling stage
  // would hand it to the driver (side x side, [x][y], True = dark): format,
  // mask, codewords, Reed-Solomon and data, drawn and written as a decode
  // draws them from there, its failures caught here like every decode's.
  // The record begins anew with the matrix's size as the picture's; the
  // stages before sampling do not run and leave their panes alone.
  bool DecodeMatrix(const TPlaneBoolean& matrix);

  // The text of the last decode as Shift-JIS bytes; empty after a failure.
  const std::string& DecodedText() const { return decodedText_; }
  // The message of the error code of the last failure; empty after a success,
  // and also empty when a stage failed without setting a code.
  std::string GetErrorText() const;
  // The driver's code of that error text (1 to 10); 0 after a success and
  // after failures that set no code (the geometry's).
  std::int32_t ErrorCode() const;
  std::string GetVersionText() const;
  // The message of the failure raised inside the last decode, or empty. It
  // explains failures that set no error code (GetErrorText empty).
  const std::string& FailureText() const { return failureText_; }
  // What the status panel shows after a failure: the error text, or the raised
  // message when the failing stage set no code, so a failure always has a reason.
  std::string FailureReason() const { return GetErrorText().empty() ? failureText_ : GetErrorText(); }

  // Where the last decode stopped: the stage that failed, or Done after a
  // success (Binarization also for a picture too small to binarize). Every
  // stage before it ran and succeeded; none after it ran.
  TStage StoppedAt() const { return progress_.Record().stage; }
  // What every stage of the last decode measured (the picture's own histogram
  // is left out: GreyHistogram makes it on request).
  const TDiagnosis& Diagnosis() const { return progress_.Record(); }

  // Pixels of the picture at each grey level, as the binarizer weighs the
  // colours: a pass of its own over the picture, which a decode does not make.
  static TGreyHistogram GreyHistogram(const TBitmap& picture);

  // The binary plane of the last decode (empty before the first, after a
  // picture too small to binarize and after a plane that could not be had).
  const TPlaneBoolean& BinaryPlane() const;
  // The driver, for reading back what was handed to it.
  const TDecorder& Driver() const { return *decorder_; }

 private:
  // Runs the driver's part of a decode inside the one guard of the pipeline,
  // then ends the record and raises the notification.
  bool DecodeGuarded(const std::function<std::string()>& decode);

  TSurfaces& surfaces_;
  // Handed to every stage, which tells it where the decode stands and what it measured.
  TDiagnosisRecorder progress_;
  std::unique_ptr<TFrontImage> frontImage_;
  std::unique_ptr<TDecorder> decorder_;
  const TPlaneBoolean* binary_ = nullptr;
  // Written with the binarizer's offset, which starts at the binarizer's own value.
  std::int32_t resolver_;
  std::int32_t forceVersion_ = 0;
  std::string decodedText_;
  std::string failureText_;
  // Set when the picture was too small to binarize: the driver did not run,
  // so its error text belongs to an earlier decode.
  bool tooSmall_ = false;
};
