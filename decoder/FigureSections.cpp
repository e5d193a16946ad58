#include "decoder/FigureSections.h"

std::vector<TFigureSection> FigureSections(const TVerdict& verdict) {
  using S = TFigureSection;
  switch (verdict.stage) {
    case TStage::Binarization: return {S::Binarization};
    case TStage::FinderSearch: return {S::Binarization, S::Finder};
    case TStage::Version: return {S::Binarization, S::Version};
    case TStage::Corners: return {S::Binarization, S::Corners};
    case TStage::Sampling: return {S::Binarization, S::Sampling};
    case TStage::Format: return {S::Binarization, S::Format};
    case TStage::Codewords: return {S::Binarization, S::Codewords};
    case TStage::Data:
      if (verdict.decoded) return {S::Binarization, S::Data};
      return {S::Binarization, S::Codewords, S::Data};
    case TStage::Done: return {S::Binarization, S::Version, S::Format, S::Codewords, S::Data};
  }
  return {S::Binarization};
}

std::vector<std::string> WriteFigureLines(const TDiagnosis& d, const TVerdict& verdict, const TFigureWriters& writers) {
  std::vector<std::string> lines;
  for (const TFigureSection section : FigureSections(verdict)) {
    switch (section) {
      case TFigureSection::Binarization: writers.binarization(d, lines); break;
      case TFigureSection::Finder: writers.finder(d, lines); break;
      case TFigureSection::Version: writers.version(d, lines); break;
      case TFigureSection::Corners: writers.corners(d, lines); break;
      case TFigureSection::Sampling: writers.sampling(d, lines); break;
      case TFigureSection::Format: writers.format(d, lines); break;
      case TFigureSection::Codewords: writers.codewords(d, lines); break;
      case TFigureSection::Data: writers.data(d, lines); break;
    }
  }
  return lines;
}
