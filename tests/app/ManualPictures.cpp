// Draws the manual's diagrams from generated symbols: `morilux_manual_pictures
// OUTDIR` writes symbol-anatomy.png (a version-7 symbol, its function patterns
// in colours, with a legend), mask-patterns.png (the eight mask patterns on a
// 21 x 21 grid) and placement.png (a version-2 symbol with the zigzag of its
// codewords and the remainder bits). The pictures are quantised afterwards by
// scripts/screenshots.sh.

#include <cstdio>
#include <exception>

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "TestSymbols.h"
#include "decoder/Decorder.h"
#include "symbol/Arrangement.h"
#include "symbol/Placement.h"

namespace {

using testing_support::TTestSymbol;

struct TPart {
  TFunctionPattern pattern;
  QColor colour;
  const char* name;  // Japanese / English
};
const TPart kParts[] = {
    {TFunctionPattern::Finder, QColor(200, 40, 40), "位置検出パターン / finder pattern"},
    {TFunctionPattern::Separator, QColor(235, 140, 30), "分離パターン / separator"},
    {TFunctionPattern::Timing, QColor(40, 150, 60), "タイミングパターン / timing pattern"},
    {TFunctionPattern::Alignment, QColor(40, 90, 210), "位置合わせパターン / alignment pattern"},
    {TFunctionPattern::Format, QColor(150, 60, 180), "形式情報 / format information"},
    {TFunctionPattern::Version, QColor(0, 150, 160), "型番情報 / version information"},
    {TFunctionPattern::DarkModule, QColor(130, 80, 30), "暗モジュール / dark module"},
    {TFunctionPattern::None, QColor(70, 70, 70), "データと誤り訂正 / data and error correction"},
};

QColor Light(const QColor& colour) {
  return QColor((colour.red() + 3 * 255) / 4, (colour.green() + 3 * 255) / 4, (colour.blue() + 3 * 255) / 4);
}

QFont LabelFont(int pixels) {
  QFont font;
  font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")});
  font.setPixelSize(pixels);
  return font;
}

QImage Anatomy() {
  const TTestSymbol symbol = testing_support::EncodeBytes("Morilux: how a symbol is built", 7, 1);
  const TArrangement arrangement(symbol.version);
  constexpr int kModule = 7;
  constexpr int kQuiet = 2;
  const int side = (symbol.size + 2 * kQuiet) * kModule;
  QImage image(side + 340, side, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  for (int y = 0; y < symbol.size; ++y)
    for (int x = 0; x < symbol.size; ++x) {
      const TFunctionPattern pattern = arrangement.FunctionPatternAt(x, y);
      QColor colour = Qt::white;
      for (const TPart& part : kParts)
        if (part.pattern == pattern) colour = symbol.Dark(x, y) ? part.colour : Light(part.colour);
      if (pattern == TFunctionPattern::None && !symbol.Dark(x, y)) colour = Qt::white;
      painter.fillRect((x + kQuiet) * kModule, (y + kQuiet) * kModule, kModule, kModule, colour);
    }
  painter.setFont(LabelFont(13));
  int y = 40;
  for (const TPart& part : kParts) {
    painter.fillRect(side + 8, y, 14, 14, part.colour);
    // The light modules of the data area stay white, as in the symbol.
    painter.fillRect(side + 24, y, 14, 14, part.pattern == TFunctionPattern::None ? QColor(Qt::white) : Light(part.colour));
    painter.setPen(QColor(200, 200, 200));
    painter.drawRect(side + 24, y, 13, 13);
    painter.setPen(Qt::black);
    painter.drawText(side + 46, y + 12, QString::fromUtf8(part.name));
    y += 34;
  }
  return image;
}

QImage MaskPatterns() {
  constexpr int kSize = 21;
  constexpr int kModule = 4;
  constexpr int kCell = kSize * kModule + 20;
  QImage image(4 * kCell, 2 * (kCell + 10), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(LabelFont(14));
  for (int pattern = 0; pattern < 8; ++pattern) {
    const int left = (pattern % 4) * kCell + 10;
    const int top = (pattern / 4) * (kCell + 10) + 22;
    painter.setPen(Qt::black);
    painter.drawText(left, top - 6, QString::number(pattern));
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x)
        if (MaskCondition(pattern, x, y)) painter.fillRect(left + x * kModule, top + y * kModule, kModule, kModule, Qt::black);
    painter.setPen(QColor(160, 160, 160));
    painter.drawRect(left - 1, top - 1, kSize * kModule + 1, kSize * kModule + 1);
  }
  return image;
}

QImage Placement() {
  const TTestSymbol symbol = testing_support::EncodeBytes("Morilux", 2, 1);
  const TArrangement arrangement(symbol.version);
  const std::vector<TPoint> order = ReadingOrder(arrangement);
  const std::size_t codewordModules = static_cast<std::size_t>(arrangement.CodewordCount()) * 8;
  constexpr int kModule = 14;
  constexpr int kQuiet = 1;
  const int side = (symbol.size + 2 * kQuiet) * kModule;
  QImage image(side, side, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  const auto box = [&](int x, int y) { return QRect((x + kQuiet) * kModule, (y + kQuiet) * kModule, kModule, kModule); };
  for (int y = 0; y < symbol.size; ++y)
    for (int x = 0; x < symbol.size; ++x)
      if (arrangement.IsFunctionModule(x, y))
        painter.fillRect(box(x, y), symbol.Dark(x, y) ? QColor(150, 150, 150) : QColor(225, 225, 225));
  // Codewords in two alternating tints, the remainder bits in red.
  for (std::size_t i = 0; i < order.size(); ++i) {
    const QColor tint = i >= codewordModules ? QColor(240, 120, 120)
                        : (i / 8) % 2        ? QColor(170, 205, 250)
                                             : QColor(250, 225, 150);
    painter.fillRect(box(order[i].x, order[i].y), tint);
  }
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const QPointF centre = QRectF(box(order[i].x, order[i].y)).center();
    if (i == 0)
      path.moveTo(centre);
    else
      path.lineTo(centre);
  }
  painter.setPen(QPen(QColor(30, 60, 140), 1.5));
  painter.drawPath(path);
  painter.setFont(LabelFont(9));
  painter.setPen(Qt::black);
  for (std::size_t k = 0; k * 8 < codewordModules; ++k) {
    const TPoint first = order[k * 8];
    painter.drawText(box(first.x, first.y), Qt::AlignCenter, QString::number(k));
  }
  return image;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fputs("usage: morilux_manual_pictures OUTDIR\n", stderr);
    return 2;
  }
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  try {
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const std::pair<const char*, QImage> pictures[] = {
        {"symbol-anatomy.png", Anatomy()}, {"mask-patterns.png", MaskPatterns()}, {"placement.png", Placement()}};
    for (const auto& [name, image] : pictures) {
      if (!image.save(out.filePath(QString::fromLatin1(name)))) {
        std::fprintf(stderr, "morilux_manual_pictures: cannot write %s\n", qPrintable(out.filePath(name)));
        return 1;
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "morilux_manual_pictures: %s\n", error.what());
    return 1;
  }
  return 0;
}
