#include "MainValues.h"

#include <algorithm>
#include <cctype>

const char* const kValidatingStatus = "Validating Archive Information...";
const char* const kPasswordMismatchText = "The Passwords you entered does not match, cannot proceed.";
const char* const kNoSourcesText = "No Files or Folders to add";
const char* const kNoTitleText = "Project Title Not Specified";
const char* const kNoOutputText = "Project Output Filename Not Specified";
const char* const kProcessingStatus = "Processing Your Request...";

namespace {
constexpr TStudioCheck kKindButtons[] = {TStudioCheck::r1, TStudioCheck::r2, TStudioCheck::r3, TStudioCheck::r4};
}  // namespace

TStudioValues::TStudioValues() { ResetToNewProject(*this); }

void TStudioValues::SetPosition(TStudioSlider which, int position) {
  Positions[static_cast<size_t>(which)] = ClampSlider(which, position);
}

int SliderMax(TStudioSlider which) { return which == TStudioSlider::TrackBar1 ? 9 : 1; }

int ClampSlider(TStudioSlider which, int position) { return std::clamp(position, 0, SliderMax(which)); }

void CopyControls(const IStudioControls& from, IStudioControls& to) {
  for (size_t i = 0; i < static_cast<size_t>(TStudioText::Count); ++i)
    to.SetText(static_cast<TStudioText>(i), from.Text(static_cast<TStudioText>(i)));
  for (size_t i = 0; i < static_cast<size_t>(TStudioCheck::Count); ++i)
    to.SetChecked(static_cast<TStudioCheck>(i), from.Checked(static_cast<TStudioCheck>(i)));
  for (size_t i = 0; i < static_cast<size_t>(TStudioSlider::Count); ++i)
    to.SetPosition(static_cast<TStudioSlider>(i), from.Position(static_cast<TStudioSlider>(i)));
  to.SetStyleTab(from.StyleTab());
  to.ClearSources();
  for (const TSourceEntry& e : from.SourceEntries()) to.AddSource(e);
}

void ResetToNewProject(IStudioControls& c) {
  for (size_t i = 0; i < static_cast<size_t>(TStudioText::Count); ++i) c.SetText(static_cast<TStudioText>(i), "");
  for (size_t i = 0; i < static_cast<size_t>(TStudioCheck::Count); ++i)
    c.SetChecked(static_cast<TStudioCheck>(i), false);
  c.SetChecked(TStudioCheck::r1, true);
  c.SetChecked(TStudioCheck::cabsfx1, true);
  c.ClearSources();
  c.SetPosition(TStudioSlider::TrackBar2, 0);
  c.SetPosition(TStudioSlider::TrackBar1, 9);
  c.SetText(TStudioText::ovrChoice, OvrOptsText(OvrConfirm));
  c.SetStyleTab(0);
}

std::optional<TArchiveKind> CheckedKind(const IStudioControls& c) {
  for (int k = 0; k < 4; ++k)
    if (c.Checked(kKindButtons[k])) return static_cast<TArchiveKind>(k);
  return std::nullopt;
}

void CheckKind(IStudioControls& c, TArchiveKind kind) {
  for (int k = 0; k < 4; ++k) c.SetChecked(kKindButtons[k], k == static_cast<int>(kind));
}

std::vector<TSourceItem> TStudioSettings::Sources() const {
  std::vector<TSourceItem> items;
  for (const TSourceEntry& e : c_.SourceEntries())
    if (e.ImageIndex == kFileImage || e.ImageIndex == kFolderImage)
      items.push_back({e.Caption, e.ImageIndex == kFolderImage});
  return items;
}

void TStudioFileTarget::SetKind(TArchiveKind kind) {
  c_.SetText(TStudioText::pass1, "");
  c_.SetText(TStudioText::pass2, "");
  CheckKind(c_, kind);
}

void TStudioFileTarget::SetCabSFXStyle(TCabSFXStyle style) {
  c_.SetChecked(TStudioCheck::cabsfx1, style == cs16Bit);
  c_.SetChecked(TStudioCheck::cabsfx2, style != cs16Bit);
}

void TStudioFileTarget::SetZipSFXStyle(std::optional<TZipSFXStyle> style) {
  if (style) c_.SetStyleTab(static_cast<int>(*style));
}

void TStudioFileTarget::SetPassword(const std::string& text) {
  c_.SetText(TStudioText::pass2, text);
  c_.SetText(TStudioText::pass1, text);
}

std::string ValidateBuild(const IStudioControls& c) {
  if (c.Text(TStudioText::pass1) != c.Text(TStudioText::pass2)) return kPasswordMismatchText;
  if (c.SourceEntries().empty()) return kNoSourcesText;
  if (c.Text(TStudioText::e1).empty()) return kNoTitleText;
  if (c.Text(TStudioText::e2).empty()) return kNoOutputText;
  return {};
}

namespace {
std::string Lower(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return s;
}

// The extension with its dot, as the class library finds it: after the
// last dot that follows the last folder separator.
std::string Extension(const std::string& path) {
  size_t dot = path.find_last_of(".\\:/");
  if (dot == std::string::npos || path[dot] != '.') return {};
  return path.substr(dot);
}
}  // namespace

bool IsExeName(const std::string& fileName) { return Lower(Extension(fileName)) == ".exe"; }

std::string TestRunCommandLine(const std::string& output, TSfxPage page, int styleTab) {
  // A path with a blank is quoted, so the program started is the output
  // itself and not a file named by the path's first word.
  std::string line = output.find_first_of(" \t") != std::string::npos ? "\"" + output + "\"" : output;
  if (page == TSfxPage::Cab)
    line += " /d";
  else if (styleTab == static_cast<int>(zsDOS))
    line += " -t";
  return line;
}

TKindLayout KindLayout(TArchiveKind kind) {
  switch (kind) {
    case akCabinetArchive: return {false, std::nullopt, false, false};
    case akCabinetSFX: return {true, TSfxPage::Cab, false, false};
    case akZipArchive: return {false, std::nullopt, true, true};
    case akZipSFX: return {true, TSfxPage::Zip, true, true};
  }
  return {};
}

TStyleLayout StyleLayout(int tab) {
  switch (tab) {
    case 1: return {true, false, true};
    case 2: return {false, true, false};
    default: return {true, false, false};
  }
}

bool HasSourceCaption(const std::vector<TSourceEntry>& entries, const std::string& caption) {
  return std::any_of(entries.begin(), entries.end(), [&](const TSourceEntry& e) { return e.Caption == caption; });
}

std::string RemoveConfirmText(int count) {
  return "You are about to delete " + std::to_string(count) + " items from your Source File List.";
}

TDialogFilter OutputFilter(std::optional<TArchiveKind> kind) {
  if (kind == akCabinetSFX || kind == akZipSFX) return {"Self-Extracting Archives|*.exe", "exe"};
  if (kind == akZipArchive) return {"Zip Archives|*.zip", "zip"};
  return {"Cabinet Archives|*.cab", "cab"};
}

TDialogFilter ProjectFilter() { return {"tidy-Zaderuzo Project Files|*.tpj", "tpj"}; }

std::string FileNameOnly(const std::string& path) {
  size_t sep = path.find_last_of("\\:/");
  return sep == std::string::npos ? path : path.substr(sep + 1);
}
