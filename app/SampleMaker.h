#pragma once

#include <array>
#include <functional>
#include <optional>

#include <QString>
#include <QWidget>

#include "UiLanguage.h"
#include "sample/Effects.h"
#include "sample/Sample.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;
class TImageView;

// The sample maker's window ("ツール" → "サンプル作成…"), beside the main
// window and not modal: the symbol's text, mode, version, level and mask, the
// printed size, one field per photograph effect of the effects table and the
// seed, and a preview made again a moment after each change. What it makes
// goes to the main window as the loaded picture, or into a PNG, BMP or JPEG
// file. A request the maker refuses shows its reason under the preview;
// nothing is made then, and nothing of the main window changes.
class TSampleMakerWindow : public QWidget {
  Q_OBJECT

 public:
  struct THooks {
    // The main window's load of a made picture.
    std::function<void(const TSample&)> load;
    // Asks for the name of a file to write (title, suggested name, filter); empty cancels.
    std::function<QString(const QString& title, const QString& suggested, const QString& filter)> chooseFile;
  };

  TSampleMakerWindow(QWidget* parent, THooks hooks);

  // The request the choices make now, what is typed in the fields included.
  // Throws TSampleError as ParseEffects does.
  TSampleRequest Request() const;
  // Every choice set from `request` (of the perspective, its one-value form:
  // the first corner's x offset).
  void SetRequest(const TSampleRequest& request);

  // Makes the sample of the choices now and shows it, or the refusal; the
  // preview otherwise follows a moment after the last change.
  bool MakeNow();
  // The sample shown, while the choices have not changed since; else nullptr.
  const TSample* Made() const;
  // "メインウィンドウに読み込む": the sample of the choices now, loaded by the
  // main window; false after a refusal.
  bool LoadIntoMainWindow();
  // "保存…": a name asked for, then Save; false when cancelled or not saved.
  bool SaveCommand();
  // The sample of the choices now saved as `path` (.png, .bmp, .jpg, .jpeg),
  // whole or not at all; false with the reason shown.
  bool Save(const QString& path);

  // The line under the preview: what was made, or why nothing was.
  QString MessageText() const;

 private:
  QWidget* BuildSymbolChoices();
  QWidget* BuildPrintChoices();
  QWidget* BuildEffectChoices();
  void Changed();
  void SetEffects(const TPhotoEffects& effects);
  void ShowMessage(const TUiText& text, bool refusal);
  // The sample of the choices now, made first when they changed.
  const TSample* Current();

  THooks hooks_;
  QPlainTextEdit* text_ = nullptr;
  QComboBox* mode_ = nullptr;
  QSpinBox* version_ = nullptr;
  QComboBox* level_ = nullptr;
  QSpinBox* mask_ = nullptr;
  QSpinBox* moduleSize_ = nullptr;
  QSpinBox* quietZone_ = nullptr;
  // One field per row of kEffects; the background's is a list.
  std::array<QDoubleSpinBox*, kEffects.size()> effects_{};
  QComboBox* background_ = nullptr;
  QDoubleSpinBox* seed_ = nullptr;
  TImageView* preview_ = nullptr;
  QLabel* message_ = nullptr;
  QPushButton* load_ = nullptr;
  QPushButton* save_ = nullptr;
  QTimer* remake_ = nullptr;

  std::optional<TSample> made_;
  // The choices changed since the sample shown was made.
  bool dirty_ = true;
  // Set while SetRequest fills the fields, whose changes then make nothing.
  bool filling_ = false;
};

// Shows `caption` (what a made picture is) under `pane`, the loaded
// picture's pane, in a label that follows the pane; an empty caption hides
// it. The label is made on first use, so that a window that never loads a
// made picture shows nothing of it.
void ShowSampleCaption(QWidget& pane, const QString& caption);

// What was made and how: the sample's own caption (SampleCaption, as the
// report shows it) and its English.
TUiText MadeCaption(const TSample& sample);
