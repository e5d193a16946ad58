#include "SeedModule.h"

#include "Versions.h"

namespace {

// The positions of a version that is known to lie in 1 to 40.
std::span<const std::int32_t> CheckedPositions(std::int32_t version) {
  RequireVersion(version);
  return AlignmentPositions(version);
}

}  // namespace

TSeedModule::TSeedModule(std::int32_t version)
    : version_(version), positions_(CheckedPositions(version)), count_(static_cast<std::int32_t>(positions_.size())) {}

std::int32_t TSeedModule::Position(std::int32_t index) const { return positions_[static_cast<std::size_t>(index)]; }
