#include "PictureOptions.h"

#include <QRegularExpression>

#include <stdexcept>

TPictureOptions::TPictureOptions()
    : invert_(QStringList{"invert"}), mirror_(QStringList{"mirror"}), rotate_(QStringList{"rotate"}, QString(), "DEGREES") {}

QList<QCommandLineOption> TPictureOptions::All() const { return {invert_, mirror_, rotate_}; }

TPictureOperations TPictureOptions::Read(const QCommandLineParser& parser) const {
  TPictureOperations operations;
  operations.invert = parser.isSet(invert_);
  operations.mirror = parser.isSet(mirror_);
  if (parser.isSet(rotate_)) {
    if (parser.values(rotate_).size() > 1) throw std::invalid_argument("--rotate is given more than once");
    static const QRegularExpression quarter(QStringLiteral("^\\s*(0|90|180|270)\\s*$"));
    const QRegularExpressionMatch match = quarter.match(parser.value(rotate_));
    if (!match.hasMatch())
      throw std::invalid_argument("--rotate must be 90, 180 or 270, not '" + parser.value(rotate_).toStdString() + "'");
    operations.rotate = match.captured(1).toInt();
  }
  return operations;
}

std::string PictureHelpText() {
  return R"(Picture operations (before the analysis, as if the picture had been loaded so):
  --invert           Inverts the colours: for light modules on a dark ground.
  --mirror           Mirrors the picture left to right.
  --rotate DEGREES   Turns the picture clockwise by 90, 180 or 270 degrees.
  The report and the JSON summary ("operations") name what was done.)";
}
