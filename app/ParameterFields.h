#pragma once

#include <array>

#include <QObject>
#include <QSpinBox>
#include <QString>

#include "UiLanguage.h"
#include "decoder/Analysis.h"
#include "decoder/Parameters.h"

class QLabel;
class QWidget;

// A spin field over one parameter's range, starting at its preset, whose
// reading never fails: a text that is not an integer reads as the minimum,
// and a typed value is brought back into the range when the field loses the
// keyboard focus (a typed 999 stays 999 until then, and becomes the maximum).
class TSpinEdit : public QSpinBox {
 public:
  TSpinEdit(const TParameterRange& range, QWidget* parent);
  int ReadValue() const;

 protected:
  QValidator::State validate(QString& input, int& position) const override;
  void fixup(QString& input) const override;
};

// The three parameter fields of the top bar, each with its caption at its
// place, and a note to their right that is shown only while a field holds
// another value than its preset, so that values set for one picture do not
// pass unnoticed to the next.
class TParameterFields : public QObject {
 public:
  explicit TParameterFields(QWidget& bar);

  // The values as the analysis reads them, what is typed included.
  TAnalysisParameters Read() const;
  // What is typed, taken as if the fields had lost the focus.
  void Interpret();
  void Set(const TAnalysisParameters& parameters);
  // Every field at its preset (decoder/Parameters.h).
  void ResetToPresets();

  // The note: "既定値と異なる値：" followed by "NAME value（既定 preset）" for
  // each parameter whose value, read as the analysis reads it, differs from
  // its preset, in the fields' order, joined by "、"; empty when none does.
  TUiText DifferenceText() const;
  TSpinEdit* Field(TParameter parameter) const { return fields_[static_cast<std::size_t>(parameter)]; }

 private:
  void ShowDifferences();

  std::array<TSpinEdit*, kParameterRanges.size()> fields_{};
  QLabel* note_ = nullptr;
};
