#include "decoder/Lab.h"

#include <algorithm>

#include "data/DataBlockReader.h"
#include "decoder/Decorder.h"
#include "decoder/Veltrix.h"
#include "symbol/Versions.h"

namespace {

// Splits RdSnMemo into the blocks' lines: each block's trace opens with its
// heading and ends with its correction line; a closing total line may follow
// the last block when more than one block needed corrections.
std::vector<std::vector<std::string>> SplitTrace(const std::vector<std::string>& lines, std::size_t blocks,
                                                 bool closingLine, std::vector<std::string>& tail) {
  std::vector<std::vector<std::string>> split;
  const std::size_t end = closingLine && !lines.empty() ? lines.size() - 1 : lines.size();
  for (std::size_t i = 0; i < end; ++i) {
    if (lines[i] == TReedSolomon::kDecodeDataHeading || split.empty()) split.emplace_back();
    split.back().push_back(lines[i]);
  }
  tail.assign(lines.begin() + static_cast<std::ptrdiff_t>(end), lines.end());
  split.resize(blocks);
  return split;
}

std::vector<std::int32_t> PlacesWhere(const TIntegers& a, const TIntegers& b) {
  std::vector<std::int32_t> places;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i]) places.push_back(static_cast<std::int32_t>(i));
  return places;
}

}  // namespace

TLab::TLab(TPlaneBoolean sampled)
    : matrix_(std::move(sampled)), surfaces_(std::make_unique<TSurfaces>()), veltrix_(std::make_unique<TVeltrix>(*surfaces_)) {
  original_ = Run(nullptr);
  originalLayout_ = veltrix_->Driver().BlockLayout();
  if (!original_.ReadBlocks()) originalLayout_.clear();
  last_ = original_;
}

TLab::~TLab() = default;

const TLabRun& TLab::Decode() {
  last_ = Run(&original_);
  return last_;
}

TLabRun TLab::Run(const TLabRun* reference) {
  TLabRun run;
  // The lab's listing shows this decode alone.
  surfaces_->Text(TTextPaneId::BLMemo).Clear();
  run.result = AnalyseMatrix(*veltrix_, *surfaces_, matrix_.AsRead());
  const TDiagnosis& record = run.result.diagnosis;
  run.version = matrix_.Version();
  run.level = record.SettledLevel().value_or(-1);
  run.mask = record.SettledMask().value_or(-1);
  run.changedModules = static_cast<std::int32_t>(matrix_.ChangedModules().size());
  const std::vector<TPoint> erased = matrix_.ErasedModules();
  run.erasedModules = static_cast<std::int32_t>(erased.size());

  // The blocks exist once the decode corrected them (its figures say so).
  const TDecorder& driver = veltrix_->Driver();
  if (run.result.stage >= TStage::Codewords && record.correction && run.level >= 0) {
    run.codewords = driver.Codewords();
    const std::vector<TBlockLayout>& layout = driver.BlockLayout();
    const std::vector<TIntegers>& passedOn = driver.Blocks();
    const std::vector<TBlockFigures>& figures = record.correction->blocks;
    std::vector<std::uint8_t> erasedCodeword(run.codewords.size(), 0);
    for (const TPoint module : erased)
      if (const std::int32_t index = matrix_.CodewordAt(module); index >= 0 && static_cast<std::size_t>(index) < erasedCodeword.size())
        erasedCodeword[static_cast<std::size_t>(index)] = 1;
    std::int32_t corrections = 0;
    for (const TBlockFigures& block : figures) corrections += block.corrected;
    std::vector<std::vector<std::string>> traces = SplitTrace(
        surfaces_->Text(TTextPaneId::RdSnMemo).Lines(), layout.size(), layout.size() > 1 && corrections > 0, run.traceTail);
    const bool sameLayout = reference != nullptr && reference->blocks.size() == layout.size() &&
                            std::equal(layout.begin(), layout.end(), reference->blocks.begin(),
                                       [](const TBlockLayout& a, const TLabBlock& b) { return a == b.layout; });

    for (std::size_t b = 0; b < layout.size() && b < passedOn.size() && b < figures.size(); ++b) {
      TLabBlock block;
      block.layout = layout[b];
      block.ecCodewords = static_cast<std::int32_t>(layout[b].codewords.size()) - layout[b].dataCount;
      for (const std::int32_t index : layout[b].codewords) {
        const bool inside = index >= 0 && static_cast<std::size_t>(index) < run.codewords.size();
        block.received.push_back(inside ? run.codewords[static_cast<std::size_t>(index)] : 0);
        if (inside && erasedCodeword[static_cast<std::size_t>(index)] != 0)
          block.erasures.push_back(static_cast<std::int32_t>(block.received.size() - 1));
      }
      block.corrected = passedOn[b];
      block.mended = PlacesWhere(block.received, block.corrected);
      block.syndromes = TReedSolomon::Syndromes(block.received);
      block.figures = figures[b];
      block.trace = std::move(traces[b]);
      block.capacity = DecodeToCapacity(block.received, block.ecCodewords, block.erasures);
      block.promised = PromisedCorrections(run.version, run.level);
      block.protection = MisdecodeProtection(run.version, run.level);
      // The reference is the unchanged matrix's block as its decode passed it on.
      if (sameLayout) {
        block.reference = reference->blocks[b].corrected;
        block.wrong = PlacesWhere(block.received, block.reference);
      } else if (reference == nullptr) {
        block.reference = block.corrected;
        block.wrong = block.mended;
      }
      run.blocks.push_back(std::move(block));
    }

    const bool allRead = std::all_of(run.blocks.begin(), run.blocks.end(), [](const TLabBlock& block) {
      return block.capacity.outcome != TCapacityOutcome::Uncorrectable;
    });
    if (allRead && !run.blocks.empty()) {
      TIntegers data;
      for (const TLabBlock& block : run.blocks)
        data.insert(data.end(), block.capacity.block.begin(), block.capacity.block.begin() + block.layout.dataCount);
      TDataBlockReader reader(data, static_cast<std::int32_t>(data.size()), run.version);
      run.capacityText = reader.Decode();
    }
  }
  if (reference != nullptr && reference->codewords.size() == run.codewords.size())
    run.changedCodewords = PlacesWhere(reference->codewords, run.codewords);
  return run;
}
