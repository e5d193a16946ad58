// The version decision of TCoordinates: the timing test from the estimate up,
// and from version 7 on the version information, which decides.

#include <bit>
#include <vector>

#include "common/Diagnosis.h"
#include "common/Errors.h"
#include "locate/Coordinates.h"
#include "locate/TimingPattern.h"
#include "symbol/Versions.h"

bool TCoordinates::DecideVersion(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                 TVersionFigures& figures) {
  std::int32_t candidate = 0;
  if (forcedVersion_ > 0) {
    candidate = forcedVersion_;
    figures.forced = forcedVersion_;
  } else {
    // Test upward from the estimate; the timing patterns decide up to version 14.
    TTimingPattern timing(surfaces_, p_[0], p_[1], p_[2]);
    figures.estimate = timing.EstimateVersion(plane);
    figures.changes1 = timing.Changes1();
    figures.changes2 = timing.Changes2();
    figures.lastTimingVersion = TTimingPattern::kLastVersion;
    figures.shareNeeded = static_cast<double>(TTimingPattern::kShareNeeded);
    for (std::int32_t v = figures.estimate; v <= TTimingPattern::kLastVersion; ++v) {
      const bool passed = timing.CheckVersion(v, plane, width, height);
      figures.trials.push_back({v, timing.Samples(), timing.Matches1(), timing.Matches2(), passed});
      if (passed) {
        candidate = v;
        break;
      }
    }
    if (candidate == 0) {
      figures.selfNamingVersions = SelfNamingVersions(plane);
      return false;
    }
  }
  figures.candidate = candidate;
  version_ = candidate;
  model_->SetVersion(candidate);

  // From version 7 on the version information decides, also over a forced
  // version: the candidate only sets the pitch with which its blocks are found.
  if (HasVersionInformation(candidate)) {
    figures.maxInformationDistance = kMaxInformationDistance;
    version_ = ReadVersionInformation(plane, &figures.informationBlocks);
  }
  figures.version = version_;
  if (version_ == 0) figures.selfNamingVersions = SelfNamingVersions(plane);
  return version_ != 0;
}

std::vector<TSelfNamingVersion> TCoordinates::SelfNamingVersions(const TPlaneBoolean& plane) const {
  // Only for the observer, on a model of its own: the decode's model keeps its state.
  std::vector<TSelfNamingVersion> found;
  TPrincipalPattern model = *model_;
  for (std::int32_t v = kMinVersion; v <= kMaxVersion; ++v) {
    if (!HasVersionInformation(v)) continue;
    model.SetVersion(v);
    std::vector<TVersionBlockFigures> blocks;
    std::int32_t named = 0;
    try {
      named = ReadVersionBlocks(model, plane, &blocks);
    } catch (const TMathError&) {
      // Centres so far apart that the blocks of the widest modules lie beyond
      // 32-bit reach: those versions name nothing, and the failure being
      // reported is the decode's own.
      continue;
    }
    if (named == v) found.push_back({v, blocks.back().distance});
  }
  return found;
}

std::int32_t TCoordinates::ReadVersionInformation(const TPlaneBoolean& plane,
                                                  std::vector<TVersionBlockFigures>* blocks) const {
  if (!model_) return 0;
  return ReadVersionBlocks(*model_, plane, blocks);
}

std::int32_t TCoordinates::ReadVersionBlocks(const TPrincipalPattern& model, const TPlaneBoolean& plane,
                                             std::vector<TVersionBlockFigures>* blocks) const {
  // The bits of one block, bit `bit(i, j)` at module offset (a(i, j), b(i, j))
  // from `origin`, i outer and j inner; the nearest codeword is noted for the observer.
  const auto read = [&](TPoint origin, auto offsetOf) -> std::int32_t {
    TVersionBlockFigures figures;
    std::uint32_t bits = 0;
    for (std::int32_t i = 0; i < 6 && figures.inside; ++i) {
      for (std::int32_t j = 0; j < 3; ++j) {
        const auto [a, b, bit] = offsetOf(i, j);
        const TPoint at = model.ModuleToImage(a, b, origin);
        if (!plane.Contains(at)) {
          figures.inside = false;
          break;
        }
        if (plane[at.x][at.y]) bits |= 1u << bit;
      }
    }
    if (figures.inside) {
      figures.bits = bits;
      const TVersionMatch nearest = NearestVersionCode(bits);
      figures.nearestVersion = nearest.version;
      figures.distance = nearest.distance;
    }
    if (blocks != nullptr) blocks->push_back(figures);
    return figures.inside ? MatchVersionCode(bits) : -1;
  };
  struct TOffset {
    std::int32_t a, b, bit;
  };
  // Block left of the top-right finder pattern: row r, column c at offset (c - 7, r - 3) from P1, bit 3r + c.
  const std::int32_t first = read(p_[1], [](std::int32_t r, std::int32_t c) { return TOffset{c - 7, r - 3, 3 * r + c}; });
  if (first < 0) return 0;
  if (first != 0) return first;
  // Block above the bottom-left finder pattern: column c, row r at offset (c - 3, r - 7) from P2, bit 3c + r.
  const std::int32_t second = read(p_[2], [](std::int32_t c, std::int32_t r) { return TOffset{c - 3, r - 7, 3 * c + r}; });
  return second < 0 ? 0 : second;
}

std::int32_t TCoordinates::MatchVersionCode(std::uint32_t bits) {
  // The lowest version within 3 bits wins; there is no search for the closest.
  for (std::size_t i = 0; i < kVersionInformationCodes.size(); ++i) {
    const std::uint32_t differ = (kVersionInformationCodes[i] ^ bits) & 0x3FFFFu;
    if (std::popcount(differ) <= kMaxInformationDistance) return static_cast<std::int32_t>(i) + 7;
  }
  return 0;
}

TCoordinates::TVersionMatch TCoordinates::NearestVersionCode(std::uint32_t bits) {
  TVersionMatch nearest{0, 19};
  for (std::size_t i = 0; i < kVersionInformationCodes.size(); ++i) {
    const std::int32_t distance = std::popcount((kVersionInformationCodes[i] ^ bits) & 0x3FFFFu);
    if (distance < nearest.distance) nearest = {static_cast<std::int32_t>(i) + 7, distance};
  }
  return nearest;
}
