#pragma once

#include <cstdint>

#include "common/Plane.h"
#include "common/Surfaces.h"
#include "common/Types.h"

// Reads the timing patterns between the three ordered finder centres (p0 the
// corner, axis 1 towards p1, axis 2 towards p2): a quick lower estimate of the
// version from the colour changes between the centres, and a test of one
// candidate version against the alternating modules of module row and column 6.
// The work is shown on TimeImage.
class TTimingPattern {
 public:
  // A version passes with more than this share of its samples alternating on one axis.
  static constexpr long double kShareNeeded = 0.9L;
  // The automatic version decision tests versions up to this one.
  static constexpr std::int32_t kLastVersion = 14;

  TTimingPattern(TSurfaces& surfaces, TPoint p0, TPoint p1, TPoint p2);

  // Lower estimate of the version (at least 1) from the colour changes along
  // the two lines from p0 to p1 and p0 to p2, each one pixel off towards the
  // other axis. Every change is painted red on the picture TimeImage shows now.
  // Points outside the plane count as no change.
  std::int32_t EstimateVersion(const TPlaneBoolean& plane);
  // Redraws the plane on TimeImage and tests whether the timing patterns of a
  // version-V symbol lie where the centres predict: more than 90 % of the
  // samples along axis 1, or else along axis 2, must alternate dark and light.
  // Samples are painted red; a sample outside the plane is a mismatch.
  // A version outside 1 to 40 is never confirmed.
  bool CheckVersion(std::int32_t version, const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);

  std::int32_t Length1() const { return length1_; }
  std::int32_t Length2() const { return length2_; }
  long double Angle1() const { return angle1_; }
  long double Angle2() const { return angle2_; }
  // Of the last CheckVersion: modules per side and pixels per module.
  std::int32_t Size() const { return size_; }
  long double Pitch1() const { return pitch1_; }
  long double Pitch2() const { return pitch2_; }
  // Of the last EstimateVersion: colour changes along axis 1 and axis 2.
  std::int32_t Changes1() const { return changes1_; }
  std::int32_t Changes2() const { return changes2_; }
  // Of the last CheckVersion: samples per axis and the matches on each axis
  // (-1 for an axis not sampled).
  std::int32_t Samples() const { return samples_; }
  std::int32_t Matches1() const { return matches1_; }
  std::int32_t Matches2() const { return matches2_; }

 private:
  // The pixel a pixels along axis 1 and b pixels along axis 2 from p0 (the
  // whole sum, origin included, rounded).
  TPoint AxisPoint(std::int64_t a, std::int64_t b) const;
  std::int32_t CountChanges(const TPlaneBoolean& plane, std::int32_t length, bool alongAxis1);

  TSurfaces& surfaces_;
  TPoint p0_, p1_, p2_;
  std::int32_t size_ = 0;
  std::int32_t changes1_ = 0;
  std::int32_t changes2_ = 0;
  std::int32_t samples_ = 0;
  std::int32_t matches1_ = -1;
  std::int32_t matches2_ = -1;
  std::int32_t length1_ = 0;
  std::int32_t length2_ = 0;
  long double pitch1_ = 0;
  long double pitch2_ = 0;
  long double angle1_ = 0;
  long double angle2_ = 0;
  // Cosines and sines of the two angles, for the walks along the axes.
  long double cos1_ = 1, sin1_ = 0, cos2_ = 1, sin2_ = 0;
};
