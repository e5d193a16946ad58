#include "Module.h"

#include "Versions.h"

namespace {

std::int32_t SideFor(std::int32_t version) {
  RequireVersion(version);
  return static_cast<std::int32_t>(SymbolSide(version));
}

}  // namespace

TModule::TModule(std::int32_t version)
    : width_(SideFor(version)),
      height_(width_),
      cells_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {}

std::uint8_t TModule::GetCell(std::int32_t x, std::int32_t y) const {
  const TModuleCell* cell = Find(x, y);
  return cell ? cell->Cell : 0;
}

void TModule::SetCell(std::int32_t x, std::int32_t y, std::uint8_t value) {
  if (TModuleCell* cell = Find(x, y)) cell->Cell = value;
}

std::uint8_t TModule::GetMaskCell(std::int32_t x, std::int32_t y) const {
  const TModuleCell* cell = Find(x, y);
  return cell ? cell->MaskCell : 0;
}

void TModule::SetMaskCell(std::int32_t x, std::int32_t y, std::uint8_t value) {
  if (TModuleCell* cell = Find(x, y)) cell->MaskCell = value;
}

std::uint8_t TModule::GetDataCell(std::int32_t x, std::int32_t y) const {
  const TModuleCell* cell = Find(x, y);
  return cell ? cell->DataCell : 0;
}

void TModule::SetDataCell(std::int32_t x, std::int32_t y, std::uint8_t value) {
  if (TModuleCell* cell = Find(x, y)) cell->DataCell = value;
}

std::uint8_t TModule::GetPatternKind(std::int32_t x, std::int32_t y) const {
  const TModuleCell* cell = Find(x, y);
  return cell ? cell->PatternKind : 0;
}

void TModule::SetPatternKind(std::int32_t x, std::int32_t y, std::uint8_t value) {
  if (TModuleCell* cell = Find(x, y)) cell->PatternKind = value;
}
