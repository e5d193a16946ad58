#include "decoder/TraceNotes.h"

#include <algorithm>

#include "decoder/DecodingReport.h"

std::vector<std::string> TraceNotes(const TDiagnosis& diagnosis) {
  std::vector<std::string> notes;
  if (diagnosis.format)
    notes.push_back("形式情報のページは、左上の位置検出パターンのまわりにある形式情報の 1 組だけを読みます。"
                    "右上と左下にあるもう 1 組は読まないので、そちらが無事でも読めないことがあります。");
  if (!diagnosis.correction) return notes;
  const TCorrectionFigures& f = *diagnosis.correction;
  notes.push_back("BlockRead のページの「" + decoding_report::CodewordCountLine(f.codewords) +
                  "」は、ブロックの数ではなく、読んだコード語の数です。");
  if (f.blocks.size() > 1)
    notes.push_back("ReedSolomon のページの「N data errors corrected.」の N は、そのブロックまでに訂正した数の累計で、"
                    "ブロックごとの数ではありません。");
  if (std::any_of(f.blocks.begin(), f.blocks.end(), [](const TBlockFigures& b) { return b.uncorrectable; }))
    notes.push_back(std::string("ReedSolomon のページの「") + decoding_report::kNoErrors +
                    "」は、それまでに訂正した数が 0 だという意味で、訂正できなかったブロックの後にも出ます。"
                    "そのブロックに誤りがないという意味ではありません。");
  return notes;
}

std::vector<std::string> EnglishTraceNotes(const TDiagnosis& diagnosis) {
  std::vector<std::string> notes;
  if (diagnosis.format)
    notes.push_back("The page of the format information reads only the copy around the top-left finder pattern; the "
                    "other copy (top right and bottom left) is not read, so it may fail although that copy is whole.");
  if (!diagnosis.correction) return notes;
  const TCorrectionFigures& f = *diagnosis.correction;
  notes.push_back("On BlockRead, the line of the block count (" + std::to_string(f.codewords) +
                  " here) counts the codewords read, not the blocks.");
  if (f.blocks.size() > 1)
    notes.push_back("On ReedSolomon, N in \"N data errors corrected.\" is the running total up to that block, not the "
                    "block's own count.");
  if (std::any_of(f.blocks.begin(), f.blocks.end(), [](const TBlockFigures& b) { return b.uncorrectable; }))
    notes.push_back(std::string("On ReedSolomon, \"") + decoding_report::kNoErrors +
                    "\" means that the running total is 0; it also follows a block that could not be corrected, "
                    "which does not mean that block has no errors.");
  return notes;
}
