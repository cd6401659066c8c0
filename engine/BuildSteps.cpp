#include "BuildSteps.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "Guards.h"
#include "Handles.h"
#include "PathUtils.h"
#include "ProgramFolder.h"

namespace {
const char* const kWarning = "tidy-Zaderuzo - WARNiNG";
const char* const kErrorCaption = "tidy-Zaderuzo - ERROR";
constexpr int kMaxCabinetSize = 0x7FFFFFFF;
constexpr int kFolderThreshold = 900000;

std::string SpoolCab() { return "Spool.Cab"; }
std::string SpoolZip() { return "Spool.Zip"; }
std::string SpoolExe() { return "Spool.exe"; }

void DeleteIfExists(const std::string& path) {
  if (FileExistsStr(path)) DeleteFileA(path.c_str());
}

// -1 when the file cannot be read.
uint64_t FileSizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA fa;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &fa)) return ~0ull;
  return (static_cast<uint64_t>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
}

// A full, long, upper-case path for comparing; "" when it has none.
std::string ComparablePath(const std::string& path) {
  if (path.empty()) return {};
  char full[MAX_PATH * 2];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return {};
  char longer[MAX_PATH * 2];
  DWORD m = GetLongPathNameA(full, longer, sizeof longer);
  std::string s = m > 0 && m < sizeof longer ? std::string(longer, m) : std::string(full, n);
  CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

bool CopyAll(HANDLE from, HANDLE to) {
  std::vector<char> buf(65536);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(from, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr)) return false;
    if (got == 0) return true;
    DWORD put = 0;
    if (!WriteFile(to, buf.data(), got, &put, nullptr)) return false;
    if (put != got) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
  }
}
}  // namespace

TBuildBox BuildBox(TBuildMessage id, const std::string& detail) {
  using M = TBuildMessage;
  switch (id) {
    case M::W1:
      return {"There was an error creating your Cabinet Archive. Please correct the problem and try again.", kWarning,
              MB_ICONWARNING, true};
    case M::W2:
      return {"There was an error creating your Self-Extracting Cabinet Archive. Please correct the problem and try "
              "again.",
              kWarning, MB_ICONWARNING, true};
    case M::W3:
      return {"The system reported that there no error occurred, but the Self-Extracting CAB was not found. Please "
              "correct the problem and try again.",
              kWarning, MB_ICONWARNING, true};
    case M::W4:
      return {"There was an error creating your ZIP Archive. Please correct the problem and try again.", kWarning,
              MB_ICONWARNING, true};
    case M::W5: return {"Error Compressing Files. Error Code " + detail, kWarning, MB_ICONERROR, true};
    case M::I1:
    case M::I2:
      return {"There was an error deleting the Tempory File (" + detail +
                  "). You should delete this file manually from your Computer.",
              kWarning, MB_ICONINFORMATION, true};
    case M::E1: return {"Error Occurred While Attemping to Create Self-Extractor.", "Error", MB_ICONWARNING, true};
    case M::E2:
      return {"There was a problem when we tried to make your Cabinet Archive Self-Exctracting, and the Error Code was " +
                  detail + ". Please correct the problem and then try again.",
              kErrorCaption, MB_ICONERROR, true};
    case M::E3:
      return {"There was a problem when we tried to make your Zip Archive Self-Exctracting, and the Error Code was " +
                  detail + ". Please correct the problem and then try again.",
              kErrorCaption, MB_ICONERROR, true};
    case M::C1:
      return {"Unexpected Exception #G32 - User is not in ZIP/ZIPSfx mode. Contact VEXA if you receive this error.",
              "CRiTiCAL ERROR", MB_ICONWARNING, true};
    case M::Q1:
      return {"You have decided to Stop the current Compression Process.\r\nAre you sure to Cancel?",
              "tidy-Zaderuzo - QUESTiON", MB_ICONQUESTION | MB_YESNO, false};
    case M::OldOutput:
      return {"The existing file " + detail +
                  " could not be deleted. It may be read-only or in use. Please correct the problem and try again.",
              kWarning, MB_ICONWARNING, true};
    case M::OutputIsSource:
      return {"The output file " + detail +
                  " is one of the project's source files. Please choose another output file name.",
              kWarning, MB_ICONWARNING, true};
    case M::OutputInSourceFolder:
      return {"The output file " + detail +
                  " lies in a source folder of the project. Please choose another output file name.",
              kWarning, MB_ICONWARNING, true};
    case M::OutputIsProject:
      return {"The output file " + detail + " is the project file. Please choose another output file name.",
              kWarning, MB_ICONWARNING, true};
    case M::OutputIsBuildFile:
      return {"The output file " + detail + " is a file the build itself uses. Please choose another output file name.",
              kWarning, MB_ICONWARNING, true};
    case M::SourceUnreadable:
      return {"The source file " + detail + " could not be read. It may be in use by another program.", kWarning,
              MB_ICONWARNING, true};
    case M::SourceChanged:
      return {"The source file " + detail + " changed while it was read. Please build again when it is complete.",
              kWarning, MB_ICONWARNING, true};
    case M::OutputNotWritten:
      return {"The output file " + detail + " could not be written whole. The disk may be full or write-protected.",
              kWarning, MB_ICONWARNING, true};
    case M::MovedFileNotRemoved:
      return {"The package was built, but the source file " + detail +
                  " could not be removed after it was moved into the package.",
              kWarning, MB_ICONWARNING, true};
    case M::Exception: return {detail, "", MB_ICONERROR, true};  // the application's title
  }
  return {};
}

TBuildSteps::TBuildSteps(IBuildView& view, TCabinetWriter& cabinet, TZipArchiver& zip,
                         const IProjectSettings& settings, TBuildOptions options)
    : ProgramFolder(::ProgramFolder()),
      view_(view),
      cabinet_(cabinet),
      zip_(zip),
      settings_(settings),
      options_(std::move(options)) {}

// ---------------------------------------------------------------------------
// Small helpers over the view

void TBuildSteps::Pump(int times) {
  for (int i = 0; i < times; ++i) view_.ProcessMessages();
}

void TBuildSteps::ClearLog() {
  view_.ClearLog();
  firstRoot_ = creatingExe_ = kNoLogLine;
}

TLogLine TBuildSteps::RootLine(const std::string& text) {
  TLogLine line = view_.AddRootLine(text);
  if (firstRoot_ == kNoLogLine) firstRoot_ = line;
  return line;
}

void TBuildSteps::StepLine(TLogLine root, const std::string& text) { view_.AddStepLine(root, text); }

bool TBuildSteps::CancelRequested() const { return view_.CancelFlag() == kRequested; }

void TBuildSteps::SetCancelFlag(const std::string& text) { view_.SetCancelFlag(text); }

int TBuildSteps::Show(TBuildMessage id, const std::string& detail) { return view_.ShowMessage(BuildBox(id, detail)); }

void TBuildSteps::StartClip(bool copyClip) { view_.StartClip(copyClip ? TBuildClip::CopyFile : TBuildClip::FindFolder); }

void TBuildSteps::RemoveSpools(const std::string& except) {
  for (const std::string& name : {SpoolCab(), SpoolZip(), SpoolExe()})
    if (ProgramFolder + name != except) DeleteIfExists(ProgramFolder + name);
}

std::string TBuildSteps::StaleSpool(TArchiveKind kind) const {
  std::vector<std::string> names;
  if (kind == akCabinetSFX) names = {SpoolCab()};
  if (kind == akZipSFX) names = {SpoolZip(), SpoolExe()};
  for (const std::string& name : names)
    if (FileExistsStr(ProgramFolder + name)) return ProgramFolder + name;
  return {};
}

std::optional<TBuildMessage> TBuildSteps::OutputClash(const std::string& output) const {
  const std::string out = ComparablePath(output);
  if (out.empty()) return std::nullopt;
  for (const std::string& project : settings_.ProjectFileNames())
    if (ComparablePath(project) == out) return TBuildMessage::OutputIsProject;
  for (const char* own : {"Spool.Cab", "Spool.Zip", "Spool.exe", "Stub1.Bin", "Stub2.Bin", "Stub3.Bin", "CabStub1.Bin",
                          "CabStub2.Bin", "ZIPSFX.BIN", "ZIPDLL.DLL"})
    if (ComparablePath(ProgramFolder + own) == out) return TBuildMessage::OutputIsBuildFile;
  const bool zipKind = kind_ == akZipArchive || kind_ == akZipSFX;
  const std::string outFolder = out.substr(0, out.find_last_of('\\') + 1);
  for (const TSourceItem& item : settings_.Sources()) {
    const std::string path = ComparablePath(item.Path);
    if (path.empty()) continue;
    if (!item.IsFolder) {
      if (path == out) return TBuildMessage::OutputIsSource;
      continue;
    }
    // A cabinet takes a folder's own files only; a zip with sub-folders
    // takes everything below it.
    const std::string folder = AddTrailingBackslash(path);
    if (outFolder == folder) return TBuildMessage::OutputInSourceFolder;
    if (zipKind && settings_.AddSubDirs() && out.compare(0, folder.size(), folder) == 0)
      return TBuildMessage::OutputInSourceFolder;
  }
  return std::nullopt;
}

void TBuildSteps::RemoveMovedSources() {
  std::vector<TAddedSource> moved;
  moved.swap(added_);
  if (!settings_.MoveFiles()) return;
  for (const TAddedSource& source : moved) {
    // One changed since it went in is not the file the package holds.
    WIN32_FILE_ATTRIBUTE_DATA now{};
    if (!GetFileAttributesExA(source.Path.c_str(), GetFileExInfoStandard, &now)) continue;  // gone already
    const bool same = now.nFileSizeLow == source.State.nFileSizeLow &&
                      now.nFileSizeHigh == source.State.nFileSizeHigh &&
                      CompareFileTime(&now.ftLastWriteTime, &source.State.ftLastWriteTime) == 0;
    if (!same || !DeleteFileA(source.Path.c_str())) Show(TBuildMessage::MovedFileNotRemoved, source.Path);
  }
}

void TBuildSteps::Unlock() {
  if (locked_) view_.UnlockButtons();
  locked_ = false;
}

// ---------------------------------------------------------------------------
// Proceed

bool TBuildSteps::Proceed(bool& leaveOpen) {
  leaveOpen = false;
  if (running_) return false;  // one build at a time
  TFlagGuard runningGuard(running_);

  ProgramFolder = AddTrailingBackslash(ProgramFolder);
  kind_ = settings_.Kind();
  // A cancel confirmed at the end of the last build must not stop this one,
  // and spools left by a crash must not be added to.
  SetCancelFlag(kNone);
  deferMove_ = outputHoldsMoved_ = false;
  added_.clear();
  const std::string output = settings_.OutputFileName();
  // Nothing is deleted for an output that names the project's own files.
  if (std::optional<TBuildMessage> clash = OutputClash(output)) {
    Show(*clash, output);
    return false;
  }
  RemoveSpools();
  DeleteIfExists(output);
  if (FileExistsStr(output)) {
    Show(TBuildMessage::OldOutput, output);
    return false;
  }
  if (!kind_) return false;
  // A stale spool that stays would be added into or packed.
  if (std::string stale = StaleSpool(*kind_); !stale.empty()) {
    Show(TBuildMessage::OldOutput, stale);
    return false;
  }

  try {
    return RunKind(*kind_, leaveOpen);
  } catch (const std::exception& e) {
    Abandon(output, e.what(), leaveOpen);
  } catch (...) {
    Abandon(output, "Unknown error", leaveOpen);
  }
  return false;
}

void TBuildSteps::Abandon(const std::string& output, const std::string& message, bool& leaveOpen) {
  try {
    cabinet_.Close();
  } catch (const std::exception&) {
  }
  zip_.Cancel = false;
  Unlock();
  // Sources the library moved into the output have no other copy.
  if (!outputHoldsMoved_) DeleteIfExists(output);
  added_.clear();
  RemoveSpools();
  SetCancelFlag(kNone);
  Show(TBuildMessage::Exception, message);
  leaveOpen = *kind_ == akCabinetArchive;
}

void TBuildSteps::GatherPatterns(const char* rootLine) {
  ClearLog();
  RootLine(rootLine);
  patterns_.clear();
  view_.SetProgressPosition(0);
  std::vector<TSourceItem> sources = settings_.Sources();
  for (auto it = sources.rbegin(); it != sources.rend(); ++it) {
    if (it->IsFolder ? FolderExistsStr(it->Path) : FileExistsStr(it->Path))
      patterns_.push_back(CabinetPattern(*it));
  }
  ClearLog();
  StartClip(true);
}

bool TBuildSteps::RunKind(TArchiveKind kind, bool& leaveOpen) {
  const std::string output = settings_.OutputFileName();
  // The Wizard's page locks its buttons here; the build window has none.
  auto lockForArchive = [&] {
    view_.LockButtons();
    locked_ = true;
    ClearLog();
    StartClip(true);
    Pump();
  };
  auto failedArchive = [&](const std::string& target, TBuildMessage warning) {
    Unlock();
    DeleteIfExists(target);
    if (!CancelRequested()) Show(warning);
    SetCancelFlag(kNone);
  };

  switch (kind) {
    case akCabinetArchive: {
      GatherPatterns("Processing File Objects...");
      lockForArchive();
      if (AddCabinet(output)) {
        Unlock();
        return true;
      }
      failedArchive(output, TBuildMessage::W1);
      leaveOpen = true;
      return false;
    }
    case akCabinetSFX: {
      GatherPatterns(options_.OneGatherLine ? "Processing File Objects..." : "Parsing File Objects...");
      lockForArchive();
      const std::string spool = ProgramFolder + SpoolCab();
      if (!AddCabinet(spool)) {
        failedArchive(spool, TBuildMessage::W1);
        return false;
      }
      StartClip(false);
      if (!MakeCabSFX(spool, output)) {
        Unlock();
        DeleteIfExists(spool);
        DeleteIfExists(output);
        Show(TBuildMessage::W2);
        return false;
      }
      if (!FileExistsStr(output)) {
        Unlock();
        DeleteIfExists(spool);
        if (!options_.QuietMissingCabSFX) Show(TBuildMessage::W3);
        return false;
      }
      Unlock();
      if (!DeleteFileA(spool.c_str())) Show(TBuildMessage::I1, spool);
      return true;
    }
    case akZipArchive: {
      lockForArchive();
      if (MakeZip(output)) {
        Unlock();
        return true;
      }
      failedArchive(output, TBuildMessage::W4);
      return false;
    }
    case akZipSFX: {
      lockForArchive();
      const std::string spool = ProgramFolder + SpoolZip();
      // The sources stay in place until the self-extractor stands whole.
      deferMove_ = settings_.MoveFiles();
      const bool zipped = MakeZip(spool);
      deferMove_ = false;
      if (!zipped) {
        added_.clear();
        failedArchive(spool, TBuildMessage::W4);
        return false;
      }
      StartClip(false);
      if (MakeSFX(spool, output)) {
        Unlock();
        DeleteIfExists(spool);
        RemoveMovedSources();
        return true;
      }
      added_.clear();
      Unlock();
      Show(TBuildMessage::E1);
      DeleteIfExists(ProgramFolder + SpoolExe());
      DeleteIfExists(output);
      DeleteIfExists(spool);
      return false;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// The archive steps

bool TBuildSteps::AddCabinet(const std::string& target) {
  view_.ShowTarget(ExtractFileName(settings_.OutputFileName()));
  TLogLine root = RootLine("Creating Package...");
  TCabinetCompression value =
      settings_.CabCompression() != ccLZX ? CompressionMSZip() : CompressionLZX(21);
  TCabinetWriter& cab = cabinet_;
  cab.Open(target, "", kMaxCabinetSize, kFolderThreshold, 0);
  const std::vector<std::string> patterns = patterns_;
  view_.SetProgressRange(0, static_cast<int>(patterns.size()));
  int added = 0;
  for (auto it = patterns.rbegin(); it != patterns.rend(); ++it) {
    Pump(options_.MessagesBeforePattern);
    const std::string folder = AddTrailingBackslash(ExtractFilePath(*it));
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA(it->c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) continue;
    struct TFindGuard {
      HANDLE h;
      ~TFindGuard() { FindClose(h); }
    } findGuard{find};
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == ".." || (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      const std::string full = folder + name;
      view_.StepProgress();
      view_.ShowSource(full);
      StepLine(root, "File \"" + full + "\" in Package.");
      Pump(options_.MessagesAfterFileLine);
      if (CancelRequested()) {
        cab.FlushCabinet(false);
        cab.Close();
        DeleteIfExists(target);
        return false;
      }
      std::string stored = name;
      if (settings_.SaveFolderNames()) stored = (folder.size() > 3 ? folder.substr(3) : std::string()) + name;
      try {
        cab.AddFile(full, stored, false, value);
      } catch (const ECabinetError& e) {
        if (e.ErrorCode() != FCIERR_OPEN_SRC && e.ErrorCode() != FCIERR_READ_SRC) throw;
        // A source that cannot be read fails the build by name.
        try {
          cab.Close();
        } catch (const ECabinetError&) {
        }
        DeleteIfExists(target);
        Show(TBuildMessage::SourceUnreadable, full);
        return false;
      }
      ++added;
    } while (FindNextFileA(find, &fd));
  }
  if (added == 0) {
    // Nothing to pack: an empty cabinet is no package.
    cab.Close();
    DeleteIfExists(target);
    return false;
  }
  try {
    cab.FlushCabinet(false);
    cab.Close();
  } catch (const ECabinetError& e) {
    if (e.ErrorCode() != FCIERR_CAB_FILE) throw;
    // The cabinet itself could not be written: a missing folder, a full disk.
    try {
      cab.Close();
    } catch (const ECabinetError&) {
    }
    DeleteIfExists(target);
    Show(TBuildMessage::OutputNotWritten, target);
    return false;
  }
  view_.ScrollLogTo(RootLine("Cabinet Archive Build Successful."));
  Pump(2);
  return FileExistsStr(target);
}

bool TBuildSteps::MakeZip(const std::string& target) {
  TZipArchiver& zip = zip_;
  SetCancelFlag("");
  zip.AddOptions.Clear();
  zip.FSpecArgsList().clear();
  std::vector<TSourceItem> sources = settings_.Sources();
  for (auto it = sources.rbegin(); it != sources.rend(); ++it) {
    if (it->IsFolder ? FolderExistsStr(it->Path) : FileExistsStr(it->Path))
      zip.FSpecArgsList().push_back(ZipSpecification(*it));
  }
  if (settings_.SaveFolderNames()) zip.AddOptions.Include(AddDirNames);
  if (settings_.AddSubDirs()) zip.AddOptions.Include(AddRecurseDirs);
  if (settings_.AddHiddenFiles()) zip.AddOptions.Include(AddHiddenFiles);
  if (settings_.MoveFiles() && !deferMove_) zip.AddOptions.Include(AddMove);
  if (settings_.ForceDOSNames()) zip.AddOptions.Include(AddForceDOS);
  std::string password;
  const int style = settings_.ZipSFXStyle();
  switch (style) {
    case zsDOS: password = settings_.Password(true); break;
    case zsStandard:
    case zsAdvanced: password = settings_.Password(false); break;
    default:
      if (options_.ZipStyleCheck) {
        Show(TBuildMessage::C1);
        return false;
      }
      password = settings_.Password(false);  // the Wizard reads it by kind
      break;
  }
  zip.AddCompLevel = settings_.ZipLevel();
  if (!password.empty()) {
    zip.AddOptions.Include(AddEncrypt);
    zip.SetPassword(password);
  } else {
    zip.AddOptions.Exclude(AddEncrypt);
  }
  zip.SetDLLDirectory(ProgramFolder);
  zip.SetZipFilename(target);
  RootLine("Building Package...");
  // The library names what it added (the sources to delete for a deferred
  // move) and the source that stopped it.
  added_.clear();
  std::optional<std::pair<TBuildMessage, std::string>> failure;
  // A source the library moved in but could not delete.
  const std::string kNotRemoved = "Could not remove ";
  std::vector<std::string> notRemoved;
  TMessageEvent previous = zip.OnMessage;
  zip.OnMessage = [&](TComponent* sender, int code, const std::string& text) {
    const std::string file = text.substr(std::min(text.size(), text.find(": ") + 2));
    WIN32_FILE_ATTRIBUTE_DATA state{};
    if (code == zeAdded && deferMove_ && GetFileAttributesExA(text.c_str(), GetFileExInfoStandard, &state))
      added_.push_back({text, state});
    else if (code == zeOpenFile && !failure) failure = {{TBuildMessage::SourceUnreadable, file}};
    else if (code == zeFileChanged && !failure) failure = {{TBuildMessage::SourceChanged, file}};
    else if ((code == zeCreate || code == zeWrite) && !failure)
      failure = {{TBuildMessage::OutputNotWritten, target}};
    else if (code == zeWarning && text.rfind(kNotRemoved, 0) == 0)
      notRemoved.push_back(text.substr(kNotRemoved.size(), text.rfind(" (error ") - kNotRemoved.size()));
    if (previous) previous(sender, code, text);
  };
  struct TRestore {
    TZipArchiver& z;
    TMessageEvent& previous;
    ~TRestore() { z.OnMessage = std::move(previous); }
  } restore{zip, previous};
  zip.AddFiles();
  // A cancel confirmed after the library has moved the sources in comes too
  // late: the archive is their only copy.
  const bool moved = zip.AddOptions.Contains(AddMove) && zip.AddedCount() > 0 && FileExistsStr(target);
  if (moved) outputHoldsMoved_ = true;
  if (CancelRequested() && !moved) return false;
  if (zip.AddedCount() > 0 && FileExistsStr(target)) {
    for (const std::string& path : notRemoved) Show(TBuildMessage::MovedFileNotRemoved, path);
    return true;
  }
  if (failure) Show(failure->first, failure->second);
  else Show(TBuildMessage::W5, std::to_string(GetLastError()));
  return false;
}

bool TBuildSteps::MakeSFX(const std::string& zipPath, const std::string& output) {
  const int style = settings_.ZipSFXStyle();
  if (style == zsDOS) return MakeZipSFX(zipPath, output);
  TZipArchiver& zip = zip_;
  creatingExe_ = RootLine("Creating EXE");
  StepLine(creatingExe_, "Creating Data Section");
  zip.SetZipFilename(zipPath);
  zip.SFXCommandLine = settings_.RunAfterExtraction();
  zip.SFXCaption = settings_.Title();
  zip.SFXDefaultDir = settings_.DefaultExtractDir();
  if (auto mode = OvrOptsFromText(settings_.OverwriteMode())) zip.SFXOverWriteMode = *mode;
  zip.SFXOptions.Clear();
  if (settings_.CanPreventExecuting()) zip.SFXOptions.Include(SFXAskCmdLine);
  if (settings_.CanChangeFileList()) zip.SFXOptions.Include(SFXAskFiles);
  if (settings_.HideOverwriteBox()) zip.SFXOptions.Include(SFXHideOverWriteBox);
  StepLine(creatingExe_, "Appending Data Section");
  if (options_.MessagesAfterDataSection) Pump();
  zip.SFXPath = ProgramFolder + (style == zsAdvanced ? "Stub2.Bin" : "Stub1.Bin");
  if (zip.ConvertSFX() != 0) return false;
  const std::string exe = zip.ZipFilename();
  // Only a whole copy counts: a full disk can leave a cut one behind.
  const uint64_t size = FileSizeOf(exe);
  if (!CopyFileA(exe.c_str(), output.c_str(), TRUE) || FileSizeOf(output) != size) {
    DeleteIfExists(output);
    DeleteIfExists(exe);
    Show(TBuildMessage::OutputNotWritten, output);
    return false;
  }
  if (!DeleteFileA(exe.c_str())) {
    StepLine(creatingExe_, "Error Deleting Tempory File (" + exe + ").");
    Show(TBuildMessage::I2, exe);
  }
  StepLine(creatingExe_, "Self-Extracting EXE Created.");
  return FileExistsStr(output);
}

bool TBuildSteps::AppendStub(const std::string& stub, const std::string& archive, const std::string& output) {
  THandleGuard in(CreateFileA(stub.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!in.Valid()) return false;
  THandleGuard data(CreateFileA(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!data.Valid()) return false;
  THandleGuard out(CreateFileA(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.Valid()) return false;
  if (!CopyAll(in.Get(), out.Get()) || !CopyAll(data.Get(), out.Get())) return false;
  if (!FlushFileBuffers(out.Get()) || !out.Close()) return false;
  return true;
}

bool TBuildSteps::StubStep(const std::string& stub, const std::string& archive, const std::string& output,
                           const std::string& targetText, TBuildMessage failure) {
  view_.ShowSource("Creating Self-Extracting Archive...");
  view_.ShowTarget(targetText);
  creatingExe_ = RootLine("Creating EXE");
  StepLine(creatingExe_, "Appending Executable Stub");
  if (!AppendStub(ProgramFolder + stub, archive, output)) {
    DWORD code = GetLastError();
    DeleteIfExists(output);
    StepLine(creatingExe_, "Error Appending Stub!");
    Show(failure, std::to_string(code));
    return false;
  }
  StepLine(creatingExe_, "EXE Created Successfully");
  return true;
}

bool TBuildSteps::MakeCabSFX(const std::string& cabinet, const std::string& output) {
  return StubStep(CabSFXStub(settings_.CabSFXStyle()), cabinet, output, "", TBuildMessage::E2);
}

bool TBuildSteps::MakeZipSFX(const std::string& zipPath, const std::string& output) {
  return StubStep(ZipSFXStub(zsDOS), zipPath, output, ExtractFileName(settings_.OutputFileName()),
                  TBuildMessage::E3);
}

// ---------------------------------------------------------------------------
// Cancel and progress

void TBuildSteps::CancelClick() {
  const bool zipKind = kind_ == akZipArchive || kind_ == akZipSFX;
  if (zipKind && !zip_.Busy()) return;
  if (Show(TBuildMessage::Q1) == IDYES) {
    SetCancelFlag(kRequested);
    if (zipKind) zip_.Cancel = true;
  }
  Pump();
}

void TBuildSteps::ZipProgress(ProgressType type, const std::string& fileName, int fileSize) {
  std::string name = fileName;
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) {
    return c == '/' ? '\\' : static_cast<char>(std::tolower(c));
  });
  auto reset = [&] {
    view_.SetProgressRange(1, 10);
    view_.SetProgressPosition(1);
  };
  switch (type) {
    case NewFile:
      if (firstRoot_ != kNoLogLine) StepLine(firstRoot_, "File '" + name + "' in package");
      view_.ShowSource(name);
      reset();
      view_.SetProgressRange(1, fileSize >= 65536 ? fileSize / 32768 : 1);
      if (fileSize < 32768) view_.StepProgress();
      break;
    case ProgressUpdate:
      if (view_.ProgressPosition() < view_.ProgressMax()) view_.StepProgress();
      break;
    case EndOfBatch: reset(); break;
  }
  Pump();
}
