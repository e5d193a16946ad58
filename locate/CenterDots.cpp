#include "CenterDots.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// Stretches of one direction ordered by lane (the row of a horizontal
// stretch, the column of a vertical one) and, within a lane, by their low
// end. The stretches of lane k with lo < p < hi are found by walking back from
// the last one with lo < p until the running maximum of the high ends shows
// that nothing earlier can reach past p. The scan's own stretches never nest
// (within a line both ends grow with list order), so a walk visits little more
// than what it reports; stretches taken into a group are flagged, not moved.
// The grouping asks with growing p lane after lane, so each lane remembers
// where its last walk started and moves on from there.
class TCrossIndex {
 public:
  struct TItem {
    std::int32_t lane;
    std::int32_t lo;
    std::int32_t hi;
    std::int32_t index;  // position in the source list
  };

  explicit TCrossIndex(std::vector<TItem> items) {
    const auto before = [](const TItem& a, const TItem& b) {
      if (a.lane != b.lane) return a.lane < b.lane;
      if (a.lo != b.lo) return a.lo < b.lo;
      return a.index < b.index;
    };
    // The scan already delivers its stretches in this order.
    if (!std::is_sorted(items.begin(), items.end(), before)) std::sort(items.begin(), items.end(), before);
    const std::size_t count = items.size();
    lo_.resize(count);
    hi_.resize(count);
    reach_.resize(count);
    index_.resize(count);
    removed_.assign(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
      const TItem& item = items[i];
      const bool first = i == 0 || item.lane != items[i - 1].lane;
      if (first) {
        lanes_.push_back(item.lane);
        laneBegin_.push_back(i);
      }
      lo_[i] = item.lo;
      hi_[i] = item.hi;
      index_[i] = item.index;
      reach_[i] = first ? item.hi : std::max(reach_[i - 1], item.hi);
    }
    laneBegin_.push_back(count);
    cursor_.assign(lanes_.size(), {std::numeric_limits<std::int32_t>::min(), 0});
    for (std::size_t k = 0; k < lanes_.size(); ++k) cursor_[k].end = laneBegin_[k];
  }

  // Appends the positions of the stretches still present with
  // laneLo < lane < laneHi and lo < p < hi (in no particular order).
  void Query(std::int32_t laneLo, std::int32_t laneHi, std::int32_t p, std::vector<std::size_t>& positions) {
    auto lane = std::upper_bound(lanes_.begin(), lanes_.end(), laneLo);
    for (; lane != lanes_.end() && *lane < laneHi; ++lane) {
      const std::size_t k = static_cast<std::size_t>(lane - lanes_.begin());
      const std::size_t begin = laneBegin_[k];
      const std::size_t laneEnd = laneBegin_[k + 1];
      // end: the first stretch of the lane with lo >= p.
      TCursor& cursor = cursor_[k];
      auto search = [&](std::size_t from) {
        return static_cast<std::size_t>(std::lower_bound(lo_.begin() + static_cast<std::ptrdiff_t>(from),
                                                         lo_.begin() + static_cast<std::ptrdiff_t>(laneEnd), p) -
                                        lo_.begin());
      };
      std::size_t end = begin;
      if (p >= cursor.p) {
        // A few steps forward from the last walk usually reach it.
        end = cursor.end;
        for (int step = 0; step < 8 && end < laneEnd && lo_[end] < p; ++step) ++end;
        if (end < laneEnd && lo_[end] < p) end = search(end);
      } else {
        end = search(begin);
      }
      cursor = {p, end};
      for (std::size_t i = end; i > begin;) {
        --i;
        if (reach_[i] <= p) break;
        if (!removed_[i] && hi_[i] > p) positions.push_back(i);
      }
    }
  }

  std::int32_t SourceIndex(std::size_t position) const { return index_[position]; }
  void Remove(std::size_t position) { removed_[position] = 1; }

 private:
  struct TCursor {
    std::int32_t p;
    std::size_t end;
  };

  std::vector<std::int32_t> lo_;
  std::vector<std::int32_t> hi_;
  // Largest high end among the lane's stretches up to and including this one.
  std::vector<std::int32_t> reach_;
  std::vector<std::int32_t> index_;
  std::vector<std::uint8_t> removed_;
  std::vector<std::int32_t> lanes_;
  std::vector<std::size_t> laneBegin_;
  std::vector<TCursor> cursor_;
};

// Horizontal stretches live in their row and span x; vertical ones live in
// their column and span y.
TCrossIndex::TItem HorizontalItem(const TLine& line, std::int32_t index) {
  return {line.StartPt.y, line.StartPt.x, line.EndPt.x, index};
}
TCrossIndex::TItem VerticalItem(const TLine& line, std::int32_t index) {
  return {line.StartPt.x, line.StartPt.y, line.EndPt.y, index};
}

// The crossing stretches found by a query, as source indexes in list order.
void ToListOrder(const TCrossIndex& index, const std::vector<std::size_t>& positions,
                 std::vector<std::int32_t>& members) {
  members.clear();
  for (std::size_t position : positions) members.push_back(index.SourceIndex(position));
  std::sort(members.begin(), members.end());
}

// Every stretch of `takers`, in list order, takes the still active stretches
// of `taken` that it crosses into one group (they become inactive); the
// middle member represents the group, weighted by its size. A stretch thus
// joins the group of the first crossing taker. `takenItem` and `takerItem`
// put the two kinds of stretch into the index: its lane, and its span across
// the lanes.
void GroupCrossing(TLines& taken, TCrossIndex::TItem (*takenItem)(const TLine&, std::int32_t), const TLines& takers,
                   TCrossIndex::TItem (*takerItem)(const TLine&, std::int32_t), TLines& centres) {
  const std::vector<TLine>& lines = taken.Items();
  std::vector<TCrossIndex::TItem> items;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].Active) items.push_back(takenItem(lines[i], static_cast<std::int32_t>(i)));
  TCrossIndex index(std::move(items));

  std::vector<std::size_t> positions;
  std::vector<std::int32_t> members;
  for (const TLine& taker : takers.Items()) {
    const TCrossIndex::TItem across = takerItem(taker, 0);
    positions.clear();
    index.Query(across.lo, across.hi, across.lane, positions);
    if (positions.empty()) continue;
    ToListOrder(index, positions, members);
    TLine centre = taken.GetLine(members[members.size() / 2]);
    centre.Weight = static_cast<std::int32_t>(members.size());
    for (std::size_t position : positions) index.Remove(position);
    for (std::int32_t member : members) {
      TLine line = taken.GetLine(member);
      line.Active = false;
      taken.SetLine(member, line);
    }
    centres.Add(centre);
  }
}

}  // namespace

void TCenterDots::Clear() {
  dots_.clear();
  rowCentres_.Clear();
  columnCentres_.Clear();
}

TPoint TCenterDots::GetDot(std::int32_t index) const {
  if (index < 0 || index > 2) return {};
  return chosen_[static_cast<std::size_t>(index)];
}

// Rows first: each vertical stretch gathers the horizontal ones it crosses;
// then each horizontal stretch, active or not, gathers the vertical ones.
void TCenterDots::Compute(TLines& horizontal, TLines& vertical) {
  Clear();
  GroupCrossing(horizontal, HorizontalItem, vertical, VerticalItem, rowCentres_);
  GroupCrossing(vertical, VerticalItem, horizontal, HorizontalItem, columnCentres_);
  rowCentres_.Sort();
  columnCentres_.Sort();
  MakeCandidates();
  ChooseThree();
}

// Every row representative against every column representative, in the
// order of both sorted lists.
void TCenterDots::MakeCandidates() {
  const std::vector<TLine>& columns = columnCentres_.Items();
  std::vector<TCrossIndex::TItem> items;
  items.reserve(columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) items.push_back(VerticalItem(columns[i], static_cast<std::int32_t>(i)));
  TCrossIndex index(std::move(items));

  std::vector<std::size_t> positions;
  std::vector<std::int32_t> members;
  for (const TLine& a : rowCentres_.Items()) {
    positions.clear();
    index.Query(a.StartPt.x, a.EndPt.x, a.StartPt.y, positions);
    if (positions.empty()) continue;
    ToListOrder(index, positions, members);
    for (std::int32_t member : members) {
      const TLine& b = columns[static_cast<std::size_t>(member)];
      // Group sizes are far below the 32-bit limit; the sum is clamped all the same.
      const std::int64_t weight = static_cast<std::int64_t>(a.Weight) + b.Weight;
      dots_.push_back({static_cast<std::int32_t>(std::clamp<std::int64_t>(
                           weight, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max())),
                       b.StartPt.x, a.StartPt.y});
    }
  }
}

// The three heaviest candidates; among equal weights the earliest wins,
// because only a strictly heavier candidate replaces the current best.
void TCenterDots::ChooseThree() {
  if (dots_.size() < 3) return;
  std::array<std::size_t, 3> picked{};
  for (std::size_t rank = 0; rank < 3; ++rank) {
    bool found = false;
    std::size_t best = 0;
    for (std::size_t i = 0; i < dots_.size(); ++i) {
      if ((rank > 0 && i == picked[0]) || (rank > 1 && i == picked[1])) continue;
      if (!found || dots_[i].Weight > dots_[best].Weight) {
        best = i;
        found = true;
      }
    }
    picked[rank] = best;
  }
  for (std::size_t rank = 0; rank < 3; ++rank) chosen_[rank] = {dots_[picked[rank]].X, dots_[picked[rank]].Y};
}
