#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QString>
#include <QWidget>

#include "common/Plane.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QSpinBox;
class QTabWidget;
class QTimer;
class TLab;
class TLabMatrixView;
class TImageView;
class TVeltrix;

// The error-correction lab ("ツール" → "誤り訂正の実験…"), beside the main
// window: the module matrix of the last analysis as the sampling stage read
// it, changed by the mouse or by the damage commands, and decoded again after
// each change by the lab's own facade (TLab), which never touches the main
// window's facade or panes. Per block it shows the codewords received and
// corrected (the wrong ones marked), both decoders' syndromes, the trace lines
// of the correction, the outcome set against what the level promises, and
// the differences from the unchanged matrix; a step control walks the
// codewords in reading order.
class TLabWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TLabWindow(QWidget* parent = nullptr);
  ~TLabWindow() override;

  // Starts over from `sampled` (a copy is kept). False, with the reason shown,
  // when it is not a symbol's matrix; the window then holds no matrix.
  bool Open(const TPlaneBoolean& sampled);
  // Open on the module matrix the last decode of `facade` sampled; without
  // one (no facade, or a decode that stopped before sampling), says so.
  bool OpenFrom(const TVeltrix* facade);
  // The lab of the matrix opened (nullptr before or after a refusal).
  const TLab* Lab() const { return lab_.get(); }
  TLabMatrixView& MatrixView() const { return *view_; }

  // The damage commands, each one step, the matrix decoded again after it;
  // a command the matrix refuses shows the reason and changes nothing.
  bool SpoilCodeword(std::int32_t index);
  bool SpoilRandom(std::int32_t block, std::int32_t count, std::uint64_t seed);
  bool SpoilBurst(std::int32_t first, std::int32_t count);
  bool Undo();
  void RestoreAll();
  // Moves the reading-order step by `delta` codewords (wrapping round).
  void Step(int delta);

  // What the summary and the details panes show now, and the message line.
  QString Summary() const;
  QString Details() const;
  QString Message() const;

 private:
  QWidget* BuildDamageControls();
  QWidget* BuildStepControls();
  // The texts set in each language by the window itself.
  void ShowOwnTexts();
  // Decodes the matrix as changed now and shows the outcome.
  void Decode();
  void ShowRun();
  void ShowStep();
  // The masks' page made again for the matrix opened.
  void ShowMasks();
  // The listing's lines of the wrong codewords, and of the one stepped to, marked.
  void MarkListing(const std::vector<std::int32_t>& wrong, std::int32_t index);
  // Runs a change of the matrix; a refusal is shown instead.
  bool Change(const std::function<void()>& change);

  std::unique_ptr<TLab> lab_;
  TLabMatrixView* view_ = nullptr;
  QCheckBox* erasing_ = nullptr;
  QSpinBox* codeword_ = nullptr;
  QSpinBox* block_ = nullptr;
  QSpinBox* count_ = nullptr;
  QSpinBox* seed_ = nullptr;
  QSpinBox* burstFirst_ = nullptr;
  QSpinBox* burstCount_ = nullptr;
  QLabel* burstFrom_ = nullptr;
  QSpinBox* step_ = nullptr;
  QLabel* stepText_ = nullptr;
  QTimer* play_ = nullptr;
  QLabel* message_ = nullptr;
  QPlainTextEdit* summary_ = nullptr;
  QPlainTextEdit* details_ = nullptr;
  QPlainTextEdit* interleaving_ = nullptr;
  QPlainTextEdit* listing_ = nullptr;
  QTabWidget* pages_ = nullptr;
  // The lab's DigitImage, BlockImage, MaskImage and ResultImage.
  std::array<TImageView*, 4> panes_{};
};
