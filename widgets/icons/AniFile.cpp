#include "AniFile.h"

#include "Seam.h"

// TAniFile

TAniFile::~TAniFile() { DestroyIcons(); }

void TAniFile::DestroyIcons() {
  // Every slot: a file may leave an empty one before later frames.
  for (HICON& icon : icons_) {
    if (icon) DestroyIcon(icon);
    icon = nullptr;
  }
}

int TAniFile::FrameCount() const {
  int n = 0;
  while (n < kAniMaxFrames && icons_[n]) ++n;
  return n;
}

void TAniFile::LoadFromBytes(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return;
  TAniData ani = ReadAni(bytes);
  std::array<HICON, kAniMaxFrames> icons{};
  for (size_t i = 0; i < ani.Frames.size(); ++i) {
    auto& image = ani.Frames[i];
    icons[i] = CreateIconFromResource(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000);
  }
  DestroyIcons();
  icons_ = icons;
  ani_ = std::move(ani);
  data_ = bytes;
  frame_ = 0;
  counter_ = 0;
}

void TAniFile::Assign(const TAniFile* source) {
  if (source == this) return;
  if (!source) {
    data_.clear();
    DestroyIcons();
    ani_ = TAniData();
    frame_ = counter_ = 0;
    return;
  }
  LoadFromBytes(source->data_);
}

void TAniFile::ReadData(const std::vector<uint8_t>& bytes) {
  LoadFromBytes(bytes);
  if (OnChange) OnChange();
}

void TAniFile::SetFrame(int index) {
  if (index < 0 || index >= kAniMaxFrames || !icons_[index]) index = 0;
  frame_ = index;
  counter_ = 0;
}

void TAniFile::Tick() {
  counter_ += 2;
  if (ani_.Rates[frame_] >= counter_) return;
  counter_ = 0;
  ++frame_;
  if (frame_ >= kAniMaxFrames || !icons_[frame_]) frame_ = 0;
  if (OnChange) OnChange();
}

void TAniFile::Draw(TCanvas& canvas, const RECT&) const {
  if (HICON icon = icons_[frame_]) DrawIcon(canvas.Handle(), 0, 0, icon);
}

const TClassInfo& TAniFile::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TAniFile", nullptr);
    i.PropFn<TAniFile>("Data", [](TAniFile& f, const TDescValue& v) {
      f.ReadData(ConvertValue<std::vector<uint8_t>>(v));
    });
    return i;
  }();
  return info;
}

// TAniIcon

TAniIcon::TAniIcon(TComponent* owner) : TCustomControl(owner) {
  width_ = 32;
  height_ = 32;
  aniFile_.OnChange = [this] { Invalidate(); };
}

TAniIcon::~TAniIcon() {
  aniFile_.OnChange = nullptr;
  if (timerRunning_ && HandleAllocated()) Seam().KillTimer(HandleIfAllocated(), kTimerId);
  timerRunning_ = false;
}

void TAniIcon::SetAniFile(const TAniFile* source) {
  aniFile_.Assign(source);
  Invalidate();
}

void TAniIcon::SetAnimated(bool v) {
  animated_ = v;
  UpdateTimer();
}

void TAniIcon::SetFrame(int index) {
  aniFile_.SetFrame(index);
  Invalidate();
}

void TAniIcon::UpdateTimer() {
  HWND h = HandleIfAllocated();
  if (!h || animated_ == timerRunning_) return;
  if (animated_) timerRunning_ = Seam().SetTimer(h, kTimerId, 20, nullptr) != 0;
  else {
    Seam().KillTimer(h, kTimerId);
    timerRunning_ = false;
  }
}

void TAniIcon::HandleCreated() {
  TCustomControl::HandleCreated();
  timerRunning_ = false;
  UpdateTimer();
}

void TAniIcon::Paint(TCanvas& canvas) { aniFile_.Draw(canvas, ClientRect()); }

void TAniIcon::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_TIMER:
      if (m.WParam == kTimerId) {
        aniFile_.Tick();
        return;
      }
      break;
    case WM_DESTROY:
      if (timerRunning_) Seam().KillTimer(HandleIfAllocated(), kTimerId);
      timerRunning_ = false;
      break;
    default: break;
  }
  TCustomControl::WndProc(m);
}

const TClassInfo& TAniIcon::ClassInfo() {
  static const TClassInfo info = [] {
    TClassInfo i("TAniIcon", &CustomControlClassInfo(), Creator<TAniIcon>());
    i.Sub<TAniIcon>("AniFile", [](TAniIcon& c) -> TAniFile& { return c.AniFile(); }, TAniFile::ClassInfo());
    i.Prop("Animated", &TAniIcon::SetAnimated);
    i.Prop("Frame", &TAniIcon::SetFrame);
    return i;
  }();
  return info;
}
