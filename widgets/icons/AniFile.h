// An animated icon: TAniFile holds the bytes of an animated-cursor file and
// its frames as 32 x 32 icons; TAniIcon shows one frame and, while
// Animated, steps through them on a 20 ms timer.
//
//   object AniIcon1: TAniIcon
//     Left = 8  Top = 8
//     AniFile.Data = {52494646...}
//     Animated = True
//   end
//
// Register with RegisterClass(TAniIcon::ClassInfo()).
#pragma once
#include <array>
#include <functional>
#include <vector>

#include "AniFormat.h"
#include "Description.h"

class TAniFile : public TPersistent {
public:
  TAniFile() = default;
  ~TAniFile() override;
  TAniFile(const TAniFile&) = delete;
  TAniFile& operator=(const TAniFile&) = delete;

  // Copies the source's data and reads it; none empties the animation.
  void Assign(const TAniFile* source);
  // Reads the bytes; on EAniError the animation stays as it was.
  void LoadFromBytes(const std::vector<uint8_t>& bytes);
  const std::vector<uint8_t>& Data() const { return data_; }
  // The "Data" property of a window description: load, then OnChange.
  void ReadData(const std::vector<uint8_t>& bytes);

  int Width() const { return 32; }
  int Height() const { return 32; }
  bool Empty() const { return false; }
  int FrameCount() const;
  HICON Icon(int frame) const { return frame >= 0 && frame < kAniMaxFrames ? icons_[frame] : nullptr; }
  const TAniData& Animation() const { return ani_; }

  int Frame() const { return frame_; }
  // Out of 0..63, or an empty slot, is frame 0; the tick count restarts.
  void SetFrame(int index);
  // One 20 ms step of the animation.
  void Tick();
  // Draws the current frame at the canvas origin.
  void Draw(TCanvas& canvas, const RECT& rect) const;

  std::function<void()> OnChange;
  static const TClassInfo& ClassInfo();

private:
  void DestroyIcons();
  std::vector<uint8_t> data_;
  TAniData ani_;
  std::array<HICON, kAniMaxFrames> icons_{};
  int frame_ = 0, counter_ = 0;
};

class TAniIcon : public TCustomControl {
public:
  explicit TAniIcon(TComponent* owner);
  ~TAniIcon() override;
  static const TClassInfo& ClassInfo();

  TAniFile& AniFile() { return aniFile_; }
  void SetAniFile(const TAniFile* source);
  bool Animated() const { return animated_; }
  void SetAnimated(bool v);
  int Frame() const { return aniFile_.Frame(); }
  void SetFrame(int index);
  bool TimerRunning() const { return timerRunning_; }
  static constexpr UINT_PTR kTimerId = 1;

protected:
  void Paint(TCanvas& canvas) override;
  void HandleCreated() override;
  void WndProc(TMessage& m) override;

private:
  void UpdateTimer();
  TAniFile aniFile_;
  bool animated_ = false, timerRunning_ = false;
};
