#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "common/DecodeStages.h"
#include "common/Diagnosis.h"
#include "common/Plane.h"
#include "common/Surfaces.h"
#include "common/Types.h"
#include "locate/FindPattern.h"
#include "locate/PrincipalPattern.h"
#include "symbol/SeedModule.h"

// The geometry engine: from the binary plane it finds where the symbol lies,
// how it is turned, how many modules it has, and where the centre of every
// module falls in the image.
//
// Locate runs, in order: the finder-pattern search, the finder model, the
// version decision (timing patterns, version information), the outer corners
// and the bilinear frame over them, and the alignment grid that corrects the
// frame locally. GetSamplePoint then maps any module to its image pixel.
// Each phase is written in a file of its own: VersionDecision.cpp,
// SymbolFrame.cpp and SamplingGrid.cpp; Coordinates.cpp runs them.
//
// The steps are public so that each can be driven on its own; a caller that
// only decodes needs Locate, GetVersion and GetSamplePoint.
class TCoordinates {
 public:
  explicit TCoordinates(TSurfaces& surfaces, TDecodeObserver& observer = TDecodeObserver::Nobody());
  ~TCoordinates();
  TCoordinates(const TCoordinates&) = delete;
  TCoordinates& operator=(const TCoordinates&) = delete;

  // Half-size, in module pitches, of the window in which the bottom-right corner is sought.
  void SetWarp(std::int32_t value) { warp_ = value; }
  // A value <= 0 leaves the version to the timing patterns.
  void SetForceVersion(std::int32_t value) { forcedVersion_ = value; }
  std::int32_t Warp() const { return warp_; }
  std::int32_t ForceVersion() const { return forcedVersion_; }

  // 0 when the symbol is located, 1 when no three finder patterns, no version
  // or no readable version information were found. Geometry failures raise a
  // TMathError ("Base Angle Error", "Program Error" or a degenerate case).
  std::int32_t Locate(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);
  // The same in two parts: the finder search (drawing ClossLineImage), and
  // everything after it from a finder result of the same plane, which may be
  // kept from an earlier search. A size that does not match the plane raises
  // a TDecodeError.
  TFinderResult SearchFinders(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);
  std::int32_t Locate(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                      const TFinderResult& finders);
  std::int32_t GetVersion() const { return version_; }
  // Image pixel at which module (a, b) is read; may lie outside the plane.
  // (0, 0) when no version between 1 and 40 is settled. The plane is not read.
  TPoint GetSamplePoint(const TPlaneBoolean& plane, std::int32_t a, std::int32_t b) const;

  // --- The steps of Locate ---

  // Everything after the finder search, from its three ordered centres.
  std::int32_t LocateFromCentres(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                 TPoint p0, TPoint p1, TPoint p2);
  // Replaces the finder model with one made from the three centres.
  void SetCentres(TPoint p0, TPoint p1, TPoint p2);
  // Settles the version: module pitches and axis angles from the finder model
  // (when there is one) and the alignment positions of that version.
  void SettleVersion(std::int32_t version);

  // --- Version decision (VersionDecision.cpp) ---

  // Version-information bits that may be wrong in a block that still matches.
  static constexpr std::int32_t kMaxInformationDistance = 3;
  // Version 7 to 40 read from the two version-information blocks, or 0. Each
  // block read is appended to `blocks` when given.
  std::int32_t ReadVersionInformation(const TPlaneBoolean& plane,
                                      std::vector<TVersionBlockFigures>* blocks = nullptr) const;
  // The lowest version whose version-information codeword differs from the
  // 18 bits in at most 3 places, or 0.
  static std::int32_t MatchVersionCode(std::uint32_t bits);
  // The version-information codeword nearest to the 18 bits (the lowest
  // version among equals) and the bits in which they differ.
  struct TVersionMatch {
    std::int32_t version;
    std::int32_t distance;
  };
  static TVersionMatch NearestVersionCode(std::uint32_t bits);

  // --- Outer corners and the frame over them (SymbolFrame.cpp) ---

  void FrameSymbol(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);
  // Takes the four corners as they are and derives the frame from them.
  void SetCorners(TPoint c0, TPoint c1, TPoint c2, TPoint c3);
  TPoint ModuleOffsetToImage(TPoint origin, long double a, long double b) const;
  // Half-size in pixels of the corner search window for factor k: round(k * pitch).
  std::int64_t SearchRadius(std::int32_t k) const;
  // Farthest dark pixel from reference within the square of half-size
  // round(k * pitch) around centre; sets the search hit when there is one.
  bool FindFarthestDark(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height, TPoint centre,
                        TPoint reference, std::int32_t k);
  long double BottomEdgeAngle(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height, TPoint q,
                              TPoint r) const;
  long double RightEdgeAngle(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height, TPoint q,
                             TPoint r) const;
  static long double DirectionAngle(TPoint q, TPoint p);
  // Tests the found bottom-right corner C3 against the intersection of the
  // symbol's bottom and right edges and moves it there when the corner module
  // is light.
  void CheckBottomRightCorner(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);

  // --- Sampling grid (SamplingGrid.cpp) ---

  TPoint MapModule(std::int32_t a, std::int32_t b) const;
  void BuildAlignmentGrid(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);
  TPoint SnapToDarkCentre(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height, TPoint p) const;
  // The grid node (i, j) nearest to module (a, b).
  TPoint NearestGridNode(std::int32_t a, std::int32_t b) const;
  // Largest distance, in whole pixels, between a grid node as the frame
  // predicts it and as the grid holds it; at most the largest 32-bit integer.
  std::int32_t LargestGridShift() const;
  void DrawAdjustImage(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);

  // --- State, for the image reader's caller and for inspection ---
  TPoint Centre(std::int32_t index) const;   // P0, P1, P2
  TPoint Corner(std::int32_t index) const;   // C0 top-left, C1 top-right, C2 bottom-left, C3 bottom-right
  TPoint SearchHit() const { return searchHit_; }
  long double Pitch1() const { return pitch1_; }
  long double Pitch2() const { return pitch2_; }
  long double Angle1() const { return angle1_; }
  long double Angle2() const { return angle2_; }
  long double TopLength() const { return topLength_; }
  long double LeftLength() const { return leftLength_; }
  long double TopAngle() const { return topAngle_; }
  long double LeftAngle() const { return leftAngle_; }
  long double DeviationLength() const { return deviationLength_; }
  long double DeviationAngle() const { return deviationAngle_; }
  const TPlanePoint& Grid() const { return grid_; }
  const TPrincipalPattern* Model() const { return model_ ? &*model_ : nullptr; }

 private:
  // The candidate and the settled version into version_ (also the figures);
  // false when no version was settled.
  bool DecideVersion(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height, TVersionFigures& figures);
  // The version information read with the module widths of `model`.
  std::int32_t ReadVersionBlocks(const TPrincipalPattern& model, const TPlaneBoolean& plane,
                                 std::vector<TVersionBlockFigures>* blocks) const;
  // Versions 7 to 40 whose version information, read with that version's
  // module width, names that very version: what imposing it would settle.
  std::vector<TSelfNamingVersion> SelfNamingVersions(const TPlaneBoolean& plane) const;
  // One corner search of FrameSymbol (corner 0 top-left .. 3 bottom-right), noted in the corner figures.
  bool SearchCorner(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height, std::size_t corner,
                    TPoint centre, TPoint reference, std::int32_t k);
  // The two halves of SettleVersion: the pitches and angles, which the framing
  // needs, and the alignment positions with an empty grid, which replace the
  // previous ones only once the framing has succeeded.
  void MeasureVersion(std::int32_t version);
  void PlaceSeeds(std::int32_t version);
  long double EdgeAngle(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height, TPoint q, TPoint r,
                        bool largest) const;
  void DeriveFrame();
  std::int32_t Position(std::int32_t index) const;

  TSurfaces& surfaces_;
  TDecodeObserver& observer_;
  std::unique_ptr<TFindPattern> finder_;
  std::optional<TPrincipalPattern> model_;
  std::optional<TSeedModule> seeds_;
  // The positions of seeds_, looked up for every module.
  std::vector<std::int32_t> positions_;
  TPoint p_[3]{};
  TPlanePoint grid_;
  long double pitch1_ = 0;
  long double pitch2_ = 0;
  long double angle1_ = 0;
  long double angle2_ = 0;
  TPoint c_[4]{};
  TPoint searchHit_{};
  long double topLength_ = 0;
  long double leftLength_ = 0;
  long double topAngle_ = 0;
  long double leftAngle_ = 0;
  long double deviationLength_ = 0;
  long double deviationAngle_ = 0;
  // Cosines and sines of the angles above, worked out once when an angle is set
  // (the module mapping uses them for every module).
  long double cos1_ = 1, sin1_ = 0, cos2_ = 1, sin2_ = 0;
  long double cosTop_ = 1, sinTop_ = 0, cosLeft_ = 1, sinLeft_ = 0, cosDeviation_ = 1, sinDeviation_ = 0;
  // What the last FrameSymbol found, step by step.
  TCornerFigures cornerFigures_;
  std::int32_t version_ = 0;
  std::int32_t forcedVersion_ = 0;
  std::int32_t warp_ = 1;
};
