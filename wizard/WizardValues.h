// The wizard window's project values, by the controls that hold them, and
// the rules over them that need no window: the pages and their titles, the
// settings page of each kind, the list rules, Reset, the review text, the
// test run's command line, and the engine's and the project file's views of
// the controls.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ProjectFile.h"
#include "ProjectSettings.h"

// Text controls of the wizard window.
enum class TWizardText {
  ProjectTitle, ProjectOutputName, projectFilename, Pname,
  FlatEdit1, FlatEdit2,
  Pass1, Pass2, ovrChoice, execution, defaultDir,
  Count
};
// Check boxes and radio buttons.
enum class TWizardCheck {
  CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5,
  p1, p2, p3,
  cabSFX1, cabSFX2,
  dosSFX, winSimpleSFX, winAdvancedSFX,
  Count
};
// Sliders: `TrackBar1` and `TrackBar4` 0..9, `TrackBar2` and `TrackBar3` 0..1.
enum class TWizardSlider { TrackBar1, TrackBar2, TrackBar3, TrackBar4, Count };
// The file list `ListBox1` and the folder list `ListBox2`.
enum class TWizardList { Files, Folders };

// The longest password the zip library takes.
constexpr int kMaxPasswordLength = 80;

// The project as the wizard window's controls hold it. Setting a value sets
// the control only; no click handler runs.
class IWizardControls {
public:
  virtual ~IWizardControls() = default;
  virtual std::string Text(TWizardText which) const = 0;
  virtual void SetText(TWizardText which, const std::string& text) = 0;
  virtual bool Checked(TWizardCheck which) const = 0;
  virtual void SetChecked(TWizardCheck which, bool on) = 0;
  virtual int Position(TWizardSlider which) const = 0;
  virtual void SetPosition(TWizardSlider which, int position) = 0;  // held to the slider's range
  // Text of the selected `ListView1` item; empty when none is selected.
  virtual std::string KindText() const = 0;
  // Selects the item with this text (one of the four kind texts).
  virtual void SelectKind(const std::string& text) = 0;
  virtual std::vector<std::string> Items(TWizardList which) const = 0;
  // Appends an entry, not selected.
  virtual void AddItem(TWizardList which, const std::string& item) = 0;
  // Replaces the list; `selected` marks selected entries (may be shorter).
  virtual void SetItems(TWizardList which, const std::vector<std::string>& items,
                        const std::vector<bool>& selected = {}) = 0;
  virtual std::vector<bool> Selection(TWizardList which) const = 0;
  // `SaveProjectOption` reads "Save My Project" (blue) or "Don't Save My
  // Project" (grey).
  virtual bool SaveChosen() const = 0;
  virtual void SetSaveChosen(bool save) = 0;
};

// The controls as plain values, with the window's values at start.
class TWizardValues : public IWizardControls {
public:
  TWizardValues();
  std::vector<std::string> Texts;
  std::vector<bool> Checks;
  std::vector<int> Positions;
  std::string Kind;
  std::vector<std::string> Files, Folders;
  std::vector<bool> FileSelection, FolderSelection;
  bool Save = false;

  std::string Text(TWizardText which) const override { return Texts[static_cast<size_t>(which)]; }
  void SetText(TWizardText which, const std::string& text) override { Texts[static_cast<size_t>(which)] = text; }
  bool Checked(TWizardCheck which) const override { return Checks[static_cast<size_t>(which)]; }
  void SetChecked(TWizardCheck which, bool on) override { Checks[static_cast<size_t>(which)] = on; }
  int Position(TWizardSlider which) const override { return Positions[static_cast<size_t>(which)]; }
  void SetPosition(TWizardSlider which, int position) override;
  std::string KindText() const override { return Kind; }
  void SelectKind(const std::string& text) override { Kind = text; }
  std::vector<std::string> Items(TWizardList which) const override {
    return which == TWizardList::Files ? Files : Folders;
  }
  void AddItem(TWizardList which, const std::string& item) override;
  void SetItems(TWizardList which, const std::vector<std::string>& items, const std::vector<bool>& selected) override;
  std::vector<bool> Selection(TWizardList which) const override {
    return which == TWizardList::Files ? FileSelection : FolderSelection;
  }
  bool SaveChosen() const override { return Save; }
  void SetSaveChosen(bool save) override { Save = save; }
};

int WizardSliderMax(TWizardSlider which);

// ---------------------------------------------------------------------------
// Pages.

enum TWizardPage {
  pgWelcome, pgArchiveType, pgAddFiles, pgAddFolders, pgGeneralSettings, pgAdvancedSettings,
  pgProjectSettings, pgReview, pgBuilding, pgDone, kWizardPageCount
};

struct TWizardPageInfo {
  const char* Caption;    // as the window description names the page
  const char* Title;      // shown in `TitleLabel`
  const char* HelpTopic;  // the Help button's topic
};
const TWizardPageInfo& WizardPageInfo(int page);

// What `TogglePage` shows for a page.
struct TPageLook {
  std::string Title;
  std::string NextCaption;   // "Buil&d" on the review page, else "&Next"
  bool AllOptions = false;   // page 5 shows all five option boxes (zip kinds)
};
TPageLook PageLook(int page, const std::string& kindText);

// The `Notebook2` page of a kind text: "Cab", "CabSfx", "Zip", "ZipSfx".
std::optional<std::string> SettingsPageOf(const std::string& kindText);
// `Label5`'s description of a kind text; empty for no kind.
std::string KindDescription(const std::string& kindText);
// Whether the kind text starts with "Zip".
bool IsZipKindText(const std::string& kindText);

// The kind texts in the order `ListView1` shows them.
const std::vector<std::string>& KindListOrder();

// What the self-extractor style buttons enable.
struct TZipStyleLayout {
  bool ExtractionSettings = true;  // `ovrChoice`, `execution`, `defaultDir`, `p1`
  bool AdvancedPermissions = false;  // `p2`, `p3`
};
// The style of the checked button; none when no button is checked.
std::optional<TZipSFXStyle> CheckedZipStyle(const IWizardControls& c);
TZipStyleLayout ZipStyleLayout(std::optional<TZipSFXStyle> style);
// Checks the style's button and clears the other two.
void CheckZipStyle(IWizardControls& c, TZipSFXStyle style);

// Reset (Back on the done page), the values part: the lists and both
// edits emptied, "Save Folder Names" checked, "Add Sub-Dirs" clear, the
// Windows standard style, levels 9, cabinet sliders 0, the 32-bit cabinet
// extractor, passwords, texts and permissions empty, saving off. The kind
// and the other three options keep their values.
void ResetWizardProject(IWizardControls& c);

// ---------------------------------------------------------------------------
// Lists.

// The browse dialog's files added to the file list: each file, in the
// dialog's order, that the list does not hold (ignoring case) goes on top,
// selected. Returns the number added.
int AddBrowsedFiles(IWizardControls& c, const std::vector<std::string>& chosen);
// The typed file path: appended when no entry equals it exactly and it
// names an existing file. True when it was added (the edit is then emptied).
bool AddTypedFile(IWizardControls& c, const std::function<bool(const std::string&)>& fileExists);
// The typed folder with a trailing backslash: appended when no entry
// equals it (ignoring case) and it names an existing folder.
bool AddTypedFolder(IWizardControls& c, const std::function<bool(const std::string&)>& folderExists);
// Removes the selected entries of a list.
void RemoveSelected(IWizardControls& c, TWizardList which);

// ---------------------------------------------------------------------------
// The review text and the test run.

// `MakeReport`'s lines for the project in the controls.
std::vector<std::string> MakeReport(const IWizardControls& c);

// The test run's command line, or none when the output's extension is not
// ".EXE": the output path (quoted when it holds a blank), then " -t" for a
// DOS zip self-extractor, " /d" for "Cabinet SFX".
std::optional<std::string> WizardTestRunCommandLine(const IWizardControls& c);

// The extension with its dot, in upper case ("" when there is none).
std::string UpperExtension(const std::string& path);

// ---------------------------------------------------------------------------
// The engine's and the project file's views of the controls.

// What the engine reads and the project file writer writes, answered from
// the controls when asked. Sources are the folders, then the files, each in
// list order: a build walks them from the last, so the files come before
// the folders, each from its last entry to its first.
class TWizardSettings : public IProjectSettings {
public:
  explicit TWizardSettings(const IWizardControls& controls) : c_(controls) {}
  std::string Title() const override { return c_.Text(TWizardText::ProjectTitle); }
  std::string OutputFileName() const override { return c_.Text(TWizardText::ProjectOutputName); }
  std::optional<TArchiveKind> Kind() const override { return ArchiveKindFromText(c_.KindText()); }
  std::vector<TSourceItem> Sources() const override;
  bool SaveFolderNames() const override { return c_.Checked(TWizardCheck::CheckBox4); }
  bool AddSubDirs() const override { return c_.Checked(TWizardCheck::CheckBox5); }
  bool AddHiddenFiles() const override { return c_.Checked(TWizardCheck::CheckBox1); }
  bool MoveFiles() const override { return c_.Checked(TWizardCheck::CheckBox2); }
  bool ForceDOSNames() const override { return c_.Checked(TWizardCheck::CheckBox3); }
  // Level, compression and password come from the controls of the kind.
  int ZipLevel() const override;
  TCabCompression CabCompression() const override;
  TCabSFXStyle CabSFXStyle() const override { return c_.Checked(TWizardCheck::cabSFX1) ? cs16Bit : cs32Bit; }
  int ZipSFXStyle() const override;  // -1 when no style button is checked
  std::string Password(bool dosStyle) const override;
  std::string OverwriteMode() const override { return c_.Text(TWizardText::ovrChoice); }
  std::string RunAfterExtraction() const override { return c_.Text(TWizardText::execution); }
  std::string DefaultExtractDir() const override { return c_.Text(TWizardText::defaultDir); }
  bool CanPreventExecuting() const override { return c_.Checked(TWizardCheck::p1); }
  bool CanChangeFileList() const override { return c_.Checked(TWizardCheck::p2); }
  bool HideOverwriteBox() const override { return c_.Checked(TWizardCheck::p3); }
  // The project opened and the one page 6 saves to.
  std::vector<std::string> ProjectFileNames() const override {
    std::vector<std::string> names;
    for (TWizardText t : {TWizardText::Pname, TWizardText::projectFilename})
      if (!c_.Text(t).empty()) names.push_back(c_.Text(t));
    return names;
  }

private:
  bool ZipSFX() const { return c_.KindText() == ArchiveKindText(akZipSFX); }
  const IWizardControls& c_;
};

// What a project load asks of the window besides its values.
struct TWizardLoadHooks {
  std::function<void(const TProjectMessage&)> ShowMessage;
  // The move confirmation; false clears the option again.
  std::function<bool()> ConfirmMove;
  // The kind's description and the style buttons' layout follow the values.
  std::function<void()> KindSelected;
  std::function<void()> StyleClicked;
};

// A project file read into the controls, as the Wizard reads it: nothing
// is reset first; the level, compression and password go to the controls
// of the kind read; a style line that is none of the three selects the
// Windows standard style, so that a later save writes one style line.
class TWizardFileTarget : public IProjectFileTarget {
public:
  TWizardFileTarget(IWizardControls& controls, TWizardLoadHooks hooks) : c_(controls), hooks_(std::move(hooks)) {}
  void ShowMessage(const TProjectMessage& message) override {
    if (hooks_.ShowMessage) hooks_.ShowMessage(message);
  }
  void SetTitle(const std::string& text) override { c_.SetText(TWizardText::ProjectTitle, text); }
  void SetOutputFileName(const std::string& text) override { c_.SetText(TWizardText::ProjectOutputName, text); }
  void SetKind(TArchiveKind kind) override;
  void ClearFiles() override { c_.SetItems(TWizardList::Files, {}); }
  void AddFile(const std::string& path) override;
  void ClearFolders() override { c_.SetItems(TWizardList::Folders, {}); }
  void AddFolder(const std::string& path) override;
  void SetSaveFolderNames(bool on) override { c_.SetChecked(TWizardCheck::CheckBox4, on); }
  void SetAddSubDirs(bool on) override { c_.SetChecked(TWizardCheck::CheckBox5, on); }
  void SetAddHiddenFiles(bool on) override { c_.SetChecked(TWizardCheck::CheckBox1, on); }
  void SetMoveFiles(bool on) override;
  void SetForceDOSNames(bool on) override { c_.SetChecked(TWizardCheck::CheckBox3, on); }
  void SetCabCompression(TCabCompression c) override;
  void SetCabSFXStyle(TCabSFXStyle style) override;
  void SetZipSFXStyle(std::optional<TZipSFXStyle> style) override;
  void SetZipLevel(int level) override;
  void SetPassword(const std::string& text) override;
  void SetOverwriteMode(const std::string& text) override { c_.SetText(TWizardText::ovrChoice, text); }
  void SetRunAfterExtraction(const std::string& text) override { c_.SetText(TWizardText::execution, text); }
  void SetDefaultExtractDir(const std::string& text) override { c_.SetText(TWizardText::defaultDir, text); }
  void SetCanPreventExecuting(bool on) override { c_.SetChecked(TWizardCheck::p1, on); }
  void SetCanChangeFileList(bool on) override { c_.SetChecked(TWizardCheck::p2, on); }
  void SetHideOverwriteBox(bool on) override { c_.SetChecked(TWizardCheck::p3, on); }

private:
  IWizardControls& c_;
  TWizardLoadHooks hooks_;
  std::optional<TArchiveKind> kind_;
};
