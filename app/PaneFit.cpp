#include "PaneFit.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QLabel>
#include <QTabWidget>
#include <QWidget>

namespace {

// Room left to the right of and below the lowest and rightmost widget.
constexpr int kPageMargin = 8;
// An image pane's sunken frame reaches 8 pixels above and left of the pane
// and 13 below and right of it (441 x 441 around 420 x 420).
constexpr QMargins kFrameAround{8, 8, 13, 13};

int Scaled(int length, double scale) { return static_cast<int>(std::lround(length * scale)); }

QRect Scaled(const QRect& rect, double scale) {
  const int left = Scaled(rect.x(), scale);
  const int top = Scaled(rect.y(), scale);
  return {left, top, Scaled(rect.x() + rect.width(), scale) - left, Scaled(rect.y() + rect.height(), scale) - top};
}

}  // namespace

TPaneFit::TPaneFit(QTabWidget& pages) : QObject(&pages), control_(pages) {
  connect(&pages, &QTabWidget::currentChanged, this, [this] { LimitPages(); });
}

void TPaneFit::AddPage(QWidget& page) {
  pages_.push_back({&page, {}, {}});
  page.installEventFilter(this);
}

void TPaneFit::AddAnchored(QWidget& pane, const QRect& designed) {
  if (TPage* page = Find(*pane.parentWidget())) page->placed.push_back({&pane, designed, THow::Anchored, nullptr});
}

void TPaneFit::AddFrame(QWidget& frame, QWidget& pane) {
  if (TPage* page = Find(*frame.parentWidget())) page->placed.push_back({&frame, frame.geometry(), THow::Frame, &pane});
}

void TPaneFit::RecordDesign() {
  if (recorded_) return;
  recorded_ = true;
  QRect all;
  for (TPage& page : pages_) {
    for (QWidget* child : page.page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const bool known = std::any_of(page.placed.begin(), page.placed.end(),
                                     [child](const TPlaced& placed) { return placed.widget == child; });
      if (known) continue;
      const THow how = qobject_cast<QLabel*>(child) != nullptr ? THow::Caption : THow::Scaled;
      page.placed.push_back({child, child->geometry(), how, nullptr});
    }
    for (const TPlaced& placed : page.placed) {
      if (placed.how == THow::Scaled) page.band |= placed.designed;
      all |= placed.designed;
    }
  }
  minimum_ = QSize(all.right() + 1 + kPageMargin, all.bottom() + 1 + kPageMargin);
  SetFitted(fitted_);
}

void TPaneFit::SetFitted(bool fitted) {
  fitted_ = fitted;
  if (!recorded_) return;
  LimitPages();
  for (TPage& page : pages_) Place(page);
}

void TPaneFit::LimitPages() {
  if (!recorded_) return;
  const QSize smallest = fitted_ ? QSize(static_cast<int>(std::ceil(minimum_.width() * kSmallestScale)),
                                         static_cast<int>(std::ceil(minimum_.height() * kSmallestScale)))
                                 : minimum_;
  // The page control is as large as its largest page asks: only the page in
  // front asks.
  for (TPage& page : pages_) page.page->setMinimumSize(page.page == control_.currentWidget() ? smallest : QSize(0, 0));
}

double TPaneFit::ScaleOf(const QWidget& page) const {
  if (!fitted_) return 1;
  const double across = static_cast<double>(page.width()) / kDesignPage.width();
  const double down = static_cast<double>(page.height()) / kDesignPage.height();
  return std::max(kSmallestScale, std::min(across, down));
}

TPaneFit::TPage* TPaneFit::Find(const QWidget& page) {
  for (TPage& entry : pages_)
    if (entry.page == &page) return &entry;
  return nullptr;
}

void TPaneFit::Place(TPage& page) {
  const double scale = ScaleOf(*page.page);
  const QSize size = page.page->size();
  const QRect band = Scaled(page.band, scale);
  // Frames last: each follows its pane as just placed.
  for (const bool frames : {false, true})
    for (const TPlaced& placed : page.placed) {
      if (placed.widget == nullptr || (placed.how == THow::Frame) != frames) continue;
      const QRect& at = placed.designed;
      switch (placed.how) {
        case THow::Scaled: placed.widget->setGeometry(Scaled(at, scale)); break;
        case THow::Anchored: {
          // The distances from the right and bottom sides of the designed page, scaled.
          const QPoint from = Scaled(at, scale).topLeft();
          const int right = Scaled(kDesignPage.width() - at.x() - at.width(), scale);
          const int bottom = Scaled(kDesignPage.height() - at.y() - at.height(), scale);
          placed.widget->setGeometry(from.x(), from.y(), std::max(1, size.width() - from.x() - right),
                                     std::max(1, size.height() - from.y() - bottom));
          break;
        }
        case THow::Caption: {
          const bool below = !page.band.isEmpty() && at.y() > page.band.bottom();
          const int y = below ? band.bottom() + (at.y() - page.band.bottom()) : Scaled(at.y(), scale);
          placed.widget->move(Scaled(at.x(), scale), y);
          break;
        }
        case THow::Frame:
          if (placed.pane != nullptr) placed.widget->setGeometry(placed.pane->geometry() + kFrameAround);
          break;
      }
    }
}

bool TPaneFit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize)
    if (TPage* page = Find(*static_cast<QWidget*>(watched))) Place(*page);
  return false;
}
