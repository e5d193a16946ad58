#pragma once

#include <functional>

class QPlainTextEdit;
class TModuleMap;

// The arrow keys in the codeword listing (BLMemo): Down and Up choose the
// next and the previous codeword of the listing of the last analysis that
// read codewords, selecting its whole line as a click on its modules does,
// so that the outline of its modules on BlockImage follows. From a line that
// lists no codeword of that analysis, Down chooses its first codeword and Up
// its last. Without such a listing the keys scroll as in any text pane.
// `map` gives the module map of BlockImage (null when there is none).
void StepCodewordsWithArrows(QPlainTextEdit& listing, std::function<const TModuleMap*()> map);
