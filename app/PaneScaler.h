#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QImage>
#include <QSize>

#include "common/Bitmap.h"

// How a pane maps its picture onto the display: for each display column (or
// row) the picture pixels [begin, end) it shows. Shrinking gives boxes of
// several pixels, which are averaged; enlarging gives one pixel, repeated over
// several display positions (crisp squares). A position beside the picture
// has an empty box and shows the background.
struct TBox {
  std::int32_t begin = 0;
  std::int32_t end = 0;
  bool Empty() const { return end <= begin; }
};
using TAxis = std::vector<TBox>;

// The stretched view: the source shared equally among the display positions,
// at least one pixel each.
TAxis StretchedAxis(std::int32_t source, std::int32_t display);
// A view of `zoom` display pixels per picture pixel whose first display
// position starts at picture coordinate `origin`. Enlarged, each display
// pixel shows the picture pixel under its centre.
TAxis ZoomedAxis(std::int32_t source, std::int32_t display, double zoom, double origin);
// The display positions [first, last) whose boxes hold picture position
// `source`; empty (first == last) when none does.
std::pair<std::int32_t, std::int32_t> DisplaySpan(const TAxis& axis, std::int32_t source);

// The picture through the two axes: each display pixel the average of its
// box (no full-size copy is made), `background` beside the picture.
QImage RenderBoxes(const TBitmap& picture, const TAxis& columns, const TAxis& rows, QRgb background);

// Paints every pixel painted over a picture's plane (triangle lines, timing
// samples, nodes, sampling points) onto all display pixels whose boxes hold
// it, in its own colour instead of the box's average: marks stay visible
// however far the picture is shrunk. Along an axis where a mark covers fewer
// than `minWidth` display pixels and, past the marks that touch it, no other
// mark lies within twice that, it is widened to that many about its place: a
// one-pixel line of a shrunk photograph shows `minWidth` pixels thick, a lone
// point as a square, while separate marks closer together (a shrunk grid of
// sampling points) keep their own pixels. A mark's own display pixels keep its colour over a neighbour's
// widening. Returns the number of marks painted.
std::size_t PaintMarks(QImage& image, const TBitmap& picture, const TAxis& columns, const TAxis& rows, int minWidth = 1);

// Stretches pictures to the size of a pane, the aspect ratio not kept.
// Shrinking averages the pixels of each box (a 1-pixel line of a photograph
// stays visible); enlarging repeats pixels, so that module matrices keep sharp
// edges. No full-size copy of a picture is made. The panes that show the same
// binary plane share the count of its dark pixels per box, and only the pixels
// painted over it are looked at for each pane; a picture shown on two panes
// is shrunk once.
class TPaneScaler {
 public:
  QImage Scale(const TBitmap& picture, QSize size);

 private:
  // The last picture shrunk, for a second pane that shows it.
  TBitmap lastPicture_;
  QSize lastSize_;
  QImage lastImage_;
  // Dark pixels per box of the last plane, for the next pane over the same plane.
  std::shared_ptr<const TPlaneBoolean> plane_;
  std::int32_t planeWidth_ = 0;
  std::int32_t planeHeight_ = 0;
  QSize planeSize_;
  std::vector<std::uint32_t> darkCounts_;
};
