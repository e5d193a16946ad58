#include "FlowLayout.h"

#include <algorithm>

#include <QBoxLayout>
#include <QEvent>
#include <QWidget>

TFlowLayout::TFlowLayout(int spacing) : spacing_(spacing) { setContentsMargins(0, 0, 0, 0); }

TFlowLayout::~TFlowLayout() {
  for (QLayoutItem* item : items_) delete item;
}

void TFlowLayout::addItem(QLayoutItem* item) { items_.push_back(item); }

QLayoutItem* TFlowLayout::itemAt(int index) const {
  return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)] : nullptr;
}

QLayoutItem* TFlowLayout::takeAt(int index) {
  if (index < 0 || index >= count()) return nullptr;
  QLayoutItem* item = items_[static_cast<std::size_t>(index)];
  items_.erase(items_.begin() + index);
  return item;
}

int TFlowLayout::heightForWidth(int width) const { return Arrange(QRect(0, 0, width, 0), false); }

QSize TFlowLayout::minimumSize() const {
  QSize size;
  for (const QLayoutItem* item : items_) size = size.expandedTo(item->minimumSize());
  return size;
}

QSize TFlowLayout::sizeHint() const {
  int width = 0;
  int height = 0;
  for (const QLayoutItem* item : items_) {
    if (item->isEmpty()) continue;
    width += (width > 0 ? spacing_ : 0) + item->sizeHint().width();
    height = std::max(height, item->sizeHint().height());
  }
  return {width, height};
}

void TFlowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  Arrange(rect, true);
}

int TFlowLayout::Arrange(const QRect& rect, bool apply) const {
  // One line at a time: the items that fit, then each given the line's
  // height, as a box layout gives its row's.
  int top = rect.y();
  std::size_t first = 0;
  while (first < items_.size()) {
    std::size_t end = first;
    int width = 0;
    int height = 0;
    for (; end < items_.size(); ++end) {
      const QLayoutItem* item = items_[end];
      if (item->isEmpty()) continue;
      const int wider = width + (width > 0 ? spacing_ : 0) + item->sizeHint().width();
      if (width > 0 && wider > rect.width()) break;
      width = wider;
      height = std::max(height, item->sizeHint().height());
    }
    if (apply) {
      int x = rect.x();
      for (std::size_t i = first; i < end; ++i) {
        QLayoutItem* item = items_[i];
        if (item->isEmpty()) continue;
        item->setGeometry(QRect(x, top, item->sizeHint().width(), height));
        x += item->sizeHint().width() + spacing_;
      }
    }
    top += height + (end < items_.size() ? spacing_ : 0);
    first = end;
  }
  return top - rect.y();
}

namespace {

class TStackWhenNarrow : public QObject {
 public:
  TStackWhenNarrow(QBoxLayout& row, QWidget& space) : QObject(&space), row_(row), space_(space) {
    space.installEventFilter(this);
    // A widget of the row shown or hidden changes the width it needs.
    if (QWidget* content = row.parentWidget()) content->installEventFilter(this);
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)
      row_.setDirection(space_.width() >= Needed() ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    return false;
  }

 private:
  // The width the row takes side by side, with the margins of the layout around it.
  int Needed() const {
    int width = 0;
    int shown = 0;
    for (int i = 0; i < row_.count(); ++i) {
      const QLayoutItem* item = row_.itemAt(i);
      if (item->isEmpty()) continue;
      width += item->minimumSize().width();
      ++shown;
    }
    width += std::max(0, shown - 1) * row_.spacing();
    if (const QWidget* content = row_.parentWidget(); content != nullptr && content->layout() != nullptr) {
      const QMargins around = content->layout()->contentsMargins();
      width += around.left() + around.right();
    }
    return width;
  }

  QBoxLayout& row_;
  QWidget& space_;
};

}  // namespace

void StackWhenNarrow(QBoxLayout& row, QWidget& space) { new TStackWhenNarrow(row, space); }
