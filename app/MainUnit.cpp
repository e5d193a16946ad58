#include "MainUnit.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOptionComplex>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "DiagnosisPage.h"
#include "ExplorerWindow.h"
#include "HelpWindow.h"
#include "PaneTools.h"
#include "SaveFile.h"
#include "WindowSurfaces.h"
#include "decoder/Veltrix.h"
#include "picture/PictureLoader.h"
#include "report/HtmlReport.h"

namespace {

constexpr int kPaneSize = 420;
constexpr int kFrameSize = 441;
constexpr int kFrameOffset = 8;
constexpr int kLeftX = 32;
constexpr int kRightX = 496;
constexpr int kPaneY = 56;
constexpr int kCaptionY = 24;
constexpr int kTextX = 24;
constexpr int kTextY = 48;

// The window asks for the fonts it was designed with; on a machine without
// them the next installed Japanese family takes over, so that captions and
// trace lines never show empty boxes.
QFont DesignFont(const QString& name, const QStringList& fallbacks, bool fixedPitch) {
  QFont font;
  QStringList families{name};
  families << fallbacks;
  font.setFamilies(families);
  font.setPixelSize(12);
  if (fixedPitch) {
    font.setFixedPitch(true);
    font.setStyleHint(QFont::Monospace);
  }
  return font;
}

QFont WindowFont() {
  return DesignFont(QStringLiteral("ＭＳ Ｐゴシック"),
                    {QStringLiteral("MS PGothic"), QStringLiteral("Noto Sans CJK JP"),
                     QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),
                     QStringLiteral("Droid Sans Fallback")},
                    false);
}

QFont MemoFont() {
  return DesignFont(QStringLiteral("ＭＳ ゴシック"),
                    {QStringLiteral("MS Gothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                     QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic"),
                     QStringLiteral("Noto Sans CJK JP")},
                    true);
}

// Keeps a pane at a fixed distance from all four sides of its page.
class TAnchorAllSides : public QObject {
 public:
  TAnchorAllSides(QWidget* target, int rightMargin, int bottomMargin)
      : QObject(target), target_(target), rightMargin_(rightMargin), bottomMargin_(bottomMargin) {
    target->parentWidget()->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && watched == target_->parentWidget()) {
      const QSize page = static_cast<QResizeEvent*>(event)->size();
      const QPoint at = target_->pos();
      target_->resize(std::max(1, page.width() - at.x() - rightMargin_),
                      std::max(1, page.height() - at.y() - bottomMargin_));
    }
    return false;
  }

 private:
  QWidget* target_;
  int rightMargin_;
  int bottomMargin_;
};

// Page size at the window's design size (979 x 663), from which the anchored
// pane keeps its distances.
constexpr int kDesignPageWidth = 975;
constexpr int kDesignPageHeight = 546;

// The spin fields are narrow (33 and 41 pixels); slimmer arrow buttons than
// the style's own leave room for "-128" and "40" in the text.
class TSlimSpinStyle : public QProxyStyle {
 public:
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                       const QWidget* widget) const override {
    QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
    if (control != CC_SpinBox) return rect;
    const QRect up = QProxyStyle::subControlRect(control, option, SC_SpinBoxUp, widget);
    const int spare = std::max(0, up.width() - kSlimButtonWidth);
    if (part == SC_SpinBoxUp || part == SC_SpinBoxDown) rect.setLeft(rect.left() + spare);
    if (part == SC_SpinBoxEditField) rect.setRight(rect.right() + spare);
    return rect;
  }

 private:
  static constexpr int kSlimButtonWidth = 10;
};

}  // namespace

// ---------------------------------------------------------------------------

TSpinEdit::TSpinEdit(const TParameterRange& range, QWidget* parent) : QSpinBox(parent) {
  setRange(range.minimum, range.maximum);
  setValue(range.preset);
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int TSpinEdit::ReadValue() const {
  bool ok = false;
  const long long value = cleanText().trimmed().toLongLong(&ok);
  if (!ok) return minimum();
  return static_cast<int>(std::clamp<long long>(value, minimum(), maximum()));
}

QValidator::State TSpinEdit::validate(QString& input, int& position) const {
  // Qt's own validator refuses the key that takes a number past the range, so
  // 999 typed into Resolver would read 99; the whole number is kept instead,
  // to be brought into the range when the field loses the focus.
  bool ok = false;
  const long long value = input.trimmed().toLongLong(&ok);
  if (ok) return value >= minimum() && value <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
  return QSpinBox::validate(input, position);
}

void TSpinEdit::fixup(QString& input) const {
  bool ok = false;
  const long long value = input.trimmed().toLongLong(&ok);
  input = QString::number(ok ? std::clamp<long long>(value, minimum(), maximum()) : minimum());
}

// ---------------------------------------------------------------------------

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), surfaces_(std::make_unique<TWindowSurfaces>()) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Morilux"));
  setWindowIcon(MoriluxIcon());
  setFont(WindowFont());
  move(231, 232);
  resize(979, 663);

  auto* client = new QWidget(this);
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(BuildTopBar());
  column->addWidget(BuildPages(), 1);
  setCentralWidget(client);

  auto* status = new QStatusBar(this);
  status->setObjectName(QStringLiteral("StatusBar1"));
  status->setSizeGripEnabled(true);
  auto* panel0 = new QLabel(status);
  panel0->setObjectName(QStringLiteral("StatusPanel0"));
  panel0->setFixedWidth(120);
  auto* panel1 = new QLabel(status);
  panel1->setObjectName(QStringLiteral("StatusPanel1"));
  panel1->setMinimumWidth(50);
  status->addWidget(panel0);
  // The last panel takes the rest of the bar, so that an error text is readable.
  status->addWidget(panel1, 1);
  setStatusBar(status);
  surfaces_->BindStatus(panel0, panel1);

  inspector_ = new TPaneTools(*this, *surfaces_, *PageControl1,
                              {[this](const QString& path) { LoadPictureFile(path); },
                               [this](const QString& text) { ShowMessage(text); }});
  BuildMenu();

  OpenDialog1 = new QFileDialog(this);
  OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1->setNameFilters({QStringLiteral("Jpeg (*.jpg *.jpeg)"), QStringLiteral("bmp (*.bmp)")});

  FormCreate();
}

TForm1::~TForm1() {
  // Its thread is stopped and joined before anything of this window goes.
  delete explorer_;
  FormClose();
}

void TForm1::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  QMenu* file = bar->addMenu(QStringLiteral("ファイル"));
  file->setObjectName(QStringLiteral("FileMenu"));
  QAction* read = file->addAction(QStringLiteral("読み込み"));
  read->setObjectName(QStringLiteral("ReadMenuItem"));
  read->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  connect(read, &QAction::triggered, this, [this] { ImageReadBtnClick(); });
  BuildToolsMenu();
  QAction* help = bar->addAction(QStringLiteral("ヘルプ"));
  help->setObjectName(QStringLiteral("N6"));
  help->setShortcut(QKeySequence(Qt::Key_F1));
  connect(help, &QAction::triggered, this, [this] { N6Click(); });
}

// "ツール" holds the added commands (one AddToolCommand line each, above the
// first separator), the display toggles and the quit command.
void TForm1::BuildToolsMenu() {
  ToolsMenu = menuBar()->addMenu(QStringLiteral("ツール"));
  ToolsMenu->setObjectName(QStringLiteral("ToolsMenu"));
  toolsEnd_ = ToolsMenu->addSeparator();
  ToolsMenu->addAction(inspector_->MarksAction());
  ToolsMenu->addAction(inspector_->LinkAction());
  ToolsMenu->addSeparator();
  QAction* quit = ToolsMenu->addAction(QStringLiteral("終了"));
  quit->setObjectName(QStringLiteral("QuitAction"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, this, [this] { close(); });

  AddToolCommand(QStringLiteral("解析"), "AnalyseAction", QKeySequence(Qt::Key_F5), [this] { AnalyseCommand(); });
  AddToolCommand(QStringLiteral("レポートを書き出す…"), "ReportAction", QKeySequence(Qt::CTRL | Qt::Key_R),
                 [this] { ReportCommand(); })
      ->setToolTip(QStringLiteral("最後の解析のすべてのページを一つの HTML ファイルに書き出します"));
  AddToolCommand(QStringLiteral("パラメータ探索…"), "ExploreAction", QKeySequence(Qt::CTRL | Qt::Key_E),
                 [this] { ExplorerCommand(); })
      ->setToolTip(QStringLiteral("Resolver と Warp のすべての組み合わせで解析し、どこで止まるかを地図にします"));
}

QAction* TForm1::AddToolCommand(const QString& text, const char* objectName, const QKeySequence& shortcut,
                                std::function<void()> run) {
  auto* action = new QAction(text, ToolsMenu);
  action->setObjectName(QString::fromLatin1(objectName));
  action->setShortcut(shortcut);
  connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
  ToolsMenu->insertAction(toolsEnd_, action);
  return action;
}

QWidget* TForm1::BuildTopBar() {
  auto* panel = new QWidget;
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFixedHeight(41);

  auto* read = new QPushButton(QStringLiteral("読込"), panel);
  read->setObjectName(QStringLiteral("ImageReadBtn"));
  read->setGeometry(3, 0, 42, 41);
  connect(read, &QPushButton::clicked, this, [this] { ImageReadBtnClick(); });

  auto* analyse = new QPushButton(QStringLiteral("解析"), panel);
  analyse->setObjectName(QStringLiteral("AnalyBtn"));
  analyse->setGeometry(48, 0, 40, 40);
  connect(analyse, &QPushButton::clicked, this, [this] { AnalyBtnClick(); });

  auto* slimSpins = new TSlimSpinStyle;
  slimSpins->setParent(this);

  const auto field = [&](TParameter parameter, const char* label, const char* labelName, int labelX, const char* name,
                         int x, int width, const QString& tip) {
    const TParameterRange& range = RangeOf(parameter);
    AddLabel(panel, QString::fromLatin1(label), labelX, 16, labelName);
    auto* spin = new TSpinEdit(range, panel);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setStyle(slimSpins);
    spin->setGeometry(x, 8, width, 22);
    const QString oneLine = tip.arg(range.minimum).arg(range.maximum).arg(range.preset);
    spin->setToolTip(oneLine);
    panel->findChild<QLabel*>(QString::fromLatin1(labelName))->setToolTip(oneLine);
    return spin;
  };
  SpinEdit1 = field(TParameter::Resolver, "Resolver", "Label8", 104, "SpinEdit1", 152, 41,
                    QStringLiteral("二値化のしきい値に足す値（%1〜%2、既定 %3）：大きくすると暗と判定される画素が減ります"));
  SpinEdit3 = field(TParameter::Warp, "Warp", "Label11", 200, "SpinEdit3", 232, 33,
                    QStringLiteral("右下の角を探す範囲の半分の大きさ、モジュール幅の何倍か（%1〜%2、既定 %3）"));
  SpinEdit2 = field(TParameter::ForceVersion, "ForceVertion", "Label10", 280, "SpinEdit2", 352, 33,
                    QStringLiteral("型番を決めて読む（%1〜%2、既定 %3）：0 なら画像から求めます（型番14まで）"));
  return panel;
}

namespace {

// What a page holds, in the order the widgets are made: captions, image panes
// (420 x 420 on the left or the right) and text panes.
struct TPaneEntry {
  enum class TKind { Caption, Image, Text };
  // How a text pane differs from the plain one: kept at its distances from
  // all sides of the page, or a trace of long unwrapped lines that leaves the
  // Enter key to the window.
  enum class TTextStyle { Plain, Anchored, Trace };

  TKind kind;
  const char* caption = nullptr;
  int x = 0;
  int y = 0;
  TImagePaneId image = TImagePaneId::Image1;
  TTextPaneId text = TTextPaneId::ImgMemo;
  int width = 0;
  int height = 0;
  TTextStyle style = TTextStyle::Plain;
};

TPaneEntry Caption(const char* text, int x) { return {TPaneEntry::TKind::Caption, text, x, kCaptionY}; }
TPaneEntry ImagePane(TImagePaneId id, int x) { return {TPaneEntry::TKind::Image, nullptr, x, kPaneY, id}; }
TPaneEntry TextPane(TTextPaneId id, int width, int height, TPaneEntry::TTextStyle style = TPaneEntry::TTextStyle::Plain) {
  return {TPaneEntry::TKind::Text, nullptr, kTextX, kTextY, TImagePaneId::Image1, id, width, height, style};
}

struct TPageEntry {
  const char* name;
  const char* caption;
  std::vector<TPaneEntry> panes;
};

// The ten pages in their order, "位置検索" being the one in front at start.
const std::vector<TPageEntry>& Pages() {
  using enum TImagePaneId;
  using enum TTextPaneId;
  using TStyle = TPaneEntry::TTextStyle;
  static const std::vector<TPageEntry> pages = {
      {"TabSheet1", "読み込み画像", {Caption("読み込み画像", kLeftX), ImagePane(Image1, kLeftX)}},
      {"TabSheet11", "位置検索",
       {Caption("Resolver", kLeftX), ImagePane(FrontImage, kLeftX), Caption("位置検索パターン", kRightX),
        ImagePane(ClossLineImage, kRightX)}},
      {"TabSheet8", "タイミング", {ImagePane(TimeImage, kLeftX)}},
      {"TabSheet2", "デジタル処理画像",
       {Caption("読み込み画像", kLeftX), ImagePane(Image2, kLeftX), Caption("デジタル処理結果", kRightX),
        ImagePane(DigitImage, kRightX)}},
      {"TabSheet7", "形式情報", {Caption("形式情報", kTextX), TextPane(ImgMemo, 500, 450, TStyle::Anchored)}},
      {"TabSheet9", "サンプリング", {Caption("サンプリング", kLeftX), ImagePane(AdjustImage, kLeftX)}},
      {"TabSheet3", "マスク",
       {Caption("マスク", kLeftX), ImagePane(MaskImage, kLeftX), Caption("マスク結果", kRightX),
        ImagePane(ResultImage, kRightX)}},
      {"TabSheet6", "BlockRead", {TextPane(BLMemo, kFrameSize, kFrameSize), ImagePane(BlockImage, kRightX)}},
      {"TabSheet4", "ReedSolomon", {TextPane(RdSnMemo, 905, 450, TStyle::Trace)}},
      {"TabSheet5", "結果表示", {TextPane(ResultMemo, 500, 450)}},
  };
  return pages;
}

constexpr int kStartPage = 1;

}  // namespace

QTabWidget* TForm1::BuildPages() {
  PageControl1 = new QTabWidget;
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  for (const TPageEntry& entry : Pages()) {
    QWidget* page = AddPage(PageControl1, entry.name, QString::fromUtf8(entry.caption));
    if (TabSheet1 == nullptr) TabSheet1 = page;
    for (const TPaneEntry& pane : entry.panes) {
      switch (pane.kind) {
        case TPaneEntry::TKind::Caption:
          AddLabel(page, QString::fromUtf8(pane.caption), pane.x, pane.y);
          break;
        case TPaneEntry::TKind::Image:
          surfaces_->BindImage(pane.image, AddImagePane(page, std::string(PaneName(pane.image)).c_str(), pane.x, pane.y));
          break;
        case TPaneEntry::TKind::Text: {
          TMemo* memo = AddTextPane(page, std::string(PaneName(pane.text)).c_str(), pane.width, pane.height);
          if (pane.style == TPaneEntry::TTextStyle::Anchored) {
            new TAnchorAllSides(memo, kDesignPageWidth - pane.x - pane.width, kDesignPageHeight - pane.y - pane.height);
          } else if (pane.style == TPaneEntry::TTextStyle::Trace) {
            memo->setLineWrapMode(QPlainTextEdit::NoWrap);
            // Unwrapped trace lines may run past the pane; let them be scrolled to.
            memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            memo->SetWantReturns(false);
          }
          surfaces_->BindText(pane.text, memo);
          break;
        }
      }
    }
  }
  // Appended after the ten, so that their order and the page in front stay.
  diagnosis_ = new TDiagnosisPage([this] { ExplorerCommand(); });
  PageControl1->addTab(diagnosis_, diagnosis_->Caption());
  PageControl1->setCurrentIndex(kStartPage);
  return PageControl1;
}

QWidget* TForm1::AddPage(QTabWidget* pages, const char* name, const QString& caption) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  pages->addTab(page, caption);
  return page;
}

TImageView* TForm1::AddImagePane(QWidget* page, const char* name, int x, int y) {
  auto* frame = new QFrame(page);
  frame->setObjectName(QString::fromLatin1(name) + QStringLiteral("Frame"));
  frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  frame->setGeometry(x - kFrameOffset, y - kFrameOffset, kFrameSize, kFrameSize);
  auto* view = new TImageView(page);
  view->setObjectName(QString::fromLatin1(name));
  view->setGeometry(x, y, kPaneSize, kPaneSize);
  view->raise();
  return view;
}

TMemo* TForm1::AddTextPane(QWidget* page, const char* name, int width, int height) {
  auto* memo = new TMemo(page);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setFont(MemoFont());
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo->setGeometry(kTextX, kTextY, width, height);
  return memo;
}

void TForm1::AddLabel(QWidget* page, const QString& text, int x, int y, const char* name) {
  auto* label = new QLabel(text, page);
  if (name) label->setObjectName(QString::fromLatin1(name));
  label->move(x, y);
  label->adjustSize();
}

// ---------------------------------------------------------------------------

void TForm1::FormCreate() {
  decoder_ = std::make_unique<TVeltrix>(*surfaces_);
  decoder_->OnDecoded = [this](TVeltrix& sender) { ShowDecoded(sender); };
  decoder_->OnError = [this](TVeltrix& sender) { ShowDecodeError(sender); };
  picture_ = TBitmap();
}

void TForm1::ShowDecoded(TVeltrix& sender) { surfaces_->SetStatus(1, OutcomeStatus(sender, true)); }

void TForm1::ShowDecodeError(TVeltrix& sender) { surfaces_->SetStatus(1, OutcomeStatus(sender, false)); }

void TForm1::FormClose() {
  decoder_.reset();
  picture_ = TBitmap();
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (explorer_) explorer_->close();
  FormClose();
  QMainWindow::closeEvent(event);
}

void TForm1::ImageReadBtnClick() {
  surfaces_->SetStatus(1, "");
  if (OpenDialog1->exec() != QDialog::Accepted) return;
  const QStringList chosen = OpenDialog1->selectedFiles();
  if (chosen.isEmpty()) return;
  LoadPictureFile(chosen.front());
}

TForm1::TLoadResult TForm1::LoadPictureFile(const QString& path) {
  std::optional<TBitmap> loaded;
  try {
    loaded = LoadPicture(QFile::encodeName(path).toStdString());
  } catch (const std::exception& error) {
    // The command stops here: the panes keep the previous picture.
    ShowMessage(QString::fromUtf8(error.what()));
    return TLoadResult::Failed;
  }
  if (loaded) {
    picture_ = std::move(*loaded);
    picturePath_ = path;
    if (explorer_) explorer_->PictureChanged();
  }

  surfaces_->Image(TImagePaneId::Image1).ReplacePicture(picture_);
  surfaces_->Image(TImagePaneId::Image2).ReplacePicture(picture_);
  surfaces_->RefreshImage(TImagePaneId::Image1);
  surfaces_->RefreshImage(TImagePaneId::Image2);
  if (loaded) {
    inspector_->Loaded();
    ShowDiagnosisState();
  }
  PageControl1->setCurrentWidget(TabSheet1);
  return loaded ? TLoadResult::Loaded : TLoadResult::Unsupported;
}

void TForm1::AnalyBtnClick() {
  if (!decoder_) return;
  const TAnalysisParameters parameters{SpinEdit1->ReadValue(), SpinEdit3->ReadValue(), SpinEdit2->ReadValue()};
  // The state is shown before the long synchronous decode; user input waits,
  // so that no second command can start inside this one.
  lastAnalysis_ = Analyse(*decoder_, *surfaces_, picture_, parameters,
                          [] { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
  lastDrawn_ = surfaces_->Refresh();
  inspector_->Analysed(lastAnalysis_, *decoder_, lastDrawn_);
  diagnosis_->Show(lastAnalysis_, picture_);
  ShowDiagnosisState();
  if (lastAnalysis_.aborted) ShowMessage(QString::fromUtf8(lastAnalysis_.failureReason));
}

void TForm1::ShowDiagnosisState() {
  diagnosis_->SetState(inspector_->States().State(diagnosis_->objectName().toStdString()));
}

void TForm1::AnalyseCommand() {
  for (TSpinEdit* field : {SpinEdit1, SpinEdit3, SpinEdit2}) field->interpretText();
  AnalyBtnClick();
}

void TForm1::AnalyseWith(const TAnalysisParameters& parameters) {
  SpinEdit1->setValue(parameters.resolver);
  SpinEdit3->setValue(parameters.warp);
  SpinEdit2->setValue(parameters.forceVersion);
  AnalyBtnClick();
}

void TForm1::ReportCommand() {
  if (picture_.Empty()) {
    ShowMessage(QStringLiteral("レポートにする解析がありません。画像を読み込んで解析してから書き出してください。"));
    return;
  }
  if (!inspector_->States().CurrentPictureAnalysed()) {
    ShowMessage(QStringLiteral("ページには前の画像の結果が残っています。読み込んだ画像を解析（F5）してから"
                               "レポートを書き出してください。"));
    return;
  }
  const QString suggested = QFileInfo(picturePath_).dir().filePath(QFileInfo(picturePath_).completeBaseName() +
                                                                   QStringLiteral("-report.html"));
  const QString path = inspector_->ChooseFile(QStringLiteral("レポートを書き出す"), suggested, QStringLiteral("HTML (*.html *.htm)"));
  if (!path.isEmpty()) WriteReport(path);
}

bool TForm1::WriteReport(const QString& path) {
  if (picture_.Empty() || !inspector_->States().CurrentPictureAnalysed()) {
    ShowMessage(QStringLiteral("レポートにする解析がありません。"));
    return false;
  }
  // The report shows this analysis alone, as a run of the command line would:
  // the loaded picture, the panes it drew, its part of the listing.
  TSurfaces shown;
  for (const TImagePaneId pane : {TImagePaneId::Image1, TImagePaneId::Image2})
    shown.Image(pane).ReplacePicture(surfaces_->Image(pane).CurrentPicture());
  for (const TImagePaneId pane : lastDrawn_) shown.Image(pane).ReplacePicture(surfaces_->Image(pane).CurrentPicture());
  for (std::size_t i = 0; i < kTextPaneCount; ++i) {
    const auto pane = static_cast<TTextPaneId>(i);
    const std::vector<std::string>& lines = surfaces_->Text(pane).Lines();
    const std::size_t from = pane == TTextPaneId::BLMemo ? std::min(lastAnalysis_.listingStart, lines.size()) : 0;
    for (std::size_t line = from; line < lines.size(); ++line) shown.Text(pane).AppendLine(lines[line]);
  }
  for (const int panel : {0, 1}) shown.SetStatus(panel, surfaces_->Status(panel));
  TAnalysisResult result = lastAnalysis_;
  result.listingStart = 0;
  // The explorer's map goes with the report when its chosen cell is this analysis.
  const TExploreMap* map = explorer_ ? explorer_->Map() : nullptr;
  const std::optional<std::size_t> chosen = map && map->complete ? map->Chosen() : std::nullopt;
  if (!chosen || TAnalysisParameters{map->cells[*chosen].resolver, map->cells[*chosen].warp, map->grid.forceVersion} !=
                     result.parameters)
    map = nullptr;

  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::optional<QString> failure;
  try {
    const std::string html = HtmlReport({QFileInfo(picturePath_).fileName().toStdString(), picture_.Width(),
                                         picture_.Height(), &shown, &result, map});
    failure = SaveFile(path, html);
  } catch (const std::exception& error) {
    failure = QStringLiteral("%1 を保存できませんでした：%2").arg(path, QString::fromUtf8(error.what()));
  }
  QApplication::restoreOverrideCursor();
  if (failure) ShowMessage(*failure);
  return !failure;
}

TExplorerWindow* TForm1::ExplorerCommand() {
  if (explorer_ == nullptr) {
    explorer_ = new TExplorerWindow(this, {[this]() -> const TBitmap& { return picture_; },
                                           [this] {
                                             SpinEdit2->interpretText();
                                             return SpinEdit2->ReadValue();
                                           },
                                           [this](const TAnalysisParameters& parameters) { AnalyseWith(parameters); }});
  }
  explorer_->show();
  explorer_->raise();
  explorer_->activateWindow();
  return explorer_;
}

void TForm1::N6Click() {
  const QString help = QDir::current().absoluteFilePath(QStringLiteral("Morilux.chm"));
  if (QFileInfo::exists(help)) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(help)))
      ShowMessage(QStringLiteral("ヘルプファイル Morilux.chm を開けませんでした。"));
    return;
  }
  if (!help_) help_ = new THelpWindow(manualRoot_, this);
  if (const QString error = help_->OpenAtPage(PageControl1->currentWidget()->objectName()); !error.isEmpty())
    ShowMessage(error);
}

void TForm1::ShowMessage(const QString& text) {
  if (messageSink_) {
    messageSink_(text);
    return;
  }
  QMessageBox::warning(this, windowTitle(), text);
}
