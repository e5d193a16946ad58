#include "DiagnosisPage.h"

#include <memory>

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "DiagnosisPlots.h"
#include "FlowLayout.h"
#include "common/ShiftJis.h"
#include "common/VisibleText.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/TraceNotes.h"
#include "decoder/TrialTexts.h"
#include "decoder/Veltrix.h"
#include "report/ReportLanguage.h"
#include "UiLanguage.h"

namespace {

QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// Every text on the page is plain: a failure message or a decoded text never becomes markup.
QLabel* PlainLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QLabel* Heading(QWidget* parent, const QString& text) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

// A suggestion that points the user at the explorer, and nothing else.
bool NamesExplorer(TSuggestionKind kind) {
  return kind == TSuggestionKind::SmallerResolver || kind == TSuggestionKind::LargerResolver;
}

}  // namespace

TDiagnosisPage::TDiagnosisPage(std::function<void()> explore, QWidget* parent)
    : QWidget(parent), explore_(std::move(explore)) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("DiagnosisScroll"));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  outer->addWidget(scroll);
  auto* content = new QWidget;
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(8, 8, 8, 8);
  column->setSpacing(6);
  scroll->setWidget(content);

  note_ = PlainLabel(content, "DiagnosisNote");
  note_->setStyleSheet(QStringLiteral("color: #8a5a00"));
  column->addWidget(note_);
  BuildChain(column);

  headline_ = PlainLabel(content, "DiagnosisHeadline");
  QFont bold = headline_->font();
  bold.setBold(true);
  bold.setPixelSize(bold.pixelSize() > 0 ? bold.pixelSize() + 2 : 14);
  headline_->setFont(bold);
  column->addWidget(headline_);
  evidence_ = PlainLabel(content, "DiagnosisEvidence");
  column->addWidget(evidence_);
  figures_ = PlainLabel(content, "DiagnosisFigures");
  figures_->setStyleSheet(QStringLiteral("color: #333"));
  column->addWidget(figures_);

  auto* plots = new QHBoxLayout;
  plots->setSpacing(8);
  for (std::size_t i = 0; i < kDiagnosisPlots.size(); ++i) {
    plots_[i] = new TPlotView(Q(kDiagnosisPlots[i].title), content);
    plots_[i]->setObjectName(Q(kDiagnosisPlots[i].objectName));
    plots->addWidget(plots_[i], 1);
  }
  column->addLayout(plots);
  StackWhenNarrow(*plots, *scroll->viewport());

  traceNotesTitle_ = Heading(content, Both(QStringLiteral("ページの表示について"), QStringLiteral("What some lines of the pages mean")));
  column->addWidget(traceNotesTitle_);
  traceNotes_ = PlainLabel(content, "TraceNotes");
  column->addWidget(traceNotes_);
  suggestionsTitle_ = Heading(content, Ui(QStringLiteral("次に試すこと")));
  column->addWidget(suggestionsTitle_);
  suggestions_ = new QVBoxLayout;
  suggestions_->setSpacing(4);
  column->addLayout(suggestions_);

  unverifiedTitle_ = Heading(content, Q(kUnverifiedTitle));
  unverifiedTitle_->setObjectName(QStringLiteral("UnverifiedTitle"));
  unverifiedTitle_->setStyleSheet(QStringLiteral("color: #b3261e"));
  unverifiedTitle_->setToolTip(Q(kUnverifiedWarning));
  column->addWidget(unverifiedTitle_);
  unverified_ = new QPlainTextEdit(content);
  unverified_->setObjectName(QStringLiteral("UnverifiedText"));
  unverified_->setReadOnly(true);
  unverified_->setFixedHeight(90);
  unverified_->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #fff4f2; border: 1px dashed #b3261e }"));
  column->addWidget(unverified_);
  column->addStretch(1);

  for (QWidget* hidden : {static_cast<QWidget*>(traceNotesTitle_), static_cast<QWidget*>(traceNotes_),
                          static_cast<QWidget*>(suggestionsTitle_), static_cast<QWidget*>(unverifiedTitle_),
                          static_cast<QWidget*>(unverified_)})
    hidden->hide();
  SetState(TPageState::None);
}

void TDiagnosisPage::BuildChain(QVBoxLayout* column) {
  // The chain continues on a second line in a narrow window.
  auto* chain = new TFlowLayout(3);
  for (std::size_t i = 0; i + 1 < kStageCount; ++i) {
    if (i > 0) chain->addWidget(new QLabel(QStringLiteral("→")));
    auto* icon = new QLabel;
    icon->setObjectName(QStringLiteral("StageIcon%1").arg(i));
    icon->setFixedSize(16, 16);
    stageIcons_[i] = icon;
    chain->addWidget(icon);
    auto* name = new QLabel(Q(kStageNames[i].japanese));
    name->setObjectName(QStringLiteral("StageName%1").arg(i));
    chain->addWidget(name);
  }
  column->addLayout(chain);
}

void TDiagnosisPage::Show(const TAnalysisResult& result, const TBitmap& picture) {
  result_ = result;
  picture_ = picture;
  pictureHistogram_.reset();
  const TVerdict& verdict = result.verdict;
  for (std::size_t i = 0; i < kStageCount; ++i) {
    stageStates_[i] = StageStateAfter(static_cast<TStage>(i), result.stage, result.decoded);
    if (i + 1 < kStageCount) {
      stageIcons_[i]->setPixmap(StateIcon(stageStates_[i]).pixmap(16, 16));
      stageIcons_[i]->setToolTip(StateText(stageStates_[i]));
    }
  }
  TUiText headline = Both(Q(DiagnosisHeadlineIn(verdict, TReportLanguage::Japanese)),
                          Q(DiagnosisHeadlineIn(verdict, TReportLanguage::English)));
  if (!result.decoded && !result.failureReason.empty())
    headline = headline + Ui(QStringLiteral("　")) + DecoderMessage(Q(VisibleText(result.failureReason)));
  headline_->setText(headline);
  evidence_->setText(EvidenceText(result, nullptr));
  QStringList figures, englishFigures;
  for (const std::string& line : FigureLines(result.diagnosis, verdict)) figures << Q(line);
  for (const std::string& line : EnglishFigureLines(result.diagnosis, verdict)) englishFigures << Q(line);
  figures_->setText(Both(figures.join(QLatin1Char('\n')), englishFigures.join(QLatin1Char('\n'))));
  QStringList notes, english;
  for (const std::string& note : TraceNotes(result.diagnosis)) notes << QStringLiteral("・") + Q(note);
  for (const std::string& note : EnglishTraceNotes(result.diagnosis)) english << QStringLiteral("• ") + Q(note);
  traceNotes_->setText(Both(notes.join(QLatin1Char('\n')), english.join(QLatin1Char('\n'))));
  traceNotesTitle_->setVisible(!notes.isEmpty());
  traceNotes_->setVisible(!notes.isEmpty());

  ClearSuggestions();
  trying_ = WorthTrying(result);
  if (trying_) {
    // Only values that were tried are shown: they fill in as the trial ends.
    AddSuggestion(Both(QStringLiteral("値を変えて試しています…"), QStringLiteral("Trying other values…")), "TrialNote", false, std::nullopt);
  } else {
    // Nothing to try with the parameters (a picture too small for a threshold).
    for (const TSuggestion& suggestion : verdict.suggestions)
      AddSuggestion(Ui(QStringLiteral("・")) + Both(Q(JapaneseText(suggestion)), Q(EnglishText(suggestion))), "Suggestion",
                    NamesExplorer(suggestion.kind), std::nullopt);
  }
  suggestionsTitle_->setVisible(suggestions_->count() > 0);

  const std::optional<TUnverifiedReading>& reading =
      result.diagnosis.correction ? result.diagnosis.correction->unverified : std::nullopt;
  unverifiedTitle_->setVisible(reading.has_value());
  unverified_->setVisible(reading.has_value());
  unverified_->setPlainText(reading ? Q(VisibleText(ShiftJisToUtf8(reading->text))) : QString());
  ShowPlots();
}

TUiText TDiagnosisPage::EvidenceText(const TAnalysisResult& result, const TTrial* trial) {
  const TVerdict& verdict = result.verdict;
  TUiText evidence = Ui(QStringLiteral("根拠：")) + Both(Q(VisibleText(JapaneseText(verdict.evidence))),
                                                       Q(VisibleText(EnglishText(verdict.evidence))));
  if (verdict.suspect)
    evidence = evidence + Both(QStringLiteral("\n疑わしい点：") + Q(JapaneseText(*verdict.suspect)),
                               QStringLiteral("\nSuspect: ") + Q(EnglishText(*verdict.suspect)));
  if (verdict.mirrored)
    evidence = evidence + Both(QLatin1Char('\n') + Q(JapaneseText(*verdict.mirrored)),
                               QLatin1Char('\n') + Q(EnglishText(*verdict.mirrored)));
  const std::string small = trial != nullptr ? JapaneseModuleText(verdict, *trial) : JapaneseModuleText(verdict);
  if (!small.empty())
    evidence = evidence + Both(QLatin1Char('\n') + Q(small), QLatin1Char('\n') + Q(EnglishModuleText(verdict)));
  // What only the trial measures in the picture.
  if (trial != nullptr)
    if (const std::string blur = JapaneseBlurText(*trial); !blur.empty())
      evidence = evidence + Both(QLatin1Char('\n') + Q(blur), QLatin1Char('\n') + Q(EnglishBlurText(*trial)));
  if (const std::string note = MessageNote(result.errorCode); !note.empty())
    evidence = evidence + Both(QLatin1Char('\n') + Q(note), QLatin1Char('\n') + Q(EnglishMessageNote(result.errorCode)));
  return evidence;
}

void TDiagnosisPage::ClearSuggestions() {
  while (QLayoutItem* item = suggestions_->takeAt(0)) {
    // Later, as a button of the row may be what called; off the page at once.
    if (QWidget* row = item->widget()) {
      row->hide();
      row->setParent(nullptr);
      row->deleteLater();
    }
    delete item;
  }
}

void TDiagnosisPage::AddSuggestion(const TUiText& text, const char* name, bool explorer,
                                   const std::optional<TAnalysisParameters>& apply) {
  auto* row = new QWidget;
  auto* line = new QHBoxLayout(row);
  line->setContentsMargins(0, 0, 0, 0);
  QLabel* label = PlainLabel(row, name);
  label->setText(text);
  line->addWidget(label, 1);
  if (apply && apply_) {
    auto* button = new QPushButton(Both(QStringLiteral("この値で解析"), QStringLiteral("Analyse with these")), row);
    button->setObjectName(QStringLiteral("ApplyButton"));
    connect(button, &QPushButton::clicked, this, [this, parameters = *apply] { apply_(parameters); });
    line->addWidget(button);
  }
  if (explorer && explore_) {
    auto* open = new QPushButton(Ui(QStringLiteral("パラメータ探索…")), row);
    open->setObjectName(QStringLiteral("ExploreButton"));
    connect(open, &QPushButton::clicked, this, [this] { explore_(); });
    line->addWidget(open);
  }
  suggestions_->addWidget(row);
}

void TDiagnosisPage::ShowTrial(const TTrial& trial, const std::string& failure) {
  if (!result_ || !trying_) return;
  trying_ = false;
  ClearSuggestions();
  evidence_->setText(EvidenceText(*result_, &trial));
  if (!failure.empty()) {
    AddSuggestion(Both(QStringLiteral("値を試せませんでした：") + Q(VisibleText(failure)), QStringLiteral("No values could be tried: ") + Q(VisibleText(failure))), "TrialNote", true, std::nullopt);
    return;
  }
  for (const TTriedValue& value : trial.helped)
    AddSuggestion(Ui(QStringLiteral("・")) + Both(Q(JapaneseText(value, trial)), Q(EnglishText(value, trial))), "Suggestion",
                  value.parameters.resolver != trial.parameters.resolver,
                  value.operations.Any() ? std::nullopt : std::optional<TAnalysisParameters>(value.parameters));
  // What was tried, or that nothing tried got further; the explorer shows the whole grid.
  AddSuggestion(trial.helped.empty() ? Both(Q(JapaneseOutcome(trial)), Q(EnglishOutcome(trial)))
                                     : Both(QStringLiteral("試した値：") + Q(JapaneseTried(trial)), QStringLiteral("Tried: ") + Q(EnglishTried(trial))),
                "TrialNote", trial.helped.empty(), std::nullopt);
  suggestionsTitle_->setVisible(true);
}

void TDiagnosisPage::StopTrying() {
  if (!trying_) return;
  trying_ = false;
  ClearSuggestions();
  AddSuggestion(Both(QStringLiteral("新しい画像が読み込まれたので、値を試すのをやめました。"), QStringLiteral("A new picture was loaded: the trial stopped.")), "TrialNote", false, std::nullopt);
}

QString TDiagnosisPage::TrialNote() const {
  for (int i = 0; i < suggestions_->count(); ++i)
    if (QWidget* row = suggestions_->itemAt(i)->widget())
      if (auto* label = row->findChild<QLabel*>(QStringLiteral("TrialNote"))) return label->text();
  return {};
}

void TDiagnosisPage::ShowPlots() {
  if (!result_) {
    for (TPlotView* plot : plots_) plot->SetDraw({});
    return;
  }
  // The picture's histogram takes a pass over the picture: made once the page is seen.
  if (result_->diagnosis.binarization && !pictureHistogram_ && isVisible())
    pictureHistogram_ = TVeltrix::GreyHistogram(picture_);
  auto record = std::make_shared<TDiagnosis>(result_->diagnosis);
  record->pictureHistogram = pictureHistogram_;
  for (std::size_t i = 0; i < kDiagnosisPlots.size(); ++i) {
    const TPlotKind kind = kDiagnosisPlots[i].kind;
    if (DiagnosisPlot(kind, *record, {}))
      plots_[i]->SetDraw([record, kind](const TPlotArea& area) { return *DiagnosisPlot(kind, *record, area, InEnglish()); });
    else
      plots_[i]->SetDraw({});
  }
}

const TGreyHistogram& TDiagnosisPage::MakePictureHistogram() {
  if (!pictureHistogram_) pictureHistogram_ = TVeltrix::GreyHistogram(picture_);
  return *pictureHistogram_;
}

void TDiagnosisPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (result_ && !pictureHistogram_) ShowPlots();
}

void TDiagnosisPage::SetState(TPageState state) {
  switch (state) {
    case TPageState::None: note_->setText(Ui(QStringLiteral("まだ解析していません。画像を読み込んで「解析」を押すと、ここに診断が表示されます。"))); break;
    case TPageState::Stale: note_->setText(StateText(state)); break;
    default: note_->clear(); break;
  }
  note_->setVisible(!note_->text().isEmpty());
}

QString TDiagnosisPage::Headline() const { return headline_->text(); }
QString TDiagnosisPage::Evidence() const { return evidence_->text(); }
QString TDiagnosisPage::Note() const { return note_->text(); }
QString TDiagnosisPage::TraceNotesText() const { return traceNotes_->isVisibleTo(this) ? traceNotes_->text() : QString(); }
QString TDiagnosisPage::Unverified() const { return unverified_->isVisibleTo(this) ? unverified_->toPlainText() : QString(); }

QStringList TDiagnosisPage::Suggestions() const {
  QStringList texts;
  for (int i = 0; i < suggestions_->count(); ++i)
    if (QWidget* row = suggestions_->itemAt(i)->widget())
      if (auto* label = row->findChild<QLabel*>(QStringLiteral("Suggestion"))) texts << label->text();
  return texts;
}
