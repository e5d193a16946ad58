#include "HelpWindow.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>

#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QImageReader>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStringDecoder>
#include <QSvgRenderer>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "WindowKeys.h"
#include "WindowPlacement.h"
#include "report/Pages.h"
#include "report/StageTexts.h"
#include "UiLanguage.h"

namespace {

[[noreturn]] void Damaged(const QString& file, const QString& what) {
  throw std::runtime_error(QStringLiteral("%1: %2").arg(file, what).toStdString());
}

QString ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) Damaged(path, QStringLiteral("the file is missing"));
  const QByteArray bytes = file.readAll();
  if (bytes.isEmpty()) Damaged(path, QStringLiteral("the file is empty"));
  QStringDecoder decoder(QStringDecoder::Utf8);
  QString text = decoder(bytes);
  if (decoder.hasError()) Damaged(path, QStringLiteral("the file is not UTF-8 text"));
  return text;
}

// Appends one manual file with its stage inclusions replaced, and collects
// its anchor markers with the heading under each.
void AppendManual(const QString& path, const TStageTexts& stages, TManualText& out) {
  static const QRegularExpression inclusion(QStringLiteral(R"(^\{\{stage:([A-Za-z][A-Za-z0-9_]*):(ja|en)\}\}\s*$)"));
  static const QRegularExpression marker(QStringLiteral(R"(^<!--\s*anchor:\s*(\S+)\s*-->\s*$)"));
  static const QRegularExpression heading(QStringLiteral(R"(^(#{1,6})\s+(.*?)\s*$)"));
  std::optional<QString> pending;
  bool inComment = false;
  qsizetype number = 0;
  const QString source = ReadText(path);
  for (QString line : source.split(QLatin1Char('\n'))) {
    ++number;
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    // Comments never reach the Markdown reader, which would run the lines
    // after one that spans several lines into the next heading.
    if (inComment || line.startsWith(QLatin1String("<!--"))) {
      inComment = !line.contains(QLatin1String("-->"));
      if (const QRegularExpressionMatch match = marker.match(line); match.hasMatch()) pending = match.captured(1);
      continue;
    }
    if (pending && !line.trimmed().isEmpty()) {
      const QRegularExpressionMatch match = heading.match(line);
      if (!match.hasMatch())
        Damaged(path, QStringLiteral("line %1: the anchor %2 has no heading after it").arg(number).arg(*pending));
      out.anchors.push_back({*pending, static_cast<int>(match.capturedLength(1)), match.captured(2)});
      pending.reset();
    }
    if (const QRegularExpressionMatch match = inclusion.match(line); match.hasMatch()) {
      try {
        const TStageText& stage = stages.At(match.captured(1).toStdString());
        line = QString::fromStdString(match.captured(2) == QLatin1String("ja") ? stage.ja : stage.en);
      } catch (const TStageTextError& error) {
        Damaged(path, QStringLiteral("line %1: %2").arg(number).arg(QString::fromUtf8(error.what())));
      }
    }
    out.markdown += line;
    out.markdown += QLatin1Char('\n');
  }
  if (pending) Damaged(path, QStringLiteral("the anchor %1 has no heading after it").arg(*pending));
}

// Screenshots of the window are wider than the browser beside the contents;
// they are shown at most this wide, their proportions kept.
constexpr int kPictureWidth = 680;

void FitPictures(QTextDocument& document, const QString& root) {
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
      QTextImageFormat format = fragment.fragment().charFormat().toImageFormat();
      if (!format.isValid()) continue;
      const QSize size = QImageReader(root + QLatin1Char('/') + format.name()).size();
      if (size.width() <= kPictureWidth) continue;
      format.setWidth(kPictureWidth);
      format.setHeight(static_cast<double>(size.height()) * kPictureWidth / size.width());
      QTextCursor cursor(&document);
      cursor.setPosition(fragment.fragment().position());
      cursor.setPosition(fragment.fragment().position() + fragment.fragment().length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(format);
    }
}

// The counterpart of an anchor in the other language ("x" and "en-x").
QString Counterpart(const QString& anchor, TManualLanguage language) {
  const QString bare = anchor.startsWith(QLatin1String("en-")) ? anchor.mid(3) : anchor;
  return language == TManualLanguage::English ? QStringLiteral("en-") + bare : bare;
}

}  // namespace

TManualText LoadManual(const QString& root, TManualLanguage language) {
  const QString stagesPath = root + QStringLiteral("/stages.md");
  const QByteArray stageBytes = ReadText(stagesPath).toUtf8();
  TStageTexts stages;
  try {
    stages = TStageTexts::Parse(std::string_view(stageBytes.constData(), static_cast<std::size_t>(stageBytes.size())));
  } catch (const TStageTextError& error) {
    Damaged(stagesPath, QString::fromUtf8(error.what()));
  }
  TManualText text;
  if (language != TManualLanguage::English) AppendManual(root + QStringLiteral("/manual-ja.md"), stages, text);
  if (language != TManualLanguage::Japanese) {
    if (!text.markdown.isEmpty()) text.markdown += QLatin1Char('\n');
    AppendManual(root + QStringLiteral("/manual-en.md"), stages, text);
  }
  return text;
}

QString ManualSection(const QString& pageName, TManualLanguage language) {
  const TPage* page = FindPage(pageName.toStdString());
  const std::string_view anchor = page ? page->manualAnchor : std::string_view("top");
  return Counterpart(QString::fromUtf8(anchor.data(), static_cast<qsizetype>(anchor.size())), language);
}

QIcon MoriluxIcon() {
  QSvgRenderer renderer(QStringLiteral(":/icons/morilux.svg"));
  QIcon icon;
  if (!renderer.isValid()) return icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

// ---------------------------------------------------------------------------

THelpWindow::THelpWindow(QString root, QWidget* parent) : QWidget(parent, Qt::Window), root_(std::move(root)) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(Ui(QStringLiteral("Morilux マニュアル")));
  setWindowIcon(MoriluxIcon());
  PlaceOnScreen(*this, QSize(1000, 700));
  CloseWithKeys(*this);

  languages_ = new QComboBox;
  languages_->setObjectName(QStringLiteral("HelpLanguage"));
  languages_->addItems({Ui(QStringLiteral("日本語")), QStringLiteral("English"), Ui(QStringLiteral("日本語 + English"))});
  search_ = new QLineEdit;
  search_->setObjectName(QStringLiteral("HelpSearch"));
  search_->setPlaceholderText(Ui(QStringLiteral("検索 (Ctrl+F)")));
  search_->setClearButtonEnabled(true);
  auto* previous = new QPushButton(Ui(QStringLiteral("前へ")));
  auto* next = new QPushButton(Ui(QStringLiteral("次へ")));
  found_ = new QLabel;
  found_->setObjectName(QStringLiteral("HelpFound"));

  auto* bar = new QHBoxLayout;
  bar->addWidget(languages_);
  bar->addWidget(search_, 1);
  bar->addWidget(previous);
  bar->addWidget(next);
  bar->addWidget(found_);

  contents_ = new QListWidget;
  contents_->setObjectName(QStringLiteral("HelpContents"));
  browser_ = new QTextBrowser;
  browser_->setObjectName(QStringLiteral("HelpBrowser"));
  browser_->setOpenLinks(true);
  browser_->setOpenExternalLinks(false);
  auto* split = new QSplitter;
  split->addWidget(contents_);
  split->addWidget(browser_);
  split->setStretchFactor(1, 1);
  split->setSizes({260, 740});

  auto* column = new QVBoxLayout(this);
  column->addLayout(bar);
  column->addWidget(split, 1);

  // The manual opens in the window's language, and follows a switch.
  if (InEnglish()) language_ = TManualLanguage::English;
  connect(&UiLanguageNotifier(), &TUiLanguageNotifier::Changed, this, [this] {
    const TManualLanguage language = InEnglish() ? TManualLanguage::English : TManualLanguage::Japanese;
    if (!loaded_)
      language_ = language;
    else if (language != language_)
      SetLanguage(language);
  });
  connect(languages_, &QComboBox::currentIndexChanged, this, [this](int index) {
    const QString error = SetLanguage(static_cast<TManualLanguage>(index));
    if (!error.isEmpty()) found_->setText(error);
  });
  connect(contents_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    const QTextBlock block = browser_->document()->findBlockByNumber(item->data(Qt::UserRole).toInt());
    browser_->verticalScrollBar()->setValue(
        static_cast<int>(browser_->document()->documentLayout()->blockBoundingRect(block).top()));
  });
  connect(contents_, &QListWidget::itemClicked, contents_, &QListWidget::itemActivated);
  connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) { Highlight(text); });
  connect(search_, &QLineEdit::returnPressed, this, [this] { SearchFrom(false); });
  connect(next, &QPushButton::clicked, this, [this] { SearchFrom(false); });
  connect(previous, &QPushButton::clicked, this, [this] { SearchFrom(true); });
  connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
    search_->setFocus();
    search_->selectAll();
  });
  connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this, [this] { SearchFrom(false); });
  connect(new QShortcut(QKeySequence::FindPrevious, this), &QShortcut::activated, this, [this] { SearchFrom(true); });
}

QString THelpWindow::OpenAtPage(const QString& pageName) {
  if (!loaded_) {
    if (QString error = Load(language_); !error.isEmpty()) return error;
  }
  show();
  raise();
  activateWindow();
  ShowSection(ManualSection(pageName, language_));
  return {};
}

QString THelpWindow::SetLanguage(TManualLanguage language) {
  const QString section = loaded_ ? CurrentSection() : QString();
  if (QString error = Load(language); !error.isEmpty()) {
    const QSignalBlocker quiet(languages_);
    languages_->setCurrentIndex(static_cast<int>(language_));
    return error;
  }
  if (!section.isEmpty()) ShowSection(Counterpart(section, language));
  return {};
}

QString THelpWindow::Load(TManualLanguage language) {
  auto* document = new QTextDocument(browser_);
  try {
    const TManualText text = LoadManual(root_, language);
    document->setMarkdown(text.markdown);
    anchorBlocks_.clear();
    QTextBlock block = document->begin();
    for (const TManualAnchor& anchor : text.anchors) {
      while (block.isValid() &&
             (block.blockFormat().headingLevel() != anchor.level || block.text() != anchor.heading))
        block = block.next();
      if (!block.isValid())
        throw std::runtime_error(
            QStringLiteral("the heading of the anchor %1 (%2) is missing").arg(anchor.name, anchor.heading).toStdString());
      QTextCursor cursor(block);
      cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
      QTextCharFormat format;
      format.setAnchor(true);
      format.setAnchorNames({anchor.name});
      cursor.mergeCharFormat(format);
      anchorBlocks_.emplace_back(anchor.name, block.blockNumber());
      block = block.next();
    }
    FitPictures(*document, root_);
  } catch (const std::exception& error) {
    delete document;
    return Ui(QStringLiteral("マニュアルを表示できません（%1）。")).arg(QString::fromUtf8(error.what()));
  }
  // The browser's first document belongs to it and goes with setDocument;
  // the later ones are this window's.
  QTextDocument* old = browser_->document();
  QTextDocument* const ours = old->parent() == browser_ ? old : nullptr;
  // The search marks hold places in the old text; the browser keeps them
  // across setDocument and reads them on the next change of marks, by which
  // time that text is gone.
  browser_->setExtraSelections({});
  browser_->setSearchPaths({root_});
  browser_->setDocument(document);
  delete ours;
  language_ = language;
  loaded_ = true;
  {
    const QSignalBlocker quiet(languages_);
    languages_->setCurrentIndex(static_cast<int>(language));
  }
  FillContents();
  Highlight(search_->text());
  return {};
}

void THelpWindow::FillContents() {
  contents_->clear();
  for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
    const int level = block.blockFormat().headingLevel();
    if (level < 1 || level > 3) continue;
    auto* item = new QListWidgetItem(QString(2 * (level - 1), QLatin1Char(' ')) + block.text(), contents_);
    item->setData(Qt::UserRole, block.blockNumber());
  }
}

void THelpWindow::ShowSection(const QString& anchor) {
  const auto found = std::find_if(anchorBlocks_.begin(), anchorBlocks_.end(),
                                  [&](const auto& entry) { return entry.first == anchor; });
  // A search goes on from the section shown.
  if (found != anchorBlocks_.end())
    browser_->setTextCursor(QTextCursor(browser_->document()->findBlockByNumber(found->second)));
  browser_->scrollToAnchor(anchor);
  if (found == anchorBlocks_.end()) return;
  for (int row = 0; row < contents_->count(); ++row) {
    if (contents_->item(row)->data(Qt::UserRole).toInt() != found->second) continue;
    const QSignalBlocker quiet(contents_);
    contents_->setCurrentRow(row);
    contents_->scrollToItem(contents_->item(row), QAbstractItemView::PositionAtTop);
    break;
  }
}

QString THelpWindow::CurrentSection() const {
  // A little below the top edge, so that the heading's own line is the one read.
  const int top = browser_->cursorForPosition(QPoint(4, 8)).blockNumber();
  QString section;
  for (const auto& [name, block] : anchorBlocks_)
    if (block <= top) section = name;
  return section;
}

void THelpWindow::Highlight(const QString& text) {
  QList<QTextEdit::ExtraSelection> marks;
  if (!text.isEmpty()) {
    QTextCharFormat format;
    format.setBackground(QColor(255, 230, 90));
    for (QTextCursor at = browser_->document()->find(text); !at.isNull();
         at = browser_->document()->find(text, at))
      marks.push_back({at, format});
  }
  browser_->setExtraSelections(marks);
  found_->setText(text.isEmpty()    ? QString()
                  : marks.isEmpty() ? Ui(QStringLiteral("見つかりません")).Text()
                                    : Ui(QStringLiteral("%1 件")).arg(marks.size()).Text());
}

bool THelpWindow::Find(const QString& text, bool backward) {
  if (search_->text() != text) search_->setText(text);
  Highlight(text);
  if (text.isEmpty()) return false;
  const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  if (browser_->find(text, flags)) return true;
  QTextCursor wrapped = browser_->textCursor();
  wrapped.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
  browser_->setTextCursor(wrapped);
  return browser_->find(text, flags);
}

void THelpWindow::SearchFrom(bool backward) { Find(search_->text(), backward); }
