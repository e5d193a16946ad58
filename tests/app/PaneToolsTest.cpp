#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QUrl>
#include <gtest/gtest.h>

#include "ConformancePictures.h"
#include "FilledSymbols.h"
#include "ImageView.h"
#include "PhotoScene.h"
#include "PaneTools.h"
#include "StageFailures.h"
#include "SymbolCodewords.h"
#include "WindowTestSupport.h"
#include "picture/QtPicture.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

void Hover(QWidget* widget, QPointF at) {
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

class Inspector : public MainWindow {
 protected:
  TPaneTools& inspector() { return form_->Inspector(); }
  // Loads and analyses a picture with ForceVersion `force`.
  bool Analyse(const TBitmap& picture, int force = 0, const char* name = "picture.bmp") {
    if (Load(picture, name) != TForm1::TLoadResult::Loaded) return false;
    Find<TSpinEdit>("SpinEdit2")->setValue(force);
    form_->AnalyBtnClick();
    return form_->LastAnalysis().decoded;
  }
};

// For every version, every module of an encoder-made symbol: a function
// module is named as one, a data module names the codeword the encoder placed
// there (by an independent walk of the placement), its bit, whether the
// encoder made it error correction, the listing line that shows that
// codeword's value, and a block: the codewords that the readout puts in one
// block form a Reed-Solomon codeword, data first. Versions 15 to 40 are
// beyond the timing test and are read with ForceVersion.
TEST_F(Inspector, ModuleReadoutNamesTheEncodersCodewordAndBlockForEveryVersion) {
  for (int version = 1; version <= 40; ++version) {
    SCOPED_TRACE("version " + std::to_string(version));
    // Symbols full of data; a level at which the decoder reads the clean
    // picture (a few versions do not read at every level at this size).
    TTestSymbol symbol;
    bool read = false;
    for (int level = version % 4; level < version % 4 + 4 && !read; ++level) {
      symbol = FilledSymbol(version, level % 4);
      read = Analyse(RenderSymbol(symbol, 4), version >= 15 ? version : 0);
    }
    ASSERT_TRUE(read) << form_->LastAnalysis().failureReason;
    const std::vector<int> codewords = PlacementCodewords(symbol);
    const std::vector<TPoint> order = PlacementOrder(symbol);
    std::map<std::pair<int, int>, int> place;
    for (std::size_t i = 0; i < order.size(); ++i) place[{order[i].x, order[i].y}] = static_cast<int>(i);
    const std::vector<std::string>& listing = form_->Surfaces().Text(TTextPaneId::BLMemo).Lines();

    // block -> index -> (value, error correction)
    std::map<int, std::map<int, std::pair<int, bool>>> blocks;
    int mismatches = 0;
    const auto expect = [&](bool ok, int x, int y, const char* what) {
      if (!ok && ++mismatches <= 3) ADD_FAILURE() << what << " at module (" << x << ", " << y << ")";
    };
    for (int y = 0; y < symbol.size; ++y)
      for (int x = 0; x < symbol.size; ++x) {
        const TModuleFacts facts = inspector().ModuleFacts(TImagePaneId::BlockImage, QPoint(x, y));
        EXPECT_EQ(facts, inspector().ModuleFacts(TImagePaneId::DigitImage, QPoint(x, y)));
        if (symbol.Function(x, y)) {
          expect(facts.kind == TModuleFacts::TKind::Function && facts.pattern != TFunctionPattern::None, x, y, "function");
          continue;
        }
        const int p = place.at({x, y});
        if (p >= static_cast<int>(codewords.size()) * 8) {
          expect(facts.kind == TModuleFacts::TKind::Remainder, x, y, "remainder");
          continue;
        }
        const int k = p / 8;
        const bool ecByEncoder = (symbol.modules[static_cast<std::size_t>(y * symbol.size + x)] & 0x02) != 0;
        expect(facts.kind == TModuleFacts::TKind::Data && facts.codeword == k && facts.bit == 7 - p % 8, x, y, "codeword");
        expect(facts.errorCorrection == ecByEncoder, x, y, "data or error correction");
        char line[32];
        std::snprintf(line, sizeof line, "  %2d   %02X", k, codewords[static_cast<std::size_t>(k)]);
        expect(facts.listingLine >= 0 && listing.at(static_cast<std::size_t>(facts.listingLine)) == line, x, y, "listing line");
        expect(facts.block >= 0, x, y, "block");
        blocks[facts.block][facts.indexInBlock] = {codewords[static_cast<std::size_t>(k)], facts.errorCorrection};
      }
    EXPECT_EQ(mismatches, 0);
    for (const auto& [b, entries] : blocks) {
      std::vector<int> values;
      int ec = 0;
      bool dataFirst = true;
      for (const auto& [index, entry] : entries) {
        EXPECT_EQ(index, static_cast<int>(values.size())) << "block " << b;
        dataFirst = dataFirst && !(ec > 0 && !entry.second);
        values.push_back(entry.first);
        ec += entry.second ? 1 : 0;
      }
      EXPECT_TRUE(dataFirst) << "block " << b;
      EXPECT_TRUE(IsReedSolomonCodeword(values, ec)) << "block " << b;
    }
  }
}

struct TStatesCase {
  const char* name;
  TBitmap picture;
  int force;
  // 読み込み画像, 位置検索, タイミング, デジタル処理画像, 形式情報, サンプリング, マスク, BlockRead, ReedSolomon, 結果表示
  const char* states;  // S succeeded, F failed, N did not run, T stale, - none
};

char Letter(TPageState state) {
  switch (state) {
    case TPageState::None: return '-';
    case TPageState::Succeeded: return 'S';
    case TPageState::Failed: return 'F';
    case TPageState::NotRun: return 'N';
    case TPageState::Stale: return 'T';
  }
  return '?';
}

// The tab states after a success, after a failure at each stage (following a
// success on another picture, so that the pages that did not run are stale),
// after a new load, and between two analyses of one picture; the tab shows
// an icon for every state but none, with a tooltip, its caption unchanged.
TEST_F(Inspector, TabStatesFollowTheStageSignalAndTheLoads) {
  auto* pages = Find<QTabWidget>("PageControl1");
  const auto states = [&] {
    std::string letters;
    for (int i = 0; i < pages->count(); ++i) {
      const TPageState state = inspector().States().State(pages->widget(i)->objectName().toStdString());
      letters += Letter(state);
      EXPECT_EQ(pages->tabIcon(i).isNull(), state == TPageState::None) << i;
      EXPECT_EQ(pages->tabBar()->tabToolTip(i), StateText(state)) << i;
    }
    return letters;
  };
  EXPECT_EQ(states(), "-----------");
  const TBitmap good = RenderSymbol(EncodeBytes("states", 2, 1), 4);
  ASSERT_EQ(Load(good, "good.bmp"), TForm1::TLoadResult::Loaded);
  EXPECT_EQ(states(), "S----------");
  form_->AnalyBtnClick();
  EXPECT_EQ(states(), "SSSSSSSSSSS");

  const TBitmap fifteen = RenderSymbol(EncodeBytes("version fifteen", 15, 1), 3);
  const std::vector<TStatesCase> cases = {
      {"too small to binarize", TBitmap(1, 1), 0, "SFTTNTTTNFF"},
      {"no symbol", TBitmap(120, 90), 0, "SFTTNTTTNFF"},
      {"beyond the timing test", fifteen, 0, "SSFTFTTTNFF"},
      {"version information damaged", VersionInformationDamaged(), 0, "SSFTFTTTNFF"},
      {"edges meet outside the picture", EdgesMeetOutside(), 0, "SSSTNFTTNFF"},
      {"format unreadable", FormatUnreadable(), 0, "SSSSFSTTNFF"},
      {"four codewords of a block damaged", BlockBeyondCorrection(), 0, "SSSSSSSSFFF"},
      {"forced version", fifteen, 15, "SSSSSSSSSSS"},
  };
  for (const TStatesCase& c : cases) {
    SCOPED_TRACE(c.name);
    Analyse(good, 0, "good.bmp");
    ASSERT_EQ(states(), "SSSSSSSSSSS");
    ASSERT_EQ(Load(c.picture, "case.bmp"), TForm1::TLoadResult::Loaded);
    EXPECT_EQ(states(), "STTTTTTTTTT");
    Find<TSpinEdit>("SpinEdit2")->setValue(c.force);
    form_->AnalyBtnClick();
    EXPECT_EQ(states(), c.states) << NameOf(form_->LastAnalysis().stage).key;
  }
  // The same picture again, unforced: the pages past the version did not run.
  Find<TSpinEdit>("SpinEdit2")->setValue(0);
  form_->AnalyBtnClick();
  EXPECT_EQ(states(), "SSFNFNNNNFF");
  // A file of another kind loads nothing and changes no state.
  EXPECT_EQ(Load(good, "other.gif"), TForm1::TLoadResult::Unsupported);
  EXPECT_EQ(states(), "SSFNFNNNNFF");
  EXPECT_EQ(pages->tabText(2), "タイミング");
}

// Panes that the last analysis did not draw keep the earlier pictures: the
// states "did not run" and "stale" describe what is shown.
TEST_F(Inspector, PagesThatDidNotRunKeepTheirPictures) {
  ASSERT_TRUE(Analyse(RenderSymbol(EncodeBytes("kept", 3, 1), 4)));
  std::vector<TBitmap> before;
  for (std::size_t i = 0; i < kImagePaneCount; ++i) before.push_back(View(static_cast<TImagePaneId>(i))->Picture());
  ASSERT_FALSE(Analyse(FormatUnreadable(), 0, "format.bmp"));
  const std::map<TImagePaneId, const char*> pageOf = {
      {TImagePaneId::TimeImage, "TabSheet8"}, {TImagePaneId::AdjustImage, "TabSheet9"},
      {TImagePaneId::MaskImage, "TabSheet3"}, {TImagePaneId::ResultImage, "TabSheet3"}};
  for (const auto& [pane, page] : pageOf) {
    const TPageState state = inspector().States().State(page);
    const bool kept = View(pane)->Picture().SharesPixels(before[static_cast<std::size_t>(pane)]);
    EXPECT_EQ(kept, state == TPageState::Stale || state == TPageState::NotRun) << PaneName(pane);
  }
}

// A dropped picture file goes through the load command wherever it lands; a
// file of another kind loads nothing and says so in panel 1.
TEST_F(Inspector, DroppedFilesLoadLikeTheLoadCommand) {
  TBitmap picture(64, 48);
  picture.SetPixel(5, 6, kBlue);
  WriteBmp(picture, dir_.filePath("dropped.BMP").toStdString());
  WriteBmp(TBitmap(10, 10), dir_.filePath("other.gif").toStdString());
  Find<QTabWidget>("PageControl1")->setCurrentIndex(4);
  window_testing::DropFile(*Find<QPlainTextEdit>("ImgMemo")->viewport(), dir_.filePath("dropped.BMP"));
  EXPECT_EQ(form_->Picture(), picture);
  EXPECT_EQ(Page(), "TabSheet1");
  EXPECT_EQ(Status(1), "");
  EXPECT_EQ(inspector().States().State("TabSheet1"), TPageState::Succeeded);

  window_testing::DropFile(*form_, dir_.filePath("other.gif"));
  EXPECT_EQ(form_->Picture(), picture);
  EXPECT_TRUE(Status(1).contains("other.gif")) << Status(1).toStdString();
  EXPECT_TRUE(Status(1).contains("読み込めません"));
  EXPECT_TRUE(messages_.isEmpty());
}

// Saved pictures hold the pane's pixels at full size, or each pixel as a
// square for slides; texts are saved as UTF-8 lines; a path that cannot be
// written leaves no file and says why.
TEST_F(Inspector, PanesAreSavedAndCopied) {
  ASSERT_TRUE(Analyse(RenderSymbol(EncodeSegments({{TSegmentMode::Kanji, "\x93\x5F\xE4\xAA"}}, 2, 1), 4)));
  const QImage digit = ToQImage(View(TImagePaneId::ResultImage)->Picture());
  ASSERT_EQ(digit.size(), QSize(25, 25));
  ASSERT_TRUE(inspector().SavePicture(TImagePaneId::ResultImage, dir_.filePath("result.png"), false));
  EXPECT_EQ(QImage(dir_.filePath("result.png")).convertToFormat(QImage::Format_RGB32), digit);
  ASSERT_TRUE(inspector().SavePicture(TImagePaneId::ResultImage, dir_.filePath("slide.png"), true));
  const QImage slide(dir_.filePath("slide.png"));
  const int factor = TPaneTools::SlideFactor(25);
  ASSERT_EQ(slide.size(), QSize(25 * factor, 25 * factor));
  EXPECT_GE(slide.width(), 1000);
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 25; ++x)
      for (const QPoint corner : {QPoint(0, 0), QPoint(factor - 1, factor - 1)})
        ASSERT_EQ(slide.pixel(x * factor + corner.x(), y * factor + corner.y()), digit.pixel(x, y)) << x << ", " << y;

  ASSERT_TRUE(inspector().SaveText(TTextPaneId::ResultMemo, dir_.filePath("result.txt")));
  QFile text(dir_.filePath("result.txt"));
  ASSERT_TRUE(text.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(text.readAll()), "データ :点茗\n完了\n\n");

  const QString impossible = dir_.filePath("result.txt/inside.png");
  EXPECT_FALSE(inspector().SavePicture(TImagePaneId::ResultImage, impossible, false));
  EXPECT_FALSE(QFile::exists(impossible));
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains(impossible));
  // No temporary file is left beside them.
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), (QStringList{"picture.bmp", "result.png", "result.txt", "slide.png"}));

  // The menus: a module pane also saves for slides; the chooser names the file.
  QString chosen = dir_.filePath("chosen.png");
  inspector().SetFileChooser([&](const QString&, const QString& suggested, const QString&) {
    EXPECT_TRUE(suggested.endsWith("ResultImage.png") || suggested.endsWith("BLMemo.txt")) << suggested.toStdString();
    return chosen;
  });
  QMenu modules, plane, listing;
  inspector().FillImageMenu(modules, TImagePaneId::ResultImage);
  inspector().FillImageMenu(plane, TImagePaneId::FrontImage);
  EXPECT_NE(modules.findChild<QAction*>("SaveSlidePngAction"), nullptr);
  EXPECT_EQ(plane.findChild<QAction*>("SaveSlidePngAction"), nullptr);
  modules.findChild<QAction*>("SavePngAction")->trigger();
  EXPECT_EQ(QImage(chosen).convertToFormat(QImage::Format_RGB32), digit);
  plane.findChild<QAction*>("CopyPictureAction")->trigger();
  EXPECT_EQ(QApplication::clipboard()->image().size(), View(TImagePaneId::FrontImage)->PictureSize());
  inspector().FillTextMenu(listing, TTextPaneId::BLMemo);
  listing.findChild<QAction*>("CopyAllTextAction")->trigger();
  QStringList lines;
  for (const std::string& line : form_->Surfaces().Text(TTextPaneId::BLMemo).Lines()) lines << QString::fromStdString(line);
  EXPECT_EQ(QApplication::clipboard()->text(), lines.join('\n'));
  chosen = dir_.filePath("listing.txt");
  listing.findChild<QAction*>("SaveTextAction")->trigger();
  EXPECT_TRUE(QFile::exists(chosen));
}

// A pane saved as shown is the pane's own drawing at twice the resolution:
// the same view, the marks (two display pixels wide, so four pixels), the
// nodes, and the pane's legend below it. Saving changes no pane.
TEST_F(Inspector, PaneSavedAsShownIsItsViewAtTwiceTheResolutionWithItsLegend) {
  TPhotoOptions photo;
  photo.moduleSize = 11;
  photo.degrees = 8;
  ASSERT_TRUE(Analyse(RenderPhoto(EncodeBytes("slides", 2, 1), photo), 0, "photo.bmp"));
  TImageView* adjust = View(TImagePaneId::AdjustImage);
  const QImage before = ToQImage(adjust->Picture());
  const std::vector<std::string> trace = form_->Surfaces().Text(TTextPaneId::RdSnMemo).Lines();

  const auto legendColours = [](const QImage& image, int from) {
    std::set<QRgb> colours;
    for (int y = from; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    return colours;
  };
  for (const double zoom : {0.0, 0.3, 2.5}) {
    SCOPED_TRACE(zoom);
    if (zoom > 0) adjust->SetZoom(zoom, QPointF(200, 150));
    const QImage shown = inspector().Export().ShownPicture(TImagePaneId::AdjustImage);
    const QImage view = adjust->Render(TPaneExport::kShownScale);
    ASSERT_EQ(view.size(), adjust->size() * 2);
    ASSERT_GT(shown.height(), view.height()) << "the legend below";
    EXPECT_EQ(shown.copy(0, 0, view.width(), view.height()), view.convertToFormat(shown.format()));
    const std::set<QRgb> legend = legendColours(shown, view.height());
    EXPECT_TRUE(legend.count(qRgb(255, 0, 0)) && legend.count(qRgb(0, 0, 255))) << "the legend's squares";
  }
  // A pane without a legend is its view alone; every pane's menu saves it.
  EXPECT_EQ(inspector().Export().ShownPicture(TImagePaneId::FrontImage).size(), View(TImagePaneId::FrontImage)->size() * 2);
  const QString chosen = dir_.filePath("shown.png");
  inspector().SetFileChooser([&](const QString&, const QString& suggested, const QString&) {
    EXPECT_TRUE(suggested.endsWith("-shown.png")) << suggested.toStdString();
    return chosen;
  });
  for (const TImagePaneId pane : {TImagePaneId::AdjustImage, TImagePaneId::ResultImage, TImagePaneId::Image1}) {
    QMenu menu;
    inspector().FillImageMenu(menu, pane);
    QAction* save = menu.findChild<QAction*>("SaveShownPngAction");
    ASSERT_NE(save, nullptr) << PaneName(pane);
    save->trigger();
    EXPECT_EQ(QImage(chosen).convertToFormat(QImage::Format_RGB32),
              inspector().Export().ShownPicture(pane).convertToFormat(QImage::Format_RGB32))
        << PaneName(pane);
  }
  EXPECT_EQ(ToQImage(adjust->Picture()), before);
  EXPECT_EQ(form_->Surfaces().Text(TTextPaneId::RdSnMemo).Lines(), trace);
  EXPECT_TRUE(messages_.isEmpty());
}

// The panes show control characters as escapes; what is copied or saved
// is each line as the stage wrote it.
TEST_F(Inspector, TextPanesCopyAndSaveTheLinesAsWrittenNotAsShown) {
  ASSERT_TRUE(Analyse(RenderSymbol(EncodeBytes("\x1b[2Jred\x7f", 1, 1), 6)));
  ASSERT_EQ(MemoLines("ResultMemo").front(), "データ :\\x1b[2Jred\\x7f");
  const std::string raw = "データ :\x1b[2Jred\x7f\n完了\n\n";
  ASSERT_TRUE(inspector().SaveText(TTextPaneId::ResultMemo, dir_.filePath("result.txt")));
  QFile text(dir_.filePath("result.txt"));
  ASSERT_TRUE(text.open(QIODevice::ReadOnly));
  EXPECT_EQ(text.readAll().toStdString(), raw);
  QMenu menu;
  inspector().FillTextMenu(menu, TTextPaneId::ResultMemo);
  menu.findChild<QAction*>("CopyAllTextAction")->trigger();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), raw.substr(0, raw.size() - 1));
}

// Choosing a codeword's line in the listing outlines its eight modules on
// BlockImage; clicking a module chooses its codeword's line; hovering over
// another data module outlines that codeword for as long as the cursor stays.
TEST_F(Inspector, ListingLinesAndBlockImageModulesPointAtEachOther) {
  form_->Surfaces().Text(TTextPaneId::BLMemo).AppendLine("an earlier listing");
  ASSERT_TRUE(Analyse(RenderSymbol(EncodeBytes("highlight", 2, 1), 4)));
  auto* listing = Find<QPlainTextEdit>("BLMemo");
  auto* block = View(TImagePaneId::BlockImage);
  const std::size_t first = form_->LastAnalysis().listingStart;
  ASSERT_EQ(first, 1u);
  const auto chooseLine = [&](int line) { listing->setTextCursor(QTextCursor(listing->document()->findBlockByNumber(line))); };
  chooseLine(static_cast<int>(first) + 2 + 5);
  EXPECT_EQ(inspector().HighlightedCodeword(), 5);
  ASSERT_EQ(block->Highlight().size(), 8u);
  for (const TPoint& module : block->Highlight())
    EXPECT_EQ(inspector().ModuleFacts(TImagePaneId::BlockImage, QPoint(module.x, module.y)).codeword, 5);
  chooseLine(0);
  EXPECT_EQ(inspector().HighlightedCodeword(), -1);
  EXPECT_TRUE(block->Highlight().empty());

  // The module of codeword 9's first bit, found through the readout.
  QPoint module(-1, -1);
  for (int y = 0; y < 25 && module.x() < 0; ++y)
    for (int x = 0; x < 25; ++x)
      if (inspector().ModuleFacts(TImagePaneId::BlockImage, QPoint(x, y)).codeword == 9) {
        module = QPoint(x, y);
        break;
      }
  ASSERT_GE(module.x(), 0);
  QTest::mouseClick(block, Qt::LeftButton, {}, block->CentreOf(module).toPoint());
  EXPECT_EQ(inspector().HighlightedCodeword(), 9);
  EXPECT_EQ(listing->textCursor().blockNumber(), static_cast<int>(first) + 2 + 9);
  EXPECT_EQ(listing->textCursor().selectedText(), QString::fromStdString(form_->Surfaces().Text(TTextPaneId::BLMemo).Lines()[first + 2 + 9]));

  Hover(block, block->CentreOf(QPoint(3, 3)));  // a finder module
  EXPECT_EQ(inspector().HighlightedCodeword(), 9);
  EXPECT_TRUE(Find<QLabel>("StatusPanel2")->text().contains("位置検出パターン")) << Find<QLabel>("StatusPanel2")->text().toStdString();
  Hover(block, block->CentreOf(QPoint(24, 24)));  // codeword 0's first bit
  EXPECT_EQ(inspector().HighlightedCodeword(), 0);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(block, &leave);
  EXPECT_EQ(inspector().HighlightedCodeword(), 9);
  EXPECT_TRUE(Find<QLabel>("StatusPanel2")->text().isEmpty());
}

// An analysis that stops at a block beyond correction has read and laid out
// the codewords all the same: every data module still names its block and its
// listing line, and a click still chooses the line. A codeword pinned by that
// click is highlighted no longer once the next analysis has drawn BlockImage,
// nor when the cursor then leaves the pane.
TEST_F(Inspector, AfterAnUncorrectableBlockModulesNameBlockAndLineUntilTheNextAnalysis) {
  ASSERT_FALSE(Analyse(BlockBeyondCorrection()));
  const std::vector<std::string>& listing = form_->Surfaces().Text(TTextPaneId::BLMemo).Lines();
  std::set<int> blocks;
  QPoint ninth(-1, -1);
  int data = 0;
  for (int y = 0; y < 37; ++y)
    for (int x = 0; x < 37; ++x) {
      const TModuleFacts facts = inspector().ModuleFacts(TImagePaneId::BlockImage, QPoint(x, y));
      if (facts.kind != TModuleFacts::TKind::Data) continue;
      ++data;
      blocks.insert(facts.block);
      if (facts.codeword == 9) ninth = QPoint(x, y);
      char number[16];
      std::snprintf(number, sizeof number, "  %2d ", facts.codeword);
      ASSERT_GE(facts.listingLine, 0) << x << "," << y;
      EXPECT_EQ(listing.at(static_cast<std::size_t>(facts.listingLine)).rfind(number, 0), 0u) << x << "," << y;
    }
  EXPECT_EQ(data, 134 * 8);  // every codeword of version 5
  EXPECT_EQ(blocks, (std::set<int>{0, 1, 2, 3}));

  auto* block = View(TImagePaneId::BlockImage);
  auto* memo = Find<QPlainTextEdit>("BLMemo");
  ASSERT_GE(ninth.x(), 0);
  QTest::mouseClick(block, Qt::LeftButton, {}, block->CentreOf(ninth).toPoint());
  EXPECT_EQ(inspector().HighlightedCodeword(), 9);
  EXPECT_EQ(memo->textCursor().blockNumber(), inspector().ModuleFacts(TImagePaneId::BlockImage, ninth).listingLine);
  EXPECT_EQ(block->Highlight().size(), 8u);

  ASSERT_TRUE(Analyse(RenderSymbol(EncodeBytes(kFoxText, 5, 2), 4)));
  EXPECT_EQ(inspector().HighlightedCodeword(), -1);
  EXPECT_TRUE(block->Highlight().empty());
  // Leaving the pane shows the pinned codeword again: there is none now.
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(block, &leave);
  EXPECT_EQ(inspector().HighlightedCodeword(), -1);
  EXPECT_TRUE(block->Highlight().empty());
}

// The readout shows picture coordinates and colour in the third status
// field; panels 0 and 1 keep their texts. Views of the same kind follow each
// other unless the link is off; the marks toggle reaches every pane; an
// enlarged window shows the pane's picture and grid.
TEST_F(Inspector, ReadoutLinkedViewsMarksAndEnlargedWindow) {
  TBitmap picture = RenderSymbol(EncodeBytes("readout", 7, 1), 5);
  picture.SetPixel(2, 3, kRed);
  ASSERT_TRUE(Analyse(picture));
  const QString panel0 = Status(0), panel1 = Status(1);
  auto* image = View(TImagePaneId::Image1);
  Hover(image, image->CentreOf(QPoint(2, 3)));
  EXPECT_EQ(Find<QLabel>("StatusPanel2")->text(), inspector().Readout(TImagePaneId::Image1, QPoint(2, 3)));
  EXPECT_TRUE(Find<QLabel>("StatusPanel2")->text().startsWith("画素 x 2・y 3：R 255 G 0 B 0"));
  EXPECT_EQ(Status(0), panel0);
  EXPECT_EQ(Status(1), panel1);
  EXPECT_TRUE(inspector().Readout(TImagePaneId::ResultImage, QPoint(0, 0)).contains("位置検出パターン"));

  auto* front = View(TImagePaneId::FrontImage);
  auto* cross = View(TImagePaneId::ClossLineImage);
  auto* digit = View(TImagePaneId::DigitImage);
  front->SetZoom(2, QPointF(30, 40));
  EXPECT_FALSE(cross->Stretched());
  EXPECT_EQ(cross->Origin(), front->Origin());
  EXPECT_TRUE(digit->Stretched());
  front->ShowStretched();
  EXPECT_TRUE(cross->Stretched());
  inspector().LinkAction()->setChecked(false);
  front->SetZoom(2, QPointF(30, 40));
  EXPECT_TRUE(cross->Stretched());

  inspector().MarksAction()->setChecked(false);
  for (std::size_t i = 0; i < kImagePaneCount; ++i) EXPECT_FALSE(View(static_cast<TImagePaneId>(i))->MarksShown());
  inspector().MarksAction()->setChecked(true);

  // Three by three nodes of the sampling grid for version 7 (three of them at the finder patterns).
  auto* adjust = View(TImagePaneId::AdjustImage);
  EXPECT_EQ(adjust->Nodes().size(), 9u);
  QWidget* window = inspector().OpenEnlarged(TImagePaneId::AdjustImage);
  ASSERT_NE(window, nullptr);
  auto* enlarged = window->findChild<TImageView*>();
  ASSERT_NE(enlarged, nullptr);
  EXPECT_TRUE(enlarged->Picture().SharesPixels(adjust->Picture()));
  EXPECT_EQ(enlarged->Nodes(), adjust->Nodes());
  window->close();

  // A new picture returns every pane to the stretched view.
  ASSERT_EQ(Load(picture, "again.bmp"), TForm1::TLoadResult::Loaded);
  EXPECT_TRUE(front->Stretched());
}

}  // namespace
