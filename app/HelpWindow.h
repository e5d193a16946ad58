#pragma once

#include <vector>

#include <QIcon>
#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTextBrowser;

// The built-in manual: docs/manual/ compiled in as the Qt resources under
// :/manual (its format is described in docs/manual/README.md).

enum class TManualLanguage { Japanese, English, Both };

// A named place of the manual: the heading that follows the marker
// "<!-- anchor: NAME -->" in the source.
struct TManualAnchor {
  QString name;
  int level = 0;
  QString heading;
};

// The manual of one language (or both, Japanese first) as Markdown with the
// stage explanations included, and its anchors in source order.
struct TManualText {
  QString markdown;
  std::vector<TManualAnchor> anchors;
};

// Reads manual-ja.md, manual-en.md and stages.md from the folder `root`.
// A file missing, empty or not UTF-8, an inclusion naming no entry, a damaged
// stages.md or a marker without a heading after it throws std::runtime_error
// with a message naming the file.
TManualText LoadManual(const QString& root, TManualLanguage language);

// The anchor of the section about the window page `pageName` (the page's
// object name); the title for a name that is no page.
QString ManualSection(const QString& pageName, TManualLanguage language);

// The program's icon, drawn from its SVG.
QIcon MoriluxIcon();

// The help window: the manual in a browser, its headings as a contents list,
// a search field and the choice of language.
class THelpWindow : public QWidget {
  Q_OBJECT

 public:
  // `root` is the folder the manual is read from (the resources by default).
  explicit THelpWindow(QString root = QStringLiteral(":/manual"), QWidget* parent = nullptr);

  // Shows the window at the section about the page `pageName`. Returns an
  // empty text, or the message saying why the manual cannot be shown (the
  // window then stays closed).
  QString OpenAtPage(const QString& pageName);
  // Scrolls to an anchor of the manual in the language shown.
  void ShowSection(const QString& anchor);
  // Selects the next (or previous) occurrence of `text`, wrapping at the end,
  // and highlights every occurrence; false when there is none.
  bool Find(const QString& text, bool backward = false);

  TManualLanguage Language() const { return language_; }
  // Loads the manual in `language` at the counterpart of the section shown.
  // Returns the message of a manual that cannot be loaded, as OpenAtPage.
  QString SetLanguage(TManualLanguage language);

  // The section whose heading is at the top of the browser, or the one
  // above it.
  QString CurrentSection() const;
  QTextBrowser* Browser() const { return browser_; }
  QListWidget* Contents() const { return contents_; }

 private:
  QString Load(TManualLanguage language);
  void ApplyAnchors(const std::vector<TManualAnchor>& anchors);
  void FillContents();
  void Highlight(const QString& text);
  void SearchFrom(bool backward);

  QString root_;
  TManualLanguage language_ = TManualLanguage::Japanese;
  bool loaded_ = false;
  // Each anchor with the number of its heading block.
  std::vector<std::pair<QString, int>> anchorBlocks_;

  QTextBrowser* browser_ = nullptr;
  QListWidget* contents_ = nullptr;
  QLineEdit* search_ = nullptr;
  QLabel* found_ = nullptr;
  QComboBox* languages_ = nullptr;
};
