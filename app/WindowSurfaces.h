#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>

#include "ImageView.h"
#include "PaneScaler.h"
#include "common/Bitmap.h"
#include "common/Surfaces.h"

// A text pane: read-only (its lines can be selected and copied, not typed
// over). `WantReturns` false leaves the Enter key to the window.
class TMemo : public QPlainTextEdit {
 public:
  explicit TMemo(QWidget* parent = nullptr);
  void SetWantReturns(bool want) { wantReturns_ = want; }
  bool WantReturns() const { return wantReturns_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool wantReturns_ = true;
};

// The display surfaces of the main window. The stages write into the
// registry while the decode runs (the window does not repaint then);
// Refresh() brings the widgets up to date afterwards, in one pass.
class TWindowSurfaces : public TSurfaces {
 public:
  TWindowSurfaces();
  ~TWindowSurfaces() override;

  void BindImage(TImagePaneId id, TImageView* view);
  void BindText(TTextPaneId id, TMemo* memo);
  void BindStatus(QLabel* panel0, QLabel* panel1);

  void SetStatus(int panel, const std::string& text) override;

  // Shows every pane's current picture and the lines appended since the last
  // refresh. A pane whose picture has not changed since it was shown is left
  // alone. Returns the image panes that got a new picture.
  std::vector<TImagePaneId> Refresh();
  // Shows one image pane's current picture; true when it was a new one.
  bool RefreshImage(TImagePaneId id);
  // The widget of an image or text pane (null before it is bound).
  TImageView* View(TImagePaneId id) const;
  TMemo* Memo(TTextPaneId id) const;

 private:
  class TViewImagePane;
  class TMemoTextPane;

  std::array<std::unique_ptr<TViewImagePane>, kImagePaneCount> imagePanes_;
  std::array<std::unique_ptr<TMemoTextPane>, kTextPaneCount> textPanes_;
  std::array<QLabel*, 2> statusPanels_{};
  TPaneScaler scaler_;
};
