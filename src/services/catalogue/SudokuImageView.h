#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/View.h"
#include "src/framework/images/QRVImageView.h"

namespace services {

// A programme's cover made of one picture or a square grid of several (2 x 2 up to four, 3 x 3
// up to nine). A picture that is missing leaves its place empty. Main thread only.
class SudokuImageView : public ui::View {
 public:
  using ui::View::View;

  // Main thread. One picture, from a local file, over the whole view.
  void loadImageWithPath(const std::string& path);
  // Main thread. The first `coverNumber` of the URLs (at most nine) in a grid.
  void loadDataWithCoverNumber(int coverNumber, const std::vector<std::string>& imageUrls);

  const std::vector<std::shared_ptr<framework::QRVImageView>>& tiles() const { return tiles_; }

 private:
  void layTiles(int count);

  std::vector<std::shared_ptr<framework::QRVImageView>> tiles_;
};

}  // namespace services
