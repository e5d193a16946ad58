#include "ClassSetWindow.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <utility>

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "WindowKeys.h"
#include "WindowPlacement.h"
#include "classset/ClassSet.h"
#include "common/VisibleText.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/TrialTexts.h"
#include "decoder/Parameters.h"
#include "picture/JpegFile.h"
#include "picture/PictureLoader.h"
#include "picture/QtPicture.h"
#include "report/ClassSummary.h"
#include "UiLanguage.h"

namespace {

QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// A tooltip that shows its text as written (a decoded "<b>" is no markup).
QString PlainTip(const QString& text) { return QStringLiteral("<p>") + text.toHtmlEscaped() + "</p>"; }

// A cell's text in both languages: the summary's Japanese, and English where
// the window words it (the picture's name and the decoded text stay as read).
TUiText CellText(const TClassRow& row, TClassColumn column) {
  const QString japanese = Q(VisibleText(ClassCellText(row, column)));
  const bool read = row.outcome != TClassOutcome::Unreadable;
  QString english = japanese;
  switch (column) {
    case TClassColumn::Outcome: english = Ui(japanese).English(); break;
    case TClassColumn::Stage: english = read ? StageName(row.stage).English() : japanese; break;
    case TClassColumn::Verdict:
      english = read ? Q(VisibleText(EnglishText(row.verdict.evidence))) : DecoderMessage(japanese).English();
      if (read && row.outcome == TClassOutcome::NotDecoded && !row.message.empty())
        english += QStringLiteral(" (") + DecoderMessage(Q(VisibleText(row.message))).English() + QStringLiteral(")");
      break;
    case TClassColumn::Suggestion: {
      QStringList lines;
      if (read && row.trial) {
        for (const TTriedValue& value : row.trial->helped) lines << Q(EnglishText(value, *row.trial));
        if (lines.isEmpty()) lines << Q(EnglishOutcome(*row.trial));
      } else if (read) {
        for (const TSuggestion& suggestion : row.verdict.suggestions) lines << Q(EnglishText(suggestion));
      }
      english = lines.join(QLatin1Char('\n'));
      break;
    }
    case TClassColumn::Explored:
      if (read && row.cells != 0)
        english = QStringLiteral("Resolver %1, Warp %2 (decoded in %3 of %4 cells)")
                      .arg(row.parameters.resolver)
                      .arg(row.parameters.warp)
                      .arg(row.decodingCells)
                      .arg(row.cells);
      break;
    case TClassColumn::Picture:
      if (read) english = Q(VisibleText(row.name)) + QStringLiteral(" (%1 × %2)").arg(row.width).arg(row.height);
      break;
    case TClassColumn::Text:
    case TClassColumn::Report: break;
  }
  return Both(japanese, english);
}

// The columns of the command line's summary page but its links to reports,
// which the window does not write.
std::vector<TClassColumn> Columns() {
  std::vector<TClassColumn> columns;
  for (const TClassColumnName& column : kClassColumns)
    if (column.column != TClassColumn::Report) columns.push_back(column.column);
  return columns;
}
const std::vector<TClassColumn>& ShownColumns() {
  static const std::vector<TClassColumn> columns = Columns();
  return columns;
}
int ColumnOf(TClassColumn column) {
  const auto& columns = ShownColumns();
  return static_cast<int>(std::find(columns.begin(), columns.end(), column) - columns.begin());
}

constexpr int kThumbnailShown = 64;

}  // namespace

TClassSetWindow::TClassSetWindow(QWidget* parent, THooks hooks) : QWidget(parent, Qt::Window), hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("ClassSetWindow"));
  setWindowTitle(Ui(QStringLiteral("フォルダの画像 — Morilux")));
  auto* column = new QVBoxLayout(this);

  folderLabel_ = new QLabel(this);
  folderLabel_->setObjectName(QStringLiteral("ClassSetFolder"));
  folderLabel_->setTextFormat(Qt::PlainText);
  folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  column->addWidget(folderLabel_);

  auto* options = new QHBoxLayout;
  explore_ = new QCheckBox(Ui(QStringLiteral("パラメータ探索をしてから解析する")), this);
  explore_->setObjectName(QStringLiteral("ClassSetExplore"));
  explore_->setToolTip(Ui(QStringLiteral("画像ごとに Resolver と Warp の既定の範囲を探索し、復号できた値のうち既定値に最も近いもので解析します")));
  hideAnswer_ = new QCheckBox(Ui(QStringLiteral("読み取った文字列を隠す")), this);
  hideAnswer_->setObjectName(QStringLiteral("ClassSetHideAnswer"));
  hideAnswer_->setToolTip(Ui(QStringLiteral("演習用に、表の「読み取った文字列」の列を隠します")));
  start_ = new QPushButton(Ui(QStringLiteral("もう一度解析")), this);
  start_->setObjectName(QStringLiteral("ClassSetStartButton"));
  start_->setToolTip(Ui(QStringLiteral("このフォルダの画像を、メインウィンドウのいまの値でもう一度解析します")));
  cancel_ = new QPushButton(Ui(QStringLiteral("中止")), this);
  cancel_->setObjectName(QStringLiteral("ClassSetCancelButton"));
  cancel_->setToolTip(Ui(QStringLiteral("いま解析している画像の次で止めます")));
  options->addWidget(explore_);
  options->addWidget(hideAnswer_);
  options->addStretch(1);
  options->addWidget(start_);
  options->addWidget(cancel_);
  column->addLayout(options);
  connect(start_, &QPushButton::clicked, this, [this] { Start(folder_); });
  connect(cancel_, &QPushButton::clicked, this, [this] { Cancel(); });
  connect(hideAnswer_, &QCheckBox::toggled, this, [this] { ShowColumns(); });

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("ClassSetProgress"));
  progress_->setFormat(QStringLiteral("%v / %m"));
  progress_->setValue(0);
  column->addWidget(progress_);
  status_ = new QLabel(Ui(QStringLiteral("ツール → フォルダを開く… でフォルダを選んでください。")), this);
  status_->setObjectName(QStringLiteral("ClassSetStatus"));
  status_->setWordWrap(true);
  column->addWidget(status_);

  table_ = new QTableWidget(this);
  table_->setObjectName(QStringLiteral("ClassSetTable"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setIconSize(QSize(kThumbnailShown, kThumbnailShown));
  table_->setWordWrap(true);
  table_->verticalHeader()->setDefaultSectionSize(kThumbnailShown + 6);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setToolTip(Ui(QStringLiteral("行をクリックすると、その画像をメインウィンドウで開いて解析します")));
  table_->setColumnCount(static_cast<int>(ShownColumns().size()));
  QStringList headings;
  for (const TClassColumn shown : ShownColumns())
    for (const TClassColumnName& name : kClassColumns)
      if (name.column == shown) headings << Ui(Q(name.heading));
  table_->setHorizontalHeaderLabels(headings);
  const std::vector<std::pair<TClassColumn, int>> widths = {
      {TClassColumn::Picture, 220}, {TClassColumn::Outcome, 110}, {TClassColumn::Text, 180}, {TClassColumn::Stage, 130},
      {TClassColumn::Verdict, 320}, {TClassColumn::Suggestion, 260}, {TClassColumn::Explored, 200}};
  for (const auto& [shown, width] : widths) table_->setColumnWidth(ColumnOf(shown), width);
  column->addWidget(table_, 1);
  connect(table_, &QTableWidget::cellClicked, this, [this](int row, int) { RowClicked(row); });

  ShowColumns();
  SetRunning(false);
  PlaceOnScreen(*this, QSize(1200, 720));
  CloseWithKeys(*this);
}

TClassSetWindow::~TClassSetWindow() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

bool TClassSetWindow::Start(const QString& folder) {
  if (Running()) {
    next_ = folder;
    Cancel();
    return true;
  }
  folder_ = folder;
  folderLabel_->setText(Ui(QStringLiteral("フォルダ：")) + Verbatim(QDir::toNativeSeparators(folder)));
  const std::string path = QFile::encodeName(folder).toStdString();
  std::vector<std::string> names;
  try {
    names = ClassSetPictures(path);
  } catch (const TClassSetError& unreadable) {
    status_->setText(Ui(QStringLiteral("フォルダを読めません：")) + Verbatim(Q(VisibleText(unreadable.what()))));
    return false;
  }
  if (names.empty()) {
    QStringList extensions;
    for (const std::string& extension : PictureExtensions()) extensions << QString::fromStdString(extension);
    status_->setText(Ui(QStringLiteral("このフォルダには読み込める画像（%1）がありません。")).arg(Ui(QStringLiteral("、")).Join(extensions)));
    table_->setRowCount(0);
    rows_.clear();
    names_.clear();
    return false;
  }

  TClassSetOptions options;
  options.parameters = hooks_.parameters();
  explored_ = explore_->isChecked();
  if (explored_)
    options.explore = TExploreGrid::Make(TExploreGrid::DefaultResolvers(), TExploreGrid::DefaultWarps(), options.parameters.forceVersion);
  names_ = names;
  rows_.assign(names.size(), std::nullopt);
  table_->setRowCount(static_cast<int>(names.size()));
  for (int at = 0; at < static_cast<int>(names.size()); ++at) ShowRow(at);
  ShowColumns();
  progress_->setRange(0, static_cast<int>(names.size()));
  progress_->setValue(0);
  status_->setText(Ui(QStringLiteral("%1 枚の画像を解析しています…")).arg(names.size()));
  stop_ = false;
  const std::uint64_t run = ++run_;
  SetRunning(true);
  worker_ = std::thread([this, run, path, names = std::move(names), options = std::move(options)] {
    QString failure;
    try {
      RunClassSet(
          path, names, options, std::max(1u, std::thread::hardware_concurrency()),
          [this, run](std::size_t index, const TClassRow& row, std::size_t done, std::size_t total) {
            QMetaObject::invokeMethod(
                this, [this, run, index, row, done, total] { RowDone(run, index, row, done, total); }, Qt::QueuedConnection);
          },
          &stop_);
    } catch (const std::exception& error) {
      failure = QString::fromUtf8(error.what());
    }
    QMetaObject::invokeMethod(this, [this, run, failure] { Finished(run, failure); }, Qt::QueuedConnection);
  });
  return true;
}

void TClassSetWindow::Cancel() {
  if (!Running()) return;
  stop_ = true;
  status_->setText(Ui(QStringLiteral("中止しています…")));
}

void TClassSetWindow::RowDone(std::uint64_t run, std::size_t index, const TClassRow& row, std::size_t done, std::size_t) {
  if (run != run_ || index >= rows_.size()) return;
  rows_[index] = row;
  ShowRow(static_cast<int>(index));
  progress_->setValue(static_cast<int>(done));
}

void TClassSetWindow::Finished(std::uint64_t run, const QString& failure) {
  if (run != run_) return;
  // The thread has posted its last event and is ending.
  if (worker_.joinable()) worker_.join();
  SetRunning(false);
  std::size_t done = 0, decoded = 0, unreadable = 0;
  for (const std::optional<TClassRow>& row : rows_) {
    if (!row) continue;
    ++done;
    decoded += row->outcome == TClassOutcome::Decoded ? 1 : 0;
    unreadable += row->outcome == TClassOutcome::Unreadable ? 1 : 0;
  }
  TUiText text = !failure.isEmpty()     ? Ui(QStringLiteral("解析を続けられませんでした：")) + Verbatim(failure) + Ui(QStringLiteral("。"))
                 : done < rows_.size() ? Ui(QStringLiteral("中止しました（%1 / %2 枚）。")).arg(done).arg(rows_.size())
                                       : Ui(QStringLiteral("%1 枚を解析しました。")).arg(done);
  text = text + Ui(QStringLiteral("復号できた %1、復号できなかった %2、読み込めない %3。"))
              .arg(decoded)
              .arg(done - decoded - unreadable)
              .arg(unreadable);
  if (done > 0) text = text + Ui(QStringLiteral("行をクリックすると、その画像をメインウィンドウで開きます。"));
  status_->setText(text);
  if (next_) {
    const QString folder = *next_;
    next_.reset();
    Start(folder);
  }
}

void TClassSetWindow::ShowRow(int at) {
  const std::optional<TClassRow>& row = rows_[static_cast<std::size_t>(at)];
  for (int c = 0; c < static_cast<int>(ShownColumns().size()); ++c) {
    const TClassColumn column = ShownColumns()[static_cast<std::size_t>(c)];
    auto* item = new QTableWidgetItem;
    if (!row) {
      item->setText(column == TClassColumn::Picture ? Q(VisibleText(names_[static_cast<std::size_t>(at)]))
                    : column == TClassColumn::Outcome ? QStringLiteral("…")
                                                      : QString());
      table_->setItem(at, c, item);
      continue;
    }
    const TUiText text = CellText(*row, column);
    item->setText(text);
    if (!text.Japanese().isEmpty()) item->setToolTip(Both(PlainTip(text.Japanese()), PlainTip(text.English())));
    if (column == TClassColumn::Outcome) {
      item->setBackground(QColor(Q(ClassRowColour(*row))));
      item->setForeground(QColor(Qt::white));
    }
    if (column == TClassColumn::Picture && !row->thumbnail.empty()) {
      try {
        item->setIcon(QIcon(QPixmap::fromImage(ToQImage(DecodeJpeg(row->thumbnail)))));
      } catch (const std::exception&) {
        // The row reads without its thumbnail.
      }
    }
    table_->setItem(at, c, item);
  }
}

void TClassSetWindow::ShowColumns() {
  table_->setColumnHidden(ColumnOf(TClassColumn::Text), hideAnswer_->isChecked());
  table_->setColumnHidden(ColumnOf(TClassColumn::Explored), !explored_);
}

void TClassSetWindow::RowClicked(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= names_.size()) return;
  table_->selectRow(row);
  const std::optional<TClassRow>& done = rows_[static_cast<std::size_t>(row)];
  const QString path = QDir(folder_).filePath(QFile::decodeName(QByteArray::fromStdString(names_[static_cast<std::size_t>(row)])));
  hooks_.open(path, done ? done->parameters : hooks_.parameters());
}

void TClassSetWindow::SetRunning(bool running) {
  start_->setEnabled(!running && !folder_.isEmpty());
  cancel_->setEnabled(running);
  explore_->setEnabled(!running);
}

void TClassSetWindow::closeEvent(QCloseEvent* event) {
  Cancel();
  QWidget::closeEvent(event);
}
