#include "PaneTools.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QUrl>
#include <QVBoxLayout>

#include "ImageView.h"
#include "MenuAction.h"
#include "PaneLegends.h"
#include "PictureFiles.h"
#include "SaveFile.h"
#include "WindowSurfaces.h"
#include "decoder/Decorder.h"
#include "decoder/Veltrix.h"
#include "picture/PictureLoader.h"
#include "picture/QtPicture.h"
#include "symbol/Versions.h"
#include "UiLanguage.h"

namespace {

// Panes that show the same picture, or pictures of the same kind and size,
// and can follow each other's view: the loaded picture, the binary plane and
// its marks, the module matrices.
int GroupOf(TImagePaneId pane) {
  using enum TImagePaneId;
  switch (pane) {
    case Image1:
    case Image2: return 0;
    case FrontImage:
    case ClossLineImage:
    case TimeImage:
    case AdjustImage: return 1;
    case DigitImage:
    case BlockImage:
    case MaskImage:
    case ResultImage: return 2;
  }
  return -1;
}

QString Name(TImagePaneId pane) { return QString::fromLatin1(PaneName(pane).data(), static_cast<qsizetype>(PaneName(pane).size())); }
QString Name(TTextPaneId pane) { return QString::fromLatin1(PaneName(pane).data(), static_cast<qsizetype>(PaneName(pane).size())); }

TUiText ZoomText(const TImageView& view) {
  if (view.Stretched()) return Ui(QStringLiteral("引き伸ばし表示"));
  return Ui(QStringLiteral("倍率 ×%1")).arg(view.Zoom(), 0, 'g', 3);
}

// The readout of a pixel of `picture` shown in `view`: a module's facts on
// the module panes, else the pixel's position and colour.
TUiText ReadoutText(const TBitmap& picture, const TModuleMap* map, QPoint pixel, const TImageView& view) {
  if (!picture.Contains(pixel.x(), pixel.y())) return Verbatim(QString());
  TUiText text = Verbatim(QString());
  if (map != nullptr && map->Size() == picture.Width() && map->Size() == picture.Height()) {
    text = DescribeModule(pixel, map->At(pixel.x(), pixel.y()));
  } else {
    const TColor colour = picture.Pixel(pixel.x(), pixel.y());
    text = Ui(QStringLiteral("画素 x %1・y %2：R %3 G %4 B %5"))
               .arg(pixel.x())
               .arg(pixel.y())
               .arg(colour & 0xFFu)
               .arg((colour >> 8) & 0xFFu)
               .arg((colour >> 16) & 0xFFu);
  }
  return text + Ui(QStringLiteral("　［%1］")).arg(ZoomText(view));
}

QString DroppedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return {};
  const QUrl url = data->urls().constFirst();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

// Files dropped anywhere on the window go to the load command; the filter sits
// on the application so that panes and fields that take drops of their own do
// not keep them.
class TPaneTools::TDropFilter : public QObject {
 public:
  explicit TDropFilter(TPaneTools& owner) : QObject(&owner), owner_(owner) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != &owner_.window_) return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QString path = DroppedFile(drop->mimeData());
    if (path.isEmpty()) return false;
    drop->acceptProposedAction();
    if (type == QEvent::Drop) owner_.Dropped(path);
    return true;
  }

 private:
  TPaneTools& owner_;
};

TPaneTools::TPaneTools(QMainWindow& window, TWindowSurfaces& surfaces, QTabWidget& pages, THooks hooks)
    : QObject(&window), window_(window), surfaces_(surfaces), pages_(pages), hooks_(std::move(hooks)) {
  export_ = new TPaneExport(window, surfaces, hooks_.message);
  readout_ = new QLabel(window.statusBar());
  readout_->setObjectName(QStringLiteral("StatusPanel2"));
  readout_->setMinimumWidth(120);
  window.statusBar()->addWidget(readout_, 2);

  marksAction_ = new QAction(Ui(QStringLiteral("印を表示")), this);
  marksAction_->setObjectName(QStringLiteral("MarksAction"));
  marksAction_->setCheckable(true);
  marksAction_->setChecked(true);
  marksAction_->setToolTip(Ui(QStringLiteral("段階が描いた印（線、点、節点の輪）を縮小しても見えるように重ねて表示します")));
  connect(marksAction_, &QAction::toggled, this, [this](bool shown) {
    for (std::size_t i = 0; i < kImagePaneCount; ++i)
      if (TImageView* view = surfaces_.View(static_cast<TImagePaneId>(i))) view->SetMarksShown(shown);
  });
  linkAction_ = new QAction(Ui(QStringLiteral("同じ種類の画像の表示を連動")), this);
  linkAction_->setObjectName(QStringLiteral("LinkViewsAction"));
  linkAction_->setCheckable(true);
  linkAction_->setChecked(true);
  linkAction_->setToolTip(Ui(QStringLiteral("同じ大きさの二値画像どうし、モジュール画像どうしの拡大と位置をそろえます")));

  for (std::size_t i = 0; i < kImagePaneCount; ++i) BindView(static_cast<TImagePaneId>(i));
  for (std::size_t i = 0; i < kTextPaneCount; ++i) {
    const auto pane = static_cast<TTextPaneId>(i);
    TMemo* memo = surfaces_.Memo(pane);
    if (memo == nullptr) continue;
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo, &QWidget::customContextMenuRequested, this, [this, memo, pane](const QPoint& at) {
      std::unique_ptr<QMenu> menu(memo->createStandardContextMenu(at));
      FillTextMenu(*menu, pane);
      menu->exec(memo->viewport()->mapToGlobal(at));
    });
  }
  if (TMemo* listing = surfaces_.Memo(TTextPaneId::BLMemo))
    connect(listing, &QPlainTextEdit::cursorPositionChanged, this, [this] { ListingLineChosen(); });
  AddLegends();
  MakeRoomForStateIcons(*pages.tabBar());

  window.setAcceptDrops(true);
  QApplication::instance()->installEventFilter(new TDropFilter(*this));
}

TPaneTools::~TPaneTools() = default;

void TPaneTools::BindView(TImagePaneId pane) {
  TImageView* view = surfaces_.View(pane);
  if (view == nullptr) return;
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view, &QWidget::customContextMenuRequested, this, [this, view, pane](const QPoint& at) {
    QMenu menu;
    FillImageMenu(menu, pane);
    menu.exec(view->mapToGlobal(at));
  });
  connect(view, &TImageView::PixelHovered, this, [this, pane](QPoint pixel) { Hovered(pane, pixel); });
  connect(view, &TImageView::HoverLeft, this, [this, pane] {
    readout_->setText(TranslatedText(restingReadout_, UiLanguage()));
    if (pane == TImagePaneId::BlockImage) ShowCodeword(pinnedCodeword_);
  });
  connect(view, &TImageView::PixelClicked, this, [this, pane](QPoint pixel) { Clicked(pane, pixel); });
  connect(view, &TImageView::ViewChanged, this, [this, pane] { Follow(pane); });
}

void TPaneTools::AddLegends() {
  for (const TLegend& legend : Legends()) {
    TImageView* view = surfaces_.View(legend.pane);
    if (view == nullptr || view->parentWidget() == nullptr) continue;
    auto* label = new QLabel(LegendText(legend), view->parentWidget());
    label->setObjectName(Name(legend.pane) + QStringLiteral("Legend"));
    label->setTextFormat(Qt::RichText);
    // Below the pane's sunken frame, which reaches 13 pixels below the pane.
    label->move(view->x() - 8, view->y() + view->height() + 16);
    label->adjustSize();
  }
}

void TPaneTools::Loaded() {
  for (std::size_t i = 0; i < kImagePaneCount; ++i)
    if (TImageView* view = surfaces_.View(static_cast<TImagePaneId>(i))) view->ShowStretched();
  states_.Loaded();
  ShowStates();
}

void TPaneTools::Analysed(const TAnalysisResult& result, const TVeltrix& decoder, const std::vector<TImagePaneId>& redrawn) {
  const auto drew = [&](TImagePaneId pane) { return std::find(redrawn.begin(), redrawn.end(), pane) != redrawn.end(); };
  // The codewords were read, and the blocks laid out, from the codeword stage on.
  const bool read = result.stage >= TStage::Codewords;
  std::shared_ptr<const TModuleMap> map;
  for (const TImagePaneId pane : {TImagePaneId::DigitImage, TImagePaneId::BlockImage, TImagePaneId::MaskImage,
                                  TImagePaneId::ResultImage}) {
    if (!drew(pane)) continue;
    const std::int32_t side = surfaces_.View(pane)->PictureSize().width();
    if (!map || map->Size() != side) {
      map.reset();
      try {
        map = std::make_shared<const TModuleMap>(
            VersionOfSide(side), read ? decoder.Driver().BlockLayout() : std::vector<TBlockLayout>{},
            read ? std::optional<std::size_t>(result.listingStart) : std::nullopt);
        if (map->Size() != side) map.reset();
      } catch (const std::exception&) {
        // Not a matrix of any version: the pane reads out pixels only.
      }
    }
    maps_[static_cast<std::size_t>(pane)] = map;
  }
  if (drew(TImagePaneId::BlockImage)) {
    pinnedCodeword_ = -1;
    ShowCodeword(-1);
  }
  if (drew(TImagePaneId::AdjustImage)) {
    const TPlanePoint& grid = decoder.Driver().SamplingGrid();
    std::vector<TPoint> nodes;
    nodes.reserve(static_cast<std::size_t>(grid.Width()) * static_cast<std::size_t>(grid.Height()));
    for (std::int32_t j = 0; j < grid.Height(); ++j)
      for (std::int32_t i = 0; i < grid.Width(); ++i) nodes.push_back(grid[i][j]);
    surfaces_.View(TImagePaneId::AdjustImage)->SetNodes(std::move(nodes));
  }
  states_.Analysed(result.stage, result.decoded);
  ShowStates();
}

void TPaneTools::ShowStates() {
  for (int i = 0; i < pages_.count(); ++i) {
    const TPageState state = states_.State(pages_.widget(i)->objectName().toStdString());
    pages_.setTabIcon(i, StateIcon(state));
    pages_.tabBar()->setTabToolTip(i, StateText(state));
  }
}

QString TPaneTools::Readout(TImagePaneId pane, QPoint pixel) const {
  const TImageView* view = surfaces_.View(pane);
  if (view == nullptr) return {};
  return ReadoutText(view->Picture(), maps_[static_cast<std::size_t>(pane)].get(), pixel, *view);
}

void TPaneTools::SetRestingReadout(const QString& text) {
  if (text == restingReadout_) return;
  restingReadout_ = text;
  readout_->setText(text);
}

TModuleFacts TPaneTools::ModuleFacts(TImagePaneId pane, QPoint module) const {
  const TModuleMap* map = maps_[static_cast<std::size_t>(pane)].get();
  return map != nullptr ? map->At(module.x(), module.y()) : TModuleFacts{};
}

void TPaneTools::Hovered(TImagePaneId pane, QPoint pixel) {
  readout_->setText(Readout(pane, pixel));
  if (pane != TImagePaneId::BlockImage) return;
  const TModuleFacts facts = ModuleFacts(pane, pixel);
  ShowCodeword(facts.kind == TModuleFacts::TKind::Data ? facts.codeword : pinnedCodeword_);
}

void TPaneTools::Clicked(TImagePaneId pane, QPoint pixel) {
  if (pane != TImagePaneId::BlockImage) return;
  const TModuleFacts facts = ModuleFacts(pane, pixel);
  pinnedCodeword_ = facts.kind == TModuleFacts::TKind::Data ? facts.codeword : -1;
  ShowCodeword(pinnedCodeword_);
  TMemo* listing = surfaces_.Memo(TTextPaneId::BLMemo);
  if (listing == nullptr || facts.listingLine < 0) return;
  const QTextBlock line = listing->document()->findBlockByNumber(static_cast<int>(facts.listingLine));
  if (!line.isValid()) return;
  QTextCursor cursor(line);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  listing->setTextCursor(cursor);
  listing->ensureCursorVisible();
}

void TPaneTools::ListingLineChosen() {
  const TMemo* listing = surfaces_.Memo(TTextPaneId::BLMemo);
  const TModuleMap* map = maps_[static_cast<std::size_t>(TImagePaneId::BlockImage)].get();
  const int line = listing->textCursor().blockNumber();
  pinnedCodeword_ = map != nullptr && line >= 0 ? map->CodewordOnLine(static_cast<std::size_t>(line)) : -1;
  ShowCodeword(pinnedCodeword_);
}

void TPaneTools::ShowCodeword(std::int32_t codeword) {
  const TModuleMap* map = maps_[static_cast<std::size_t>(TImagePaneId::BlockImage)].get();
  shownCodeword_ = map != nullptr ? codeword : -1;
  if (TImageView* view = surfaces_.View(TImagePaneId::BlockImage))
    view->SetHighlight(map != nullptr ? map->ModulesOf(codeword) : std::vector<TPoint>{});
}

void TPaneTools::Follow(TImagePaneId pane) {
  if (following_ || !linkAction_->isChecked()) return;
  following_ = true;
  const TImageView* leader = surfaces_.View(pane);
  for (std::size_t i = 0; i < kImagePaneCount; ++i) {
    const auto other = static_cast<TImagePaneId>(i);
    TImageView* view = surfaces_.View(other);
    if (other == pane || view == nullptr || GroupOf(other) != GroupOf(pane) || view->PictureSize() != leader->PictureSize() ||
        view->size() != leader->size())
      continue;
    if (leader->Stretched())
      view->ShowStretched();
    else
      view->SetZoom(leader->Zoom(), leader->Origin());
  }
  following_ = false;
}

void TPaneTools::Dropped(const QString& path) {
  if (IsPictureFileName(QFile::encodeName(path).toStdString())) {
    surfaces_.SetStatus(1, "");
    hooks_.load(path);
    return;
  }
  surfaces_.SetStatus(1, NotAPictureText(path).toStdString());
}

QWidget* TPaneTools::OpenEnlarged(TImagePaneId pane) {
  const TImageView* source = surfaces_.View(pane);
  if (source == nullptr) return nullptr;
  auto* window = new QWidget(&window_, Qt::Window);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setObjectName(Name(pane) + QStringLiteral("Window"));
  window->setWindowTitle(QStringLiteral("%1 — Morilux").arg(Name(pane)));
  auto* column = new QVBoxLayout(window);
  auto* view = new TImageView(window);
  view->setObjectName(Name(pane));
  auto* readout = new QLabel(window);
  column->addWidget(view, 1);
  column->addWidget(readout);
  // A picture of its own: the window keeps showing it after the next analysis.
  const TBitmap picture = source->Picture();
  const std::shared_ptr<const TModuleMap> map = maps_[static_cast<std::size_t>(pane)];
  view->SetPicture(picture);
  view->SetNodes(source->Nodes());
  view->SetMarksShown(marksAction_->isChecked());
  connect(marksAction_, &QAction::toggled, view, &TImageView::SetMarksShown);
  connect(view, &TImageView::PixelHovered, readout,
          [readout, view, picture, map](QPoint pixel) { readout->setText(ReadoutText(picture, map.get(), pixel, *view)); });
  connect(view, &TImageView::HoverLeft, readout, &QLabel::clear);
  window->resize(800, 800);
  window->show();
  return window;
}

void TPaneTools::FillImageMenu(QMenu& menu, TImagePaneId pane) {
  TImageView* view = surfaces_.View(pane);
  if (view == nullptr) return;
  const bool empty = view->Picture().Empty();
  const auto add = [&](const QString& text, const char* name, auto run) {
    return AddMenuAction(menu, text, name, !empty, this, std::move(run));
  };
  add(Ui(QStringLiteral("引き伸ばし表示に戻す（ダブルクリック、0）")), "ShowStretchedAction", [view] { view->ShowStretched(); })
      ->setEnabled(!view->Stretched());
  add(Ui(QStringLiteral("等倍で表示（1）")), "ActualSizeAction", [view] { view->ShowActualSize(); });
  menu.addAction(marksAction_);
  menu.addAction(linkAction_);
  add(Ui(QStringLiteral("別のウィンドウで表示")), "EnlargedWindowAction", [this, pane] { OpenEnlarged(pane); });
  menu.addSeparator();
  export_->FillImageMenu(menu, pane);
}

void TPaneTools::FillTextMenu(QMenu& menu, TTextPaneId pane) {
  menu.addSeparator();
  QAction* copy = menu.addAction(Ui(QStringLiteral("すべてコピー")));
  copy->setObjectName(QStringLiteral("CopyAllTextAction"));
  connect(copy, &QAction::triggered, this, [this, pane] {
    QStringList lines;
    for (const std::string& line : surfaces_.Text(pane).Lines()) lines << QString::fromStdString(line);
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
  });
  QAction* save = menu.addAction(Ui(QStringLiteral("テキストとして保存（UTF-8）…")));
  save->setObjectName(QStringLiteral("SaveTextAction"));
  connect(save, &QAction::triggered, this, [this, pane] {
    const QString path = ChooseFile(Ui(QStringLiteral("テキストを保存")), QDir::current().filePath(Name(pane) + QStringLiteral(".txt")),
                                    Ui(QStringLiteral("テキスト (*.txt)")));
    if (!path.isEmpty()) SaveText(pane, path);
  });
}
