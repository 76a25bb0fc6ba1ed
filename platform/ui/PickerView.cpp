#include "platform/ui/PickerView.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Label.h"
#include "platform/ui/Touch.h"

namespace ui {

PickerView::PickerView(const Rect& frame) : View(frame), pan_(std::make_shared<PanGestureRecognizer>()) {
  setClipsToBounds(true);
  pan_->addAction([this](GestureRecognizer&) { handlePan(); });
  addGestureRecognizer(pan_);
}

PickerView::~PickerView() = default;

void PickerView::setDataSource(PickerViewDataSource* dataSource) {
  dataSource_ = dataSource;
  needsReload_ = true;
  setNeedsLayout();
}

void PickerView::setDelegate(PickerViewDelegate* delegate) {
  delegate_ = delegate;
  needsReload_ = true;
  setNeedsLayout();
}

int PickerView::numberOfRows(int component) const {
  if (component < 0 || component >= numberOfComponents()) return 0;
  return components_[static_cast<std::size_t>(component)].rows;
}

void PickerView::selectRow(int row, int component, bool) {
  reloadIfNeeded();
  if (row < 0 || row >= numberOfRows(component)) return;
  components_[static_cast<std::size_t>(component)].selected = row;
  layoutComponent(component);
}

int PickerView::selectedRow(int component) const {
  if (numberOfRows(component) == 0) return -1;
  return components_[static_cast<std::size_t>(component)].selected;
}

void PickerView::reloadAllComponents() {
  std::vector<int> previous;
  for (const auto& component : components_) previous.push_back(component.selected);
  for (auto& component : components_) {
    for (auto& [row, view] : component.shown) view->removeFromSuperview();
  }
  components_.clear();
  needsReload_ = false;
  int count = dataSource_ ? std::max(0, dataSource_->numberOfComponents(*this)) : 0;
  for (int c = 0; c < count; ++c) {
    Component component;
    component.rows = std::max(0, dataSource_->numberOfRows(*this, c));
    int kept = static_cast<std::size_t>(c) < previous.size() ? previous[static_cast<std::size_t>(c)] : 0;
    component.selected = std::clamp(kept, 0, std::max(0, component.rows - 1));
    components_.push_back(std::move(component));
  }
  for (int c = 0; c < count; ++c) layoutComponent(c);
}

void PickerView::reloadIfNeeded() {
  if (needsReload_) reloadAllComponents();
}

std::shared_ptr<View> PickerView::viewForRow(int row, int component) const {
  if (component < 0 || component >= numberOfComponents()) return nullptr;
  const auto& shown = components_[static_cast<std::size_t>(component)].shown;
  auto found = shown.find(row);
  return found == shown.end() ? nullptr : found->second;
}

double PickerView::componentWidth() const {
  return components_.empty() ? bounds().width() : bounds().width() / static_cast<double>(components_.size());
}

std::shared_ptr<View> PickerView::makeRowView(int row, int component) {
  Component& c = components_[static_cast<std::size_t>(component)];
  std::shared_ptr<View> reusing;
  if (!c.spare.empty()) {
    reusing = std::move(c.spare.back());
    c.spare.pop_back();
  }
  if (delegate_) {
    if (auto view = delegate_->viewForRow(*this, row, component, reusing)) return view;
  }
  auto label = std::make_shared<Label>();
  label->setTextAlignment(TextAlignment::Center);
  label->setFont(Font::systemFont(20));
  if (delegate_) label->setText(delegate_->titleForRow(*this, row, component).value_or(""));
  return label;
}

void PickerView::layoutComponent(int index) {
  Component& component = components_[static_cast<std::size_t>(index)];
  double width = componentWidth();
  double left = width * index;
  double middleTop = bounds().midY() - kRowHeight / 2;
  int reach = static_cast<int>(std::ceil(bounds().height() / 2 / kRowHeight));
  std::map<int, std::shared_ptr<View>> shown;
  for (int row = component.selected - reach; row <= component.selected + reach; ++row) {
    if (row < 0 || row >= component.rows) continue;
    std::shared_ptr<View> view;
    if (auto found = component.shown.find(row); found != component.shown.end()) {
      view = found->second;
      component.shown.erase(found);
    } else {
      view = makeRowView(row, index);
      addSubview(view);
    }
    view->setFrame({left, middleTop + (row - component.selected) * kRowHeight, width, kRowHeight});
    view->setAlpha(row == component.selected ? 1.0 : 0.5);
    shown.emplace(row, view);
  }
  for (auto& [row, view] : component.shown) {
    view->removeFromSuperview();
    component.spare.push_back(view);
  }
  component.shown = std::move(shown);
}

void PickerView::layoutSubviews() {
  if (needsReload_) {
    reloadAllComponents();
    return;
  }
  for (int c = 0; c < numberOfComponents(); ++c) layoutComponent(c);
}

void PickerView::choose(int row, int component) {
  row = std::clamp(row, 0, std::max(0, numberOfRows(component) - 1));
  if (numberOfRows(component) == 0) return;
  selectRow(row, component);
  if (delegate_) delegate_->didSelectRow(*this, row, component);
}

void PickerView::touchesEnded(const Touch& touch) {
  reloadIfNeeded();
  if (components_.empty()) return;
  Point p = touch.locationIn(this);
  int component = std::clamp(static_cast<int>(p.x / componentWidth()), 0, numberOfComponents() - 1);
  double rowsFromMiddle = std::floor((p.y - (bounds().midY() - kRowHeight / 2)) / kRowHeight);
  choose(selectedRow(component) + static_cast<int>(rowsFromMiddle), component);
}

void PickerView::handlePan() {
  reloadIfNeeded();
  if (components_.empty()) return;
  if (pan_->state() == GestureState::Began) {
    Point p = pan_->locationInView(this);
    panComponent_ = std::clamp(static_cast<int>(p.x / componentWidth()), 0, numberOfComponents() - 1);
    panStartRow_ = selectedRow(panComponent_);
  }
  if (pan_->state() != GestureState::Ended) return;
  // Dragging the wheel up brings later rows to the middle.
  int moved = static_cast<int>(std::lround(-pan_->translationInView(this).y / kRowHeight));
  choose(panStartRow_ + moved, panComponent_);
}

}  // namespace ui
