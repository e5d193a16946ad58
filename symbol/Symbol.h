#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "Arrangement.h"
#include "Base.h"
#include "common/DecodeStages.h"
#include "common/Plane.h"
#include "common/Surfaces.h"

// The symbol model: the module matrix of the symbol's version with the sampled
// modules copied in, and the error-correction level and mask pattern read from
// the format information beside the top-left finder pattern.
class TSymbol : public TBase {
 public:
  explicit TSymbol(TSurfaces& surfaces, TDecodeObserver& observer = TDecodeObserver::Nobody());
  virtual ~TSymbol();
  TSymbol(const TSymbol&) = delete;
  TSymbol& operator=(const TSymbol&) = delete;

  // Builds the model from the sampled plane (True = dark, [x][y]) of rows x columns
  // modules: the version of that side, a new matrix, the modules copied, the format
  // information read. Raises a TDecodeError for a version outside 1 to 40 or a plane
  // smaller than the given size; on unreadable format information sets ErrorCode 5
  // and raises "Format Information Error".
  void Build(const TPlaneBoolean& plane, std::int32_t rows, std::int32_t columns);
  // Reads level and mask from the format modules of the current matrix and writes
  // the two trace lines on ImgMemo. Does nothing while Version() is below 1.
  void ReadFormat();

  bool HasMatrix() const { return matrix_ != nullptr; }
  // The current matrix; raises a TDecodeError before the first Build.
  TArrangement& Matrix();
  const TArrangement& Matrix() const;

  std::int32_t Height() const { return height_; }
  std::int32_t Width() const { return width_; }
  std::int32_t Version() const { return version_; }
  // 0 L, 1 M, 2 Q, 3 H.
  std::int32_t ECLevel() const { return ecLevel_; }
  std::int32_t MaskPattern() const { return maskPattern_; }
  // The corrected format data bits: element k is format bit 10 + k.
  const std::array<std::uint8_t, 5>& FormatBits() const { return formatBits_; }

  // Error-correction codewords and Reed-Solomon blocks of the whole symbol for
  // (Version, ECLevel). Raise a TDecodeError when either is outside its range.
  std::int32_t ECCodewordCount() const;
  std::int32_t BlockCount() const;

 protected:
  TSurfaces& Surfaces() { return surfaces_; }
  TDecodeObserver& Observer() { return observer_; }

 private:
  // Both copies of the format information read in mirrored order, into the figures.
  void ReadMirrored(TFormatFigures& figures) const;

  TSurfaces& surfaces_;
  TDecodeObserver& observer_;
  std::unique_ptr<TArrangement> matrix_;
  std::int32_t height_ = 0;
  std::int32_t width_ = 0;
  std::int32_t version_ = 0;
  std::int32_t maskPattern_ = 0;
  std::int32_t ecLevel_ = 0;
  std::array<std::uint8_t, 5> formatBits_{};
};
