#include "src/framework/ui/QRVXibView.h"

#include <gtest/gtest.h>

#include "platform/ui/Label.h"
#include "platform/ui/Nib.h"
#include "src/framework/ui/QRVXibTableCellView.h"
#include "src/framework/ui/QRVXibViewUtils.h"

namespace {

class SectionHeader : public framework::QRVXibView {
 public:
  static constexpr const char* kXibName = "TestSectionHeader";
  std::shared_ptr<ui::Label> titleLabel;
  bool awoken = false;
  void awakeFromNib() override { awoken = true; }
};

class SpecialHeader : public SectionHeader {
 public:
  static constexpr const char* kXibName = "TestSpecialHeader";
};

class SongCell : public framework::QRVXibTableCellView {
 public:
  static constexpr const char* kXibName = "TestSongCell";
  SongCell() : QRVXibTableCellView("IndexSongCell", {0, 0, 320, 60}) {}
};

class QRVXibViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ui::Nib::registerNib(SectionHeader::kXibName, [](const std::any&) {
      auto header = std::make_shared<SectionHeader>();
      header->titleLabel = std::make_shared<ui::Label>();
      header->addSubview(header->titleLabel);
      return ui::Nib::TopLevelObjects{header};
    });
    ui::Nib::registerNib(SpecialHeader::kXibName,
                         [](const std::any&) { return ui::Nib::TopLevelObjects{std::make_shared<SpecialHeader>()}; });
    ui::Nib::registerNib("TestEmpty", [](const std::any&) { return ui::Nib::TopLevelObjects{}; });
    ui::Nib::registerNib(SongCell::kXibName,
                         [](const std::any&) { return ui::Nib::TopLevelObjects{std::make_shared<SongCell>()}; });
  }
};

TEST_F(QRVXibViewTest, EachClassLoadsTheNibNamedAfterIt) {
  auto header = framework::QRVXibView::loadFromXib<SectionHeader>();
  ASSERT_TRUE(header);
  EXPECT_TRUE(header->awoken);
  EXPECT_TRUE(header->titleLabel);
  auto special = framework::QRVXibView::loadFromXib<SpecialHeader>();
  ASSERT_TRUE(special);
  EXPECT_FALSE(special->titleLabel);  // built by its own nib, not the base class's
}

TEST_F(QRVXibViewTest, MissingEmptyOrMismatchedNibsYieldNothing) {
  EXPECT_EQ(framework::QRVXibView::loadFromXib("NoSuchNib"), nullptr);
  EXPECT_EQ(framework::QRVXibView::loadFromXib("TestEmpty"), nullptr);
  EXPECT_EQ(framework::QRVXibTableCellView::loadFromXib("TestEmpty"), nullptr);
  EXPECT_EQ(framework::QRVXibTableCellView::loadFromXib(SectionHeader::kXibName), nullptr);
  EXPECT_EQ(framework::QRVXibViewUtils::loadViewFromXibNamed("NoSuchNib"), nullptr);
}

TEST_F(QRVXibViewTest, CellsLoadFromTheirNibWithTheirReuseIdentifier) {
  auto cell = framework::QRVXibTableCellView::loadFromXib<SongCell>();
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->reuseIdentifier(), "IndexSongCell");
}

TEST_F(QRVXibViewTest, TheUtilityHandsTheOwnerToTheNib) {
  std::any seen;
  ui::Nib::registerNib("TestOwned", [&](const std::any& owner) {
    seen = owner;
    return ui::Nib::TopLevelObjects{std::make_shared<ui::View>(), std::make_shared<ui::Label>()};
  });
  int owner = 0;
  auto first = framework::QRVXibViewUtils::loadViewFromXibNamed("TestOwned", &owner);
  ASSERT_TRUE(first);
  EXPECT_EQ(dynamic_cast<ui::Label*>(first.get()), nullptr);  // the first top-level object
  EXPECT_EQ(std::any_cast<int*>(seen), &owner);
  framework::QRVXibViewUtils::loadViewFromXibNamed("TestOwned");
  EXPECT_NE(std::any_cast<const framework::QRVXibViewUtils*>(&seen), nullptr);
}

}  // namespace
