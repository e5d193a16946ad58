#pragma once

#include <cstdint>
#include <span>

// The centre positions (module row/column coordinates) from which the alignment
// patterns and the sampling grid of one version are built.
class TSeedModule {
 public:
  // Refuses a version outside 1 to 40 with a TDecodeError.
  explicit TSeedModule(std::int32_t version);

  std::int32_t Version() const { return version_; }
  std::int32_t Count() const { return count_; }
  // The index-th position in ascending order; callers keep index in 0 .. Count() - 1.
  std::int32_t Position(std::int32_t index) const;

 private:
  std::int32_t version_;
  std::span<const std::int32_t> positions_;
  std::int32_t count_;
};
