#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/Diagnosis.h"
#include "common/Plane.h"
#include "common/Surfaces.h"
#include "common/Types.h"
#include "data/ReedSolomon.h"
#include "image/ImageReader.h"
#include "symbol/DataMask.h"
#include "symbol/Placement.h"
#include "symbol/Symbol.h"

// The decoder driver: runs the stages from the binary plane to the text. It has
// the image reader locate and sample the symbol, builds the symbol model and
// reads its format information, unmasks the matrix, reads the codewords in
// placement order, splits them into Reed-Solomon blocks, has every block
// corrected and decodes the data codewords. On the way it draws the sampled,
// mask and unmasked matrices and writes the block listing and correction report.
class TDecorder : public TSymbol {
 public:
  explicit TDecorder(TSurfaces& surfaces, TDecodeObserver& observer = TDecodeObserver::Nobody());

  // Passed through to the image reader; no check here.
  void SetWarp(std::int32_t value);
  void SetForceVersion(std::int32_t value);

  // One whole decode. Returns the decoded text (Shift-JIS bytes), or the empty
  // text when a stage failed; ErrorText() then holds the message. A failure of
  // the format information or of the geometry is raised to the caller.
  std::string Decode(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);
  // The same in two parts: the finder search, which depends only on the plane,
  // and the decode from its result, which may be kept for decodes of the same
  // plane with other Warp and ForceVersion values.
  TFinderResult SearchFinders(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);
  std::string Decode(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                     const TFinderResult& finders);
  // A decode from a module matrix as the sampling stage hands one over (side x
  // side, [x][y], True = dark): the stages from the format information on,
  // drawing and writing as a whole decode does from there. Raises a
  // TDecodeError for a plane that is not the size of a symbol, and the
  // failures of those stages as Decode does.
  std::string DecodeMatrix(const TPlaneBoolean& matrix);
  // Clears the error text of an earlier decode, for a decode that fails before
  // it reaches the driver.
  void ClearError() { errorText_.clear(); }

  const std::string& ErrorText() const { return errorText_; }
  // "Veltrix Ver " with the major and minor version numbers.
  std::string GetVersionText() const;

  // The values the locate stage holds (its own until written).
  std::int32_t Warp() const;
  std::int32_t ForceVersion() const;

  // What the last decode produced, for inspection: the codewords as read (in
  // reading order, before correction), the blocks after correction with the
  // layout that placed the codewords in them, and the data codewords handed
  // to the data decoder (CodewordsRead counts them).
  const TIntegers& Codewords() const { return codewords_; }
  std::int32_t CodewordsRead() const { return codewordsRead_; }
  const TIntegers& DataCodewords() const { return dataCodewords_; }
  const std::vector<TIntegers>& Blocks() const { return blocks_; }
  const std::vector<TBlockLayout>& BlockLayout() const { return layout_; }
  // The alignment nodes of the last location as its sampling grid holds them
  // ([i][j], i the column), which a front end marks on AdjustImage.
  const TPlanePoint& SamplingGrid() const;
  // The module matrix the last decode built its symbol from (the one the
  // image reader sampled, or the one handed to DecodeMatrix); empty when the
  // last decode stopped before it had one.
  const TPlaneBoolean& Sampled() const;
  // Forgets the matrix of an earlier decode, for a decode that fails before it samples one.
  void ClearSampled() { sampled_ = nullptr; }
  // The version settled by the location of the last decode (0 before it is).
  std::int32_t LocatedVersion() const;

 private:
  // The stages from the sampled matrix of `size` modules a side to the text.
  std::string DecodeSampled(const TPlaneBoolean& sampled, std::int32_t size);
  void DrawSampled(const TPlaneBoolean& matrix, std::int32_t size);
  void MakeMask();
  void Unmask();
  void ReadCodewords();
  // Returns false when a block is still not a codeword after correction.
  // The figures of every block are noted for the observer.
  bool CorrectBlocks(TCorrectionFigures& figures);
  std::string DecodeData();
  // The data codewords as read, without correction, decoded as far as they go.
  TUnverifiedReading ReadUncorrected() const;

  std::int32_t CodewordAt(std::int32_t index) const;

  TImageReader reader_;
  TReedSolomon reedSolomon_;
  TIntegers codewords_;
  std::int32_t codewordsRead_ = 0;
  TIntegers dataCodewords_;
  std::vector<TIntegers> blocks_;
  std::vector<TBlockLayout> layout_;
  std::string errorText_;
  // What Sampled() returns: the reader's matrix, given_, or none.
  const TPlaneBoolean* sampled_ = nullptr;
  TPlaneBoolean given_;
};
