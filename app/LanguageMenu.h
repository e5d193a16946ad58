#pragma once

class QMenu;
class QWidget;

// ツール → 言語 / Language: 日本語 and English, the current one checked. Its
// title and items read the same in both languages, so that someone who reads
// only one of them finds the way back.
QMenu* MakeLanguageMenu(QWidget* parent);
