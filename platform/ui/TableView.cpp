#include "platform/ui/TableView.h"

#include <algorithm>

#include "platform/ui/Touch.h"

namespace ui {

TableView::TableView(const Rect& frame) : ScrollView(frame) { setAlwaysBounceVertical(true); }

void TableView::setDataSource(TableViewDataSource* dataSource) {
  dataSource_ = dataSource;
  scheduleReload();
}

void TableView::setTableDelegate(TableViewDelegate* delegate) {
  tableDelegate_ = delegate;
  setDelegate(delegate);
  scheduleReload();
}

void TableView::setRowHeight(double height) {
  rowHeight_ = height;
  scheduleReload();
}

void TableView::setSectionHeaderHeight(double height) {
  sectionHeaderHeight_ = height;
  scheduleReload();
}

void TableView::setTableHeaderView(std::shared_ptr<View> view) {
  if (tableHeaderView_) tableHeaderView_->removeFromSuperview();
  tableHeaderView_ = std::move(view);
  if (tableHeaderView_) addSubview(tableHeaderView_);
  scheduleReload();
}

void TableView::setTableFooterView(std::shared_ptr<View> view) {
  if (tableFooterView_) tableFooterView_->removeFromSuperview();
  tableFooterView_ = std::move(view);
  if (tableFooterView_) addSubview(tableFooterView_);
  scheduleReload();
}

void TableView::scheduleReload() {
  needsReload_ = true;
  setNeedsLayout();
}

void TableView::reloadData() {
  needsReload_ = false;
  for (const auto& [indexPath, cell] : std::map(visibleCells_)) recycle(cell);
  visibleCells_.clear();
  for (const auto& [section, header] : headerViews_) header->removeFromSuperview();
  headerViews_.clear();
  if (selected_ && !isValid(*selected_)) selected_.reset();
  measure();
  layoutRows();
}

void TableView::reloadRows(const std::vector<IndexPath>& indexPaths) {
  for (const IndexPath& indexPath : indexPaths) {
    auto found = visibleCells_.find(indexPath);
    if (found == visibleCells_.end()) continue;
    recycle(found->second);
    visibleCells_.erase(found);
  }
  measure();
  layoutRows();
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCell(const std::string& identifier) {
  auto found = reusable_.find(identifier);
  if (found == reusable_.end() || found->second.empty()) return nullptr;
  auto cell = std::move(found->second.back());
  found->second.pop_back();
  cell->prepareForReuse();
  return cell;
}

void TableView::recycle(const std::shared_ptr<TableViewCell>& cell) {
  cell->removeFromSuperview();
  cell->setSelected(false, false);
  if (!cell->reuseIdentifier().empty()) reusable_[cell->reuseIdentifier()].push_back(cell);
}

void TableView::measure() {
  sections_.clear();
  double y = tableHeaderView_ ? tableHeaderView_->frame().height() : 0;
  int sectionCount = dataSource_ ? std::max(0, dataSource_->numberOfSections(*this)) : 0;
  for (int s = 0; s < sectionCount; ++s) {
    Section section;
    section.headerTop = y;
    section.headerHeight = sectionHeaderHeight_;
    if (tableDelegate_) section.headerHeight = tableDelegate_->heightForHeader(*this, s).value_or(sectionHeaderHeight_);
    y += section.headerHeight;
    int rows = std::max(0, dataSource_->numberOfRows(*this, s));
    for (int r = 0; r < rows; ++r) {
      double height = rowHeight_;
      if (tableDelegate_) height = tableDelegate_->heightForRow(*this, {s, r}).value_or(rowHeight_);
      section.rowTops.push_back(y);
      section.rowHeights.push_back(height);
      y += height;
    }
    sections_.push_back(std::move(section));
  }
  if (tableFooterView_) y += tableFooterView_->frame().height();
  setContentSize({bounds().width(), y});
  placeHeaderAndFooter();
}

void TableView::placeHeaderAndFooter() {
  double width = bounds().width();
  if (tableHeaderView_) tableHeaderView_->setFrame({0, 0, width, tableHeaderView_->frame().height()});
  if (tableFooterView_) {
    double height = tableFooterView_->frame().height();
    tableFooterView_->setFrame({0, contentSize().height - height, width, height});
  }
}

void TableView::layoutRows() {
  Rect visible = bounds();
  std::vector<IndexPath> inView;
  for (int s = 0; s < numberOfSections(); ++s) {
    for (int r = 0; r < numberOfRows(s); ++r) {
      if (rectForRow({s, r}).intersects(visible)) inView.push_back({s, r});
    }
  }
  // Cells that left the view go back to the pool first, so the rows coming in can reuse them.
  for (auto it = visibleCells_.begin(); it != visibleCells_.end();) {
    if (std::binary_search(inView.begin(), inView.end(), it->first)) {
      ++it;
    } else {
      recycle(it->second);
      it = visibleCells_.erase(it);
    }
  }
  for (const IndexPath& indexPath : inView) {
    auto& cell = visibleCells_[indexPath];
    if (!cell) {
      cell = dataSource_->cellForRow(*this, indexPath);
      if (!cell) {
        visibleCells_.erase(indexPath);
        continue;
      }
      if (tableDelegate_) tableDelegate_->willDisplayCell(*this, *cell, indexPath);
      cell->setSelected(selected_ == indexPath, false);
      insertSubview(cell, 0);
    }
    Rect frame = rectForRow(indexPath);
    cell->setFrame({0, frame.minY(), visible.width(), frame.height()});
  }
  for (int s = 0; s < numberOfSections(); ++s) layoutHeader(s, visible);
}

void TableView::layoutHeader(int section, const Rect& visible) {
  Rect frame = rectForHeader(section);
  bool shows = frame.height() > 0 && frame.intersects(visible);
  auto header = headerViews_.find(section);
  if (shows && header == headerViews_.end() && tableDelegate_) {
    if (auto view = tableDelegate_->viewForHeader(*this, section)) {
      addSubview(view);
      header = headerViews_.emplace(section, std::move(view)).first;
    }
  }
  if (header == headerViews_.end()) return;
  if (shows) {
    header->second->setFrame(frame);
  } else {
    header->second->removeFromSuperview();
    headerViews_.erase(header);
  }
}

int TableView::numberOfRows(int section) const {
  if (section < 0 || section >= numberOfSections()) return 0;
  return static_cast<int>(sections_[static_cast<std::size_t>(section)].rowTops.size());
}

bool TableView::isValid(const IndexPath& indexPath) const {
  return indexPath.row >= 0 && indexPath.row < numberOfRows(indexPath.section);
}

Rect TableView::rectForRow(const IndexPath& indexPath) const {
  if (!isValid(indexPath)) return {};
  const Section& section = sections_[static_cast<std::size_t>(indexPath.section)];
  auto row = static_cast<std::size_t>(indexPath.row);
  return {0, section.rowTops[row], bounds().width(), section.rowHeights[row]};
}

Rect TableView::rectForHeader(int section) const {
  if (section < 0 || section >= numberOfSections()) return {};
  const Section& s = sections_[static_cast<std::size_t>(section)];
  return {0, s.headerTop, bounds().width(), s.headerHeight};
}

std::optional<IndexPath> TableView::indexPathForRow(Point contentPoint) const {
  for (int s = 0; s < numberOfSections(); ++s) {
    for (int r = 0; r < numberOfRows(s); ++r) {
      if (rectForRow({s, r}).contains(contentPoint)) return IndexPath{s, r};
    }
  }
  return std::nullopt;
}

std::shared_ptr<TableViewCell> TableView::cellForRow(const IndexPath& indexPath) const {
  auto found = visibleCells_.find(indexPath);
  return found == visibleCells_.end() ? nullptr : found->second;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const {
  std::vector<IndexPath> paths;
  for (const auto& [indexPath, cell] : visibleCells_) paths.push_back(indexPath);
  return paths;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell& cell) const {
  for (const auto& [indexPath, visible] : visibleCells_) {
    if (visible.get() == &cell) return indexPath;
  }
  return std::nullopt;
}

void TableView::scrollToRow(const IndexPath& indexPath, ScrollPosition position, bool animated) {
  if (!isValid(indexPath)) return;
  Rect row = rectForRow(indexPath);
  if (position == ScrollPosition::None) {
    scrollRectToVisible(row, animated);
    return;
  }
  double height = bounds().height();
  double y = position == ScrollPosition::Top      ? row.minY()
             : position == ScrollPosition::Middle ? row.midY() - height / 2
                                                  : row.maxY() - height;
  y = std::clamp(y, minimumContentOffset().y, maximumContentOffset().y);
  setContentOffset({contentOffset().x, y}, animated);
}

void TableView::selectRow(const std::optional<IndexPath>& indexPath) {
  if (selected_) {
    if (auto cell = cellForRow(*selected_)) cell->setSelected(false, false);
  }
  selected_ = indexPath && isValid(*indexPath) ? indexPath : std::nullopt;
  if (selected_) {
    if (auto cell = cellForRow(*selected_)) cell->setSelected(true, false);
  }
}

void TableView::deselectRow(const IndexPath& indexPath, bool animated) {
  if (selected_ != indexPath) return;
  if (auto cell = cellForRow(indexPath)) cell->setSelected(false, animated);
  selected_.reset();
}

void TableView::layoutSubviews() {
  if (needsReload_) {
    reloadData();
    return;
  }
  placeHeaderAndFooter();
  layoutRows();
}

void TableView::didScroll() {
  layoutRows();
  ScrollView::didScroll();
}

void TableView::touchesEnded(const Touch& touch) {
  std::optional<IndexPath> indexPath = indexPathForRow(touch.locationIn(this));
  if (!indexPath) return;
  selectRow(indexPath);
  if (tableDelegate_) tableDelegate_->didSelectRow(*this, *indexPath);
}

}  // namespace ui
