#include "WindowPages.h"

#include <string>

#include <QFrame>
#include <QLabel>
#include <QTabWidget>

#include "DiagnosisPage.h"
#include "ImageView.h"
#include "PaneFit.h"
#include "WindowSurfaces.h"
#include "report/Pages.h"

namespace {

// An image pane's sunken frame, 8 pixels above and to the left of the pane.
constexpr int kFrameSize = 441;
constexpr int kFrameOffset = 8;

QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// The window asks for the fonts it was designed with; on a machine without
// them the next installed Japanese family takes over, so that captions and
// trace lines never show empty boxes.
QFont DesignFont(const QString& name, const QStringList& fallbacks, bool fixedPitch) {
  QFont font;
  QStringList families{name};
  families << fallbacks;
  font.setFamilies(families);
  font.setPixelSize(12);
  if (fixedPitch) {
    font.setFixedPitch(true);
    font.setStyleHint(QFont::Monospace);
  }
  return font;
}

QFont MemoFont() {
  return DesignFont(QStringLiteral("ＭＳ ゴシック"),
                    {QStringLiteral("MS Gothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                     QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic"),
                     QStringLiteral("Noto Sans CJK JP")},
                    true);
}

TImageView* AddImagePane(QWidget* page, const TPagePane& pane, TPaneFit& fit) {
  const QString name = Q(PaneName(pane.image));
  auto* frame = new QFrame(page);
  frame->setObjectName(name + QStringLiteral("Frame"));
  frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  frame->setGeometry(pane.at.x - kFrameOffset, pane.at.y - kFrameOffset, kFrameSize, kFrameSize);
  auto* view = new TImageView(page);
  view->setObjectName(name);
  view->setGeometry(pane.at.x, pane.at.y, pane.width, pane.height);
  view->raise();
  fit.AddFrame(*frame, *view);
  return view;
}

TMemo* AddTextPane(QWidget* page, const TPagePane& pane, TPaneFit& fit) {
  auto* memo = new TMemo(page);
  memo->setObjectName(Q(PaneName(pane.text)));
  memo->setFont(MemoFont());
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo->setGeometry(pane.at.x, pane.at.y, pane.width, pane.height);
  switch (pane.style) {
    case TPagePane::TTextStyle::Plain: break;
    case TPagePane::TTextStyle::Anchored: fit.AddAnchored(*memo, memo->geometry()); break;
    case TPagePane::TTextStyle::Trace:
      memo->setLineWrapMode(QPlainTextEdit::NoWrap);
      // Unwrapped trace lines may run past the pane; let them be scrolled to.
      memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
      memo->SetWantReturns(false);
      break;
  }
  return memo;
}

}  // namespace

QFont WindowFont() {
  return DesignFont(QStringLiteral("ＭＳ Ｐゴシック"),
                    {QStringLiteral("MS PGothic"), QStringLiteral("Noto Sans CJK JP"),
                     QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),
                     QStringLiteral("Droid Sans Fallback")},
                    false);
}

QLabel* AddLabel(QWidget* parent, const QString& text, int x, int y, const char* name) {
  auto* label = new QLabel(text, parent);
  if (name) label->setObjectName(QString::fromLatin1(name));
  label->move(x, y);
  label->adjustSize();
  return label;
}

TWindowPages BuildWindowPages(TWindowSurfaces& surfaces, std::function<void()> explore) {
  TWindowPages built;
  built.control = new QTabWidget;
  built.control->setObjectName(QStringLiteral("PageControl1"));
  built.fit = new TPaneFit(*built.control);
  for (const TPage& entry : Pages()) {
    QWidget* page = nullptr;
    if (entry.body == TPage::TBody::Diagnosis) {
      built.diagnosis = new TDiagnosisPage(explore);
      page = built.diagnosis;
    } else {
      page = new QWidget;
      built.fit->AddPage(*page);
    }
    page->setObjectName(Q(entry.objectName));
    built.control->addTab(page, Q(entry.caption));
    if (entry.work.kind == TPageWork::TKind::Load) built.loadPage = page;
    for (const TPagePane& pane : entry.panes) {
      if (!pane.label.empty()) AddLabel(page, Q(pane.label), pane.labelAt.x, pane.labelAt.y);
      if (pane.kind == TPagePane::TKind::Image)
        surfaces.BindImage(pane.image, AddImagePane(page, pane, *built.fit));
      else
        surfaces.BindText(pane.text, AddTextPane(page, pane, *built.fit));
    }
  }
  built.control->setCurrentIndex(static_cast<int>(&OpeningPage() - Pages().data()));
  return built;
}
