// An underlined label that opens its address (or its caption) with the
// shell when clicked, with a "Copy" item in its context menu.
#pragma once
#include <string>

#include "StdCtrls.h"

class TClassInfo;

class TUrlLabel : public TLabel {
public:
  explicit TUrlLabel(TComponent* owner);
  static const TClassInfo& ClassInfo();

  std::string URL;
  TColor ActiveColor = clPurple;
  void SetURL(const std::string& url) { URL = url; }
  void SetActiveColor(TColor c) { ActiveColor = c; }

  // The ordinary click (OnClick first), then the shell opens the target.
  void Click() override;
  // The "Copy" item: the caption (not the address) to the clipboard.
  void CopyClick();
  // What a click opens: the address when it is not blank, else the caption.
  std::string Target() const;

protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
  TColor savedColor_ = clBlue;
};
