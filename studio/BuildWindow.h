// What the main window needs of the build window: show it without making
// it modal, then run one build. The build window reads the project through
// IProjectSettings and closes itself when the build ends.
#pragma once

class IBuildWindow {
public:
  virtual ~IBuildWindow() = default;
  virtual void Show() = 0;
  // Builds the package; true on success. May let window messages run.
  virtual bool Proceed() = 0;
};
