// Panel, image and timer.
#pragma once
#include "platform/forms/StdCtrls.h"
#include "platform/graphics/Graphics.h"
#include "platform/win/Timer.h"

namespace orv {

// Frames of one-pixel lines, width of them: top and left in one colour, bottom and right in the
// other; the rectangle moves inward by width.
void Frame3D(TCanvas& canvas, TRect& r, TColor topColor, TColor bottomColor, Integer width);

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* owner);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut value) { FBevelInner = value; Realign(); Invalidate(); }
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut value) { FBevelOuter = value; Realign(); Invalidate(); }
  Integer BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(Integer value) { FBevelWidth = value; Realign(); Invalidate(); }
  Integer BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(Integer value) { FBorderWidth = value; Realign(); Invalidate(); }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value) { FBorderStyle = value; Realign(); Invalidate(); }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value) { FAlignment = value; Invalidate(); }
  TRect AlignClientRect() const override;

 protected:
  void Paint() override;

  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  Integer FBevelWidth = 1;
  Integer FBorderWidth = 0;
  TFormBorderStyle FBorderStyle = bsNone;
  TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* picture);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value) { FStretch = value; Invalidate(); }
  bool Center() const { return FCenter; }
  void SetCenter(bool value) { FCenter = value; Invalidate(); }
  bool Proportional() const { return FProportional; }
  void SetProportional(bool value) { FProportional = value; Invalidate(); }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value) { FTransparent = value; Invalidate(); }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  // Where the picture is drawn inside the control.
  TRect DestRect() const;

 protected:
  void Paint() override;
  void PictureChanged();

  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FProportional = false;
  bool FTransparent = false;
  bool FAutoSize = false;
};

// Fires OnTimer every Interval milliseconds while Enabled and OnTimer is set.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal value);
  // Milliseconds until the next firing (0 when due), -1 while the timer does not run; for tests.
  long long RemainingMs() const { return FCore->RemainingMs(); }
  TNotifyEvent OnTimer;

 protected:
  void Loaded() override;
  void UpdateTimer();

  std::unique_ptr<TTimerCore> FCore;
  bool FEnabled = true;
  Cardinal FInterval = 1000;
};

}  // namespace orv
