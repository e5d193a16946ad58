#include "report/HtmlReport.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <bitset>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "common/DecodeStages.h"
#include "common/ShiftJis.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/TraceNotes.h"
#include "decoder/TrialTexts.h"
#include "decoder/Verdict.h"
#include "report/AnswerSheet.h"
#include "report/DiagnosisPlots.h"
#include "report/ExploreCells.h"
#include "report/HtmlWriter.h"
#include "report/Pages.h"
#include "report/PaneFiles.h"
#include "report/PlotSvg.h"
#include "report/StageTexts.h"

namespace {

// Width of a picture on the page, as the window's panes.
constexpr int kPaneWidth = 420;
// Module pictures are enlarged to at least this width on a click.
constexpr int kModuleZoomWidth = 1260;
// A plot's drawing, a little larger than the window's.
constexpr double kPlotWidth = 320;
constexpr double kPlotHeight = 160;

std::string_view ResultHidden(TReportLanguage language) {
  return Say(language, "読み取った文字列と結果の行は解答に移してあります。",
             "The text read and the result's lines are on the answer sheet.");
}

// What the document's pictures are: each pane's PNG file, or the loaded
// picture's own JPEG file for Image1. The files are put into the <img>
// elements after the document is written (Splice), so that no large picture
// is held as a string of the XML writer.
class TPictures {
 public:
  TPictures(const TSurfaces& surfaces, std::string jpeg, unsigned threads) : jpeg_(std::move(jpeg)) {
    std::bitset<kImagePaneCount> skipped;
    if (!jpeg_.empty()) skipped.set(static_cast<std::size_t>(TImagePaneId::Image1));
    pngs_ = EncodePanePictures(surfaces, skipped, threads);
  }

  // The earlier pane that shows the same picture, if any.
  std::optional<std::size_t> SameAs(TImagePaneId pane) const { return pngs_[static_cast<std::size_t>(pane)].sameAs; }

  // The src of the pane's <img>, which Splice replaces with the file.
  QString Source(TImagePaneId pane) {
    const std::size_t index = SameAs(pane).value_or(static_cast<std::size_t>(pane));
    if (index == static_cast<std::size_t>(TImagePaneId::Image1) && !jpeg_.empty())
      files_.push_back({"image/jpeg", &jpeg_});
    else
      files_.push_back({"image/png", &pngs_[index].file});
    return QString::fromLatin1(kPlaceholder) + QString::number(files_.size() - 1);
  }

  // The document with every placeholder src replaced by a data URL of its
  // file. Text from outside the program cannot hold a placeholder: the
  // writer escapes its double quotes.
  std::string Splice(const std::string& document) const {
    std::string spliced;
    std::size_t size = document.size();
    for (const TFile& file : files_) size += file.bytes->size() / 3 * 4 + 64;
    spliced.reserve(size);
    const std::string marker = std::string("src=\"") + kPlaceholder;
    std::size_t at = 0;
    std::size_t spliceCount = 0;
    for (std::size_t found = document.find(marker); found != std::string::npos; found = document.find(marker, at)) {
      const std::size_t number = found + marker.size();
      const std::size_t end = document.find('"', number);
      const std::size_t index = std::stoul(document.substr(number, end - number));
      spliced.append(document, at, found - at);
      spliced += "src=\"data:";
      spliced += files_.at(index).type;
      spliced += ";base64,";
      AppendBase64(spliced, *files_.at(index).bytes);
      spliced += '"';
      at = end + 1;
      ++spliceCount;
    }
    if (spliceCount != files_.size()) throw std::logic_error("a picture of the report was not placed");
    spliced.append(document, at);
    return spliced;
  }

 private:
  static constexpr const char* kPlaceholder = "morilux-picture:";
  struct TFile {
    std::string_view type;
    const std::string* bytes;
  };

  // In pieces of a multiple of three bytes, so that no second copy of a
  // large picture is made at once.
  static void AppendBase64(std::string& out, const std::string& bytes) {
    constexpr std::size_t kPiece = 3 << 20;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
      const std::size_t length = std::min(kPiece, bytes.size() - at);
      const QByteArray piece =
          QByteArray::fromRawData(bytes.data() + at, static_cast<qsizetype>(length)).toBase64();
      out.append(piece.constData(), static_cast<std::size_t>(piece.size()));
    }
  }

  std::string jpeg_;
  std::array<TPanePng, kImagePaneCount> pngs_;
  std::vector<TFile> files_;
};

QString PaneId(TImagePaneId pane) { return QStringLiteral("pane-") + Q(PaneName(pane)); }

// "N. caption" of the page that shows the pane.
std::string PageOf(TImagePaneId pane, TReportLanguage language) {
  for (std::size_t p = 0; p < Pages().size(); ++p)
    for (const TPagePane& shown : Pages()[p].panes)
      if (shown.kind == TPagePane::TKind::Image && shown.image == pane)
        return std::to_string(p + 1) + ". " + WindowLabelIn(Pages()[p].caption, language);
  return std::string(PaneName(pane));
}

void Explanation(THtml& html, std::string_view text, const char* language) {
  html.Open("p", {{"lang", QString::fromLatin1(language)}, {"class", QString::fromLatin1(language)}});
  for (const TInlineSpan& span : InlineSpans(text)) {
    if (span.kind == TInlineSpan::TKind::Plain) {
      html.Text(span.text);
    } else {
      html.Element(span.kind == TInlineSpan::TKind::Code ? "code" : "strong", span.text);
    }
  }
  html.Close();
}

void Picture(THtml& html, const TSurfaces& surfaces, TPictures& pictures, const TPagePane& pane, TReportLanguage language) {
  const TBitmap& picture = surfaces.Image(pane.image).CurrentPicture();
  const QString name = Q(PaneName(pane.image));
  html.Open("figure", {{"class", QStringLiteral("pane")}, {"id", PaneId(pane.image)}});
  html.Open("figcaption");
  if (!pane.label.empty()) html.Text(WindowLabelIn(pane.label, language) + " ");
  html.Element("span", PaneName(pane.image), {{"class", QStringLiteral("name")}});
  if (!picture.Empty()) {
    html.Raw(QStringLiteral(" "));
    html.Text(std::to_string(picture.Width()) + " × " + std::to_string(picture.Height()));
  }
  html.Close();
  const std::optional<std::size_t> same = pictures.SameAs(pane.image);
  if (picture.Empty()) {
    html.Element("p", Say(language, "（画像なし）", "(no picture)"), {{"class", QStringLiteral("empty")}});
  } else if (same && !pane.modules) {
    // A large picture once: the loaded picture on Image2 refers to Image1.
    const auto earlier = static_cast<TImagePaneId>(*same);
    html.Open("p", {{"class", QStringLiteral("same")}});
    html.Text(std::string(PaneName(earlier)) + std::string(Say(language, " と同じ画像です（", " shows the same picture (")));
    html.Element("a", PageOf(earlier, language), {{"href", QStringLiteral("#") + PaneId(earlier)}});
    html.Text(Say(language, "）。", ")."));
    html.Close();
  } else {
    const int zoom = pane.modules ? std::max(kModuleZoomWidth, picture.Width()) : std::max(2 * kPaneWidth, picture.Width());
    const QString id = QStringLiteral("zoom-") + name;
    html.Open("div", {{"class", QStringLiteral("frame")}});
    html.Void("input", {{"type", QStringLiteral("checkbox")}, {"id", id}, {"class", QStringLiteral("zoom")}});
    html.Open("label", {{"for", id}});
    html.Void("img", {{"src", pictures.Source(pane.image)},
                      {"alt", name},
                      {"width", QString::number(picture.Width())},
                      {"height", QString::number(picture.Height())},
                      {"class", pane.modules ? QStringLiteral("picture modules") : QStringLiteral("picture")},
                      {"style", QStringLiteral("--zoom: %1px").arg(zoom)},
                      {"title", Q(Say(language, "クリックで拡大・縮小", "Click to enlarge or reduce"))}});
    html.Close();
    html.Close();
  }
  html.Close();
}

void TextPane(THtml& html, const TReportInput& input, const TPagePane& pane) {
  const TAnalysisResult& result = *input.result;
  // The window's listing grows with every analysis; the report holds this one's.
  const bool listing = pane.text == TTextPaneId::BLMemo;
  html.Open("figure", {{"class", listing ? QStringLiteral("pane listing") : QStringLiteral("pane")}});
  html.Open("figcaption");
  const TReportLanguage language = input.language;
  if (!pane.label.empty()) html.Text(WindowLabelIn(pane.label, language) + " ");
  html.Element("span", PaneName(pane.text), {{"class", QStringLiteral("name")}});
  if (listing) html.Text(Say(language, " （この解析の分）", " (this analysis's part)"));
  if (input.hideAnswer && (listing || pane.text == TTextPaneId::RdSnMemo))
    html.Text(Say(language, " （データのコード語の値は伏せてあります）", " (the data codewords' values are hidden)"));
  html.Close();
  const std::vector<std::string>& lines = input.surfaces->Text(pane.text).Lines();
  const std::size_t from = listing ? result.listingStart : 0;
  if (input.hideAnswer && pane.text == TTextPaneId::ResultMemo)
    html.Element("p", ResultHidden(language), {{"class", QStringLiteral("hidden")}});
  else if (input.hideAnswer)
    Lines(html, ExerciseLines(pane.text, lines, from, result));
  else
    Lines(html, lines, from);
  html.Close();
}

void ExplorerMap(THtml& html, const TExploreMap& map, bool hideAnswer, TReportLanguage language) {
  html.Open("section", {{"id", QStringLiteral("explorer")}});
  html.Element("h2", Say(language, "パラメータ探索", "Parameter exploration"));
  const std::string forceVersion = std::to_string(map.grid.forceVersion);
  html.Element("p", language == TReportLanguage::English
                        ? "The same analysis with every combination of Resolver and Warp. The colour is the stage where the "
                          "analysis stopped, a letter marks a combination that decoded (A, B… for each text read). The "
                          "framed combination is the analysis this report's pages show. ForceVersion is " + forceVersion + "."
                        : "Resolver と Warp の組み合わせごとに同じ解析を行った結果です。色は解析が止まった段階、文字は復号できた"
                          "組み合わせ（読み取った文字列ごとに A、B…）を表します。枠で囲んだ組み合わせの解析が、このレポートの"
                          "各ページに示されています。ForceVersion は " + forceVersion + " です。");
  if (map.texts.size() > 1)
    html.Element("p", Say(language, "組み合わせによって異なる文字列が読み取られています。誤った読み取りが含まれている可能性があります。",
                          "Different combinations read different texts: some of them may be misreadings."),
                 {{"class", QStringLiteral("warning")}});
  const std::optional<std::size_t> chosen = map.Chosen();
  html.Open("table", {{"class", QStringLiteral("map")}});
  html.Open("tr");
  // The program's own text, whose backslash is no escape (Text would double it).
  html.Open("th");
  html.Raw(QStringLiteral("Resolver \\ Warp"));
  html.Close();
  for (const std::int32_t warp : map.grid.warps) html.Element("th", std::to_string(warp));
  html.Close();
  for (std::size_t r = 0; r < map.grid.resolvers.size(); ++r) {
    html.Open("tr");
    html.Element("th", std::to_string(map.grid.resolvers[r]));
    for (std::size_t w = 0; w < map.grid.warps.size(); ++w) {
      const std::size_t index = r * map.grid.warps.size() + w;
      const TExploreCell& cell = map.cells[index];
      html.Open("td", {{"style", QStringLiteral("--cell: ") + Q(CellColour(cell))},
                       {"class", chosen == index ? QStringLiteral("chosen") : QString()},
                       {"title", Visible(CellTitle(cell, !hideAnswer, language))}});
      html.Text(CellMark(cell));
      html.Close();
    }
    html.Close();
  }
  html.Close();
  html.Open("p", {{"class", QStringLiteral("legend")}});
  for (const TStageName& stage : kStageNames) {
    html.Open("span", {{"style", QStringLiteral("--cell: ") + Q(StageColour(stage.stage))}});
    html.Text(StageNameIn(stage.stage, language));
    html.Close();
  }
  html.Close();
  if (!map.texts.empty() && hideAnswer) {
    html.Element("p", Say(language, "読み取った文字列は解答に移してあります。", "The texts read are on the answer sheet."),
                 {{"class", QStringLiteral("hidden")}});
  } else if (!map.texts.empty()) {
    html.Open("ul");
    for (std::size_t t = 0; t < map.texts.size(); ++t) html.Element("li", TextLetter(t) + ": " + ShiftJisToUtf8(map.texts[t]));
    html.Close();
  }
  html.Close();
}

// The stages in their order, each marked with how it ended in this analysis.
void StageChain(THtml& html, const TAnalysisResult& result, TReportLanguage language) {
  html.Open("ol", {{"class", QStringLiteral("chain")}});
  for (const TStageName& stage : kStageNames) {
    if (stage.stage == TStage::Done) continue;
    const bool succeeded = result.decoded || stage.stage < result.stage;
    const bool failed = !succeeded && stage.stage == result.stage;
    html.Open("li", {{"class", succeeded ? QStringLiteral("succeeded") : failed ? QStringLiteral("failed") : QStringLiteral("notrun")}});
    html.Text(std::string(StageNameIn(stage.stage, language)) +
              (succeeded ? " ✓" : failed ? std::string(Say(language, " ✗ 停止", " ✗ stopped")) : " —"));
    html.Close();
  }
  html.Close();
}

// The plots the window's page shows, drawn from the same drawings.
void Plots(THtml& html, const TDiagnosis& record, TReportLanguage language) {
  std::vector<std::pair<std::string_view, TPlot>> plots;
  for (const TPlotTitle& plot : kDiagnosisPlots)
    if (std::optional<TPlot> drawing =
            DiagnosisPlot(plot.kind, record, {0, 0, kPlotWidth, kPlotHeight}, language == TReportLanguage::English))
      plots.emplace_back(language == TReportLanguage::English ? EnglishOf(plot.title) : plot.title, std::move(*drawing));
  if (plots.empty()) return;
  html.Open("div", {{"class", QStringLiteral("plots")}});
  for (const auto& [title, drawing] : plots) {
    html.Open("figure", {{"class", QStringLiteral("plot")}});
    html.Element("figcaption", title);
    WritePlotSvg(html, drawing, kPlotWidth, kPlotHeight, title);
    html.Close();
  }
  html.Close();
}

// The diagnosis page's body: the verdict on the analysis.
void Diagnosis(THtml& html, const TAnalysisResult& result, bool hideAnswer, const TTrial* trial, TReportLanguage language) {
  const bool english = language == TReportLanguage::English;
  const TVerdict& verdict = result.verdict;
  StageChain(html, result, language);
  std::string headline = DiagnosisHeadlineIn(verdict, language);
  if (!result.decoded && !result.failureReason.empty())
    headline += std::string(Say(language, "　", " ")) + DecoderMessageIn(result.failureReason, language);
  html.Element("p", headline, {{"class", QStringLiteral("headline")}});
  html.Element("p", english ? "Evidence: " + EnglishSentence(EnglishText(verdict.evidence)) : "根拠：" + JapaneseText(verdict.evidence));
  if (verdict.suspect)
    html.Element("p", english ? "Suspect: " + EnglishSentence(EnglishText(*verdict.suspect)) : "疑わしい点：" + JapaneseText(*verdict.suspect),
                 {{"class", QStringLiteral("suspect")}});
  if (verdict.mirrored)
    html.Element("p", english ? EnglishSentence(EnglishText(*verdict.mirrored)) : JapaneseText(*verdict.mirrored),
                 {{"class", QStringLiteral("mirrored")}});
  const std::string module = trial == nullptr ? (english ? EnglishModuleText(verdict) : JapaneseModuleText(verdict))
                                              : (english ? EnglishModuleText(verdict, *trial) : JapaneseModuleText(verdict, *trial));
  if (!module.empty()) html.Element("p", module);
  if (trial != nullptr && !EnglishBlurText(*trial).empty())
    html.Element("p", english ? EnglishSentence(EnglishBlurText(*trial)) : JapaneseBlurText(*trial),
                 {{"class", QStringLiteral("blur")}});
  if (const std::string note = english ? EnglishMessageNote(result.errorCode) : MessageNote(result.errorCode); !note.empty())
    html.Element("p", note);
  const std::vector<std::string> figures =
      english ? EnglishFigureLines(result.diagnosis, verdict) : FigureLines(result.diagnosis, verdict);
  if (!figures.empty()) {
    html.Open("ul", {{"class", QStringLiteral("figures")}});
    for (const std::string& line : figures) html.Element("li", line);
    html.Close();
  }
  Plots(html, result.diagnosis, language);
  if (const std::vector<std::string> notes = english ? EnglishTraceNotes(result.diagnosis) : TraceNotes(result.diagnosis);
      !notes.empty()) {
    html.Element("h3", Say(language, "ページの表示について", "About what the pages show"));
    html.Open("ul", {{"class", QStringLiteral("notes")}});
    for (const std::string& note : notes) html.Element("li", note);
    html.Close();
  }
  if (trial != nullptr) {
    // Only values that were tried and got further, each with how far it got.
    html.Element("h3", Say(language, "次に試すこと", "What to try next"));
    if (trial->helped.empty()) {
      html.Element("p", english ? EnglishOutcome(*trial) : JapaneseOutcome(*trial), {{"class", QStringLiteral("trial")}});
    } else {
      html.Open("ul", {{"class", QStringLiteral("suggestions")}});
      for (const TTriedValue& value : trial->helped)
        html.Element("li", english ? EnglishText(value, *trial) : JapaneseText(value, *trial));
      html.Close();
      html.Element("p", english ? "Values tried: " + EnglishTried(*trial) : "試した値：" + JapaneseTried(*trial),
                   {{"class", QStringLiteral("trial")}});
    }
  } else if (!verdict.suggestions.empty()) {
    html.Element("h3", Say(language, "次に試すこと", "What to try next"));
    html.Open("ul", {{"class", QStringLiteral("suggestions")}});
    for (const TSuggestion& suggestion : verdict.suggestions)
      html.Element("li", english ? EnglishSentence(EnglishText(suggestion)) : JapaneseText(suggestion));
    html.Close();
  }
  if (result.diagnosis.correction && result.diagnosis.correction->unverified) {
    html.Element("h3", UnverifiedTitle(language), {{"class", QStringLiteral("warning")}});
    html.Element("p", UnverifiedWarning(language), {{"class", QStringLiteral("warning")}});
    if (hideAnswer) {
      html.Element("p", Say(language, "読んだ文字列は解答に移してあります。", "The text read is on the answer sheet."),
                   {{"class", QStringLiteral("hidden")}});
    } else {
      html.Open("pre", {{"class", QStringLiteral("unverified")}});
      html.Text(ShiftJisToUtf8(result.diagnosis.correction->unverified->text));
      html.Close();
    }
  }
}

}  // namespace

std::string HtmlReport(const TReportInput& input) {
  const TSurfaces& surfaces = *input.surfaces;
  const TAnalysisResult& result = *input.result;
  const TStageTexts& explanations = TStageTexts::BuiltIn();
  const TReportLanguage language = input.language;
  TPictures pictures(surfaces, input.pictureJpeg, input.threads);

  QByteArray out;
  THtml html(&out);
  OpenTitledDocument(html, Say(language, "Morilux 解析レポート", "Morilux analysis report"), input.pictureName, {}, language);
  if (input.hideAnswer)
    html.Element("p",
                 Say(language, "演習用：読み取った文字列など、答えにあたるものは伏せてあります（解答は別のファイルにあります）。",
                     "An exercise: what gives the answer away, such as the text read, is hidden (the answers are in "
                     "a file of their own)."),
                 {{"class", QStringLiteral("hidden")}});
  html.Open("table", {{"class", QStringLiteral("facts")}});
  Row(html, Say(language, "画像", "Picture"), input.pictureName);
  if (!input.made.empty()) Row(html, Say(language, "作成", "Made"), input.made);
  Row(html, Say(language, "大きさ", "Size"),
      std::to_string(input.width) + " × " + std::to_string(input.height) + std::string(Say(language, " 画素", " pixels")));
  Row(html, "Resolver", std::to_string(result.parameters.resolver));
  Row(html, "Warp", std::to_string(result.parameters.warp));
  Row(html, "ForceVersion", std::to_string(result.parameters.forceVersion));
  if (!input.operations.empty()) Row(html, Say(language, "画像の調整", "Picture adjustments"), input.operations);
  html.Close();
  html.Close();

  html.Open("section", {{"id", QStringLiteral("outcome")}});
  html.Element("h2", Say(language, "結果", "Outcome"));
  html.Open("table", {{"class", QStringLiteral("facts")}});
  // Status panel 1 holds the decoder's message when the decode failed.
  Row(html, Say(language, "状態", "Status"),
      result.decoded ? surfaces.Status(1) : DecoderMessageIn(surfaces.Status(1), language));
  Row(html, Say(language, "バージョン", "Version"), surfaces.Status(0));
  Row(html, result.decoded ? Say(language, "到達した段階", "Stage reached") : Say(language, "停止した段階", "Stage stopped at"),
      StageNameIn(result.stage, language));
  html.Close();
  if (input.hideAnswer)
    html.Element("p", ResultHidden(language), {{"class", QStringLiteral("hidden")}});
  else
    Lines(html, surfaces.Text(TTextPaneId::ResultMemo).Lines());
  html.Close();

  if (input.explored != nullptr) ExplorerMap(html, *input.explored, input.hideAnswer, language);

  html.Open("nav");
  html.Element("h2", Say(language, "ページ", "Pages"));
  html.Open("ol");
  for (const TPage& page : Pages()) {
    html.Open("li");
    html.Element("a", WindowLabelIn(page.caption, language), {{"href", QStringLiteral("#") + Q(page.objectName)}});
    html.Close();
  }
  html.Close();
  html.Close();

  for (std::size_t p = 0; p < Pages().size(); ++p) {
    const TPage& page = Pages()[p];
    const TStageText& text = explanations.At(page.explanationKey);
    html.Open("section", {{"id", Q(page.objectName)}, {"class", QStringLiteral("page")}});
    html.Element("h2", std::to_string(p + 1) + ". " + WindowLabelIn(page.caption, language));
    Explanation(html, text.ja, "ja");
    Explanation(html, text.en, "en");
    if (page.body == TPage::TBody::Diagnosis) {
      Diagnosis(html, result, input.hideAnswer, input.trial, language);
    } else {
      html.Open("div", {{"class", QStringLiteral("panes")}});
      for (const TPagePane& pane : page.panes) {
        if (pane.kind == TPagePane::TKind::Image)
          Picture(html, surfaces, pictures, pane, language);
        else
          TextPane(html, input, pane);
      }
      html.Close();
    }
    html.Close();
  }
  return pictures.Splice(CloseDocument(html, out));
}
