#include "PageStates.h"
#include "UiLanguage.h"

#include <algorithm>
#include <array>

#include <QPainter>
#include <QProxyStyle>
#include <QPixmap>

namespace {

// The step in which a decode that stopped at each stage failed; none after a success.
constexpr std::array<std::optional<TStep>, kStageCount> kFailedStep = {{
    TStep::Binarization,  // Binarization
    TStep::FinderSearch,  // FinderSearch
    TStep::Version,       // Version
    TStep::Corners,       // Corners
    TStep::Sampling,      // Sampling
    TStep::Format,        // Format
    TStep::Correction,    // Codewords: only an uncorrectable block stops there
    TStep::Data,          // Data
    std::nullopt,         // Done
}};

}  // namespace

TPageState StateAfter(const TPageWork& work, TStage stoppedAt, bool decoded) {
  switch (work.kind) {
    case TPageWork::TKind::Load: return TPageState::None;
    case TPageWork::TKind::Outcome: return decoded ? TPageState::Succeeded : TPageState::Failed;
    case TPageWork::TKind::Stages: break;
  }
  const std::optional<TStep> failed = decoded ? std::nullopt : kFailedStep[static_cast<std::size_t>(stoppedAt)];
  if (!failed) return TPageState::Succeeded;
  if (std::find(work.steps.begin(), work.steps.end(), *failed) != work.steps.end()) return TPageState::Failed;
  const bool allBefore = std::all_of(work.steps.begin(), work.steps.end(), [&](TStep s) { return s < *failed; });
  return allBefore ? TPageState::Succeeded : TPageState::NotRun;
}

TPageState StageStateAfter(TStage stage, TStage stoppedAt, bool decoded) {
  const std::optional<TStep> step = kFailedStep[static_cast<std::size_t>(stage)];
  if (!step) return decoded ? TPageState::Succeeded : TPageState::Failed;
  return StateAfter({TPageWork::TKind::Stages, {*step}}, stoppedAt, decoded);
}

void TPageStates::Loaded() { ++generation_; }

void TPageStates::Analysed(TStage stoppedAt, bool decoded) {
  analysedAt_ = generation_;
  for (const TPage& page : Pages()) {
    if (page.work.kind == TPageWork::TKind::Load) continue;
    TEntry& entry = entries_[std::string(page.objectName)];
    entry.last = StateAfter(page.work, stoppedAt, decoded);
    if (entry.last == TPageState::Succeeded || entry.last == TPageState::Failed || page.work.redrawn)
      entry.drawnFrom = generation_;
  }
}

TPageState TPageStates::State(std::string_view page) const {
  const TPage* found = FindPage(page);
  if (found == nullptr) return TPageState::None;
  if (found->work.kind == TPageWork::TKind::Load) return generation_ > 0 ? TPageState::Succeeded : TPageState::None;
  const auto entry = entries_.find(page);
  if (entry == entries_.end()) return TPageState::None;
  if (entry->second.drawnFrom && *entry->second.drawnFrom < generation_) return TPageState::Stale;
  return entry->second.last;
}

namespace {

// An icon: a disc (filled, with white strokes) or a ring (strokes in its own
// colour), and the strokes as polylines on a 16 x 16 grid.
struct TIconShape {
  QColor colour;
  bool filled;
  std::vector<std::vector<QPointF>> strokes;
};

QIcon DrawIcon(const TIconShape& shape) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(shape.colour, shape.filled ? 1 : 2));
  painter.setBrush(shape.filled ? QBrush(shape.colour) : QBrush(Qt::NoBrush));
  painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  painter.setPen(QPen(shape.filled ? QColor(Qt::white) : shape.colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  for (const std::vector<QPointF>& stroke : shape.strokes) painter.drawPolyline(stroke.data(), static_cast<int>(stroke.size()));
  painter.end();
  return QIcon(pixmap);
}

}  // namespace

QIcon StateIcon(TPageState state) {
  // Shapes differ as well as colours, so that the states can be told apart
  // without telling red from green.
  switch (state) {
    case TPageState::None: return {};
    case TPageState::Succeeded: return DrawIcon({QColor(0x2E, 0x9D, 0x3A), true, {{{4.5, 8.5}, {7, 11}, {11.5, 5.5}}}});
    case TPageState::Failed: return DrawIcon({QColor(0xD3, 0x2F, 0x2F), true, {{{5, 5}, {11, 11}}, {{11, 5}, {5, 11}}}});
    case TPageState::NotRun: return DrawIcon({QColor(0x9E, 0x9E, 0x9E), false, {{{5.5, 8}, {10.5, 8}}}});
    // Clock hands: drawn from an earlier picture.
    case TPageState::Stale: return DrawIcon({QColor(0xE0, 0x8E, 0x00), true, {{{8, 4.5}, {8, 8}, {10.5, 9.5}}}});
  }
  return {};
}

namespace {

class TCompactTabStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_TabBarTabHSpace) return QProxyStyle::pixelMetric(metric, option, widget) / 2;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

}  // namespace

void MakeRoomForStateIcons(QTabBar& tabs) {
  auto* style = new TCompactTabStyle;
  style->setParent(&tabs);
  tabs.setStyle(style);
  tabs.setIconSize(QSize(12, 12));
}

QString StateText(TPageState state) {
  switch (state) {
    case TPageState::None: return {};
    case TPageState::Succeeded: return Ui(QStringLiteral("最後の解析で成功しました"));
    case TPageState::Failed: return Ui(QStringLiteral("最後の解析はこのページの段階で失敗しました"));
    case TPageState::NotRun: return Ui(QStringLiteral("最後の解析ではこの段階まで進みませんでした（前の結果のままです）"));
    case TPageState::Stale: return Ui(QStringLiteral("前に読み込んだ画像の結果です（今の画像では解析していません）"));
  }
  return {};
}
