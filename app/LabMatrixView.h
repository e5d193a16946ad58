#pragma once

#include <functional>
#include <vector>

#include <QWidget>

#include "common/Types.h"

class TLabMatrix;

// The lab's module matrix, drawn a square a module with a light margin of
// two modules: dark and light as changed now, a changed module framed in red,
// a module marked unreadable crossed in grey, the modules of the wrong
// codewords of the last decode tinted orange and those of one chosen codeword
// (the reading-order step) framed in blue.
//
// The mouse changes the matrix: a click flips a module, a drag paints every
// module it passes with the value the first one took; in erasure mode a click
// or a drag marks modules unreadable (or readable again, when the first was
// marked). A stroke is one step of the matrix; `changed` follows it. A
// right click on a module of a codeword hands that codeword to `codewordChosen`.
class TLabMatrixView : public QWidget {
  Q_OBJECT

 public:
  explicit TLabMatrixView(QWidget* parent = nullptr);

  // The matrix shown and changed (not owned; nullptr shows nothing).
  void SetMatrix(TLabMatrix* matrix);
  void SetErasing(bool erasing) { erasing_ = erasing; }
  bool Erasing() const { return erasing_; }
  // Reading-order places of the codewords to tint, and the one to frame (-1: none).
  void SetMarks(std::vector<std::int32_t> wrong, std::int32_t highlighted);
  // Pixels a module is drawn at now, and the module under a point of the widget.
  int ModulePixels() const;
  TPoint ModuleAt(QPoint point) const;
  // The centre of a module in widget coordinates, for tests and tools.
  QPoint CentreOf(TPoint module) const;

  std::function<void()> changed;
  // A right click on a module of a codeword: that codeword's place in reading order.
  std::function<void(std::int32_t)> codewordChosen;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void EndStroke();

  TLabMatrix* matrix_ = nullptr;
  bool erasing_ = false;
  std::vector<std::int32_t> wrong_;
  std::int32_t highlighted_ = -1;
  // The stroke under way: the modules passed, the value they take.
  bool stroking_ = false;
  bool strokeValue_ = false;
  std::vector<TPoint> stroke_;
};
