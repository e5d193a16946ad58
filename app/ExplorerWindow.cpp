#include "ExplorerWindow.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "WindowKeys.h"
#include "WindowPlacement.h"
#include "common/DecodeStages.h"
#include "common/ShiftJis.h"
#include "common/VisibleText.h"
#include "decoder/Parameters.h"
#include "report/ExploreCells.h"
#include "UiLanguage.h"

namespace {

QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// A tooltip that shows its text as written: a decoded "<b>" would otherwise
// be taken for rich text.
QString PlainTip(const QString& text) { return QStringLiteral("<p>") + text.toHtmlEscaped() + "</p>"; }

// A cell's tooltip: the map's title of the cell, and its English.
TUiText CellTip(const TExploreCell& cell) {
  const QString japanese = Q(VisibleText(CellTitle(cell)));
  QString english = QStringLiteral("Resolver %1, Warp %2: ").arg(cell.resolver).arg(cell.warp);
  if (!cell.ran)
    english += QStringLiteral("not run");
  else if (cell.result.decoded)
    english += QStringLiteral("decoded \u201c%1\u201d").arg(Q(VisibleText(ShiftJisToUtf8(cell.result.text))));
  else
    english += QStringLiteral("stopped at %1 — %2")
                   .arg(StageName(cell.result.stage).English(),
                        DecoderMessage(Q(VisibleText(cell.result.failureReason))).English());
  return Both(japanese, english);
}

QSpinBox* RangeField(QWidget* parent, const char* name, int minimum, int maximum, int value, const QString& tip) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(minimum, maximum);
  spin->setValue(value);
  spin->setToolTip(tip);
  return spin;
}

constexpr int kCellHeight = 20;

}  // namespace

TExplorerWindow::TExplorerWindow(QWidget* parent, THooks hooks) : QWidget(parent, Qt::Window), hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("ExplorerWindow"));
  setWindowTitle(Ui(QStringLiteral("パラメータ探索 — Morilux")));
  auto* column = new QVBoxLayout(this);
  column->addWidget(BuildOptions());

  auto* runRow = new QHBoxLayout;
  start_ = new QPushButton(Ui(QStringLiteral("開始")), this);
  start_->setObjectName(QStringLiteral("ExploreStartButton"));
  start_->setToolTip(Ui(QStringLiteral("読み込んだ画像を、範囲内のすべての組み合わせで解析します")));
  cancel_ = new QPushButton(Ui(QStringLiteral("中止")), this);
  cancel_->setObjectName(QStringLiteral("ExploreCancelButton"));
  cancel_->setToolTip(Ui(QStringLiteral("いま解析している組み合わせの次で止めます")));
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("ExploreProgress"));
  progress_->setFormat(QStringLiteral("%v / %m"));
  progress_->setValue(0);
  runRow->addWidget(start_);
  runRow->addWidget(cancel_);
  runRow->addWidget(progress_, 1);
  column->addLayout(runRow);
  connect(start_, &QPushButton::clicked, this, [this] { Start(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { Cancel(); });

  status_ = new QLabel(Ui(QStringLiteral("範囲を決めて「開始」を押してください。")), this);
  status_->setObjectName(QStringLiteral("ExploreStatus"));
  status_->setWordWrap(true);
  column->addWidget(status_);

  table_ = new QTableWidget(this);
  table_->setObjectName(QStringLiteral("ExploreMap"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->setDefaultSectionSize(kCellHeight);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->setToolTip(Ui(QStringLiteral("行が Resolver、列が Warp です。クリックするとその値で解析します")));
  column->addWidget(table_, 1);
  connect(table_, &QTableWidget::cellClicked, this, &TExplorerWindow::CellClicked);

  texts_ = new QLabel(this);
  texts_->setObjectName(QStringLiteral("ExploreTexts"));
  texts_->setTextFormat(Qt::PlainText);
  texts_->setWordWrap(true);
  texts_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  column->addWidget(texts_);
  column->addWidget(BuildLegend());

  SetRunning(false);
  PlaceOnScreen(*this, QSize(560, 820));
  CloseWithKeys(*this);
}

TExplorerWindow::~TExplorerWindow() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

QWidget* TExplorerWindow::BuildOptions() {
  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  const auto row = [&](int at, TParameter parameter, const TExploreRange& preset, QSpinBox*& from, QSpinBox*& to,
                       QSpinBox*& step, const char* fromName, const char* toName, const char* stepName) {
    const TParameterRange& range = RangeOf(parameter);
    const QString name = Q(range.name);
    grid->addWidget(new QLabel(name, box), at, 0);
    grid->addWidget(new QLabel(Ui(QStringLiteral("から")), box), at, 2);
    grid->addWidget(new QLabel(Ui(QStringLiteral("まで、間隔")), box), at, 4);
    const TUiText limits = Ui(QStringLiteral("%1〜%2")).arg(range.minimum).arg(range.maximum);
    from = RangeField(box, fromName, range.minimum, range.maximum, preset.from, Ui(QStringLiteral("%1 の最初の値（%2）")).arg(Verbatim(name), limits));
    to = RangeField(box, toName, range.minimum, range.maximum, preset.to, Ui(QStringLiteral("%1 の最後の値（%2）")).arg(Verbatim(name), limits));
    step = RangeField(box, stepName, 1, range.maximum - range.minimum + 1, preset.step, Ui(QStringLiteral("%1 の間隔")).arg(name));
    grid->addWidget(from, at, 1);
    grid->addWidget(to, at, 3);
    grid->addWidget(step, at, 5);
  };
  row(0, TParameter::Resolver, TExploreGrid::DefaultResolvers(), resolverFrom_, resolverTo_, resolverStep_, "ResolverFrom",
      "ResolverTo", "ResolverStep");
  row(1, TParameter::Warp, TExploreGrid::DefaultWarps(), warpFrom_, warpTo_, warpStep_, "WarpFrom", "WarpTo", "WarpStep");
  forceVersion_ = new QLabel(box);
  forceVersion_->setObjectName(QStringLiteral("ExploreForceVersion"));
  grid->addWidget(forceVersion_, 2, 0, 1, 6);
  grid->setColumnStretch(6, 1);
  forceVersion_->setText(Ui(QStringLiteral("ForceVersion はメインウィンドウの値（%1）を使います。")).arg(hooks_.forceVersion()));
  return box;
}

QWidget* TExplorerWindow::BuildLegend() {
  auto* legend = new QWidget(this);
  legend->setObjectName(QStringLiteral("ExploreLegend"));
  auto* grid = new QGridLayout(legend);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(3);
  const auto add = [&](int at, std::string_view colour, std::string_view letter, const QString& text) {
    auto* swatch = new QLabel(Q(letter), legend);
    swatch->setFixedSize(14, 14);
    swatch->setAlignment(Qt::AlignCenter);
    swatch->setStyleSheet(QStringLiteral("background: %1; color: white; border: 1px solid #666").arg(Q(colour)));
    grid->addWidget(swatch, at / 2, (at % 2) * 2);
    grid->addWidget(new QLabel(text, legend), at / 2, (at % 2) * 2 + 1);
  };
  int at = 0;
  for (const TStageName& stage : kStageNames) {
    const QString text = stage.stage == TStage::Done ? Ui(QStringLiteral("復号できた（文字 A、B… は読み取った文字列ごと）"))
                                                     : Ui(QStringLiteral("%1で停止")).arg(StageName(stage.stage));
    add(at++, StageColour(stage.stage), stage.stage == TStage::Done ? "A" : StageLetter(stage.stage), text);
  }
  add(at, kNotRunColour, "", Ui(QStringLiteral("未実行（中止）")));
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  return legend;
}

bool TExplorerWindow::Start() {
  if (Running()) return false;
  const TBitmap& picture = hooks_.picture();
  if (picture.Empty()) {
    status_->setText(Ui(QStringLiteral("画像が読み込まれていません。メインウィンドウで画像を読み込んでください。")));
    return false;
  }
  const std::int32_t force = hooks_.forceVersion();
  forceVersion_->setText(Ui(QStringLiteral("ForceVersion はメインウィンドウの値（%1）を使います。")).arg(force));
  if (resolverFrom_->value() > resolverTo_->value() || warpFrom_->value() > warpTo_->value()) {
    status_->setText(Ui(QStringLiteral("この範囲では探索できません：最初の値が最後の値より大きい範囲があります。")));
    return false;
  }
  TExploreGrid grid;
  try {
    grid = TExploreGrid::Make({resolverFrom_->value(), resolverTo_->value(), resolverStep_->value()},
                              {warpFrom_->value(), warpTo_->value(), warpStep_->value()}, force);
  } catch (const std::invalid_argument& wrong) {
    status_->setText(Ui(QStringLiteral("この範囲では探索できません：")) + Verbatim(QString::fromUtf8(wrong.what())));
    return false;
  }

  // The explorer's own copy of the picture is made here, on this thread; the
  // worker then shares nothing with the main window.
  auto explorer = std::make_unique<TExplorer>(picture, grid);
  ClearMap();
  // The grid's cells, none run yet, until the map comes.
  TExploreMap waiting;
  waiting.grid = grid;
  for (const std::int32_t resolver : grid.resolvers)
    for (const std::int32_t warp : grid.warps) waiting.cells.push_back({resolver, warp, false, {}, -1});
  ShowMap(waiting);
  progress_->setRange(0, static_cast<int>(grid.CellCount()));
  progress_->setValue(0);
  status_->setText(Ui(QStringLiteral("%1 組を解析しています…")).arg(grid.CellCount()));
  stop_ = false;
  dropResult_ = false;
  const std::uint64_t run = ++run_;
  SetRunning(true);
  worker_ = std::thread([this, run, explorer = std::move(explorer)] {
    QElapsedTimer clock;
    clock.start();
    std::shared_ptr<TExploreMap> map;
    QString failure;
    try {
      map = std::make_shared<TExploreMap>(explorer->Run(
          [this, run](std::size_t done, std::size_t total) {
            QMetaObject::invokeMethod(this, [this, run, done, total] { Progressed(run, done, total); }, Qt::QueuedConnection);
          },
          &stop_, std::max(1u, std::thread::hardware_concurrency())));
    } catch (const std::exception& error) {
      failure = QString::fromUtf8(error.what());
    }
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    QMetaObject::invokeMethod(
        this,
        [this, run, map = std::move(map), failure, seconds]() mutable { Finished(run, std::move(map), seconds, failure); },
        Qt::QueuedConnection);
  });
  return true;
}

void TExplorerWindow::Cancel() {
  if (!Running()) return;
  stop_ = true;
  status_->setText(Ui(QStringLiteral("中止しています…")));
}

void TExplorerWindow::PictureChanged() {
  picked_.reset();
  if (Running()) {
    dropResult_ = true;
    stop_ = true;
    status_->setText(Ui(QStringLiteral("新しい画像が読み込まれたので中止しています…")));
    return;
  }
  if (map_) status_->setText(Ui(QStringLiteral("新しい画像が読み込まれました。「開始」でこの画像を探索します。")));
  ClearMap();
}

void TExplorerWindow::Progressed(std::uint64_t run, std::size_t done, std::size_t total) {
  if (run != run_ || !Running()) return;
  progress_->setRange(0, static_cast<int>(total));
  progress_->setValue(static_cast<int>(done));
}

void TExplorerWindow::Finished(std::uint64_t run, std::shared_ptr<TExploreMap> map, double seconds, const QString& failure) {
  if (run != run_) return;
  // The thread has posted its last event and is ending.
  if (worker_.joinable()) worker_.join();
  SetRunning(false);
  if (map == nullptr) {
    status_->setText(Ui(QStringLiteral("探索できませんでした：")) + Verbatim(failure));
    return;
  }
  if (dropResult_) {
    status_->setText(Ui(QStringLiteral("新しい画像が読み込まれたので中止しました。「開始」でこの画像を探索します。")));
    return;
  }
  map_ = std::move(*map);
  std::size_t done = 0;
  std::size_t decoded = 0;
  for (const TExploreCell& cell : map_->cells) {
    done += cell.ran ? 1 : 0;
    decoded += cell.ran && cell.result.decoded ? 1 : 0;
  }
  progress_->setValue(static_cast<int>(done));
  TUiText text = map_->complete
                     ? Ui(QStringLiteral("%1 組を %2 秒で解析しました。")).arg(done).arg(seconds, 0, 'f', 2)
                     : Ui(QStringLiteral("中止しました（%1 / %2 組）。")).arg(done).arg(map_->cells.size());
  text = text + Ui(QStringLiteral("復号できたのは %1 組です。")).arg(decoded);
  if (decoded > 0) text = text + Ui(QStringLiteral("セルをクリックすると、その値でメインウィンドウの解析を行います。"));
  status_->setText(text);
  ShowMap(*map_);
}

void TExplorerWindow::ShowMap(const TExploreMap& map) {
  const std::size_t warps = map.grid.warps.size();
  table_->setRowCount(static_cast<int>(map.grid.resolvers.size()));
  table_->setColumnCount(static_cast<int>(warps));
  QStringList rows;
  for (const std::int32_t resolver : map.grid.resolvers) rows << QString::number(resolver);
  QStringList columns;
  for (const std::int32_t warp : map.grid.warps) columns << QStringLiteral("W %1").arg(warp);
  table_->setVerticalHeaderLabels(rows);
  table_->setHorizontalHeaderLabels(columns);
  // More than one text: some setting read the symbol wrongly, and every
  // decoded cell carries a warning sign next to its letter.
  const bool differing = map.texts.size() > 1;
  const std::optional<std::size_t> chosen = map.Chosen();
  for (std::size_t i = 0; i < map.cells.size(); ++i) {
    const TExploreCell& cell = map.cells[i];
    // A cell that stopped shows its stage's letter as well as its colour.
    QString mark = Q(cell.ran && !cell.result.decoded ? StageLetter(cell.result.stage) : CellMark(cell));
    if (differing && cell.ran && cell.result.decoded) mark += QStringLiteral("!");
    auto* item = new QTableWidgetItem(mark);
    item->setTextAlignment(Qt::AlignCenter);
    item->setBackground(QColor(Q(CellColour(cell))));
    item->setForeground(QColor(Qt::white));
    TUiText tip = CellTip(cell);
    if (chosen == i) tip = tip + Ui(QStringLiteral("（既定の値に最も近い、復号できた組み合わせ）"));
    item->setToolTip(Both(PlainTip(tip.Japanese()), PlainTip(tip.English())));
    if (cell.ran && cell.result.decoded) {
      QFont bold = item->font();
      bold.setBold(true);
      bold.setUnderline(chosen == i);
      item->setFont(bold);
    }
    table_->setItem(static_cast<int>(i / warps), static_cast<int>(i % warps), item);
  }
  // No cell stands out before one is picked.
  table_->setCurrentItem(nullptr);
  QStringList lines;
  for (std::size_t t = 0; t < map.texts.size(); ++t)
    lines << QStringLiteral("%1: %2").arg(QChar(t < 26 ? QLatin1Char(static_cast<char>('A' + t)) : QLatin1Char('*')),
                                          Q(VisibleText(ShiftJisToUtf8(map.texts[t]))));
  TUiText texts = Verbatim(lines.join(QLatin1Char('\n')));
  if (differing) {
    const TUiText warning = Ui(QStringLiteral("組み合わせによって異なる文字列が読み取られました（!）。誤った読み取りが含まれています。"));
    texts = lines.isEmpty() ? warning : warning + Verbatim(QStringLiteral("\n")) + texts;
  }
  texts_->setText(texts);
}

void TExplorerWindow::ClearMap() {
  map_.reset();
  picked_.reset();
  table_->clear();
  table_->setRowCount(0);
  table_->setColumnCount(0);
  texts_->clear();
  progress_->setValue(0);
}

void TExplorerWindow::CellClicked(int row, int column) {
  if (!map_ || row < 0 || column < 0) return;
  const std::size_t warps = map_->grid.warps.size();
  const std::size_t index = static_cast<std::size_t>(row) * warps + static_cast<std::size_t>(column);
  if (static_cast<std::size_t>(column) >= warps || index >= map_->cells.size()) return;
  picked_ = index;
  table_->setCurrentCell(row, column);
  hooks_.analyse(map_->ParametersOf(index));
}

void TExplorerWindow::SetRunning(bool running) {
  start_->setEnabled(!running);
  cancel_->setEnabled(running);
  for (QSpinBox* field : {resolverFrom_, resolverTo_, resolverStep_, warpFrom_, warpTo_, warpStep_}) field->setEnabled(!running);
}

void TExplorerWindow::closeEvent(QCloseEvent* event) {
  Cancel();
  QWidget::closeEvent(event);
}
