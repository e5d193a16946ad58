#include "Effects.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "Photograph.h"
#include "SymbolMaker.h"
#include "picture/JpegFile.h"

namespace {

std::string Number(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string RangeText(const TEffectRow& row) { return Number(row.minimum) + " and " + Number(row.maximum); }

// A number of the row's range; an integer where the effect counts whole steps.
double ParseValue(const TEffectRow& row, std::string_view text) {
  const bool whole = row.decimals == 0;
  text = Trimmed(text);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  const std::string item = std::string(row.key) + "=" + std::string(text);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    throw TSampleError("effect '" + item + "': " + std::string(row.key) + " needs a number");
  if (whole && value != std::floor(value))
    throw TSampleError("effect '" + item + "': " + std::string(row.key) + " needs a whole number");
  if (value < row.minimum || value > row.maximum)
    throw TSampleError("effect '" + item + "': " + std::string(row.key) + " must lie between " + RangeText(row));
  return value;
}

// One value P: the top edge narrowed by P % at each end; else eight X:Y values.
std::array<double, 8> ParsePerspective(const TEffectRow& row, std::string_view text) {
  const std::vector<std::string_view> parts = Split(text, ':');
  std::array<double, 8> offsets{};
  if (parts.size() == 1) {
    const double p = ParseValue(row, parts[0]);
    offsets[0] = p;
    offsets[2] = -p;
    return offsets;
  }
  if (parts.size() != 8)
    throw TSampleError("effect 'perspective=" + std::string(text) +
                       "': perspective needs one value or eight X:Y values, clockwise from the top-left corner");
  for (std::size_t i = 0; i < 8; ++i) offsets[i] = ParseValue(row, parts[i]);
  return offsets;
}

TBackground ParseBackground(std::string_view text) {
  text = Trimmed(text);
  for (const TBackgroundName& name : kBackgrounds)
    if (name.key == text) return name.background;
  std::string keys;
  for (const TBackgroundName& name : kBackgrounds) keys.append(keys.empty() ? "" : ", ").append(name.key);
  throw TSampleError("effect 'background=" + std::string(text) + "': background must be one of " + keys);
}

void Apply(TPhotoEffects& effects, const TEffectRow& row, std::string_view value) {
  switch (row.effect) {
    case TEffect::Rotation: effects.rotation = ParseValue(row, value); break;
    case TEffect::Perspective: effects.perspective = ParsePerspective(row, value); break;
    case TEffect::Blur: effects.blur = static_cast<std::int32_t>(ParseValue(row, value)); break;
    case TEffect::Noise: effects.noise = static_cast<std::int32_t>(ParseValue(row, value)); break;
    case TEffect::Light: effects.light = static_cast<std::int32_t>(ParseValue(row, value)); break;
    case TEffect::Scale: effects.scale = ParseValue(row, value); break;
    case TEffect::Background: effects.background = ParseBackground(value); break;
    case TEffect::Jpeg: effects.jpeg = static_cast<std::int32_t>(ParseValue(row, value)); break;
  }
}

std::string ValueText(const TPhotoEffects& effects, TEffect effect) {
  switch (effect) {
    case TEffect::Rotation: return Number(effects.rotation);
    case TEffect::Perspective: {
      const auto& o = effects.perspective;
      if (o[1] == 0 && o[2] == -o[0] && std::all_of(o.begin() + 3, o.end(), [](double v) { return v == 0; }))
        return Number(o[0]);
      std::string text = Number(o[0]);
      for (std::size_t i = 1; i < o.size(); ++i) {
        text += ':';
        text += Number(o[i]);
      }
      return text;
    }
    case TEffect::Blur: return Number(effects.blur);
    case TEffect::Noise: return Number(effects.noise);
    case TEffect::Light: return Number(effects.light);
    case TEffect::Scale: return Number(effects.scale);
    case TEffect::Background:
      for (const TBackgroundName& name : kBackgrounds)
        if (name.background == effects.background) return std::string(name.key);
      return std::string();
    case TEffect::Jpeg: return Number(effects.jpeg);
  }
  return std::string();
}

}  // namespace

const TEffectRow& RowOf(TEffect effect) {
  for (const TEffectRow& row : kEffects)
    if (row.effect == effect) return row;
  return kEffects[0];
}

TPhotoEffects TPhotoEffects::All() {
  TPhotoEffects effects;
  for (const TEffectRow& row : kEffects) {
    if (row.effect == TEffect::Background) {
      effects.background = static_cast<TBackground>(row.typical);
    } else if (row.effect == TEffect::Perspective) {
      effects.perspective = {row.typical, 0, -row.typical, 0, 0, 0, 0, 0};
    } else {
      Apply(effects, row, Number(row.typical));
    }
  }
  return effects;
}

TPhotoEffects ParseEffects(std::string_view list) {
  const std::string_view whole = Trimmed(list);
  TPhotoEffects effects;
  if (whole.empty() || whole == "none") return effects;
  std::vector<TEffect> given;
  for (const std::string_view raw : Split(whole, ',')) {
    const std::string_view item = Trimmed(raw);
    if (item == "all") {
      if (!given.empty()) throw TSampleError("effect 'all' must come first, so that the items after it can change it");
      effects = TPhotoEffects::All();
      continue;
    }
    const std::size_t equals = item.find('=');
    const std::string_view key = Trimmed(item.substr(0, equals));
    const auto row = std::find_if(kEffects.begin(), kEffects.end(), [&](const TEffectRow& r) { return r.key == key; });
    if (row == kEffects.end()) {
      std::string keys;
      for (const TEffectRow& r : kEffects) keys.append(keys.empty() ? "" : ", ").append(r.key);
      throw TSampleError("effect '" + std::string(item) + "' is unknown; the effects are " + keys +
                         " (each as KEY=VALUE), or none or all");
    }
    if (equals == std::string_view::npos)
      throw TSampleError("effect '" + std::string(item) + "' needs a value (" + std::string(key) + "=VALUE)");
    if (std::find(given.begin(), given.end(), row->effect) != given.end())
      throw TSampleError("effect '" + std::string(key) + "' is given more than once");
    given.push_back(row->effect);
    Apply(effects, *row, item.substr(equals + 1));
  }
  return effects;
}

std::string FormatEffects(const TPhotoEffects& effects) {
  std::string list;
  const TPhotoEffects neutral;
  for (const TEffectRow& row : kEffects) {
    const std::string value = ValueText(effects, row.effect);
    if (value == ValueText(neutral, row.effect)) continue;
    if (!list.empty()) list += ',';
    list.append(row.key).append("=").append(value);
  }
  return list.empty() ? "none" : list;
}

TBitmap PhotographSymbol(const TPlaneBoolean& modules, std::int32_t moduleSize, std::int32_t quietZone,
                         const TPhotoEffects& effects, std::uint64_t seed, std::string* jpeg) {
  TPhotoScene scene;
  scene.seed = seed;
  scene.moduleSize = moduleSize * effects.scale;
  if (!(scene.moduleSize >= 1.0))
    throw TSampleError("the picture would have fewer than one pixel per module (" + Number(moduleSize) + " x " +
                       Number(effects.scale) + "); choose a larger module size or scale");
  scene.degrees = effects.rotation;
  for (std::size_t i = 0; i < 8; ++i) scene.perspective[i] = effects.perspective[i] / 100;
  scene.paperModules = quietZone;
  if (effects.background == TBackground::Wood) {
    // The printed look of the test photographs: tinted paper with grain.
    scene.surface = TSurface::Wood;
  } else {
    scene.paper = {255, 255, 255};
    scene.ink = {255, 255, 255};
    scene.grain = 0;
    scene.surface = TSurface::Plain;
    const double grey = effects.background == TBackground::White ? 255 : effects.background == TBackground::Grey ? 128 : 48;
    scene.plain = {grey, grey, grey};
  }
  scene.lightFalloff = effects.light / 100.0;
  scene.samples = 3;
  scene.blurPasses = effects.blur;
  scene.noise = effects.noise;

  // The picture: the sheet's bounding box, centred, with a margin of the
  // surface around it unless the surface is as white as the sheet.
  const std::array<double, 8> corners = SheetCorners(modules.Width(), scene);
  double minX = corners[0], maxX = corners[0], minY = corners[1], maxY = corners[1];
  for (std::size_t c = 1; c < 4; ++c) {
    minX = std::min(minX, corners[2 * c]);
    maxX = std::max(maxX, corners[2 * c]);
    minY = std::min(minY, corners[2 * c + 1]);
    maxY = std::max(maxY, corners[2 * c + 1]);
  }
  const double margin = effects.background == TBackground::White ? 0 : std::ceil(2 * scene.moduleSize);
  // The sheet's extent, rounded up unless it is a whole number of pixels already.
  const double innerWidth = std::ceil(maxX - minX - 1e-9), innerHeight = std::ceil(maxY - minY - 1e-9);
  const double width = innerWidth + 2 * margin, height = innerHeight + 2 * margin;
  if (width * height > static_cast<double>(kMaxSamplePixels))
    throw TSampleError("the picture would be " + Number(width) + " x " + Number(height) + " pixels, more than the " +
                       Number(static_cast<double>(kMaxSamplePixels / 1'000'000)) +
                       " megapixels allowed; choose a smaller module size or scale");
  scene.width = static_cast<std::int32_t>(width);
  scene.height = static_cast<std::int32_t>(height);
  scene.centreX = margin - minX + (innerWidth - (maxX - minX)) / 2;
  scene.centreY = margin - minY + (innerHeight - (maxY - minY)) / 2;

  TBitmap picture = Photograph(modules, scene);
  if (effects.jpeg > 0) {
    std::string file = EncodeJpeg(picture, effects.jpeg);
    picture = DecodeJpeg(file);
    if (jpeg != nullptr) *jpeg = std::move(file);
  }
  return picture;
}
