#include "LabWindow.h"

#include <algorithm>
#include <functional>

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include "LabMatrixView.h"
#include "ImageView.h"
#include "LabPages.h"
#include "UiLanguage.h"
#include "WindowKeys.h"
#include "common/ShiftJis.h"
#include "decoder/Decorder.h"
#include "decoder/Lab.h"
#include "decoder/LabReport.h"
#include "decoder/Veltrix.h"

namespace {

constexpr int kPlayIntervalMs = 600;
// The masks' page among the pages beside the matrix.
constexpr int kMasksPage = 1;
// The pictures' page, the last.
constexpr int kPanesPage = 4;

QString Hex(std::int32_t value) { return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper(); }

// The codewords of a block, those at `marked` places in brackets.
QString Codewords(const TIntegers& block, const std::vector<std::int32_t>& marked) {
  QStringList words;
  for (std::size_t i = 0; i < block.size(); ++i) {
    const bool mark = std::find(marked.begin(), marked.end(), static_cast<std::int32_t>(i)) != marked.end();
    words << (mark ? QStringLiteral("[%1]").arg(Hex(block[i])) : Hex(block[i]));
  }
  return words.join(QLatin1Char(' '));
}

template <typename TValues>
QString Values(const TValues& values) {
  QStringList words;
  for (const std::int32_t value : values) words << Hex(value);
  return words.join(QLatin1Char(' '));
}

QSpinBox* Spin(QWidget* parent, const char* name, int low, int high, int value) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(low, high);
  spin->setValue(value);
  return spin;
}

QPushButton* Button(QWidget* parent, const QString& text, const char* name, const QString& tip) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(tip);
  return button;
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A composed text in the current language, not remembered for the switch:
// the panes it goes to are written again when the language changes.
QString Shown(const TUiText& text) { return InEnglish() ? text.English() : text.Japanese(); }
QString MasksTabText() { return Shown(Both(QStringLiteral("マスク"), QStringLiteral("Masks"))); }

QPlainTextEdit* TextPane(QWidget* parent, const char* name) {
  auto* pane = new QPlainTextEdit(parent);
  pane->setObjectName(QString::fromLatin1(name));
  pane->setReadOnly(true);
  pane->setLineWrapMode(QPlainTextEdit::NoWrap);
  return pane;
}

}  // namespace

TLabWindow::TLabWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("LabWindow"));
  setWindowTitle(Ui(QStringLiteral("誤り訂正の実験 — Morilux")));

  view_ = new TLabMatrixView(this);
  view_->changed = [this] { Decode(); };
  view_->codewordChosen = [this](std::int32_t index) {
    codeword_->setValue(index);
    SpoilCodeword(index);
  };
  erasing_ = new QCheckBox(Ui(QStringLiteral("読めない印を付ける")), this);
  erasing_->setObjectName(QStringLiteral("LabErasing"));
  erasing_->setToolTip(Ui(QStringLiteral("オンの間、クリックとドラッグはモジュールに読めない印（消失）を付け外しします")));
  connect(erasing_, &QCheckBox::toggled, this, [this](bool on) { view_->SetErasing(on); });
  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("LabMessage"));
  message_->setWordWrap(true);
  message_->setTextFormat(Qt::PlainText);

  auto* left = new QVBoxLayout;
  left->addWidget(view_, 1);
  left->addWidget(erasing_);
  left->addWidget(BuildStepControls());
  left->addWidget(message_);

  summary_ = TextPane(this, "LabSummary");
  summary_->setMaximumHeight(160);
  details_ = TextPane(this, "LabDetails");
  interleaving_ = TextPane(this, "LabInterleaving");
  interleaving_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  auto* results = new QWidget(this);
  auto* resultColumn = new QVBoxLayout(results);
  resultColumn->setContentsMargins(0, 0, 0, 0);
  resultColumn->addWidget(summary_);
  resultColumn->addWidget(details_, 1);
  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("LabPages"));
  pages_->addTab(results, Ui(QStringLiteral("読み直した結果")));
  pages_->addTab(new QWidget(pages_), MasksTabText());
  pages_->addTab(interleaving_, Ui(QStringLiteral("インターリーブ")));
  listing_ = TextPane(this, "LabListing");
  listing_->setToolTip(Ui(QStringLiteral("BlockRead と同じ一覧。だいだい色は誤りのコード語、青は「読む順」で選んだコード語です")));
  pages_->addTab(listing_, Ui(QStringLiteral("コード語の一覧")));
  pages_->addTab(MakePanesPage(panes_, pages_), QString());
  auto* right = new QVBoxLayout;
  right->addWidget(BuildDamageControls());
  right->addWidget(pages_, 1);

  auto* columns = new QHBoxLayout(this);
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);

  auto* undo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
  undo->setObjectName(QStringLiteral("LabUndoShortcut"));
  connect(undo, &QShortcut::activated, this, [this] { Undo(); });
  CloseWithKeys(*this);
  resize(1100, 700);
  ShowOwnTexts();
  connect(&UiLanguageNotifier(), &TUiLanguageNotifier::Changed, this, [this] {
    ShowOwnTexts();
    if (lab_) ShowRun();
  });
}

// Texts whose Japanese the tables turn into another English elsewhere ("画像"
// is a picture file there, "から" the end of a range, "マスク" the one mask of
// a page): set here in either language, and again on a switch, after the
// tables' swap.
void TLabWindow::ShowOwnTexts() {
  pages_->setTabText(kMasksPage, MasksTabText());
  pages_->setTabText(kPanesPage, Shown(Both(QStringLiteral("画像"), QStringLiteral("Pictures"))));
  burstFrom_->setText(Shown(Both(QStringLiteral("から"), QStringLiteral("onwards, count"))));
}

TLabWindow::~TLabWindow() = default;

QWidget* TLabWindow::BuildDamageControls() {
  auto* box = new QGroupBox(Ui(QStringLiteral("壊す")), this);
  auto* form = new QFormLayout(box);

  codeword_ = Spin(box, "LabCodeword", 0, 0, 0);
  auto* spoil = Button(box, Ui(QStringLiteral("符号語を壊す")), "LabSpoilCodeword",
                       Ui(QStringLiteral("読む順で何番目かの符号語の 8 ビットをすべて反転します")));
  connect(spoil, &QPushButton::clicked, this, [this] { SpoilCodeword(codeword_->value()); });
  auto* one = new QHBoxLayout;
  one->addWidget(codeword_);
  one->addWidget(spoil);
  form->addRow(Ui(QStringLiteral("符号語")), one);

  block_ = Spin(box, "LabBlock", 0, 0, 0);
  count_ = Spin(box, "LabCount", 1, 255, 4);
  seed_ = Spin(box, "LabSeed", 0, 999999, 1);
  auto* random = Button(box, Ui(QStringLiteral("ランダムに壊す")), "LabSpoilRandom",
                        Ui(QStringLiteral("ブロックの符号語を個数だけ、種から決まる選び方と値で壊します")));
  connect(random, &QPushButton::clicked, this, [this] {
    SpoilRandom(block_->value(), count_->value(), static_cast<std::uint64_t>(seed_->value()));
  });
  auto* many = new QHBoxLayout;
  many->addWidget(new QLabel(Ui(QStringLiteral("ブロック")), box));
  many->addWidget(block_);
  many->addWidget(new QLabel(Ui(QStringLiteral("個数")), box));
  many->addWidget(count_);
  many->addWidget(new QLabel(Ui(QStringLiteral("種")), box));
  many->addWidget(seed_);
  many->addWidget(random);
  form->addRow(Ui(QStringLiteral("ランダム")), many);

  burstFirst_ = Spin(box, "LabBurstFirst", 0, 0, 0);
  burstCount_ = Spin(box, "LabBurstCount", 1, 3706, 4);
  auto* burst = Button(box, Ui(QStringLiteral("連続して壊す")), "LabSpoilBurst",
                       Ui(QStringLiteral("読む順に続く符号語を、最初から個数だけすべて反転します（汚れの一筋）")));
  connect(burst, &QPushButton::clicked, this, [this] { SpoilBurst(burstFirst_->value(), burstCount_->value()); });
  auto* row = new QHBoxLayout;
  row->addWidget(burstFirst_);
  burstFrom_ = new QLabel(box);
  burstFrom_->setObjectName(QStringLiteral("LabBurstFrom"));
  row->addWidget(burstFrom_);
  row->addWidget(burstCount_);
  row->addWidget(burst);
  form->addRow(Ui(QStringLiteral("バースト")), row);

  auto* undo = Button(box, Ui(QStringLiteral("元に戻す")), "LabUndo", Ui(QStringLiteral("最後の変更を取り消します（Ctrl+Z）")));
  auto* restore = Button(box, Ui(QStringLiteral("最初に戻す")), "LabRestore",
                         Ui(QStringLiteral("読み取ったときの行列に戻します（元に戻すで取り消せます）")));
  connect(undo, &QPushButton::clicked, this, [this] { Undo(); });
  connect(restore, &QPushButton::clicked, this, [this] { RestoreAll(); });
  auto* back = new QHBoxLayout;
  back->addWidget(undo);
  back->addWidget(restore);
  back->addStretch(1);
  form->addRow(back);
  return box;
}

QWidget* TLabWindow::BuildStepControls() {
  auto* box = new QGroupBox(Ui(QStringLiteral("読む順")), this);
  auto* row = new QHBoxLayout(box);
  step_ = Spin(box, "LabStep", -1, -1, -1);
  step_->setSpecialValueText(QStringLiteral("—"));
  step_->setToolTip(Ui(QStringLiteral("読む順で何番目の符号語を枠で示すか（— で示しません）")));
  connect(step_, &QSpinBox::valueChanged, this, [this] { ShowStep(); });
  auto* previous = Button(box, QStringLiteral("◀"), "LabStepBack", Ui(QStringLiteral("一つ前の符号語")));
  auto* next = Button(box, QStringLiteral("▶"), "LabStepNext", Ui(QStringLiteral("次の符号語")));
  auto* play = Button(box, Ui(QStringLiteral("再生")), "LabPlay", Ui(QStringLiteral("符号語を読む順にたどります")));
  play->setCheckable(true);
  play_ = new QTimer(this);
  play_->setInterval(kPlayIntervalMs);
  connect(play_, &QTimer::timeout, this, [this] { Step(1); });
  connect(play, &QPushButton::toggled, this, [this](bool on) { on ? play_->start() : play_->stop(); });
  connect(previous, &QPushButton::clicked, this, [this] { Step(-1); });
  connect(next, &QPushButton::clicked, this, [this] { Step(1); });
  stepText_ = new QLabel(box);
  stepText_->setObjectName(QStringLiteral("LabStepText"));
  row->addWidget(previous);
  row->addWidget(step_);
  row->addWidget(next);
  row->addWidget(play);
  row->addWidget(stepText_, 1);
  return box;
}

bool TLabWindow::Open(const TPlaneBoolean& sampled) {
  view_->SetMatrix(nullptr);
  lab_.reset();
  try {
    lab_ = std::make_unique<TLab>(sampled);
  } catch (const TLabError& refusal) {
    message_->setText(Ui(QStringLiteral("この行列では実験できません: ")) + Verbatim(QString::fromStdString(refusal.what())));
    summary_->clear();
    details_->clear();
    return false;
  }
  const TLabMatrix& matrix = lab_->Matrix();
  codeword_->setRange(0, matrix.CodewordCount() - 1);
  burstFirst_->setRange(0, matrix.CodewordCount() - 1);
  const auto blocks = static_cast<int>(lab_->OriginalLayout().size());
  block_->setRange(0, std::max(0, blocks - 1));
  step_->setRange(-1, matrix.CodewordCount() - 1);
  step_->setValue(-1);
  view_->SetMatrix(&lab_->Matrix());
  message_->clear();
  ShowMasks();
  ShowRun();
  return true;
}

bool TLabWindow::OpenFrom(const TVeltrix* facade) {
  if (facade == nullptr || facade->Driver().Sampled().Width() == 0) {
    view_->SetMatrix(nullptr);
    lab_.reset();
    summary_->clear();
    details_->clear();
    message_->setText(Ui(QStringLiteral("最後の解析はモジュールを読み取るところまで進んでいません。画像を解析してから開いてください。")));
    return false;
  }
  return Open(facade->Driver().Sampled());
}

bool TLabWindow::Change(const std::function<void()>& change) {
  if (!lab_) return false;
  try {
    change();
  } catch (const TLabError& refusal) {
    message_->setText(QString::fromStdString(refusal.what()));
    return false;
  }
  message_->clear();
  Decode();
  return true;
}

bool TLabWindow::SpoilCodeword(std::int32_t index) {
  return Change([&] {
    const std::int32_t indexes[] = {index};
    lab_->Matrix().SpoilCodewords(indexes);
  });
}

bool TLabWindow::SpoilRandom(std::int32_t block, std::int32_t count, std::uint64_t seed) {
  return Change([&] { lab_->Matrix().SpoilRandom(lab_->OriginalLayout(), block, count, seed); });
}

bool TLabWindow::SpoilBurst(std::int32_t first, std::int32_t count) {
  return Change([&] { lab_->Matrix().SpoilBurst(first, count); });
}

bool TLabWindow::Undo() {
  if (!lab_ || !lab_->Matrix().Undo()) return false;
  Decode();
  return true;
}

void TLabWindow::RestoreAll() {
  Change([&] { lab_->Matrix().Restore(); });
}

void TLabWindow::Step(int delta) {
  if (!lab_) return;
  const int count = lab_->Matrix().CodewordCount();
  // From no codeword, forward starts at the first and back at the last.
  const int from = step_->value() >= 0 ? step_->value() : (delta > 0 ? -1 : count);
  step_->setValue(((from + delta) % count + count) % count);
}

void TLabWindow::Decode() {
  if (!lab_) return;
  lab_->Decode();
  ShowRun();
}

void TLabWindow::ShowRun() {
  const TLabRun& run = lab_->Last();
  const auto inBoth = [](const std::string& japanese, const std::string& english) { return Both(Q(japanese), Q(english)); };
  TUiText summary = inBoth(LabChangesLine(run, TLabLanguage::Japanese), LabChangesLine(run, TLabLanguage::English));
  const std::vector<std::string> outcome = LabOutcomeLines(run, lab_->Original(), TLabLanguage::Japanese);
  const std::vector<std::string> outcomeEnglish = LabOutcomeLines(run, lab_->Original(), TLabLanguage::English);
  // A failed decode's line ends with the decoder's message: in English its
  // meaning follows, as everywhere the window shows one.
  const QString reason = Q(run.result.failureReason.empty() ? run.result.errorText : run.result.failureReason);
  for (std::size_t i = 0; i < outcome.size(); ++i) {
    QString english = Q(i < outcomeEnglish.size() ? outcomeEnglish[i] : outcome[i]);
    if (i == 0 && !run.result.decoded && !reason.isEmpty() && english.endsWith(reason))
      english = english.left(english.size() - reason.size()) + DecoderMessage(reason).English();
    summary = summary + Verbatim(QStringLiteral("\n")) + Both(Q(outcome[i]), english);
  }
  if (run.result.decoded)
    summary = summary + Verbatim(QStringLiteral("\n")) + Ui(QStringLiteral("データ: ")) + Verbatim(Q(ShiftJisToUtf8(run.result.text)));
  for (std::size_t b = 0; b < run.blocks.size(); ++b)
    summary = summary + Verbatim(QStringLiteral("\n")) +
              inBoth(LabBlockLine(run.blocks[b], b, TLabLanguage::Japanese), LabBlockLine(run.blocks[b], b, TLabLanguage::English));
  summary_->setPlainText(Shown(summary));

  // The lab's own lines follow the language; the correction's trace lines
  // and the result stay as the stages write them.
  std::vector<TUiText> details;
  for (std::size_t b = 0; b < run.blocks.size(); ++b) {
    const TLabBlock& block = run.blocks[b];
    details.push_back(Ui(QStringLiteral("ブロック %1（データ %2 個、誤り訂正 %3 個、約束 %4 個、誤訂正防止 %5 個）"))
                          .arg(b)
                          .arg(block.layout.dataCount)
                          .arg(block.ecCodewords)
                          .arg(block.promised)
                          .arg(block.protection));
    details.push_back(Ui(QStringLiteral("受信 [ ] は誤り: ")) + Verbatim(Codewords(block.received, block.wrong)));
    details.push_back(Ui(QStringLiteral("この復号器の出力 [ ] は訂正: ")) + Verbatim(Codewords(block.corrected, block.mended)));
    details.push_back(Ui(QStringLiteral("この復号器のシンドローム S0..S7（α^1..α^8）: ")) + Verbatim(Values(block.syndromes)));
    details.push_back(Ui(QStringLiteral("能力いっぱいのシンドローム S_j = R(α^j), j = 0..%1: ")).arg(block.ecCodewords - 1) +
                      Verbatim(Values(block.capacity.syndromes)));
    for (const std::string& line : block.trace) details.push_back(Verbatim(QStringLiteral("  ") + Q(line)));
    details.push_back(Verbatim(QString()));
  }
  for (const std::string& line : run.traceTail) details.push_back(Verbatim(Q(line)));
  if (run.blocks.empty())
    for (const std::string& line : lab_->Surfaces().Text(TTextPaneId::ResultMemo).Lines()) details.push_back(Verbatim(Q(line)));
  QStringList shown;
  for (const TUiText& line : details) shown << Shown(line);
  details_->setPlainText(shown.join(QLatin1Char('\n')));
  interleaving_->setPlainText(Shown(InterleavingText(run)));
  QStringList listing;
  for (const std::string& line : lab_->Surfaces().Text(TTextPaneId::BLMemo).Lines()) listing << QString::fromStdString(line);
  listing_->setPlainText(listing.join(QLatin1Char('\n')));
  for (std::size_t i = 0; i < kLabPanes.size(); ++i) panes_[i]->SetPicture(lab_->Surfaces().Image(kLabPanes[i]).CurrentPicture());
  ShowStep();
}

void TLabWindow::ShowMasks() {
  const int at = pages_->currentIndex();
  QWidget* old = pages_->widget(kMasksPage);
  pages_->removeTab(kMasksPage);
  old->deleteLater();
  pages_->insertTab(kMasksPage, MakeMasksPage(*lab_, pages_), MasksTabText());
  pages_->setCurrentIndex(at);
}

void TLabWindow::ShowStep() {
  if (!lab_) return;
  const std::int32_t index = step_->value();
  const TLabRun& run = lab_->Last();
  TUiText text = Verbatim(QString());
  if (index >= 0) {
    text = Ui(QStringLiteral("符号語 %1")).arg(index);
    if (static_cast<std::size_t>(index) < run.codewords.size())
      text = text + Verbatim(QStringLiteral(" = %1").arg(Hex(run.codewords[static_cast<std::size_t>(index)])));
    for (std::size_t b = 0; b < run.blocks.size(); ++b) {
      const std::vector<std::int32_t>& places = run.blocks[b].layout.codewords;
      const auto at = std::find(places.begin(), places.end(), index);
      if (at != places.end())
        text = text + Ui(QStringLiteral("：ブロック %1 の %2 番目（%3）"))
                          .arg(b)
                          .arg(at - places.begin())
                          .arg(at - places.begin() < run.blocks[b].layout.dataCount ? Ui(QStringLiteral("データ"))
                                                                                     : Ui(QStringLiteral("誤り訂正")));
    }
  }
  stepText_->setText(text);
  // The wrong codewords by the blocks' layout; without blocks, those read
  // otherwise than from the unchanged matrix.
  std::vector<std::int32_t> wrong;
  for (const TLabBlock& block : run.blocks)
    for (const std::int32_t place : block.wrong) wrong.push_back(block.layout.codewords[static_cast<std::size_t>(place)]);
  if (run.blocks.empty()) wrong = run.changedCodewords;
  MarkListing(wrong, index);
  view_->SetMarks(std::move(wrong), index);
}

void TLabWindow::MarkListing(const std::vector<std::int32_t>& wrong, std::int32_t index) {
  // The listing's lines begin with the codeword's place in reading order.
  static const QRegularExpression numbered(QStringLiteral("^\\s*(\\d+)\\s"));
  QList<QTextEdit::ExtraSelection> marks;
  QTextCursor current;
  for (QTextBlock line = listing_->document()->firstBlock(); line.isValid(); line = line.next()) {
    const QRegularExpressionMatch match = numbered.match(line.text());
    if (!match.hasMatch()) continue;
    const std::int32_t place = match.captured(1).toInt();
    const bool stepped = place == index;
    if (!stepped && std::find(wrong.begin(), wrong.end(), place) == wrong.end()) continue;
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(line);
    mark.format.setBackground(stepped ? QColor(170, 200, 255) : QColor(255, 200, 140));
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    marks << mark;
    if (stepped) current = mark.cursor;
  }
  listing_->setExtraSelections(marks);
  if (!current.isNull()) {
    listing_->setTextCursor(current);
    listing_->ensureCursorVisible();
  }
}

QString TLabWindow::Summary() const { return summary_->toPlainText(); }
QString TLabWindow::Details() const { return details_->toPlainText(); }
QString TLabWindow::Message() const { return message_->text(); }
