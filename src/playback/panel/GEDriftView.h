#pragma once

#include <memory>

#include "platform/media/MotionManager.h"
#include "platform/ui/View.h"
#include "src/framework/images/QRVImageView.h"

namespace playback {

// A picture a little larger than the view that drifts with the phone's rotation, read from the
// application's one gyroscope, and stays where the rotation leaves it. The picture always covers
// the whole view. Main thread only.
class GEDriftView : public ui::View {
 public:
  static constexpr int kDiffPix = 20;

  // Main thread. A drift view that drifts from the start.
  static std::shared_ptr<GEDriftView> create(const ui::Rect& frame);
  explicit GEDriftView(const ui::Rect& frame);
  ~GEDriftView() override;

  // Main thread. Starts the gyroscope's updates unless it already delivers (to another view, which
  // keeps them); stopDrifting() stops only updates this view started.
  void startDrifting();
  void stopDrifting();
  bool isDrifting() const { return drifting_; }

  const std::shared_ptr<framework::QRVImageView>& driftImageView() const { return driftImageView_; }
  void setDriftImageView(std::shared_ptr<framework::QRVImageView> view);
  int diffPix() const { return diffPix_; }
  void setDiffPix(int diffPix) { diffPix_ = diffPix; }
  ui::Rect cageRect() const { return cageRect_; }
  void setCageRect(const ui::Rect& rect) { cageRect_ = rect; }

  // Main thread. One step for a rotation rate in radians per second, taken as points.
  void drift(const media::RotationRate& rate);
  // The origins at which the picture still covers the view.
  ui::Rect cage() const;

 private:
  int x_ = 0;
  int y_ = 0;
  int side_ = 0;
  int diffPix_ = kDiffPix;
  ui::Rect cageRect_;
  bool drifting_ = false;
  std::shared_ptr<framework::QRVImageView> driftImageView_;
  std::shared_ptr<media::MotionManager> motionManager_;
};

}  // namespace playback
