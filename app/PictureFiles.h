#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

// The window's side of the loader's table of picture kinds: what it says of
// a file it does not read, and the dialog that lists every kind it reads.

// "NAME は読み込めません（.jpg、.jpeg、.bmp、.png のファイルだけです）".
QString NotAPictureText(const QString& path);

// "画像 (*.jpg *.jpeg *.bmp *.png)", then one filter a kind ("JPEG (*.jpg
// *.jpeg)" …), then every file.
QStringList AnyPictureFilters();

// The open dialog of "画像を開く（PNG も）…", named OpenAnyDialog, over AnyPictureFilters.
QFileDialog* MakeAnyPictureDialog(QWidget* parent);
