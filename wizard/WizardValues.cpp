#include "WizardValues.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "PathUtils.h"

namespace {

std::string Lower(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return s;
}

bool HoldsIgnoringCase(const std::vector<std::string>& items, const std::string& text) {
  const std::string lower = Lower(text);
  return std::any_of(items.begin(), items.end(), [&](const std::string& i) { return Lower(i) == lower; });
}

const TWizardPageInfo kPages[kWizardPageCount] = {
    {"Welcome", "Welcome!", "WizardWelcome"},
    {"Page1", "Archive Type", "ArchiveType"},
    {"Page2", "Add Files", "AddFiles"},
    {"Page3", "Add Folders", "Add_Folders"},
    {"Page4", "General Settings", "General_Archive_Settnigs"},
    {"Page5", "Advanced Archive Settings", "Advanced_Archive_Settnigs"},
    {"Page6", "Project Settings", "Project_Information"},
    {"Page7", "Review Summary", "Reviiew_Summary"},
    {"Page8", "Building Archive", "Add_Progress"},
    {"Finish", "Done!", "Package_Built"},
};

constexpr TWizardCheck kStyleButtons[] = {TWizardCheck::winSimpleSFX, TWizardCheck::winAdvancedSFX,
                                          TWizardCheck::dosSFX};  // by TZipSFXStyle

const char* YesNo(bool on) { return on ? "Yes" : "No"; }

}  // namespace

// ---------------------------------------------------------------------------
// Plain values

TWizardValues::TWizardValues()
    : Texts(static_cast<size_t>(TWizardText::Count)),
      Checks(static_cast<size_t>(TWizardCheck::Count)),
      Positions(static_cast<size_t>(TWizardSlider::Count)) {
  ResetWizardProject(*this);
  SetChecked(TWizardCheck::CheckBox1, false);
  SetChecked(TWizardCheck::CheckBox2, false);
  SetChecked(TWizardCheck::CheckBox3, false);
}

void TWizardValues::SetPosition(TWizardSlider which, int position) {
  Positions[static_cast<size_t>(which)] = std::clamp(position, 0, WizardSliderMax(which));
}

void TWizardValues::AddItem(TWizardList which, const std::string& item) {
  (which == TWizardList::Files ? Files : Folders).push_back(item);
  (which == TWizardList::Files ? FileSelection : FolderSelection).push_back(false);
}

void TWizardValues::SetItems(TWizardList which, const std::vector<std::string>& items,
                             const std::vector<bool>& selected) {
  std::vector<bool> sel = selected;
  sel.resize(items.size(), false);
  (which == TWizardList::Files ? Files : Folders) = items;
  (which == TWizardList::Files ? FileSelection : FolderSelection) = sel;
}

int WizardSliderMax(TWizardSlider which) {
  return which == TWizardSlider::TrackBar1 || which == TWizardSlider::TrackBar4 ? 9 : 1;
}

// ---------------------------------------------------------------------------
// Pages

const TWizardPageInfo& WizardPageInfo(int page) { return kPages[std::clamp(page, 0, kWizardPageCount - 1)]; }

TPageLook PageLook(int page, const std::string& kindText) {
  TPageLook look;
  look.Title = WizardPageInfo(page).Title;
  look.NextCaption = page == pgReview ? "Buil&d" : "&Next";
  look.AllOptions = IsZipKindText(kindText);
  return look;
}

std::optional<std::string> SettingsPageOf(const std::string& kindText) {
  std::optional<TArchiveKind> kind = ArchiveKindFromText(kindText);
  if (!kind) return std::nullopt;
  switch (*kind) {
    case akCabinetArchive: return "Cab";
    case akCabinetSFX: return "CabSfx";
    case akZipArchive: return "Zip";
    case akZipSFX: return "ZipSfx";
  }
  return std::nullopt;
}

std::string KindDescription(const std::string& kindText) {
  std::optional<TArchiveKind> kind = ArchiveKindFromText(kindText);
  if (!kind) return {};
  switch (*kind) {
    case akCabinetArchive:
      return "Cabinet Archive are the Type of Archive Files you found in your Windows 95 CD-ROM. Very High "
             "compression rate.";
    case akZipArchive: return "Most common Archive type, have Password protection, compression method choosing.";
    case akCabinetSFX: return "Self-Extracting Cabinet Archive. Files can be extracted under DOS environment.";
    case akZipSFX:
      return "Must be run under Windows 95. Highly customizible, can execute program after Extraction.";
  }
  return {};
}

bool IsZipKindText(const std::string& kindText) { return kindText.compare(0, 3, "Zip") == 0; }

const std::vector<std::string>& KindListOrder() {
  static const std::vector<std::string> order = {ArchiveKindText(akCabinetArchive), ArchiveKindText(akZipArchive),
                                                 ArchiveKindText(akCabinetSFX), ArchiveKindText(akZipSFX)};
  return order;
}

std::optional<TZipSFXStyle> CheckedZipStyle(const IWizardControls& c) {
  for (int s = 0; s < 3; ++s)
    if (c.Checked(kStyleButtons[s])) return static_cast<TZipSFXStyle>(s);
  return std::nullopt;
}

TZipStyleLayout ZipStyleLayout(std::optional<TZipSFXStyle> style) {
  TZipStyleLayout layout;
  layout.ExtractionSettings = style != zsDOS;
  layout.AdvancedPermissions = style == zsAdvanced;
  return layout;
}

void CheckZipStyle(IWizardControls& c, TZipSFXStyle style) {
  for (int s = 0; s < 3; ++s) c.SetChecked(kStyleButtons[s], s == static_cast<int>(style));
}

void ResetWizardProject(IWizardControls& c) {
  c.SetItems(TWizardList::Files, {});
  c.SetText(TWizardText::FlatEdit1, "");
  c.SetItems(TWizardList::Folders, {});
  c.SetText(TWizardText::FlatEdit2, "");
  c.SetChecked(TWizardCheck::CheckBox4, true);
  c.SetChecked(TWizardCheck::CheckBox5, false);
  CheckZipStyle(c, zsStandard);
  c.SetPosition(TWizardSlider::TrackBar4, 9);
  c.SetText(TWizardText::Pass2, "");
  c.SetText(TWizardText::ovrChoice, OvrOptsText(OvrConfirm));
  c.SetText(TWizardText::execution, "");
  c.SetText(TWizardText::defaultDir, "");
  for (TWizardCheck p : {TWizardCheck::p1, TWizardCheck::p2, TWizardCheck::p3}) c.SetChecked(p, false);
  c.SetPosition(TWizardSlider::TrackBar1, 9);
  c.SetText(TWizardText::Pass1, "");
  c.SetPosition(TWizardSlider::TrackBar2, 0);
  c.SetPosition(TWizardSlider::TrackBar3, 0);
  c.SetChecked(TWizardCheck::cabSFX1, false);
  c.SetChecked(TWizardCheck::cabSFX2, true);
  for (TWizardText t : {TWizardText::ProjectTitle, TWizardText::ProjectOutputName, TWizardText::projectFilename,
                        TWizardText::Pname})
    c.SetText(t, "");
  c.SetSaveChosen(false);
}

// ---------------------------------------------------------------------------
// Lists

int AddBrowsedFiles(IWizardControls& c, const std::vector<std::string>& chosen) {
  std::vector<std::string> items = c.Items(TWizardList::Files);
  std::vector<bool> selected = c.Selection(TWizardList::Files);
  selected.resize(items.size(), false);
  int added = 0;
  for (const std::string& file : chosen) {
    if (HoldsIgnoringCase(items, file)) continue;
    items.insert(items.begin(), file);
    selected.insert(selected.begin(), true);
    ++added;
  }
  if (added) c.SetItems(TWizardList::Files, items, selected);
  return added;
}

bool AddTypedFile(IWizardControls& c, const std::function<bool(const std::string&)>& fileExists) {
  const std::string text = c.Text(TWizardText::FlatEdit1);
  const std::vector<std::string> items = c.Items(TWizardList::Files);
  if (std::find(items.begin(), items.end(), text) != items.end()) return false;
  if (!fileExists(text)) return false;
  c.AddItem(TWizardList::Files, text);
  c.SetText(TWizardText::FlatEdit1, "");
  return true;
}

bool AddTypedFolder(IWizardControls& c, const std::function<bool(const std::string&)>& folderExists) {
  const std::string text = c.Text(TWizardText::FlatEdit2);
  const std::string entry = AddTrailingBackslash(text);
  if (HoldsIgnoringCase(c.Items(TWizardList::Folders), entry) || !folderExists(text)) return false;
  c.AddItem(TWizardList::Folders, entry);
  c.SetText(TWizardText::FlatEdit2, "");
  return true;
}

void RemoveSelected(IWizardControls& c, TWizardList which) {
  const std::vector<std::string> items = c.Items(which);
  std::vector<bool> selected = c.Selection(which);
  selected.resize(items.size(), false);
  std::vector<std::string> kept;
  for (size_t i = 0; i < items.size(); ++i)
    if (!selected[i]) kept.push_back(items[i]);
  if (kept.size() != items.size()) c.SetItems(which, kept);
}

// ---------------------------------------------------------------------------
// The review text and the test run

std::vector<std::string> MakeReport(const IWizardControls& c) {
  using T = TWizardText;
  using C = TWizardCheck;
  std::vector<std::string> r;
  const std::string kind = c.KindText();
  auto compression = [&](TWizardSlider slider) {
    r.push_back(c.Position(slider) == 0 ? "   Compression Method - LZX Compression"
                                        : "   Compression Method - MS-Zip Compression");
  };
  auto encryption = [&](T pass) {
    if (c.Text(pass).empty()) {
      r.push_back("   Encryption - No");
    } else {
      r.push_back("   Encryption - Yes");
      r.push_back("   Password - (Hidden)");
    }
  };

  r.push_back("Summary For " + c.Text(T::ProjectTitle));
  r.push_back("");
  r.push_back("Project Information : ");
  r.push_back(c.SaveChosen() ? "   Project Location - " + c.Text(T::projectFilename)
                             : "   Project Location - (Project Not Saved)");
  r.push_back("   Package Output Location - " + c.Text(T::ProjectOutputName));
  r.push_back("");
  r.push_back("Archive Information :");
  r.push_back("   Archive Type - " + kind);
  const std::optional<TArchiveKind> archiveKind = ArchiveKindFromText(kind);
  if (archiveKind) switch (*archiveKind) {
    case akCabinetArchive: compression(TWizardSlider::TrackBar2); break;
    case akZipArchive:
      r.push_back("   Compression Level - " + std::to_string(c.Position(TWizardSlider::TrackBar1)));
      encryption(T::Pass1);
      break;
    case akCabinetSFX:
      compression(TWizardSlider::TrackBar3);
      r.push_back(c.Checked(C::cabSFX1) ? "   Self-Extractor Type - 16-bit SFX"
                                        : "   Self-Extractor Type - 32-bit SFX (Long Filename Support)");
      break;
    case akZipSFX: {
      r.push_back("   Compression Level - " + std::to_string(c.Position(TWizardSlider::TrackBar4)));
      encryption(T::Pass2);
      const TZipSFXStyle style = CheckedZipStyle(c).value_or(zsStandard);
      r.push_back(style == zsDOS        ? "   Self-Extractor Type - DOS Sfx"
                  : style == zsAdvanced ? "   Self-Extractor Type - Windows Advanced SFX"
                                        : "   Self-Extractor Type - Windows Standard SFX");
      if (style != zsDOS) {
        r.push_back("   Overwrite Action - " + c.Text(T::ovrChoice));
        r.push_back("   Execute After Extraction - " + c.Text(T::execution));
        r.push_back("   Default Extraction Dir. - " + c.Text(T::defaultDir));
        r.push_back("   Permissions - ");
        if (c.Checked(C::p1)) r.push_back("      User Can Choose Not To Execute Program");
        if (c.Checked(C::p2)) r.push_back("      Can Change Extraction File List");
        if (c.Checked(C::p3)) r.push_back("      Hide Overwrite Check Box");
      }
      break;
    }
  }
  r.push_back(std::string("   Save Folder Names - ") + YesNo(c.Checked(C::CheckBox4)));
  r.push_back(std::string("   Include Sub-Folders (Not Apply To Cabinets) - ") + YesNo(c.Checked(C::CheckBox5)));
  r.push_back("");
  const std::vector<std::string> files = c.Items(TWizardList::Files);
  if (!files.empty()) {
    r.push_back("Files To Add :");
    for (auto it = files.rbegin(); it != files.rend(); ++it) r.push_back("   " + *it);
  }
  const std::vector<std::string> folders = c.Items(TWizardList::Folders);
  if (!folders.empty()) {
    r.push_back("");
    r.push_back("Folders To Add :");
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) r.push_back("   " + *it);
  }
  return r;
}

std::string UpperExtension(const std::string& path) {
  size_t dot = path.find_last_of(".\\:/");
  if (dot == std::string::npos || path[dot] != '.') return {};
  std::string ext = path.substr(dot);
  for (char& ch : ext) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return ext;
}

std::optional<std::string> WizardTestRunCommandLine(const IWizardControls& c) {
  const std::string output = c.Text(TWizardText::ProjectOutputName);
  if (UpperExtension(output) != ".EXE") return std::nullopt;
  // A path with a blank is quoted, so the program started is the output
  // itself and not a file named by the path's first word.
  std::string line = output.find_first_of(" \t") != std::string::npos ? "\"" + output + "\"" : output;
  const std::string kind = c.KindText();
  if (kind == ArchiveKindText(akZipSFX) && c.Checked(TWizardCheck::dosSFX)) line += " -t";
  if (kind == ArchiveKindText(akCabinetSFX)) line += " /d";
  return line;
}

// ---------------------------------------------------------------------------
// The engine's and the project file's views

std::vector<TSourceItem> TWizardSettings::Sources() const {
  std::vector<TSourceItem> items;
  for (const std::string& f : c_.Items(TWizardList::Folders)) items.push_back({f, true});
  for (const std::string& f : c_.Items(TWizardList::Files)) items.push_back({f, false});
  return items;
}

int TWizardSettings::ZipLevel() const {
  return c_.Position(ZipSFX() ? TWizardSlider::TrackBar4 : TWizardSlider::TrackBar1);
}

TCabCompression TWizardSettings::CabCompression() const {
  const bool sfx = c_.KindText() == ArchiveKindText(akCabinetSFX);
  return c_.Position(sfx ? TWizardSlider::TrackBar3 : TWizardSlider::TrackBar2) != 0 ? ccMSZip : ccLZX;
}

int TWizardSettings::ZipSFXStyle() const {
  std::optional<TZipSFXStyle> style = CheckedZipStyle(c_);
  return style ? static_cast<int>(*style) : -1;
}

std::string TWizardSettings::Password(bool) const {
  return c_.Text(ZipSFX() ? TWizardText::Pass2 : TWizardText::Pass1);
}

void TWizardFileTarget::SetKind(TArchiveKind kind) {
  kind_ = kind;
  c_.SelectKind(ArchiveKindText(kind));
  if (hooks_.KindSelected) hooks_.KindSelected();
}

void TWizardFileTarget::AddFile(const std::string& path) { c_.AddItem(TWizardList::Files, path); }
void TWizardFileTarget::AddFolder(const std::string& path) { c_.AddItem(TWizardList::Folders, path); }

void TWizardFileTarget::SetMoveFiles(bool on) {
  const bool was = c_.Checked(TWizardCheck::CheckBox2);
  c_.SetChecked(TWizardCheck::CheckBox2, on);
  if (on && !was && hooks_.ConfirmMove && !hooks_.ConfirmMove()) c_.SetChecked(TWizardCheck::CheckBox2, false);
}

void TWizardFileTarget::SetCabCompression(TCabCompression c) {
  c_.SetPosition(kind_ == akCabinetSFX ? TWizardSlider::TrackBar3 : TWizardSlider::TrackBar2, c == ccMSZip ? 1 : 0);
}

void TWizardFileTarget::SetCabSFXStyle(TCabSFXStyle style) {
  c_.SetChecked(TWizardCheck::cabSFX1, style == cs16Bit);
  c_.SetChecked(TWizardCheck::cabSFX2, style != cs16Bit);
}

void TWizardFileTarget::SetZipSFXStyle(std::optional<TZipSFXStyle> style) {
  CheckZipStyle(c_, style.value_or(zsStandard));
  if (hooks_.StyleClicked) hooks_.StyleClicked();
}

void TWizardFileTarget::SetZipLevel(int level) {
  c_.SetPosition(kind_ == akZipSFX ? TWizardSlider::TrackBar4 : TWizardSlider::TrackBar1, level);
}

void TWizardFileTarget::SetPassword(const std::string& text) {
  c_.SetText(kind_ == akZipSFX ? TWizardText::Pass2 : TWizardText::Pass1, text);
}
