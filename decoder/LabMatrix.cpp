#include "decoder/LabMatrix.h"

#include <algorithm>
#include <random>
#include <string>

#include "symbol/Arrangement.h"
#include "symbol/Versions.h"

namespace {

std::string Name(TPoint module) { return std::to_string(module.x) + "," + std::to_string(module.y); }

// The modules whose value in `plane` is not `wanted` yet, each once, in the order given.
std::vector<TPoint> Toggled(const TPlaneBoolean& plane, std::span<const TPoint> modules, bool wanted) {
  std::vector<TPoint> toggled;
  for (const TPoint module : modules)
    if ((plane[module.x][module.y] != 0) != wanted && std::find(toggled.begin(), toggled.end(), module) == toggled.end())
      toggled.push_back(module);
  return toggled;
}

}  // namespace

TLabMatrix::TLabMatrix(TPlaneBoolean sampled) : original_(std::move(sampled)) {
  const std::int32_t side = original_.Width();
  version_ = VersionOfSide(side);
  if (original_.Height() != side || !IsVersion(version_) || SymbolSide(version_) != side)
    throw TLabError("a matrix of " + std::to_string(original_.Width()) + " x " + std::to_string(original_.Height()) +
                    " modules is not the size of a symbol");
  modules_ = original_;
  erased_ = TPlaneBoolean(side, side, 0);
  order_ = ReadingOrder(TArrangement(version_));
  codewordOf_ = TPlaneInteger(side, side, -1);
  // The remainder bits after the last whole codeword belong to none.
  const std::size_t bits = order_.size() / 8 * 8;
  for (std::size_t bit = 0; bit < bits; ++bit)
    codewordOf_[order_[bit].x][order_[bit].y] = static_cast<std::int32_t>(bit / 8);
}

TPlaneBoolean TLabMatrix::AsRead() const {
  TPlaneBoolean read = modules_;
  for (std::int32_t y = 0; y < Side(); ++y) {
    std::uint8_t* row = read.Row(y);
    const std::uint8_t* marks = erased_.Row(y);
    for (std::int32_t x = 0; x < Side(); ++x)
      if (marks[x] != 0) row[x] = 0;
  }
  return read;
}

std::span<const TPoint> TLabMatrix::CodewordModules(std::int32_t index) const {
  RequireCodeword(index);
  return std::span<const TPoint>(order_).subspan(static_cast<std::size_t>(index) * 8, 8);
}

std::int32_t TLabMatrix::CodewordAt(TPoint module) const {
  return Contains(module) ? codewordOf_[module.x][module.y] : -1;
}

void TLabMatrix::Require(TPoint module) const {
  if (!Contains(module))
    throw TLabError("module " + Name(module) + " lies outside the " + std::to_string(Side()) + " x " +
                    std::to_string(Side()) + " matrix (0 to " + std::to_string(Side() - 1) + ")");
}

void TLabMatrix::RequireCodeword(std::int32_t index) const {
  if (index < 0 || index >= CodewordCount())
    throw TLabError("codeword " + std::to_string(index) + " is not in the symbol, which holds codewords 0 to " +
                    std::to_string(CodewordCount() - 1));
}

void TLabMatrix::Apply(TStep step) {
  if (step.values.empty() && step.marks.empty()) return;
  for (const TPoint module : step.values) modules_[module.x][module.y] ^= 1;
  for (const TPoint module : step.marks) erased_[module.x][module.y] ^= 1;
  steps_.push_back(std::move(step));
}

void TLabMatrix::Flip(TPoint module) {
  Require(module);
  Apply({{module}, {}});
}

void TLabMatrix::Flip(std::span<const TPoint> modules) {
  for (const TPoint module : modules) Require(module);
  Apply({{modules.begin(), modules.end()}, {}});
}

void TLabMatrix::Paint(std::span<const TPoint> modules, bool dark) {
  for (const TPoint module : modules) Require(module);
  Apply({Toggled(modules_, modules, dark), {}});
}

void TLabMatrix::MarkErased(std::span<const TPoint> modules, bool erased) {
  for (const TPoint module : modules) Require(module);
  Apply({{}, Toggled(erased_, modules, erased)});
}

void TLabMatrix::SpoilCodewords(std::span<const std::int32_t> indexes) {
  for (const std::int32_t index : indexes) RequireCodeword(index);
  std::vector<std::int32_t> distinct(indexes.begin(), indexes.end());
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  TStep step;
  for (const std::int32_t index : distinct)
    for (const TPoint module : CodewordModules(index)) step.values.push_back(module);
  Apply(std::move(step));
}

void TLabMatrix::SpoilRandom(const std::vector<TBlockLayout>& layout, std::int32_t block, std::int32_t count,
                             std::uint64_t seed) {
  if (layout.empty()) throw TLabError("the decode of the unchanged matrix read no blocks to choose codewords from");
  if (block < 0 || block >= static_cast<std::int32_t>(layout.size()))
    throw TLabError("block " + std::to_string(block) + " is not in the symbol, which has blocks 0 to " +
                    std::to_string(static_cast<std::int32_t>(layout.size()) - 1));
  std::vector<std::int32_t> places = layout[static_cast<std::size_t>(block)].codewords;
  if (count < 0 || count > static_cast<std::int32_t>(places.size()))
    throw TLabError("block " + std::to_string(block) + " holds " + std::to_string(places.size()) +
                    " codewords; " + std::to_string(count) + " cannot be spoilt");
  for (const std::int32_t index : places) RequireCodeword(index);
  // The engine's output is fixed by the language for a seed; no library
  // distribution is used, whose output is not.
  std::mt19937_64 random(seed);
  TStep step;
  for (std::int32_t n = 0; n < count; ++n) {
    const auto pick = static_cast<std::size_t>(n) + static_cast<std::size_t>(random() % (places.size() - static_cast<std::size_t>(n)));
    std::swap(places[static_cast<std::size_t>(n)], places[pick]);
    const auto pattern = static_cast<std::uint32_t>(1 + random() % 255);
    const std::span<const TPoint> modules = CodewordModules(places[static_cast<std::size_t>(n)]);
    for (std::size_t bit = 0; bit < 8; ++bit)
      if (pattern & (0x80u >> bit)) step.values.push_back(modules[bit]);
  }
  Apply(std::move(step));
}

void TLabMatrix::SpoilBurst(std::int32_t first, std::int32_t count) {
  if (count < 1) throw TLabError("a burst spoils at least 1 codeword, not " + std::to_string(count));
  RequireCodeword(first);
  RequireCodeword(first + count - 1);
  std::vector<std::int32_t> indexes(static_cast<std::size_t>(count));
  for (std::int32_t n = 0; n < count; ++n) indexes[static_cast<std::size_t>(n)] = first + n;
  SpoilCodewords(indexes);
}

bool TLabMatrix::Undo() {
  if (steps_.empty()) return false;
  const TStep step = std::move(steps_.back());
  steps_.pop_back();
  for (const TPoint module : step.values) modules_[module.x][module.y] ^= 1;
  for (const TPoint module : step.marks) erased_[module.x][module.y] ^= 1;
  return true;
}

void TLabMatrix::Restore() { Apply({ChangedModules(), ErasedModules()}); }

std::vector<TPoint> TLabMatrix::ChangedModules() const {
  std::vector<TPoint> changed;
  for (std::int32_t x = 0; x < Side(); ++x)
    for (std::int32_t y = 0; y < Side(); ++y)
      if (modules_[x][y] != original_[x][y]) changed.push_back({x, y});
  return changed;
}

std::vector<TPoint> TLabMatrix::ErasedModules() const {
  std::vector<TPoint> erased;
  for (std::int32_t x = 0; x < Side(); ++x)
    for (std::int32_t y = 0; y < Side(); ++y)
      if (erased_[x][y] != 0) erased.push_back({x, y});
  return erased;
}
