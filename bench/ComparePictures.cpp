// Compares two picture files pixel by pixel, whatever their encoding:
//   morilux-compare-pictures A B
// Exit status 0 when both hold the same size and the same opaque colours, 1
// when they differ (the first differing pixel is printed), 2 when one cannot
// be read. bench/compare-out.sh uses it where two PNG files differ in bytes.

#include <cstdio>

#include <QImage>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: morilux-compare-pictures A B\n");
    return 2;
  }
  QImage pictures[2];
  for (int i = 0; i < 2; ++i) {
    if (!pictures[i].load(QString::fromLocal8Bit(argv[i + 1]))) {
      std::fprintf(stderr, "morilux-compare-pictures: cannot read %s\n", argv[i + 1]);
      return 2;
    }
    pictures[i] = pictures[i].convertToFormat(QImage::Format_RGB32);
  }
  const QImage& a = pictures[0];
  const QImage& b = pictures[1];
  if (a.size() != b.size()) {
    std::printf("%s: %d x %d, %s: %d x %d\n", argv[1], a.width(), a.height(), argv[2], b.width(), b.height());
    return 1;
  }
  for (int y = 0; y < a.height(); ++y) {
    const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x)
      if (rowA[x] != rowB[x]) {
        std::printf("pixel (%d, %d): #%06x against #%06x\n", x, y, rowA[x] & 0xFFFFFFu, rowB[x] & 0xFFFFFFu);
        return 1;
      }
  }
  return 0;
}
