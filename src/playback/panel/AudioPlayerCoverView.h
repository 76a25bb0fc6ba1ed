#pragma once

#include <memory>
#include <string>

#include "platform/media/MotionManager.h"
#include "platform/ui/View.h"
#include "src/framework/images/QRVImageView.h"

namespace playback {

// The older cover view: its picture moves with the phone's rotation, read from a gyroscope of its
// own, within a cage, slower the nearer it is to the cage's edge. Main thread only.
class AudioPlayerCoverView : public ui::View {
 public:
  static constexpr double kMoveFactor = 0.012;

  // Main thread. Loads the picture at `url`, showing the placeholder cover meanwhile.
  static std::shared_ptr<AudioPlayerCoverView> initWithImage(const std::string& url);
  AudioPlayerCoverView();
  ~AudioPlayerCoverView() override;

  void draw(ui::GraphicsContext& context, const ui::Rect& rect) override;
  // Main thread. Shows `image` over the whole view, takes the cage's centre and reach from
  // cageRect() and starts moving.
  void drawRect(const ui::Rect& rect);

  // Main thread. Starts the gyroscope's updates unless it already delivers.
  void startMoving();
  void startMoving(std::shared_ptr<foundation::OperationQueue> queue);
  void stopMoving();
  // Main thread. One step for a rotation rate in radians per second.
  void move(const media::RotationRate& rate);

  const ui::ImagePtr& image() const { return image_; }
  void setImage(ui::ImagePtr image) { image_ = std::move(image); }
  ui::Rect cageRect() const { return cageRect_; }
  void setCageRect(const ui::Rect& rect) { cageRect_ = rect; }
  const std::shared_ptr<framework::QRVImageView>& coverImageView() const { return coverImageView_; }

 private:
  ui::ImagePtr image_;
  ui::Rect cageRect_;
  std::shared_ptr<framework::QRVImageView> coverImageView_;
  ui::Point cageCenter_;
  float maxDis_ = 0;
  std::shared_ptr<media::MotionManager> motionManager_;
};

}  // namespace playback
