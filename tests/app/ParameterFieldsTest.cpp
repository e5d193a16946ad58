// The parameter fields: the note that shows values other than the presets,
// and ツール → 既定値に戻す.

#include <string>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "WindowTestSupport.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

class ParameterFields : public MainWindow {
 protected:
  // Types `text` over the field's text, as a user does (the field keeps the focus).
  void Type(const char* field, const char* text) {
    QLineEdit* editor = Find<TSpinEdit>(field)->findChild<QLineEdit*>();
    editor->selectAll();
    if (*text == '\0')
      QTest::keyClick(editor, Qt::Key_Backspace);
    else
      QTest::keyClicks(editor, QString::fromLatin1(text));
  }
  QLabel* Note() { return Find<QLabel>("ParameterNote"); }
};

// The note names each value that differs from its preset, as the analysis
// would read it now (what is typed counts before the field is left), and is
// hidden while every value is its preset.
TEST_F(ParameterFields, TheNoteShowsEveryValueThatDiffersFromItsPreset) {
  form_->show();
  EXPECT_TRUE(Note()->isHidden());
  const struct {
    const char* resolver;
    const char* warp;
    const char* force;
    const char* note;
  } cases[] = {
      {"7", "6", "0", ""},
      {"20", "6", "0", "既定値と異なる値：Resolver 20（既定 7）"},
      {"7", "3", "2", "既定値と異なる値：Warp 3（既定 6）、ForceVersion 2（既定 0）"},
      {"999", "6", "0", "既定値と異なる値：Resolver 128（既定 7）"},  // typed past the range: read as the maximum
      {"7", "", "0", "既定値と異なる値：Warp 1（既定 6）"},           // no number: read as the minimum
      {"-5", "1", "40", "既定値と異なる値：Resolver -5（既定 7）、Warp 1（既定 6）、ForceVersion 40（既定 0）"},
      {"07", "6", "0", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.resolver) + " " + c.warp + " " + c.force);
    Type("SpinEdit1", c.resolver);
    Type("SpinEdit3", c.warp);
    Type("SpinEdit2", c.force);
    EXPECT_EQ(form_->Fields().DifferenceText().Text(), QString::fromUtf8(c.note));
    EXPECT_EQ(Note()->text(), QString::fromUtf8(c.note));
    EXPECT_EQ(Note()->isVisible(), *c.note != '\0');
  }
}

// 既定値に戻す puts every field at its preset, typed text included; the next
// analysis runs with the presets, and the note goes.
TEST_F(ParameterFields, PresetsCommandResetsEveryFieldAndTheNextAnalysisUsesThem) {
  ASSERT_EQ(Load(RenderSymbol(EncodeBytes("presets", 1, 1), 4), "presets.bmp"), TForm1::TLoadResult::Loaded);
  form_->show();
  form_->SetFieldsAndAnalyse({-40, 2, 1});
  EXPECT_EQ(form_->LastAnalysis().parameters, (TAnalysisParameters{-40, 2, 1}));
  Type("SpinEdit1", "99");  // typed, not yet left
  EXPECT_FALSE(Note()->isHidden());
  QAction* presets = Find<QAction>("PresetsAction");
  EXPECT_EQ(presets->text(), "既定値に戻す");
  presets->trigger();
  for (const auto& [field, preset] : {std::pair{"SpinEdit1", 7}, std::pair{"SpinEdit3", 6}, std::pair{"SpinEdit2", 0}}) {
    EXPECT_EQ(Find<TSpinEdit>(field)->value(), preset) << field;
    EXPECT_EQ(Find<TSpinEdit>(field)->text(), QString::number(preset)) << field;
  }
  EXPECT_TRUE(Note()->isHidden());
  Find<QAction>("AnalyseAction")->trigger();
  EXPECT_EQ(form_->LastAnalysis().parameters, TAnalysisParameters{});
  EXPECT_TRUE(form_->LastAnalysis().decoded);
}

}  // namespace
