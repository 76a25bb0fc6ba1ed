#pragma once

#include <compare>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ScrollView.h"
#include "platform/ui/TableViewCell.h"

namespace ui {

class TableView;

struct IndexPath {
  int section = 0;
  int row = 0;
  friend auto operator<=>(const IndexPath&, const IndexPath&) = default;
};

// Supplies a table's rows. Main thread.
class TableViewDataSource {
 public:
  virtual ~TableViewDataSource() = default;
  virtual int numberOfSections(TableView& /*table*/) { return 1; }
  virtual int numberOfRows(TableView& table, int section) = 0;
  virtual std::shared_ptr<TableViewCell> cellForRow(TableView& table, const IndexPath& indexPath) = 0;
  virtual bool canEditRow(TableView& /*table*/, const IndexPath& /*indexPath*/) { return true; }
  // Text shown above (below) a section's rows when the delegate gives no view of its own; its
  // room is the section's header (footer) height.
  virtual std::optional<std::string> titleForHeader(TableView& /*table*/, int /*section*/) { return std::nullopt; }
  virtual std::optional<std::string> titleForFooter(TableView& /*table*/, int /*section*/) { return std::nullopt; }
};

// Shapes a table and hears about selection; every method is optional (nullopt and nullptr mean
// "use the table's own value"). Main thread.
class TableViewDelegate : public ScrollViewDelegate {
 public:
  virtual std::optional<double> heightForRow(TableView& /*table*/, const IndexPath& /*indexPath*/) {
    return std::nullopt;
  }
  virtual std::optional<double> heightForHeader(TableView& /*table*/, int /*section*/) { return std::nullopt; }
  virtual std::shared_ptr<View> viewForHeader(TableView& /*table*/, int /*section*/) { return nullptr; }
  virtual std::optional<double> heightForFooter(TableView& /*table*/, int /*section*/) { return std::nullopt; }
  virtual void willDisplayCell(TableView& /*table*/, TableViewCell& /*cell*/, const IndexPath& /*indexPath*/) {}
  virtual void didSelectRow(TableView& /*table*/, const IndexPath& /*indexPath*/) {}
};

// A scrolling list of sections of rows, one column wide, with an optional header view above
// the rows and a header and footer per section. Only the rows in view have cells; cells with a
// reuse identifier that scroll away wait to be dequeued for other rows. A tap on a row selects
// it. The grouped style sets each section's rows on a rounded white card inset from the sides,
// on a grey background. Main thread only.
class TableView : public ScrollView {
 public:
  enum class ScrollPosition { None, Top, Middle, Bottom };
  enum class Style { Plain, Grouped };

  // Main thread.
  explicit TableView(const Rect& frame = {}, Style style = Style::Plain);
  Style style() const { return style_; }

  // Main thread. Unretained; the table asks them at its next layout (or reloadData).
  TableViewDataSource* dataSource() const { return dataSource_; }
  void setDataSource(TableViewDataSource* dataSource);
  TableViewDelegate* tableDelegate() const { return tableDelegate_; }
  void setTableDelegate(TableViewDelegate* delegate);

  // Main thread. Sizes used when the delegate gives none.
  double rowHeight() const { return rowHeight_; }
  void setRowHeight(double height);
  double sectionHeaderHeight() const { return sectionHeaderHeight_; }
  void setSectionHeaderHeight(double height);
  // Main thread. Views above and below all rows.
  const std::shared_ptr<View>& tableHeaderView() const { return tableHeaderView_; }
  void setTableHeaderView(std::shared_ptr<View> view);
  const std::shared_ptr<View>& tableFooterView() const { return tableFooterView_; }
  void setTableFooterView(std::shared_ptr<View> view);

  // Main thread. Asks the data source again for everything and lays out the rows in view.
  void reloadData();
  // Main thread. Asks again for the given rows (those in view get new cells).
  void reloadRows(const std::vector<IndexPath>& indexPaths);
  // Main thread. A waiting cell with the identifier, or nullptr.
  std::shared_ptr<TableViewCell> dequeueReusableCell(const std::string& identifier);

  // Main thread. Counts and places as last loaded.
  int numberOfSections() const { return static_cast<int>(sections_.size()); }
  int numberOfRows(int section) const;
  Rect rectForRow(const IndexPath& indexPath) const;
  Rect rectForHeader(int section) const;
  Rect rectForFooter(int section) const;
  std::optional<IndexPath> indexPathForRow(Point contentPoint) const;
  // Main thread. The cell showing the row, when it is in view.
  std::shared_ptr<TableViewCell> cellForRow(const IndexPath& indexPath) const;
  std::vector<IndexPath> indexPathsForVisibleRows() const;
  std::optional<IndexPath> indexPathForCell(const TableViewCell& cell) const;

  // Main thread.
  void scrollToRow(const IndexPath& indexPath, ScrollPosition position, bool animated);
  void selectRow(const std::optional<IndexPath>& indexPath);
  void deselectRow(const IndexPath& indexPath, bool animated);
  std::optional<IndexPath> indexPathForSelectedRow() const { return selected_; }

  void layoutSubviews() override;
  void touchesEnded(const Touch& touch) override;
  void draw(GraphicsContext& context, const Rect& rect) override;

 protected:
  void didScroll() override;

 private:
  struct Section {
    double headerTop = 0;
    double headerHeight = 0;
    std::vector<double> rowTops;
    std::vector<double> rowHeights;
    double footerTop = 0;
    double footerHeight = 0;
  };
  // A section's header or footer view, made when it comes into view.
  struct Supplementary {
    int section;
    bool footer;
    friend auto operator<=>(const Supplementary&, const Supplementary&) = default;
  };
  void scheduleReload();
  void measure();
  void layoutRows();
  void layoutSupplementary(Supplementary which, const Rect& visible);
  std::shared_ptr<View> makeSupplementaryView(Supplementary which, const Rect& frame);
  double rowInset() const;
  void placeHeaderAndFooter();
  void recycle(const std::shared_ptr<TableViewCell>& cell);
  bool isValid(const IndexPath& indexPath) const;

  TableViewDataSource* dataSource_ = nullptr;
  TableViewDelegate* tableDelegate_ = nullptr;
  double rowHeight_ = 44;
  double sectionHeaderHeight_ = 0;
  std::shared_ptr<View> tableHeaderView_;
  std::shared_ptr<View> tableFooterView_;
  std::vector<Section> sections_;
  std::map<IndexPath, std::shared_ptr<TableViewCell>> visibleCells_;
  std::map<Supplementary, std::shared_ptr<View>> supplementaryViews_;
  Style style_;
  std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> reusable_;
  std::optional<IndexPath> selected_;
  bool needsReload_ = true;
};

}  // namespace ui
