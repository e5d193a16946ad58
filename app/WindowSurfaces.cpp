#include "WindowSurfaces.h"

#include <QKeyEvent>

#include "common/VisibleText.h"

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) { setReadOnly(true); }

void TMemo::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && !wantReturns_) {
    event->ignore();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

// ---------------------------------------------------------------------------

class TWindowSurfaces::TViewImagePane : public TImagePane {
 public:
  TImageView* view = nullptr;
};

// Keeps the lines in the registry and collects them for the widget, which
// receives them in one block at the next refresh. The widget shows control
// characters as escapes; the registry, from which files are written, keeps
// each line as the stage wrote it.
class TWindowSurfaces::TMemoTextPane : public TTextPane {
 public:
  TMemo* memo = nullptr;

  void AppendLine(const std::string& line) override {
    TTextPane::AppendLine(line);
    const std::string shown = VisibleText(line);
    pending_.append(QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())));
  }
  void Clear() override {
    TTextPane::Clear();
    pending_.clear();
    if (memo) memo->clear();
  }
  void Flush() {
    if (pending_.isEmpty() || !memo) return;
    memo->appendPlainText(pending_.join(QLatin1Char('\n')));
    pending_.clear();
  }

 private:
  QStringList pending_;
};

TWindowSurfaces::TWindowSurfaces() {
  for (std::size_t i = 0; i < kImagePaneCount; ++i) {
    imagePanes_[i] = std::make_unique<TViewImagePane>();
    InstallImagePane(static_cast<TImagePaneId>(i), imagePanes_[i].get());
  }
  for (std::size_t i = 0; i < kTextPaneCount; ++i) {
    textPanes_[i] = std::make_unique<TMemoTextPane>();
    InstallTextPane(static_cast<TTextPaneId>(i), textPanes_[i].get());
  }
}

TWindowSurfaces::~TWindowSurfaces() = default;

void TWindowSurfaces::BindImage(TImagePaneId id, TImageView* view) {
  imagePanes_[static_cast<std::size_t>(id)]->view = view;
}

void TWindowSurfaces::BindText(TTextPaneId id, TMemo* memo) {
  textPanes_[static_cast<std::size_t>(id)]->memo = memo;
}

void TWindowSurfaces::BindStatus(QLabel* panel0, QLabel* panel1) { statusPanels_ = {panel0, panel1}; }

void TWindowSurfaces::SetStatus(int panel, const std::string& text) {
  TSurfaces::SetStatus(panel, text);
  if (panel != 0 && panel != 1) return;
  if (QLabel* label = statusPanels_[static_cast<std::size_t>(panel)]) {
    const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    label->setText(shown);
    label->setToolTip(shown);  // panel 1 is narrow; the whole text stays reachable
  }
}

std::vector<TImagePaneId> TWindowSurfaces::Refresh() {
  std::vector<TImagePaneId> changed;
  for (std::size_t i = 0; i < kImagePaneCount; ++i)
    if (RefreshImage(static_cast<TImagePaneId>(i))) changed.push_back(static_cast<TImagePaneId>(i));
  for (auto& pane : textPanes_) pane->Flush();
  return changed;
}

bool TWindowSurfaces::RefreshImage(TImagePaneId id) {
  // A view keeps a copy of the picture it shows, so a stage that painted on
  // the pane's picture since has given the pane pixels of its own: only
  // pictures that the view shows already are passed over.
  TViewImagePane& pane = *imagePanes_[static_cast<std::size_t>(id)];
  if (!pane.view || pane.view->Shows(pane.CurrentPicture())) return false;
  pane.view->SetPicture(pane.CurrentPicture(), &scaler_);
  return true;
}

TImageView* TWindowSurfaces::View(TImagePaneId id) const { return imagePanes_[static_cast<std::size_t>(id)]->view; }

TMemo* TWindowSurfaces::Memo(TTextPaneId id) const { return textPanes_[static_cast<std::size_t>(id)]->memo; }
