#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "locate/Lines.h"

namespace {

// Sorts records of these weights, tagged by their start x, and gives the
// tags in the resulting order as letters (A for the first record).
std::string SortedOrder(const std::vector<std::int32_t>& weights) {
  TLines lines;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    const auto tag = static_cast<std::int32_t>(i);
    lines.Add({true, weights[i], {tag, 0}, {tag, 1}});
  }
  lines.Sort();
  std::string order;
  for (const TLine& line : lines.Items()) {
    EXPECT_EQ(line.Weight, weights[static_cast<std::size_t>(line.StartPt.x)]);
    order += static_cast<char>('A' + line.StartPt.x);
  }
  return order;
}

TEST(LinesSort, EqualWeightsEndInPartitionOrder) {
  EXPECT_EQ(SortedOrder({3, 5, 5, 1}), "CBAD");
  EXPECT_EQ(SortedOrder({2, 2, 2}), "CBA");
  EXPECT_EQ(SortedOrder({9, 9}), "BA");
  EXPECT_EQ(SortedOrder({4, 7, 4, 7, 4}), "DBEAC");
  EXPECT_EQ(SortedOrder({5}), "A");
  EXPECT_EQ(SortedOrder({}), "");
}

TEST(LinesSort, AnyListComesOutHeaviestFirstWithEveryRecordKept) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::int32_t> weights(random() % 40);
    const auto spread = 1 + random() % 8;
    for (auto& weight : weights) weight = static_cast<std::int32_t>(random() % spread);
    const std::string order = SortedOrder(weights);
    std::string tags = order;
    std::sort(tags.begin(), tags.end());
    ASSERT_EQ(tags.size(), weights.size());
    for (std::size_t i = 0; i < tags.size(); ++i) ASSERT_EQ(tags[i], static_cast<char>('A' + i));
    for (std::size_t i = 1; i < order.size(); ++i) ASSERT_GE(weights[order[i - 1] - 'A'], weights[order[i] - 'A']);
  }
}

}  // namespace
