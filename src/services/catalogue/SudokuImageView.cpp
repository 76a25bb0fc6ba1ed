#include "src/services/catalogue/SudokuImageView.h"

#include <algorithm>

#include "platform/ui/Image.h"

namespace services {

namespace {

constexpr int kMaxTiles = 9;
constexpr double kGap = 1;

int columnsFor(int count) { return count <= 1 ? 1 : count <= 4 ? 2 : 3; }

}  // namespace

void SudokuImageView::layTiles(int count) {
  for (const auto& tile : tiles_) tile->removeFromSuperview();
  tiles_.clear();
  const int columns = columnsFor(count);
  const double side = (bounds().width() - kGap * (columns - 1)) / columns;
  const double height = (bounds().height() - kGap * (columns - 1)) / columns;
  for (int i = 0; i < count; ++i) {
    auto tile = std::make_shared<framework::QRVImageView>(
        ui::Rect{(i % columns) * (side + kGap), (i / columns) * (height + kGap), side, height});
    tile->setContentMode(ui::ContentMode::ScaleAspectFill);
    tile->setClipsToBounds(true);
    addSubview(tile);
    tiles_.push_back(std::move(tile));
  }
}

void SudokuImageView::loadImageWithPath(const std::string& path) {
  layTiles(1);
  foundation::Result<ui::ImagePtr> image = ui::Image::contentsOfFile(path);
  if (image.ok()) tiles_.front()->setDefaultImage(*image);
}

void SudokuImageView::loadDataWithCoverNumber(int coverNumber, const std::vector<std::string>& imageUrls) {
  const int count = std::clamp(std::min(coverNumber, static_cast<int>(imageUrls.size())), 0, kMaxTiles);
  layTiles(count);
  for (int i = 0; i < count; ++i) tiles_[i]->loadImage(imageUrls[i]);
}

}  // namespace services
