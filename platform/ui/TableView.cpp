#include "platform/ui/TableView.h"

#include <algorithm>

#include "platform/ui/GraphicsContext.h"
#include "platform/ui/Label.h"
#include "platform/ui/Touch.h"

namespace ui {
namespace {

constexpr double kGroupedRowInset = 10;
constexpr double kGroupedCornerRadius = 8;
constexpr double kTitleInset = 20;
const Color kGroupedTitleColor = Color::rgb255(76, 86, 108);

}  // namespace

TableView::TableView(const Rect& frame, Style style) : ScrollView(frame), style_(style) {
  setAlwaysBounceVertical(true);
  if (style_ == Style::Grouped) setBackgroundColor(Color::rgb255(239, 239, 244));
}

double TableView::rowInset() const { return style_ == Style::Grouped ? kGroupedRowInset : 0; }

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
  for (const auto& [which, view] : supplementaryViews_) view->removeFromSuperview();
  supplementaryViews_.clear();
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
    section.footerTop = y;
    if (tableDelegate_) section.footerHeight = tableDelegate_->heightForFooter(*this, s).value_or(0);
    y += section.footerHeight;
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
    cell->setFrame({rowInset(), frame.minY(), visible.width() - 2 * rowInset(), frame.height()});
  }
  for (int s = 0; s < numberOfSections(); ++s) {
    layoutSupplementary({s, false}, visible);
    layoutSupplementary({s, true}, visible);
  }
}

std::shared_ptr<View> TableView::makeSupplementaryView(Supplementary which, const Rect& frame) {
  if (!which.footer && tableDelegate_) {
    if (auto view = tableDelegate_->viewForHeader(*this, which.section)) return view;
  }
  if (!dataSource_) return nullptr;
  auto title = which.footer ? dataSource_->titleForFooter(*this, which.section)
                            : dataSource_->titleForHeader(*this, which.section);
  if (!title) return nullptr;
  // The title sits in a clear box the size of the header; the label inside keeps off the sides.
  auto box = std::make_shared<View>(frame);
  auto label = std::make_shared<Label>(Rect{0, 0, frame.width(), frame.height()}.insetBy(kTitleInset, 0));
  label->setText(*title);
  label->setNumberOfLines(0);
  label->setFont(which.footer ? Font::systemFont(14) : Font::boldSystemFont(16));
  label->setTextColor(style_ == Style::Grouped ? kGroupedTitleColor : Color::black());
  label->setTextAlignment(which.footer ? TextAlignment::Center : TextAlignment::Left);
  label->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  box->addSubview(label);
  box->setUserInteractionEnabled(false);
  return box;
}

void TableView::layoutSupplementary(Supplementary which, const Rect& visible) {
  Rect frame = which.footer ? rectForFooter(which.section) : rectForHeader(which.section);
  bool shows = frame.height() > 0 && frame.intersects(visible);
  auto found = supplementaryViews_.find(which);
  if (shows && found == supplementaryViews_.end()) {
    if (auto view = makeSupplementaryView(which, frame)) {
      addSubview(view);
      found = supplementaryViews_.emplace(which, std::move(view)).first;
    }
  }
  if (found == supplementaryViews_.end()) return;
  if (shows) {
    found->second->setFrame(frame);
  } else {
    found->second->removeFromSuperview();
    supplementaryViews_.erase(found);
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

Rect TableView::rectForFooter(int section) const {
  if (section < 0 || section >= numberOfSections()) return {};
  const Section& s = sections_[static_cast<std::size_t>(section)];
  return {0, s.footerTop, bounds().width(), s.footerHeight};
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

void TableView::draw(GraphicsContext& context, const Rect& rect) {
  if (style_ != Style::Grouped) return;
  // Each section's rows on a white card, with hairlines between the rows.
  for (const Section& section : sections_) {
    if (section.rowTops.empty()) continue;
    double top = section.rowTops.front();
    double bottom = section.rowTops.back() + section.rowHeights.back();
    Rect card{kGroupedRowInset, top, rect.width() - 2 * kGroupedRowInset, bottom - top};
    context.setFillColor(Color::white());
    context.fillRoundedRect(card, kGroupedCornerRadius);
    context.setStrokeColor(Color::white(0.78));
    context.setLineWidth(1);
    context.strokeRoundedRect(card.insetBy(0.5, 0.5), kGroupedCornerRadius);
    for (std::size_t row = 1; row < section.rowTops.size(); ++row) {
      double y = section.rowTops[row] + 0.5;
      context.moveTo({card.minX(), y});
      context.lineTo({card.maxX(), y});
    }
    context.strokePath();
  }
}

void TableView::touchesEnded(const Touch& touch) {
  std::optional<IndexPath> indexPath = indexPathForRow(touch.locationIn(this));
  if (!indexPath) return;
  selectRow(indexPath);
  if (tableDelegate_) tableDelegate_->didSelectRow(*this, *indexPath);
}

}  // namespace ui
