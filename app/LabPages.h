#pragma once

#include <array>

#include <QString>

#include "UiLanguage.h"
#include "common/Surfaces.h"

class QWidget;
class TImageView;
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
TUiText InterleavingText(const TLabRun& run);

// The panes the lab's decode draws from the matrix on, in this order, each
// shown on the pictures' page.
inline constexpr std::array<TImagePaneId, 4> kLabPanes = {TImagePaneId::DigitImage, TImagePaneId::BlockImage,
                                                         TImagePaneId::MaskImage, TImagePaneId::ResultImage};
// A page of one view a pane of kLabPanes, each under its name; `views` gets them.
QWidget* MakePanesPage(std::array<TImageView*, kLabPanes.size()>& views, QWidget* parent);
