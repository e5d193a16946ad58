#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "FilledSymbols.h"
#include "StageFailures.h"
#include "TempFolder.h"
#include "TestPng.h"
#include "TestSymbols.h"
#include "classset/ClassSet.h"
#include "picture/JpegFile.h"

using namespace testing_support;

namespace {

TEST(ClassNameOrder, NumbersByTheirValueLettersWithoutTheirCaseThenTheBytes) {
  const std::vector<std::string> ordered = {
      "a.bmp",       "B.bmp",       "b.bmp",  "photo-1.bmp", "photo-02.bmp", "photo-2.bmp", "Photo-3.bmp",
      "photo-10.bmp", "photo-10a.bmp", "x09.jpg", "x9.png", "x10.jpg", "x10.jpg.bmp", "\xc3\xa9.png"};
  std::vector<std::string> shuffled(ordered.rbegin(), ordered.rend());
  std::rotate(shuffled.begin(), shuffled.begin() + 5, shuffled.end());
  std::sort(shuffled.begin(), shuffled.end(), [](const std::string& a, const std::string& b) { return NameOrder(a, b); });
  EXPECT_EQ(shuffled, ordered);
  // A strict order: of two different names exactly one comes first.
  for (const std::string& a : ordered)
    for (const std::string& b : ordered) {
      EXPECT_EQ(NameOrder(a, b) + NameOrder(b, a), a == b ? 0 : 1) << a << " " << b;
    }
}

TEST(ClassThumbnail, FitsTheSideKeepsSmallPicturesAndAveragesWhatItCovers) {
  struct TCase {
    std::int32_t width, height, thumbnailWidth, thumbnailHeight;
  };
  for (const TCase c : {TCase{512, 256, 128, 64}, TCase{90, 300, 38, 128}, TCase{100, 40, 100, 40}, TCase{1000, 1, 128, 1}}) {
    // Left half black, right half white.
    TBitmap picture(c.width, c.height);
    for (std::int32_t y = 0; y < c.height; ++y)
      for (std::int32_t x = 0; x < c.width / 2; ++x) picture.SetPixel(x, y, kBlack);
    const TClassThumbnail thumbnail = ClassThumbnail(picture);
    ASSERT_EQ(thumbnail.width, c.thumbnailWidth) << c.width;
    ASSERT_EQ(thumbnail.height, c.thumbnailHeight) << c.width;
    const TBitmap decoded = DecodeJpeg(thumbnail.jpeg);
    ASSERT_EQ(decoded.Width(), c.thumbnailWidth);
    ASSERT_EQ(decoded.Height(), c.thumbnailHeight);
    const auto grey = [&](std::int32_t x) { return static_cast<int>(decoded.Pixel(x, decoded.Height() / 2) & 0xFF); };
    EXPECT_LT(grey(0), 40) << c.width;
    EXPECT_GT(grey(decoded.Width() - 1), 215) << c.width;
  }
  EXPECT_TRUE(ClassThumbnail(TBitmap()).jpeg.empty());
}

class ClassSet : public TTempFolderTest {
 protected:
  ClassSet() : TTempFolderTest("classset") {}

  // Pictures that decode, one that fails, one that decodes only with some
  // parameters, and files that cannot be read, among files that are no pictures.
  void SetUp() override {
    TTempFolderTest::SetUp();
    WriteBmp(RenderSymbol(EncodeBytes("student 2", 1, 1), 4), Path("student-2.bmp"));
    WriteBmp(RenderSymbol(EncodeBytes("student 10", 2, 1), 3), Path("student-10.bmp"));
    WriteJpeg(RenderSymbol(EncodeBytes("jpeg", 1, 1), 4), Path("student-1.JPG"));
    WritePng(RenderSymbol(EncodeBytes("png", 1, 1), 4), Path("student-1.png"));
    WriteBmp(TBitmap(60, 40), Path("blank.bmp"));
    WriteBmp(EdgesMeetOutside(), Path("tilted.bmp"));
    WriteFile(Path("damaged.jpg"), NoiseBytes(2000, 3));
    WriteFile(Path("empty.png"), "");
    WriteFile(Path("notes.txt"), "not a picture");
    WriteFile(Path(".hidden.bmp"), "");
    std::filesystem::create_directory(Path("folder.bmp"));
  }

  static std::vector<TClassRow> Rows(const std::vector<std::optional<TClassRow>>& ran) {
    std::vector<TClassRow> rows;
    for (const std::optional<TClassRow>& row : ran) {
      EXPECT_TRUE(row.has_value());
      if (row) rows.push_back(*row);
    }
    return rows;
  }
};

TEST_F(ClassSet, ThePicturesOfTheFolderInNameOrder) {
  EXPECT_EQ(ClassSetPictures(Folder()), (std::vector<std::string>{"blank.bmp", "damaged.jpg", "empty.png", "student-1.JPG",
                                                                  "student-1.png", "student-2.bmp", "student-10.bmp",
                                                                  "tilted.bmp"}));
  EXPECT_THROW(ClassSetPictures(Path("missing")), TClassSetError);
  EXPECT_THROW(ClassSetPictures(Path("notes.txt")), TClassSetError);
  std::filesystem::create_directory(Path("none"));
  EXPECT_TRUE(ClassSetPictures(Path("none")).empty());
}

// Each picture's row, whatever the number of threads: the same rows in the
// order of the names, the row of a file that cannot be read holding why.
TEST_F(ClassSet, RowsAreTheSameOnAnyNumberOfThreads) {
  const std::vector<std::string> names = ClassSetPictures(Folder());
  const TClassSetOptions options;
  std::vector<TClassRow> first;
  for (const unsigned jobs : {1u, 2u, 3u, 16u}) {
    SCOPED_TRACE(std::to_string(jobs) + " threads");
    std::mutex lock;
    std::vector<std::size_t> indices, counts;
    const std::vector<TClassRow> rows = Rows(RunClassSet(
        Folder(), names, options, jobs,
        [&](std::size_t index, const TClassRow& row, std::size_t done, std::size_t total) {
          const std::lock_guard<std::mutex> held(lock);
          EXPECT_EQ(row.name, names[index]);
          EXPECT_EQ(total, names.size());
          indices.push_back(index);
          counts.push_back(done);
        }));
    std::vector<std::size_t> expected(names.size());
    for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = i + 1;
    EXPECT_EQ(counts, expected);
    std::sort(indices.begin(), indices.end());
    for (std::size_t& i : expected) --i;
    EXPECT_EQ(indices, expected);
    if (first.empty()) {
      first = rows;
    } else {
      EXPECT_EQ(rows, first);
    }
  }
  ASSERT_EQ(first.size(), names.size());
  const auto row = [&](const std::string& name) {
    return *std::find_if(first.begin(), first.end(), [&](const TClassRow& r) { return r.name == name; });
  };
  EXPECT_EQ(row("student-10.bmp").outcome, TClassOutcome::Decoded);
  EXPECT_EQ(row("student-10.bmp").text, "student 10");
  EXPECT_EQ(row("student-10.bmp").stage, TStage::Done);
  EXPECT_EQ(row("student-1.JPG").text, "jpeg");
  EXPECT_EQ(row("student-1.png").text, "png");
  EXPECT_EQ(row("blank.bmp").outcome, TClassOutcome::NotDecoded);
  EXPECT_EQ(row("blank.bmp").stage, TStage::FinderSearch);
  EXPECT_EQ(row("blank.bmp").message, "位置検出パターンがみつかりません。");
  EXPECT_FALSE(row("blank.bmp").verdict.decoded);
  for (const char* name : {"damaged.jpg", "empty.png"}) {
    EXPECT_EQ(row(name).outcome, TClassOutcome::Unreadable) << name;
    EXPECT_NE(row(name).message.find(name), std::string::npos) << row(name).message;
    EXPECT_TRUE(row(name).thumbnail.empty()) << name;
  }
  const TClassRow& decoded = row("student-2.bmp");
  EXPECT_EQ(decoded.width, RenderSymbol(EncodeBytes("student 2", 1, 1), 4).Width());
  EXPECT_EQ(DecodeJpeg(decoded.thumbnail).Width(), decoded.thumbnailWidth);
  EXPECT_EQ(decoded.parameters, TAnalysisParameters{});
}

// With an exploration each picture is analysed with its map's chosen cell,
// the presets when no cell decodes.
TEST_F(ClassSet, AnExploredPictureIsAnalysedWithItsChosenCell) {
  const TExploreGrid grid = TExploreGrid::Make({-24, 24, 8}, {1, 6, 1}, 0);
  TClassSetOptions options;
  options.explore = grid;
  const std::vector<TClassRow> rows = Rows(RunClassSet(Folder(), {"tilted.bmp", "blank.bmp"}, options, 2));
  const TExploreMap map = TExplorer(EdgesMeetOutside(), grid).Run();
  ASSERT_TRUE(map.Chosen().has_value());
  const TExploreCell& chosen = map.cells[*map.Chosen()];
  EXPECT_EQ(rows[0].parameters, (TAnalysisParameters{chosen.resolver, chosen.warp, 0}));
  EXPECT_EQ(rows[0].outcome, TClassOutcome::Decoded);
  EXPECT_EQ(rows[0].cells, grid.CellCount());
  EXPECT_EQ(rows[0].decodingCells,
            static_cast<std::size_t>(std::count_if(map.cells.begin(), map.cells.end(),
                                                   [](const TExploreCell& cell) { return cell.result.decoded; })));
  EXPECT_EQ(rows[1].parameters, TAnalysisParameters{});
  EXPECT_EQ(rows[1].decodingCells, 0u);
}

// A stop ends every thread after the picture it is on; nothing is written
// for a picture once the stop has come, and the rows made are whole.
TEST_F(ClassSet, AStopLeavesWholeRowsAndWritesNothingAfterIt) {
  const std::vector<std::string> names = ClassSetPictures(Folder());
  const std::vector<TClassRow> whole = Rows(RunClassSet(Folder(), names, {}, 1));
  for (const unsigned jobs : {1u, 2u}) {
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::set<std::string> written;
    const TClassWriter writer = [&](const TClassPicture& picture, TClassRow& row) {
      EXPECT_EQ(picture.picture.Width(), row.width);
      const std::lock_guard<std::mutex> held(lock);
      written.insert(row.name);
    };
    const std::vector<std::optional<TClassRow>> rows = RunClassSet(
        Folder(), names, {}, jobs,
        [&](std::size_t, const TClassRow&, std::size_t done, std::size_t) {
          if (done == 3) stop = true;
        },
        &stop, writer);
    std::size_t made = 0;
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i]) {
        ++made;
        EXPECT_EQ(*rows[i], whole[i]);
        // A picture that could not be read has nothing to write.
        EXPECT_EQ(written.count(names[i]), rows[i]->outcome == TClassOutcome::Unreadable ? 0u : 1u) << names[i];
      }
    EXPECT_GE(made, 3u);
    EXPECT_LE(made, 3u + jobs - 1);
    // Every picture written has its row.
    for (const std::string& name : written) {
      const auto at = static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
      EXPECT_TRUE(rows[at].has_value()) << name;
    }
  }
}

// What a writer throws ends the run after the pictures in progress and comes
// out of it. Each other thread may still write the picture it is on and one
// it took before the failure was noted; on one thread nothing is written
// after the failure.
TEST_F(ClassSet, AWriterFailureEndsTheRun) {
  // Enough pictures after the failing one that a run going on would write more.
  for (int i = 0; i < 12; ++i)
    WriteBmp(RenderSymbol(EncodeBytes("late", 1, 1), 2), Path("w-" + std::to_string(i) + ".bmp"));
  const std::vector<std::string> names = ClassSetPictures(Folder());
  for (const int jobs : {1, 3}) {
    std::atomic<int> calls{0};
    std::atomic<int> callsAtFailure{-1};
    const TClassWriter writer = [&](const TClassPicture&, TClassRow& row) {
      const int call = ++calls;
      if (row.name != "student-1.png") return;
      callsAtFailure = call;
      throw std::runtime_error("disk full");
    };
    EXPECT_THROW(RunClassSet(Folder(), names, {}, static_cast<unsigned>(jobs), {}, nullptr, writer), std::runtime_error);
    ASSERT_GT(callsAtFailure.load(), 0) << jobs;
    EXPECT_LE(calls.load(), callsAtFailure.load() + 2 * (jobs - 1)) << jobs;
  }
}

}  // namespace
