#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include <QString>
#include <QStringList>
#include <QWidget>

#include "PageStates.h"
#include "UiLanguage.h"
#include "common/Bitmap.h"
#include "common/DecodeStages.h"
#include "common/Diagnosis.h"
#include "decoder/Analysis.h"
#include "decoder/Trial.h"
#include "report/DiagnosisPlots.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;
class TPlotView;

// The page 診断, after 結果表示: why the last analysis did or did not read.
// The chain of stages with the state of each (as the tabs show them), the
// stage that stopped the decode named in words, its evidence and figures,
// plots of the grey levels and of the timing test, the verdict's suggestions
// and, after an uncorrectable block, the data read without correction, marked
// as unverified. It shows what the record and the verdict hold; it decodes nothing.
class TDiagnosisPage : public QWidget {
 public:
  // `explore` opens the parameter explorer; when empty, a suggestion that
  // names the explorer stays plain text.
  explicit TDiagnosisPage(std::function<void()> explore = {}, QWidget* parent = nullptr);

  // After an analysis of `picture`. When the analysis did not read, the page
  // says that other values are being tried, until ShowTrial.
  void Show(const TAnalysisResult& result, const TBitmap& picture);
  // The trial of the analysis shown (a front end drops stale ones): the values
  // that got further, each with how far and a button that analyses with them,
  // then what was tried; or why no value could be tried.
  void ShowTrial(const TTrial& trial, const std::string& failure = {});
  // A new picture came before the trial ended: the page says it stopped.
  void StopTrying();
  // The command of a tried value's button: the fields set and analysed.
  void SetApply(std::function<void(const TAnalysisParameters&)> apply) { apply_ = std::move(apply); }
  // The page's state as its tab shows it: a note says when the page shows an
  // earlier picture's analysis, or none yet.
  void SetState(TPageState state);

  // What the page shows.
  TPageState StageState(TStage stage) const { return stageStates_[static_cast<std::size_t>(stage)]; }
  QString Headline() const;
  QString Evidence() const;
  QStringList Suggestions() const;
  // The line about the trial: that it runs, what was tried, or that nothing helped.
  QString TrialNote() const;
  bool Trying() const { return trying_; }
  QString Note() const;
  // What misleading trace lines of the pages mean, one line each.
  QString TraceNotesText() const;
  // The text read without correction, as shown (empty when there is none).
  QString Unverified() const;
  // The picture's own grey-level histogram, once the page has been shown
  // (it takes a pass over the picture, made only for the page).
  const std::optional<TGreyHistogram>& PictureHistogram() const { return pictureHistogram_; }
  // The same, made now when the page has not made it yet (for the report).
  const TGreyHistogram& MakePictureHistogram();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildChain(QVBoxLayout* column);
  // The evidence of an analysis, with what its trial measured once there is one.
  static TUiText EvidenceText(const TAnalysisResult& result, const TTrial* trial);
  void ShowPlots();
  void ClearSuggestions();
  // A row of the suggestions: its text, a button that analyses with `apply`,
  // and one that opens the explorer.
  void AddSuggestion(const TUiText& text, const char* name, bool explorer, const std::optional<TAnalysisParameters>& apply);

  std::function<void()> explore_;
  std::function<void(const TAnalysisParameters&)> apply_;
  // A trial of the analysis shown is awaited.
  bool trying_ = false;
  std::optional<TAnalysisResult> result_;
  TBitmap picture_;
  std::optional<TGreyHistogram> pictureHistogram_;
  std::array<TPageState, kStageCount> stageStates_{};

  QLabel* note_ = nullptr;
  std::array<QLabel*, kStageCount> stageIcons_{};
  QLabel* headline_ = nullptr;
  QLabel* evidence_ = nullptr;
  QLabel* figures_ = nullptr;
  // The plots in the order of kDiagnosisPlots.
  std::array<TPlotView*, kDiagnosisPlots.size()> plots_{};
  QLabel* traceNotesTitle_ = nullptr;
  QLabel* traceNotes_ = nullptr;
  QLabel* suggestionsTitle_ = nullptr;
  QVBoxLayout* suggestions_ = nullptr;
  QLabel* unverifiedTitle_ = nullptr;
  QPlainTextEdit* unverified_ = nullptr;
};
