#pragma once

#include <vector>

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QTabWidget;
class QWidget;

// Where the panes of the pages stand. By default every pane keeps its
// designed place and size (image panes 420 x 420), the text panes anchored
// to all sides keeping their distances from the page's sides, and a page is
// never smaller than its panes need while it is in front, so that a smaller
// window scrolls (the window's scroll area) instead of cutting them; a page
// of another kind (診断) then fits the window, its text wrapped.
//
// Fitted ("ウィンドウに合わせる"), the whole arrangement of each page is
// scaled alike with the page, from the designed page size: larger in a larger
// window, smaller in a smaller one down to half size, below which the page
// scrolls again. Frames stay around their panes and captions keep their size.
class TPaneFit : public QObject {
 public:
  // The page size at which the panes stand at their designed places (the
  // page of a window at its design size).
  static constexpr QSize kDesignPage{975, 546};
  // The smallest scale of a fitted page.
  static constexpr double kSmallestScale = 0.5;

  // `pages`: the page control, whose page in front sets the smallest size.
  explicit TPaneFit(QTabWidget& pages);

  // While the pages are built: a page of panes, a text pane anchored to all
  // of its page's sides, and the sunken frame around an image pane.
  void AddPage(QWidget& page);
  void AddAnchored(QWidget& pane, const QRect& designed);
  void AddFrame(QWidget& frame, QWidget& pane);
  // Once every widget of the pages is in place (the inspector's legends
  // included): takes their places as the designed ones and keeps each page at
  // least as large as they need.
  void RecordDesign();

  void SetFitted(bool fitted);
  bool Fitted() const { return fitted_; }
  // The scale of `page` as it is placed now (1 unless fitted).
  double ScaleOf(const QWidget& page) const;
  // The smallest page that shows every pane whole at the designed size.
  QSize DesignedMinimum() const { return minimum_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class THow { Scaled, Anchored, Caption, Frame };
  struct TPlaced {
    QPointer<QWidget> widget;
    QRect designed;
    THow how = THow::Scaled;
    QPointer<QWidget> pane;  // a frame's pane
  };
  struct TPage {
    QPointer<QWidget> page;
    std::vector<TPlaced> placed;
    // The band of the page's panes at the designed size: captions below it
    // keep their distance from its bottom.
    QRect band;
  };

  TPage* Find(const QWidget& page);
  void Place(TPage& page);
  // The smallest size of the page in front; none for the others.
  void LimitPages();

  QTabWidget& control_;
  std::vector<TPage> pages_;
  std::vector<TPlaced> pending_;  // anchored panes and frames, until RecordDesign
  QSize minimum_;
  bool recorded_ = false;
  bool fitted_ = false;
};
