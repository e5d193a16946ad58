#pragma once

#include <QString>

class QWidget;
class TLab;
struct TLabRun;

// The lab window's pages beside its matrix: the eight masks of the symbol
// with their penalties, and how the blocks were interleaved.

// A page of eight small pictures of the unchanged symbol, one under each
// mask, each captioned with its four penalties and total; the symbol's own
// mask and an encoder's choice named. Says so when the decode settled no mask.
QWidget* MakeMasksPage(const TLab& lab, QWidget* parent);

// For each block of the decode, the reading-order places of its data and
// error-correction codewords: the interleaving the placement followed.
QString InterleavingText(const TLabRun& run);
