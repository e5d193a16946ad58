#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "locate/Lines.h"

namespace {

// Records tagged by their start x, so that the order after sorting can be read back.
TLines Tagged(const std::vector<std::int32_t>& weights) {
  TLines lines;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    const auto tag = static_cast<std::int32_t>(i);
    lines.Add({true, weights[i], {tag, 0}, {tag, 1}});
  }
  return lines;
}

std::string Order(const TLines& lines) {
  std::string order;
  for (std::int32_t i = 0; i < lines.Count(); ++i) order += static_cast<char>('A' + lines.GetLine(i).StartPt.x);
  return order;
}

TEST(LinesSort, EqualWeightsEndInPartitionOrder) {
  TLines mixed = Tagged({3, 5, 5, 1});
  mixed.Sort();
  EXPECT_EQ(Order(mixed), "CBAD");

  TLines three = Tagged({2, 2, 2});
  three.Sort();
  EXPECT_EQ(Order(three), "CBA");

  TLines two = Tagged({9, 9});
  two.Sort();
  EXPECT_EQ(Order(two), "BA");

  TLines alternating = Tagged({4, 7, 4, 7, 4});
  alternating.Sort();
  EXPECT_EQ(Order(alternating), "DBEAC");
}

TEST(LinesSort, EmptyAndSingleListsStay) {
  TLines empty;
  empty.Sort();
  EXPECT_EQ(empty.Count(), 0);
  TLines one = Tagged({5});
  one.Sort();
  EXPECT_EQ(Order(one), "A");
}

TEST(LinesSort, AnyListComesOutHeaviestFirstWithEveryRecordKept) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::int32_t> weights(static_cast<std::size_t>(random() % 60));
    const std::int32_t spread = 1 + static_cast<std::int32_t>(random() % 8);
    for (auto& weight : weights) weight = static_cast<std::int32_t>(random() % spread);
    TLines lines = Tagged(weights);
    lines.Sort();
    std::vector<std::int32_t> tags;
    for (std::int32_t i = 0; i < lines.Count(); ++i) {
      const TLine line = lines.GetLine(i);
      EXPECT_EQ(line.Weight, weights[static_cast<std::size_t>(line.StartPt.x)]);
      if (i > 0) {
        EXPECT_GE(lines.GetLine(i - 1).Weight, line.Weight);
      }
      tags.push_back(line.StartPt.x);
    }
    std::sort(tags.begin(), tags.end());
    for (std::size_t i = 0; i < tags.size(); ++i) ASSERT_EQ(tags[i], static_cast<std::int32_t>(i));
  }
}

TEST(LinesRecords, SetLineOverwritesOnlyThatRecordAndClearEmpties) {
  TLines lines;
  EXPECT_EQ(lines.Add({true, 0, {1, 2}, {3, 2}}), 0);
  EXPECT_EQ(lines.Add({true, 4, {5, 6}, {5, 9}}), 1);
  TLine changed = lines.GetLine(0);
  changed.Active = false;
  lines.SetLine(0, changed);
  EXPECT_EQ(lines.GetLine(0), (TLine{false, 0, {1, 2}, {3, 2}}));
  EXPECT_EQ(lines.GetLine(1), (TLine{true, 4, {5, 6}, {5, 9}}));
  lines.Clear();
  EXPECT_EQ(lines.Count(), 0);
}

}  // namespace
