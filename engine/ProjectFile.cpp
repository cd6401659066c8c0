#include "ProjectFile.h"

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

const char* const kProjectHeader160 = "tidy-Zaderuzo Version 1.60 Project File";
const char* const kProjectHeader100 = "tidy-Zaderuzo Version 1.00 Project File";
const char* const kProjectNotice = "Project settings of tidy-Zaderuzo, one value a line";
const char* const kProjectWarning = "** You are not recommended to modify this file directly **";
const std::string kFilesStart = "\x01" "FILES" "\x01";
const std::string kFilesEnd = "\x03" "FILES" "\x03";
const std::string kFoldersStart = "\x01" "FOLDERS" "\x01";
const std::string kFoldersEnd = "\x03" "FOLDERS" "\x03";

namespace {

using F = TProjectField;
constexpr unsigned kNotEnoughMemory = 8;  // the system's code for it

// Splits bytes into lines; a line ends at CR LF, LF or a lone CR.
class TLineSource {
public:
  explicit TLineSource(std::string_view data) : data_(data) {}

  std::optional<std::string_view> Next() {
    if (pos_ >= data_.size()) return std::nullopt;
    size_t start = pos_;
    while (pos_ < data_.size() && data_[pos_] != '\r' && data_[pos_] != '\n') ++pos_;
    std::string_view line = data_.substr(start, pos_ - start);
    lastEnded_ = pos_ < data_.size();
    if (lastEnded_) {
      if (data_[pos_++] == '\r' && pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
    }
    ++lineNo_;
    return line;
  }
  int LineNo() const { return lineNo_; }
  // The last line read had its line end.
  bool LastEnded() const { return lastEnded_; }

private:
  std::string_view data_;
  size_t pos_ = 0;
  int lineNo_ = 0;
  bool lastEnded_ = false;
};

class TParser {
public:
  explicit TParser(std::string_view bytes) : src_(bytes) {}

  TProjectRecord Run() {
    Parse();
    rec_.Cut = rec_.Cut || rec_.EndedInBlock || !src_.LastEnded();
    return rec_;
  }

private:
  void Parse() {
    const TProjectLine& header = Take(F::Header);
    if (header.Text == kProjectHeader100) rec_.Layout = TProjectLayout::v100;
    Take(F::Notice);
    Take(F::Warning);
    Take(F::Blank);
    Take(F::Title);
    Take(F::OutputFileName);
    const TProjectLine& kindLine = Take(F::Kind);
    std::optional<TArchiveKind> kind = ArchiveKindFromText(kindLine.Text);
    if (!kind) {
      Stop(TProjectStop::UnknownKind, InvalidDataMessage().Text);
      return;
    }

    Block(F::FilesStart, F::File, F::FilesEnd, kFilesEnd);
    Block(F::FoldersStart, F::Folder, F::FoldersEnd, kFoldersEnd);

    Take(F::SaveFolderNames);
    Take(F::AddSubDirs);
    if (rec_.Layout == TProjectLayout::v160) {
      Take(F::AddHiddenFiles);
      Take(F::MoveFiles);
      Take(F::ForceDOSNames);
    }

    switch (*kind) {
      case akCabinetArchive:
        if (!Number(F::CabCompression)) return;
        break;
      case akCabinetSFX:
        if (!Number(F::CabCompression)) return;
        Take(F::CabSFXStyle);
        break;
      case akZipArchive:
        if (!Number(F::ZipLevel)) return;
        Take(F::Password);
        break;
      case akZipSFX:
        Take(F::ZipSFXStyle);
        if (!Number(F::ZipLevel)) return;
        for (F f : {F::Password, F::OverwriteMode, F::RunAfterExtraction, F::DefaultExtractDir,
                    F::CanPreventExecuting, F::CanChangeFileList, F::HideOverwriteBox})
          Take(f);
        break;
    }
  }

  // The next line as `field`; past the end it reads as empty.
  const TProjectLine& Take(F field) {
    std::optional<std::string_view> line = src_.Next();
    if (!line) rec_.Cut = true;
    TProjectLine l{field, line ? std::string(*line) : std::string(), line ? src_.LineNo() : 0};
    rec_.Lines.push_back(std::move(l));
    return rec_.Lines.back();
  }

  // A list block: the start marker (not checked), entries up to the end
  // marker or the end of the data.
  void Block(F startField, F entryField, F endField, const std::string& endMarker) {
    Take(startField);
    for (;;) {
      std::optional<std::string_view> line = src_.Next();
      if (!line) {
        rec_.EndedInBlock = true;
        return;
      }
      bool isEnd = *line == endMarker;
      rec_.Lines.push_back({isEnd ? endField : entryField, std::string(*line), src_.LineNo()});
      if (isEnd) return;
    }
  }

  bool Number(F field) {
    const TProjectLine& l = Take(field);
    if (ParseProjectInteger(l.Text)) return true;
    rec_.StopLine = l.Line;
    Stop(TProjectStop::BadInteger, InvalidIntegerMessage(l.Text));
    return false;
  }

  void Stop(TProjectStop why, std::string message) {
    rec_.Stop = why;
    rec_.StopMessage = std::move(message);
    if (why == TProjectStop::UnknownKind) rec_.StopLine = rec_.Lines.back().Line;
  }

  TLineSource src_;
  TProjectRecord rec_;
};

bool IsYes(const std::string& text) { return text == "Y"; }
const char* YesNo(bool on) { return on ? "Y" : "N"; }

}  // namespace

std::optional<TArchiveKind> TProjectRecord::Kind() const {
  const TProjectLine* l = Find(TProjectField::Kind);
  return l ? ArchiveKindFromText(l->Text) : std::nullopt;
}

const TProjectLine* TProjectRecord::Find(TProjectField field) const {
  for (const TProjectLine& l : Lines)
    if (l.Field == field) return &l;
  return nullptr;
}

TProjectRecord ParseProjectFile(std::string_view bytes) { return TParser(bytes).Run(); }

std::optional<int> ParseProjectInteger(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return std::nullopt;
  return static_cast<int>(value);
}

std::string InvalidIntegerMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}

TProjectMessage OutdatedProjectMessage() {
  return {"The Project file you are attemping to load is in version 1.00. However, when you save this "
          "Project File, it will be stored in 1.60 Version.",
          "Outdated Project File", TBoxKind::Information, false};
}

TProjectMessage InvalidDataMessage() {
  return {"Invalid Data Encountered while reading Project Data File!", "tidy-Zaderuzo - WARNiNG",
          TBoxKind::Warning, true};
}

TProjectMessage WizardOpenErrorMessage(unsigned systemCode) {
  return {"Error Opening Project. (E" + std::to_string(systemCode) + ")", "Oops!", TBoxKind::Warning, false};
}

// The writer puts each block down from the last entry to the first, so the
// entries of each run are handed over last line first, and the list comes
// back in its own order.
static std::vector<TProjectLine> InListOrder(const std::vector<TProjectLine>& lines) {
  std::vector<TProjectLine> out = lines;
  for (auto it = out.begin(); it != out.end();) {
    if (it->Field != F::File && it->Field != F::Folder) {
      ++it;
      continue;
    }
    auto end = std::find_if(it, out.end(), [&](const TProjectLine& l) { return l.Field != it->Field; });
    std::reverse(it, end);
    it = end;
  }
  return out;
}

void ApplyProjectRecord(const TProjectRecord& record, IProjectFileTarget& t) {
  for (const TProjectLine& l : InListOrder(record.Lines)) {
    const std::string& s = l.Text;
    switch (l.Field) {
      case F::Header: case F::Notice: case F::Warning: case F::Blank:
      case F::FilesEnd: case F::FoldersEnd:
        break;
      case F::Title: t.SetTitle(s); break;
      case F::OutputFileName: t.SetOutputFileName(s); break;
      case F::Kind:
        if (auto kind = ArchiveKindFromText(s)) t.SetKind(*kind);
        else return;
        break;
      case F::FilesStart: t.ClearFiles(); break;
      case F::File: t.AddFile(s); break;
      case F::FoldersStart: t.ClearFolders(); break;
      case F::Folder: t.AddFolder(s); break;
      case F::SaveFolderNames: t.SetSaveFolderNames(IsYes(s)); break;
      case F::AddSubDirs:
        t.SetAddSubDirs(IsYes(s));
        if (record.Layout == TProjectLayout::v100) {
          t.SetAddHiddenFiles(false);
          t.SetMoveFiles(false);
          t.SetForceDOSNames(false);
        }
        break;
      case F::AddHiddenFiles: t.SetAddHiddenFiles(IsYes(s)); break;
      case F::MoveFiles: t.SetMoveFiles(IsYes(s)); break;
      case F::ForceDOSNames: t.SetForceDOSNames(IsYes(s)); break;
      case F::CabCompression: {
        std::optional<int> n = ParseProjectInteger(s);
        if (!n) return;
        t.SetCabCompression(*n >= 1 ? ccMSZip : ccLZX);
        break;
      }
      case F::CabSFXStyle: t.SetCabSFXStyle(s == "1" ? cs16Bit : cs32Bit); break;
      case F::ZipSFXStyle:
        if (s == "1") t.SetZipSFXStyle(zsDOS);
        else if (s == "2") t.SetZipSFXStyle(zsStandard);
        else if (s == "3") t.SetZipSFXStyle(zsAdvanced);
        else t.SetZipSFXStyle(std::nullopt);
        break;
      case F::ZipLevel: {
        std::optional<int> n = ParseProjectInteger(s);
        if (!n) return;
        t.SetZipLevel(std::clamp(*n, 0, 9));
        break;
      }
      case F::Password: t.SetPassword(s); break;
      case F::OverwriteMode: t.SetOverwriteMode(s); break;
      case F::RunAfterExtraction: t.SetRunAfterExtraction(s); break;
      case F::DefaultExtractDir: t.SetDefaultExtractDir(s); break;
      case F::CanPreventExecuting: t.SetCanPreventExecuting(IsYes(s)); break;
      case F::CanChangeFileList: t.SetCanChangeFileList(IsYes(s)); break;
      case F::HideOverwriteBox: t.SetHideOverwriteBox(IsYes(s)); break;
    }
  }
}

TProjectRecord ProjectRecordFrom(const IProjectSettings& v) {
  TProjectRecord rec;
  auto add = [&rec](F field, std::string text) {
    rec.Lines.push_back({field, std::move(text), static_cast<int>(rec.Lines.size()) + 1});
  };
  add(F::Header, kProjectHeader160);
  add(F::Notice, kProjectNotice);
  add(F::Warning, kProjectWarning);
  add(F::Blank, "");
  add(F::Title, v.Title());
  add(F::OutputFileName, v.OutputFileName());
  // No kind selected: write the new project's kind rather than no kind line.
  TArchiveKind kind = v.Kind().value_or(akCabinetArchive);
  add(F::Kind, ArchiveKindText(kind));

  std::vector<TSourceItem> sources = v.Sources();
  add(F::FilesStart, kFilesStart);
  for (auto it = sources.rbegin(); it != sources.rend(); ++it)
    if (!it->IsFolder) add(F::File, it->Path);
  add(F::FilesEnd, kFilesEnd);
  add(F::FoldersStart, kFoldersStart);
  for (auto it = sources.rbegin(); it != sources.rend(); ++it)
    if (it->IsFolder) add(F::Folder, it->Path);
  add(F::FoldersEnd, kFoldersEnd);

  add(F::SaveFolderNames, YesNo(v.SaveFolderNames()));
  add(F::AddSubDirs, YesNo(v.AddSubDirs()));
  add(F::AddHiddenFiles, YesNo(v.AddHiddenFiles()));
  add(F::MoveFiles, YesNo(v.MoveFiles()));
  add(F::ForceDOSNames, YesNo(v.ForceDOSNames()));

  switch (kind) {
    case akCabinetArchive:
      add(F::CabCompression, std::to_string(static_cast<int>(v.CabCompression())));
      break;
    case akCabinetSFX:
      add(F::CabCompression, std::to_string(static_cast<int>(v.CabCompression())));
      add(F::CabSFXStyle, v.CabSFXStyle() == cs16Bit ? "1" : "2");
      break;
    case akZipArchive:
      add(F::ZipLevel, std::to_string(v.ZipLevel()));
      add(F::Password, v.Password(true));
      break;
    case akZipSFX: {
      int style = v.ZipSFXStyle();
      add(F::ZipSFXStyle, style == zsDOS ? "1" : style == zsAdvanced ? "3" : "2");
      add(F::ZipLevel, std::to_string(v.ZipLevel()));
      add(F::Password, v.Password(false));
      add(F::OverwriteMode, v.OverwriteMode());
      add(F::RunAfterExtraction, v.RunAfterExtraction());
      add(F::DefaultExtractDir, v.DefaultExtractDir());
      add(F::CanPreventExecuting, YesNo(v.CanPreventExecuting()));
      add(F::CanChangeFileList, YesNo(v.CanChangeFileList()));
      add(F::HideOverwriteBox, YesNo(v.HideOverwriteBox()));
      break;
    }
  }
  return rec;
}

std::string WriteProjectRecord(const TProjectRecord& record) {
  std::string out;
  for (const TProjectLine& l : record.Lines) {
    out += l.Text;
    out += "\r\n";
  }
  return out;
}

std::string InOutErrorMessage(unsigned code) {
  switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    default: return "I/O error " + std::to_string(code);
  }
}

EInOutError::EInOutError(unsigned code) : Exception(InOutErrorMessage(code)), code_(code) {}

TProjectRecord ReadProjectFile(IProjectFileAccess& files, const std::string& path) {
  TFileResult r;
  try {
    std::string bytes;
    r = files.ReadAll(path, bytes);
    if (r.Code == 0) return ParseProjectFile(bytes);
  } catch (const std::bad_alloc&) {
    r = {kNotEnoughMemory, true};
  } catch (const std::length_error&) {
    r = {kNotEnoughMemory, true};
  }
  TProjectRecord rec;
  rec.Stop = TProjectStop::FileError;
  rec.StopMessage = InOutErrorMessage(r.Code);
  rec.SystemCode = r.Code;
  rec.FileOpened = r.Opened;
  return rec;
}

TProjectLoad LoadProjectFileResult(IProjectFileAccess& files, const std::string& path, IProjectFileTarget& target,
                                   TProjectFrontEnd frontEnd) {
  TProjectRecord rec = ReadProjectFile(files, path);
  bool wizard = frontEnd == TProjectFrontEnd::Wizard;
  if (rec.Stop == TProjectStop::FileError) {
    if (wizard && rec.FileOpened) {
      target.ShowMessage(WizardOpenErrorMessage(rec.SystemCode));
      return TProjectLoad::Partial;
    }
    throw EInOutError(rec.SystemCode);
  }
  if (rec.Layout == TProjectLayout::v100) target.ShowMessage(OutdatedProjectMessage());
  ApplyProjectRecord(rec, target);
  switch (rec.Stop) {
    case TProjectStop::UnknownKind:
      target.ShowMessage(InvalidDataMessage());
      return TProjectLoad::UnknownKind;
    case TProjectStop::BadInteger:
      // No system call failed; the Wizard's box shows code 0.
      if (wizard) {
        target.ShowMessage(WizardOpenErrorMessage(0));
        return TProjectLoad::Partial;
      }
      throw EConvertError(rec.StopMessage);
    default:
      // A file cut short loads what it holds, but is no whole project.
      return rec.Cut ? TProjectLoad::Partial : TProjectLoad::Complete;
  }
}

bool LoadProjectFile(IProjectFileAccess& files, const std::string& path, IProjectFileTarget& target,
                     TProjectFrontEnd frontEnd) {
  return LoadProjectFileResult(files, path, target, frontEnd) != TProjectLoad::UnknownKind;
}

void SaveProjectFile(IProjectFileAccess& files, const std::string& path, const IProjectSettings& values) {
  TFileResult r = files.WriteAll(path, WriteProjectRecord(ProjectRecordFrom(values)));
  if (r.Code != 0) throw EInOutError(r.Code);
}
