#include "platform/ui/TableView.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/PickerView.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using ui::IndexPath;
using ui::Rect;

class Rows : public ui::TableViewDataSource, public ui::TableViewDelegate {
 public:
  int sections = 1;
  int rows = 100;
  int cellsMade = 0;
  int cellsAsked = 0;
  std::vector<IndexPath> selected;
  std::vector<double> dragEnds;

  int numberOfSections(ui::TableView&) override { return sections; }
  int numberOfRows(ui::TableView&, int) override { return rows; }
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const IndexPath& indexPath) override {
    ++cellsAsked;
    auto cell = table.dequeueReusableCell("Row");
    if (!cell) {
      ++cellsMade;
      cell = std::make_shared<ui::TableViewCell>("Row");
    }
    cell->setTag(indexPath.section * 1000 + indexPath.row);
    return cell;
  }
  std::optional<double> heightForRow(ui::TableView&, const IndexPath& indexPath) override {
    return indexPath.row == 0 ? std::optional<double>(100) : std::nullopt;
  }
  std::optional<double> heightForHeader(ui::TableView&, int section) override { return section == 0 ? 23 : 0; }
  std::shared_ptr<ui::View> viewForHeader(ui::TableView&, int) override { return std::make_shared<ui::View>(); }
  void didSelectRow(ui::TableView&, const IndexPath& indexPath) override { selected.push_back(indexPath); }
  void scrollViewDidEndDragging(ui::ScrollView& scroll, bool) override { dragEnds.push_back(scroll.contentOffset().y); }
};

class TableViewTest : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    window = std::make_shared<ui::Window>();
    window->makeKeyAndVisible();
    table = std::make_shared<ui::TableView>(Rect{0, 0, 320, 440});
    table->setRowHeight(60);
    table->setDataSource(&rows);
    table->setTableDelegate(&rows);
    window->addSubview(table);
    table->layoutIfNeeded();
  }

  Rows rows;
  std::shared_ptr<ui::Window> window;
  std::shared_ptr<ui::TableView> table;
};

TEST_F(TableViewTest, OnlyRowsInViewGetCellsAndHeightsComeFromTheDelegate) {
  EXPECT_EQ(table->contentSize().height, 23 + 100 + 99 * 60);
  EXPECT_EQ(table->rectForRow({0, 0}), (Rect{0, 23, 320, 100}));
  EXPECT_EQ(table->rectForRow({0, 1}), (Rect{0, 123, 320, 60}));
  // 440 points show the header, the tall first row and rows 1 to 6.
  EXPECT_EQ(table->indexPathsForVisibleRows().size(), 7u);
  EXPECT_EQ(rows.cellsMade, 7);
  ASSERT_NE(table->cellForRow({0, 6}), nullptr);
  EXPECT_EQ(table->cellForRow({0, 6})->tag(), 6);
  EXPECT_EQ(table->cellForRow({0, 7}), nullptr);
}

TEST_F(TableViewTest, ScrollingReusesCellsThatLeaveTheView) {
  table->setContentOffset({0, 3000});
  EXPECT_EQ(rows.cellsMade, 9);  // every cell that scrolled away serves again
  std::vector<IndexPath> visible = table->indexPathsForVisibleRows();
  ASSERT_FALSE(visible.empty());
  EXPECT_EQ(visible.front().row, 48);
  EXPECT_EQ(table->cellForRow(visible.front())->tag(), 48);
}

TEST_F(TableViewTest, ScrollToRowPlacesTheRowAndStaysWithinTheContent) {
  table->scrollToRow({0, 50}, ui::TableView::ScrollPosition::Top, false);
  EXPECT_EQ(table->contentOffset().y, table->rectForRow({0, 50}).minY());
  table->scrollToRow({0, 99}, ui::TableView::ScrollPosition::Top, false);
  EXPECT_EQ(table->contentOffset().y, table->contentSize().height - 440);
  table->scrollToRow({0, 500}, ui::TableView::ScrollPosition::Top, false);  // no such row: nothing
  EXPECT_EQ(table->contentOffset().y, table->contentSize().height - 440);
}

TEST_F(TableViewTest, ATapSelectsTheRowUnderTheFinger) {
  window->tap({100, 23 + 100 + 60 + 30});
  EXPECT_EQ(rows.selected, (std::vector<IndexPath>{{0, 2}}));
  EXPECT_TRUE(table->cellForRow({0, 2})->isSelected());
  window->tap({100, 10});  // the section header is no row
  EXPECT_EQ(rows.selected.size(), 1u);
}

TEST_F(TableViewTest, ReloadingAsksTheDataSourceAgain) {
  rows.rows = 3;
  table->reloadData();
  EXPECT_EQ(table->numberOfRows(0), 3);
  EXPECT_EQ(table->indexPathsForVisibleRows().size(), 3u);
  int asked = rows.cellsAsked;
  table->reloadRows({{0, 1}});
  EXPECT_EQ(rows.cellsAsked, asked + 1);
}

TEST_F(TableViewTest, ADragPullsTheContentAndItSpringsBackAfterRelease) {
  window->touchBegan({100, 200});
  window->touchMoved({100, 250});
  window->touchMoved({100, 300});
  EXPECT_TRUE(table->isDragging());
  EXPECT_EQ(table->contentOffset().y, -100);
  window->touchEnded({100, 300});
  EXPECT_EQ(rows.dragEnds, (std::vector<double>{-100}));
  EXPECT_FALSE(table->isDragging());
  EXPECT_EQ(table->contentOffset().y, 0);             // the resting place
  EXPECT_LT(table->presentation().bounds.minY(), 0);  // still on its way back
  step(0.3);
  EXPECT_EQ(table->presentation().bounds.minY(), 0);
  EXPECT_TRUE(rows.selected.empty());  // a drag is no tap
}

TEST_F(TableViewTest, InsetsMoveTheRestingPlace) {
  table->setContentInset({60, 0, 0, 0});
  window->drag({100, 100}, {100, 300}, 4);
  EXPECT_EQ(table->contentOffset().y, -60);
}

class Minutes : public ui::PickerViewDataSource, public ui::PickerViewDelegate {
 public:
  std::vector<int> chosen;
  int numberOfComponents(ui::PickerView&) override { return 1; }
  int numberOfRows(ui::PickerView&, int) override { return 4; }
  std::optional<std::string> titleForRow(ui::PickerView&, int row, int) override {
    static const char* kTitles[] = {"15", "30", "60", "90"};
    return kTitles[row];
  }
  void didSelectRow(ui::PickerView&, int row, int) override { chosen.push_back(row); }
};

TEST_F(TableViewTest, PickersChooseRowsByCodeTapAndDrag) {
  Minutes minutes;
  auto picker = std::make_shared<ui::PickerView>();
  picker->setDataSource(&minutes);
  picker->setDelegate(&minutes);
  window->addSubview(picker);
  picker->layoutIfNeeded();
  EXPECT_EQ(picker->selectedRow(0), 0);
  EXPECT_EQ(picker->numberOfRows(0), 4);
  picker->selectRow(9, 0);  // out of range: ignored
  EXPECT_EQ(picker->selectedRow(0), 0);
  window->tap({160, 108 + ui::PickerView::kRowHeight});  // the row below the middle band
  EXPECT_EQ(minutes.chosen, (std::vector<int>{1}));
  window->drag({160, 150}, {160, 150 - 2 * ui::PickerView::kRowHeight}, 4);
  EXPECT_EQ(picker->selectedRow(0), 3);
  EXPECT_EQ(picker->selectedRow(5), -1);
  picker->removeFromSuperview();
}

}  // namespace
