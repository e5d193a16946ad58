#pragma once

#include <vector>

#include <QLayout>

class QBoxLayout;
class QWidget;

// A row of widgets, each at its preferred width, left to right with a fixed
// spacing, that continues on the next line where the row would run past the
// right edge. In a wide enough space it places every widget as a horizontal
// box layout ending in a stretch would; in a narrow one it wraps instead of
// making its parent wider.
class TFlowLayout : public QLayout {
 public:
  explicit TFlowLayout(int spacing);
  ~TFlowLayout() override;

  void addItem(QLayoutItem* item) override;
  int count() const override { return static_cast<int>(items_.size()); }
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  Qt::Orientations expandingDirections() const override { return {}; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize minimumSize() const override;
  QSize sizeHint() const override;
  void setGeometry(const QRect& rect) override;

 private:
  // Places the items in `rect` (when `apply`) and returns the height used.
  int Arrange(const QRect& rect, bool apply) const;

  std::vector<QLayoutItem*> items_;
  int spacing_;
};

// Lays `row` out left to right while `space` (the viewport of a scroll area
// whose content holds the row) is wide enough for the row's widgets at their
// smallest widths, and top to bottom when it is not, so that a row of wide
// widgets never makes the content wider than the window.
void StackWhenNarrow(QBoxLayout& row, QWidget& space);
