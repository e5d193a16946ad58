#include "PaneScaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "picture/QtPicture.h"

namespace {

// The picture positions that the non-empty boxes of an axis cover, [begin, end).
struct TSpan {
  std::int32_t begin = 0;
  std::int32_t end = 0;
  std::size_t Length() const { return end > begin ? static_cast<std::size_t>(end - begin) : 0; }
};

TSpan Covered(const TAxis& axis) {
  TSpan span{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()};
  for (const TBox& box : axis) {
    if (box.Empty()) continue;
    span.begin = std::min(span.begin, box.begin);
    span.end = std::max(span.end, box.end);
  }
  return span.end > span.begin ? span : TSpan{};
}

// sums[i] = bytes[i] for the first row of a box, sums[i] += bytes[i] for the
// others; and the same for the darkness of plane rows. The arrays never
// overlap, which lets the compiler use vector instructions (a byte pointer
// might otherwise alias anything).
template <typename Sum>
void AddBytes(Sum* __restrict sums, const std::uint8_t* __restrict bytes, std::size_t count, bool first) {
  if (first)
    for (std::size_t i = 0; i < count; ++i) sums[i] = bytes[i];
  else
    for (std::size_t i = 0; i < count; ++i) sums[i] = static_cast<Sum>(sums[i] + bytes[i]);
}

template <typename Sum>
void AddDark(Sum* __restrict counts, const std::uint8_t* __restrict dark, std::size_t count, bool first) {
  if (first)
    for (std::size_t i = 0; i < count; ++i) counts[i] = dark[i] != 0 ? 1 : 0;
  else
    for (std::size_t i = 0; i < count; ++i) counts[i] = static_cast<Sum>(counts[i] + (dark[i] != 0 ? 1 : 0));
}

// Sixteen-bit sums suffice (and take half the vector instructions) while a
// box spans at most 257 rows of bytes.
bool ShortSums(const TAxis& rows) {
  for (const TBox& row : rows)
    if (row.end - row.begin > 257) return false;
  return true;
}

std::uint64_t Area(const TBox& column, const TBox& row) {
  return static_cast<std::uint64_t>(column.end - column.begin) * static_cast<std::uint64_t>(row.end - row.begin);
}

QRgb Average(std::uint64_t red, std::uint64_t green, std::uint64_t blue, std::uint64_t count) {
  const std::uint64_t half = count / 2;
  return qRgb(static_cast<int>((red + half) / count), static_cast<int>((green + half) / count),
              static_cast<int>((blue + half) / count));
}

bool SameBox(const TBox& a, const TBox& b) { return a.begin == b.begin && a.end == b.end; }

// Pictures of colour values (packed or four bytes a pixel). Column sums of
// red, green and blue over the rows of one box row first, three to a pixel as
// in a packed row, then the sums of each box from them. Display rows that
// show the same picture rows (an enlarged view) are copied.
template <typename Sum>
QImage AverageColours(const TBitmap& picture, const TAxis& columns, const TAxis& rows, QRgb background) {
  const TSpan span = Covered(columns);
  const std::size_t width = span.Length();
  QImage image(static_cast<int>(columns.size()), static_cast<int>(rows.size()), QImage::Format_RGB32);
  std::vector<TColor> scratch(static_cast<std::size_t>(picture.Width()));
  std::vector<Sum> sums(width * 3);
  const TBox* previous = nullptr;
  for (int y = 0; y < image.height(); ++y) {
    auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
    const TBox& row = rows[static_cast<std::size_t>(y)];
    if (row.Empty() || width == 0) {
      std::fill_n(target, image.width(), background);
      previous = nullptr;
      continue;
    }
    if (previous != nullptr && SameBox(*previous, row)) {
      std::memcpy(target, image.constScanLine(y - 1), static_cast<std::size_t>(image.bytesPerLine()));
      continue;
    }
    previous = &row;
    for (std::int32_t sourceY = row.begin; sourceY < row.end; ++sourceY) {
      const bool first = sourceY == row.begin;
      if (const std::uint8_t* rgb = picture.PackedRow(sourceY)) {
        AddBytes(sums.data(), rgb + 3 * static_cast<std::size_t>(span.begin), width * 3, first);
      } else {
        if (first) std::fill(sums.begin(), sums.end(), 0);
        const TColor* source = picture.ReadRow(sourceY, scratch.data()) + span.begin;
        for (std::size_t x = 0; x < width; ++x) {
          const TColor c = source[x];
          sums[3 * x] = static_cast<Sum>(sums[3 * x] + (c & 0xFFu));
          sums[3 * x + 1] = static_cast<Sum>(sums[3 * x + 1] + ((c >> 8) & 0xFFu));
          sums[3 * x + 2] = static_cast<Sum>(sums[3 * x + 2] + ((c >> 16) & 0xFFu));
        }
      }
    }
    for (int x = 0; x < image.width(); ++x) {
      const TBox& column = columns[static_cast<std::size_t>(x)];
      if (column.Empty()) {
        target[x] = background;
        continue;
      }
      std::uint64_t r = 0, g = 0, b = 0;
      for (std::int32_t i = column.begin - span.begin; i < column.end - span.begin; ++i) {
        r += sums[3 * static_cast<std::size_t>(i)];
        g += sums[3 * static_cast<std::size_t>(i) + 1];
        b += sums[3 * static_cast<std::size_t>(i) + 2];
      }
      target[x] = Average(r, g, b, Area(column, row));
    }
  }
  return image;
}

// Dark pixels of the plane in every box, row after row of boxes.
std::vector<std::uint32_t> DarkCounts(const TPlaneBoolean& plane, const TAxis& columns, const TAxis& rows) {
  const TSpan span = Covered(columns);
  const std::size_t width = span.Length();
  const std::size_t boxesPerRow = columns.size();
  std::vector<std::uint32_t> counts(boxesPerRow * rows.size(), 0);
  std::vector<std::uint32_t> dark(width);
  const TBox* previous = nullptr;
  for (std::size_t y = 0; y < rows.size(); ++y) {
    const TBox& row = rows[y];
    if (row.Empty() || width == 0) {
      previous = nullptr;
      continue;
    }
    std::uint32_t* count = &counts[y * boxesPerRow];
    if (previous != nullptr && SameBox(*previous, row)) {
      std::copy_n(count - boxesPerRow, boxesPerRow, count);
      continue;
    }
    previous = &row;
    for (std::int32_t sourceY = row.begin; sourceY < row.end; ++sourceY)
      AddDark(dark.data(), plane.Row(sourceY) + span.begin, width, sourceY == row.begin);
    for (std::size_t x = 0; x < boxesPerRow; ++x) {
      const TBox& column = columns[x];
      std::uint32_t n = 0;
      for (std::int32_t i = column.begin; i < column.end; ++i) n += dark[static_cast<std::size_t>(i - span.begin)];
      count[x] = n;
    }
  }
  return counts;
}

// A picture over a binary plane from the dark counts of its boxes; the pixels
// painted over the plane change the sums of the boxes that hold them.
QImage PlaneBoxes(const TBitmap& picture, const TAxis& columns, const TAxis& rows,
                  const std::vector<std::uint32_t>& darkCounts, QRgb background) {
  const std::size_t boxesPerRow = columns.size();
  const std::size_t boxes = boxesPerRow * rows.size();
  std::vector<std::int64_t> change;
  std::vector<std::uint8_t> changed;
  if (picture.PaintedCount() > 0) {
    const TPlaneBoolean& plane = *picture.Plane();
    picture.ForEachPainted([&](std::int32_t x, std::int32_t y, TColor colour) {
      const auto [firstColumn, lastColumn] = DisplaySpan(columns, x);
      const auto [firstRow, lastRow] = DisplaySpan(rows, y);
      if (firstColumn == lastColumn || firstRow == lastRow) return;
      if (change.empty()) {
        change.assign(boxes * 3, 0);
        changed.assign(boxes, 0);
      }
      const std::int64_t base = plane(x, y) != 0 ? 0 : 255;
      const std::int64_t delta[3] = {static_cast<std::int64_t>(colour & 0xFFu) - base,
                                     static_cast<std::int64_t>((colour >> 8) & 0xFFu) - base,
                                     static_cast<std::int64_t>((colour >> 16) & 0xFFu) - base};
      for (std::int32_t row = firstRow; row < lastRow; ++row)
        for (std::int32_t column = firstColumn; column < lastColumn; ++column) {
          const std::size_t box = static_cast<std::size_t>(row) * boxesPerRow + static_cast<std::size_t>(column);
          changed[box] = 1;
          for (std::size_t c = 0; c < 3; ++c) change[box * 3 + c] += delta[c];
        }
    });
  }

  QImage image(static_cast<int>(columns.size()), static_cast<int>(rows.size()), QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
    const TBox& row = rows[static_cast<std::size_t>(y)];
    for (int x = 0; x < image.width(); ++x) {
      const TBox& column = columns[static_cast<std::size_t>(x)];
      if (row.Empty() || column.Empty()) {
        target[x] = background;
        continue;
      }
      const std::size_t box = static_cast<std::size_t>(y) * boxesPerRow + static_cast<std::size_t>(x);
      const std::uint64_t area = Area(column, row);
      const std::uint64_t light = 255 * (area - darkCounts[box]);
      if (changed.empty() || !changed[box]) {
        target[x] = Average(light, light, light, area);
      } else {
        const std::int64_t* d = &change[box * 3];
        target[x] = Average(static_cast<std::uint64_t>(static_cast<std::int64_t>(light) + d[0]),
                            static_cast<std::uint64_t>(static_cast<std::int64_t>(light) + d[1]),
                            static_cast<std::uint64_t>(static_cast<std::int64_t>(light) + d[2]), area);
      }
    }
  }
  return image;
}

// A coordinate worked out in doubles as a pixel position, held in a range
// that cannot overflow when one is added.
std::int32_t FloorClamped(double value, std::int32_t low, std::int32_t high) {
  return static_cast<std::int32_t>(std::clamp(std::floor(value), static_cast<double>(low), static_cast<double>(high)));
}

// The display positions a mark at picture position `source` covers when it is
// at least `minWidth` wide: its span, widened about the point where the
// pixel's centre lies, inside the axis.
std::pair<std::int32_t, std::int32_t> Widened(const TAxis& axis, std::int32_t source,
                                              std::pair<std::int32_t, std::int32_t> span, int minWidth) {
  const auto [first, last] = span;
  if (last - first >= minWidth) return span;
  // In a box of several pixels the pixel's centre lies somewhere along its
  // one display position; a pixel over several positions, in their middle.
  const TBox& box = axis[static_cast<std::size_t>(first)];
  const double centre = last - first > 1 ? (first + last) / 2.0
                                         : first + (source + 0.5 - box.begin) / std::max(1, box.end - box.begin);
  const auto size = static_cast<std::int32_t>(axis.size());
  const auto start = static_cast<std::int32_t>(std::floor(centre - minWidth / 2.0 + 0.5));
  const std::int32_t begin = std::clamp(start, 0, std::max(0, size - minWidth));
  return {begin, std::min(size, begin + minWidth)};
}

}  // namespace

TAxis StretchedAxis(std::int32_t source, std::int32_t display) {
  TAxis boxes(static_cast<std::size_t>(std::max(display, 0)));
  for (std::int32_t t = 0; t < display; ++t) {
    TBox& box = boxes[static_cast<std::size_t>(t)];
    box.begin = static_cast<std::int32_t>(static_cast<std::int64_t>(t) * source / display);
    box.end = static_cast<std::int32_t>(static_cast<std::int64_t>(t + 1) * source / display);
    if (box.end <= box.begin) box.end = box.begin + 1;
  }
  return boxes;
}

TAxis ZoomedAxis(std::int32_t source, std::int32_t display, double zoom, double origin) {
  TAxis boxes(static_cast<std::size_t>(std::max(display, 0)));
  for (std::int32_t t = 0; t < display; ++t) {
    std::int32_t begin = 0;
    std::int32_t end = 0;
    if (zoom >= 1) {
      begin = FloorClamped(origin + (t + 0.5) / zoom, -1, source);
      end = begin + 1;
    } else {
      begin = FloorClamped(origin + t / zoom, -1, source);
      end = FloorClamped(origin + (t + 1) / zoom, -1, source);
    }
    // Beside the picture an empty box at its near edge, so that the boxes' ends stay in order.
    TBox& box = boxes[static_cast<std::size_t>(t)];
    if (end <= 0)
      box = {0, 0};
    else if (begin >= source)
      box = {source, source};
    else
      box = {std::max(begin, 0), std::min(end, source)};
  }
  return boxes;
}

std::pair<std::int32_t, std::int32_t> DisplaySpan(const TAxis& axis, std::int32_t source) {
  // Begins and ends both ascend: the boxes holding `source` are those past the
  // last one that ends at or before it, up to the first that begins after it.
  const auto first = std::partition_point(axis.begin(), axis.end(), [&](const TBox& b) { return b.end <= source; });
  const auto last = std::partition_point(first, axis.end(), [&](const TBox& b) { return b.begin <= source; });
  return {static_cast<std::int32_t>(first - axis.begin()), static_cast<std::int32_t>(last - axis.begin())};
}

QImage RenderBoxes(const TBitmap& picture, const TAxis& columns, const TAxis& rows, QRgb background) {
  if (columns.empty() || rows.empty()) return {};
  if (const TPlaneBoolean* plane = picture.Plane())
    return PlaneBoxes(picture, columns, rows, DarkCounts(*plane, columns, rows), background);
  return picture.PackedRow(0) != nullptr && ShortSums(rows)
             ? AverageColours<std::uint16_t>(picture, columns, rows, background)
             : AverageColours<std::uint32_t>(picture, columns, rows, background);
}

std::size_t PaintMarks(QImage& image, const TBitmap& picture, const TAxis& columns, const TAxis& rows, int minWidth) {
  if (picture.Plane() == nullptr || picture.PaintedCount() == 0 || image.isNull()) return 0;
  using TSpan = std::pair<std::int32_t, std::int32_t>;
  const auto spans = [&](std::int32_t x, std::int32_t y, auto&& use) {
    const TSpan across = DisplaySpan(columns, x);
    const TSpan down = DisplaySpan(rows, y);
    if (across.first != across.second && down.first != down.second) use(across, down);
  };
  const auto fill = [&](TSpan across, TSpan down, QRgb colour) {
    for (std::int32_t row = down.first; row < down.second; ++row) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
      std::fill(line + across.first, line + across.second, colour);
    }
  };
  if (minWidth > 1) {
    // Which display pixels the marks' own spans take.
    const std::size_t width = static_cast<std::size_t>(image.width());
    std::vector<std::uint8_t> taken(width * static_cast<std::size_t>(image.height()), 0);
    picture.ForEachPainted([&](std::int32_t x, std::int32_t y, TColor) {
      spans(x, y, [&](TSpan across, TSpan down) {
        for (std::int32_t row = down.first; row < down.second; ++row)
          std::fill_n(taken.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(row) * width + static_cast<std::size_t>(across.first)),
                      across.second - across.first, 1);
      });
    });
    // Along an axis, past the marks that touch this one (the rest of a line),
    // no other mark within twice the width on either side, in the mark's rows
    // (along x) or columns (along y).
    const auto alone = [&](TSpan along, TSpan within, bool acrossRows) {
      const std::int32_t limit = acrossRows ? image.width() : image.height();
      const auto takenAt = [&](std::int32_t at) {
        for (std::int32_t other = within.first; other < within.second; ++other) {
          const auto x = static_cast<std::size_t>(acrossRows ? at : other);
          const auto y = static_cast<std::size_t>(acrossRows ? other : at);
          if (taken[y * width + x] != 0) return true;
        }
        return false;
      };
      for (const int step : {-1, 1}) {
        std::int32_t at = step < 0 ? along.first - 1 : along.second;
        while (at >= 0 && at < limit && takenAt(at)) at += step;
        for (std::int32_t gap = 0; gap < 2 * minWidth && at >= 0 && at < limit; ++gap, at += step)
          if (takenAt(at)) return false;
      }
      return true;
    };
    // A mark narrower than the width is widened where it stands alone along an
    // axis: a line across it, a lone point both ways. Marks apart but closer
    // together (the sampling points of a shrunk grid) keep their own pixels,
    // so that the picture between them stays visible.
    picture.ForEachPainted([&](std::int32_t x, std::int32_t y, TColor colour) {
      spans(x, y, [&](TSpan across, TSpan down) {
        const bool wideAcross = across.second - across.first < minWidth && alone(across, down, true);
        const bool wideDown = down.second - down.first < minWidth && alone(down, across, false);
        if (wideAcross || wideDown)
          fill(wideAcross ? Widened(columns, x, across, minWidth) : across, wideDown ? Widened(rows, y, down, minWidth) : down,
               ToQRgb(colour));
      });
    });
  }
  // Every mark's own display pixels, over any widened neighbour.
  std::size_t painted = 0;
  picture.ForEachPainted([&](std::int32_t x, std::int32_t y, TColor colour) {
    spans(x, y, [&](TSpan across, TSpan down) {
      fill(across, down, ToQRgb(colour));
      ++painted;
    });
  });
  return painted;
}

QImage TPaneScaler::Scale(const TBitmap& picture, QSize size) {
  if (picture.Empty() || size.isEmpty()) return {};
  if (lastSize_ == size && lastPicture_.SharesPixels(picture)) return lastImage_;
  const TAxis columns = StretchedAxis(picture.Width(), size.width());
  const TAxis rows = StretchedAxis(picture.Height(), size.height());
  QImage image;
  if (const std::shared_ptr<const TPlaneBoolean> plane = picture.SharedPlane()) {
    // Dark pixels per box, shared by every pane over the same plane.
    if (plane_ != plane || planeWidth_ != picture.Width() || planeHeight_ != picture.Height() || planeSize_ != size) {
      darkCounts_ = DarkCounts(*plane, columns, rows);
      plane_ = plane;
      planeWidth_ = picture.Width();
      planeHeight_ = picture.Height();
      planeSize_ = size;
    }
    image = PlaneBoxes(picture, columns, rows, darkCounts_, qRgb(255, 255, 255));
  } else {
    image = RenderBoxes(picture, columns, rows, qRgb(255, 255, 255));
  }
  lastPicture_ = picture;
  lastSize_ = size;
  lastImage_ = image;
  return image;
}
