#pragma once

#include <functional>

#include <QObject>
#include <QString>

#include "common/Bitmap.h"
#include "decoder/PictureOperations.h"
#include "report/PictureSource.h"

class QAction;
class QWidget;
class TPaneTools;
class QMenu;

// The menu ツール → 画像の調整: the loaded picture inverted, mirrored or turned
// by quarter turns, where no parameter can help. Each operation replaces the
// loaded picture the way a new load does, made from the picture as loaded
// (so that 元に戻す brings it back); a new load ends every operation.
class TPictureAdjuster : public QObject {
 public:
  // `show` shows an operated picture as a load does, with the file it came
  // from as source (none while an operation is applied: the picture is no
  // longer the file's).
  using TShow = std::function<void(const TBitmap& picture, TPictureSource source)>;
  // The submenu goes into `tools` before `before`.
  TPictureAdjuster(QMenu* tools, QAction* before, TShow show, QObject* parent);

  // A picture was loaded (an operation's own picture is not taken as loaded);
  // its caption, `made` (translated) followed by Label(), shown on `pane` and
  // as the readout at rest.
  void Loaded(const TBitmap& picture, const TPictureSource& source, QWidget& pane, TPaneTools& tools, const QString& made);
  // True while an operation shows its picture.
  bool Applying() const { return applying_; }
  const TPictureOperations& Operations() const { return operations_; }
  // "画像の調整：白黒反転、90° 回転", the label on 読み込み画像; empty when none is applied.
  QString Label() const;
  // `made` (what the sample maker made, or empty) followed by Label().
  QString Caption(const QString& made) const;
  // That caption on the pane 読み込み画像 and as the readout at rest.
  void ShowCaption(QWidget& pane, TPaneTools& tools, const QString& made) const;
  // The picture as loaded with `operations`; nothing without a picture.
  void Apply(const TPictureOperations& operations);

 private:
  TShow show_;
  TBitmap original_;
  TPictureSource source_;
  TPictureOperations operations_;
  bool applying_ = false;
};
