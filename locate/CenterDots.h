#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/Types.h"
#include "locate/Lines.h"

// A crossing of a row group and a column group: a finder-pattern centre candidate.
struct TCentreDot {
  // Number of horizontal plus vertical stretches behind the crossing.
  std::int32_t Weight = 0;
  std::int32_t X = 0;
  std::int32_t Y = 0;

  friend bool operator==(const TCentreDot&, const TCentreDot&) = default;
};

// Turns the stretches of the finder scan into centre candidates and picks the
// three strongest.
//
// A horizontal stretch h and a vertical stretch v cross when
//   h.StartPt.x < v.StartPt.x < h.EndPt.x  and  v.StartPt.y < h.StartPt.y < v.EndPt.y.
// Every vertical stretch, in list order, gathers the still active horizontal
// stretches it crosses into one row group (they become inactive); every
// horizontal stretch likewise gathers the active vertical ones into a column
// group. The middle member of a group (index n div 2) represents it with
// weight n. Each row representative crossing a column representative gives a
// candidate, and the three heaviest (earliest among equals) are chosen.
//
// The groups come out exactly as a plain comparison of every vertical stretch
// with every horizontal one would give them, but through an index, so that
// pictures with hundreds of thousands of stretches stay fast.
class TCenterDots {
 public:
  // Clear, grouping, candidates and the choice of three. Clears the Active
  // flags of the stretches taken into groups, in both lists.
  void Compute(TLines& horizontal, TLines& vertical);
  // Number of candidates.
  std::int32_t Count() const { return static_cast<std::int32_t>(dots_.size()); }
  // Chosen candidate of rank 0, 1 or 2, heaviest first; (0, 0) for other
  // indexes. Keeps its previous value when fewer than three candidates exist.
  TPoint GetDot(std::int32_t index) const;
  // Drops the candidates and both representative lists (the chosen points stay).
  void Clear();

  const TLines& RowCentres() const { return rowCentres_; }
  const TLines& ColumnCentres() const { return columnCentres_; }
  // The candidates in the order they were made.
  const std::vector<TCentreDot>& Dots() const { return dots_; }

 private:
  void MakeCandidates();
  void ChooseThree();

  std::vector<TCentreDot> dots_;
  TLines rowCentres_;
  TLines columnCentres_;
  std::array<TPoint, 3> chosen_{};
};
