// The Studio main window's project values, by the controls that hold them,
// and the rules over them that need no window: the new-project reset, the
// engine's and the project file's views of the controls, the build checks,
// what each kind and style shows, and the test run's command line.
#pragma once
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ProjectFile.h"
#include "ProjectSettings.h"

// Text controls of the main window.
enum class TStudioText { e1, e2, pass1, pass2, ovrChoice, execution, defaultDir, Count };
// Check boxes and radio buttons.
enum class TStudioCheck {
  r1, r2, r3, r4,
  CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5,
  p1, p2, p3,
  cabsfx1, cabsfx2,
  Count
};
// Sliders.
enum class TStudioSlider { TrackBar1, TrackBar2, Count };

// Image indexes of the source list.
constexpr int kFileImage = 0;
constexpr int kFolderImage = 1;

// One entry of `SourceListView`: its caption and its image index.
struct TSourceEntry {
  std::string Caption;
  int ImageIndex = kFileImage;
  bool operator==(const TSourceEntry&) const = default;
};

// The project as the main window's controls hold it. Setting a value sets
// the control only; it runs no kind or style handler.
class IStudioControls {
public:
  virtual ~IStudioControls() = default;
  virtual std::string Text(TStudioText which) const = 0;
  virtual void SetText(TStudioText which, const std::string& text) = 0;
  virtual bool Checked(TStudioCheck which) const = 0;
  virtual void SetChecked(TStudioCheck which, bool on) = 0;
  virtual int Position(TStudioSlider which) const = 0;
  virtual void SetPosition(TStudioSlider which, int position) = 0;  // held to the slider's range
  virtual int StyleTab() const = 0;  // `TabSet1`: 0 Standard, 1 Advanced, 2 DOS
  virtual void SetStyleTab(int tab) = 0;
  virtual std::vector<TSourceEntry> SourceEntries() const = 0;
  virtual void ClearSources() = 0;
  virtual void AddSource(const TSourceEntry& entry) = 0;  // a new last entry
};

// The controls as plain values, with a new project's values.
class TStudioValues : public IStudioControls {
public:
  TStudioValues();
  std::array<std::string, static_cast<size_t>(TStudioText::Count)> Texts;
  std::array<bool, static_cast<size_t>(TStudioCheck::Count)> Checks{};
  std::array<int, static_cast<size_t>(TStudioSlider::Count)> Positions{};
  int Tab = 0;
  std::vector<TSourceEntry> Sources;

  std::string Text(TStudioText which) const override { return Texts[static_cast<size_t>(which)]; }
  void SetText(TStudioText which, const std::string& text) override { Texts[static_cast<size_t>(which)] = text; }
  bool Checked(TStudioCheck which) const override { return Checks[static_cast<size_t>(which)]; }
  void SetChecked(TStudioCheck which, bool on) override { Checks[static_cast<size_t>(which)] = on; }
  int Position(TStudioSlider which) const override { return Positions[static_cast<size_t>(which)]; }
  void SetPosition(TStudioSlider which, int position) override;
  int StyleTab() const override { return Tab; }
  void SetStyleTab(int tab) override { Tab = tab; }
  std::vector<TSourceEntry> SourceEntries() const override { return Sources; }
  void ClearSources() override { Sources.clear(); }
  void AddSource(const TSourceEntry& entry) override { Sources.push_back(entry); }
  bool operator==(const TStudioValues& o) const {
    return Texts == o.Texts && Checks == o.Checks && Positions == o.Positions && Tab == o.Tab && Sources == o.Sources;
  }
};

// Range of a slider: `TrackBar1` 0..9, `TrackBar2` 0..1.
int SliderMax(TStudioSlider which);
int ClampSlider(TStudioSlider which, int position);

// Copies every value from one set of controls to another.
void CopyControls(const IStudioControls& from, IStudioControls& to);

// Puts a new project's values into the controls: `r1` and `cabsfx1`
// checked, texts, list and boxes empty, `TrackBar1` 9, `TrackBar2` 0,
// "Ask User", style tab 0.
void ResetToNewProject(IStudioControls& controls);

// The first checked kind button, in the order r1..r4.
std::optional<TArchiveKind> CheckedKind(const IStudioControls& controls);
// Checks the kind's button and clears the other three.
void CheckKind(IStudioControls& controls, TArchiveKind kind);

// What the engine reads, answered from the controls when asked.
class TStudioSettings : public IProjectSettings {
public:
  // `projectFile`: the current project file, or kNoProjectFile ("<>").
  explicit TStudioSettings(const IStudioControls& controls, const std::string* projectFile = nullptr)
      : c_(controls), projectFile_(projectFile) {}
  std::string Title() const override { return c_.Text(TStudioText::e1); }
  std::string OutputFileName() const override { return c_.Text(TStudioText::e2); }
  std::optional<TArchiveKind> Kind() const override { return CheckedKind(c_); }
  // Entries with an image index other than 0 or 1 are left out.
  std::vector<TSourceItem> Sources() const override;
  bool SaveFolderNames() const override { return c_.Checked(TStudioCheck::CheckBox4); }
  bool AddSubDirs() const override { return c_.Checked(TStudioCheck::CheckBox5); }
  bool AddHiddenFiles() const override { return c_.Checked(TStudioCheck::CheckBox1); }
  bool MoveFiles() const override { return c_.Checked(TStudioCheck::CheckBox2); }
  bool ForceDOSNames() const override { return c_.Checked(TStudioCheck::CheckBox3); }
  int ZipLevel() const override { return c_.Position(TStudioSlider::TrackBar1); }
  TCabCompression CabCompression() const override {
    return c_.Position(TStudioSlider::TrackBar2) != 0 ? ccMSZip : ccLZX;
  }
  TCabSFXStyle CabSFXStyle() const override { return c_.Checked(TStudioCheck::cabsfx1) ? cs16Bit : cs32Bit; }
  int ZipSFXStyle() const override { return c_.StyleTab(); }
  std::string Password(bool dosStyle) const override {
    return c_.Text(dosStyle ? TStudioText::pass1 : TStudioText::pass2);
  }
  std::string OverwriteMode() const override { return c_.Text(TStudioText::ovrChoice); }
  std::string RunAfterExtraction() const override { return c_.Text(TStudioText::execution); }
  std::string DefaultExtractDir() const override { return c_.Text(TStudioText::defaultDir); }
  bool CanPreventExecuting() const override { return c_.Checked(TStudioCheck::p1); }
  bool CanChangeFileList() const override { return c_.Checked(TStudioCheck::p2); }
  bool HideOverwriteBox() const override { return c_.Checked(TStudioCheck::p3); }
  std::vector<std::string> ProjectFileNames() const override {
    if (!projectFile_ || *projectFile_ == "<>" || projectFile_->empty()) return {};
    return {*projectFile_};
  }

private:
  const IStudioControls& c_;
  const std::string* projectFile_;
};

// A project file read into the controls, as the Studio reads it: the kind
// line clears all four kind buttons and both passwords first; the password
// goes into both entries; a style line that is none of the three keeps the
// tab. Boxes go to `showMessage`.
class TStudioFileTarget : public IProjectFileTarget {
public:
  TStudioFileTarget(IStudioControls& controls, std::function<void(const TProjectMessage&)> showMessage)
      : c_(controls), show_(std::move(showMessage)) {}
  void ShowMessage(const TProjectMessage& message) override {
    if (show_) show_(message);
  }
  void SetTitle(const std::string& text) override { c_.SetText(TStudioText::e1, text); }
  void SetOutputFileName(const std::string& text) override { c_.SetText(TStudioText::e2, text); }
  void SetKind(TArchiveKind kind) override;
  void ClearFiles() override { c_.ClearSources(); }
  void AddFile(const std::string& path) override { c_.AddSource({path, kFileImage}); }
  void ClearFolders() override {}
  void AddFolder(const std::string& path) override { c_.AddSource({path, kFolderImage}); }
  void SetSaveFolderNames(bool on) override { c_.SetChecked(TStudioCheck::CheckBox4, on); }
  void SetAddSubDirs(bool on) override { c_.SetChecked(TStudioCheck::CheckBox5, on); }
  void SetAddHiddenFiles(bool on) override { c_.SetChecked(TStudioCheck::CheckBox1, on); }
  void SetMoveFiles(bool on) override { c_.SetChecked(TStudioCheck::CheckBox2, on); }
  void SetForceDOSNames(bool on) override { c_.SetChecked(TStudioCheck::CheckBox3, on); }
  void SetCabCompression(TCabCompression c) override { c_.SetPosition(TStudioSlider::TrackBar2, c == ccMSZip ? 1 : 0); }
  void SetCabSFXStyle(TCabSFXStyle style) override;
  void SetZipSFXStyle(std::optional<TZipSFXStyle> style) override;
  void SetZipLevel(int level) override { c_.SetPosition(TStudioSlider::TrackBar1, level); }
  void SetPassword(const std::string& text) override;
  void SetOverwriteMode(const std::string& text) override { c_.SetText(TStudioText::ovrChoice, text); }
  void SetRunAfterExtraction(const std::string& text) override { c_.SetText(TStudioText::execution, text); }
  void SetDefaultExtractDir(const std::string& text) override { c_.SetText(TStudioText::defaultDir, text); }
  void SetCanPreventExecuting(bool on) override { c_.SetChecked(TStudioCheck::p1, on); }
  void SetCanChangeFileList(bool on) override { c_.SetChecked(TStudioCheck::p2, on); }
  void SetHideOverwriteBox(bool on) override { c_.SetChecked(TStudioCheck::p3, on); }

private:
  IStudioControls& c_;
  std::function<void(const TProjectMessage&)> show_;
};

// ---------------------------------------------------------------------------
// Build checks and the test run.

extern const char* const kValidatingStatus;      // "Validating Archive Information..."
extern const char* const kPasswordMismatchText;  // "The Passwords you entered does not match, cannot proceed."
extern const char* const kNoSourcesText;         // "No Files or Folders to add"
extern const char* const kNoTitleText;           // "Project Title Not Specified"
extern const char* const kNoOutputText;          // "Project Output Filename Not Specified"
extern const char* const kProcessingStatus;      // "Processing Your Request..."

// The text of the first check that fails, in the fixed order (passwords,
// source list, title, output name); empty when all pass. The passwords are
// compared exactly, whatever the kind.
std::string ValidateBuild(const IStudioControls& controls);

// True when the name's extension, in lower case, is ".exe".
bool IsExeName(const std::string& fileName);

// Which settings the self-extraction page (`Notebook2`) shows.
enum class TSfxPage { Zip = 0, Cab = 1 };

// The test run's command line: the output path, quoted when it holds a
// blank, then " -t" for the zip settings with the "DOS SFX" tab, " /d" for
// the cabinet settings, nothing for a Windows zip self-extractor.
std::string TestRunCommandLine(const std::string& outputFileName, TSfxPage page, int styleTab);

// ---------------------------------------------------------------------------
// What the kind buttons and the style tabs show.

struct TKindLayout {
  bool SelfExtraction = false;        // the "Self-Extraction" side-bar button and Navigate item
  std::optional<TSfxPage> SfxPage;    // none: `Notebook2` keeps its page
  bool ZipCompression = false;        // `ZipCompress` shown, else `cabCompress`
  bool ZipOptions = false;            // CheckBox5, 1, 2, 3 and the passwords enabled
};
TKindLayout KindLayout(TArchiveKind kind);

struct TStyleLayout {
  bool ExtractionSettings = true;  // overwrite, run, folder and the permission group
  bool DosText = false;            // "No Options are available for Creating DOS Self-Extractors"
  bool HideOverwriteEnabled = false;  // `p3`
};
TStyleLayout StyleLayout(int tab);

// ---------------------------------------------------------------------------
// Source list rules.

// True when an entry has exactly this caption (files and folders alike).
bool HasSourceCaption(const std::vector<TSourceEntry>& entries, const std::string& caption);

// "You are about to delete N items from your Source File List."
std::string RemoveConfirmText(int count);

// Save-dialog filter and default extension for the output name by kind.
struct TDialogFilter {
  std::string Filter;      // "Name|*.ext"
  std::string DefaultExt;
};
TDialogFilter OutputFilter(std::optional<TArchiveKind> kind);
TDialogFilter ProjectFilter();  // "tidy-Zaderuzo Project Files|*.tpj", "tpj"

// The file name without its folder.
std::string FileNameOnly(const std::string& path);
