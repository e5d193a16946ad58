// Qt's own texts in the Japanese window: the file dialogs (Qt's own, not the
// desktop's), message-box buttons and the text panes' context menu, beside
// the window's own Japanese commands.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

#include "QtTranslation.h"
#include "WindowTestSupport.h"

namespace {

using window_testing::MainWindow;

class JapaneseQt : public MainWindow {
 protected:
  void SetUp() override {
    translator_ = InstallQtJapanese(*QCoreApplication::instance());
    ASSERT_NE(translator_, nullptr) << "qtbase_ja.qm is missing (Debian package qt6-translations-l10n)";
    MainWindow::SetUp();
  }
  void TearDown() override {
    QCoreApplication::removeTranslator(translator_);
    delete translator_;
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
  }
  static QStringList Texts(const QList<QAbstractButton*>& buttons) {
    QStringList texts;
    for (const QAbstractButton* button : buttons) texts << button->text();
    return texts;
  }

 private:
  QTranslator* translator_ = nullptr;
};

TEST_F(JapaneseQt, FileDialogsAreQtsOwnAndJapanese) {
  EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs));
  QFileDialog save(form_.get());
  save.setAcceptMode(QFileDialog::AcceptSave);
  const struct {
    QFileDialog* dialog;
    QStringList buttons;
  } cases[] = {{Find<QFileDialog>("OpenDialog1"), {"開く(&O)", "キャンセル"}},
               {Find<QFileDialog>("OpenAnyDialog"), {"開く(&O)", "キャンセル"}},
               {&save, {"保存(&S)", "キャンセル"}}};
  for (const auto& test : cases) {
    test.dialog->open();
    // Qt's own dialog is made of widgets; the desktop's would have none.
    auto* box = test.dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Texts(box->buttons()), test.buttons);
    QStringList labels;
    for (const QLabel* label : test.dialog->findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains("ファイル名(&N):")) << labels.join(" | ").toStdString();
    EXPECT_TRUE(labels.contains("ファイルの種類:")) << labels.join(" | ").toStdString();
    test.dialog->reject();
  }
}

TEST_F(JapaneseQt, MessageBoxButtonsAreJapanese) {
  QMessageBox box(QMessageBox::Warning, "Morilux", "text", QMessageBox::Ok | QMessageBox::Cancel, form_.get());
  box.setDetailedText("details");
  EXPECT_EQ(box.button(QMessageBox::Ok)->text(), "OK");
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "キャンセル");
  box.show();
  QStringList texts = Texts(box.buttons());
  EXPECT_TRUE(texts.contains("詳細を表示...")) << texts.join(" | ").toStdString();
}

// The menu the window shows on a text pane: Qt's commands in Japanese before
// the window's own.
TEST_F(JapaneseQt, TextPaneMenuIsJapaneseThroughout) {
  form_->show();
  auto* memo = Find<QPlainTextEdit>("ResultMemo");
  form_->Surfaces().Text(TTextPaneId::ResultMemo).AppendLine("line");
  form_->Surfaces().Refresh();
  memo->selectAll();
  QStringList items;
  QTimer::singleShot(0, [&items] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    for (const QAction* action : menu->actions())
      if (!action->isSeparator()) items << action->text().section(QLatin1Char('\t'), 0, 0);  // without the shortcut
    menu->close();
  });
  emit memo->customContextMenuRequested(QPoint(5, 5));
  for (const char* item : {"コピー(&C)", "すべてを選択", "すべてコピー", "テキストとして保存（UTF-8）…"})
    EXPECT_TRUE(items.contains(QString::fromUtf8(item))) << item << ": " << items.join(" | ").toStdString();
  for (const QString& item : items) EXPECT_FALSE(item.contains("Copy") || item.contains("Select")) << item.toStdString();
}

}  // namespace
