#include "Main.h"

#include "CmnFunc.h"
#include "CmnFunc2.h"
#include "Files.h"
#include "Forms.h"
#include "MainForm.h"
#include "ProgramFolder.h"
#include "StrFmt.h"
#include "ZlibStream.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <new>
#include <random>
#include <stdexcept>

bool LoaderMode = false;
std::string DataFileName;
int64_t ScriptOffset = 0, FileDataOffset = 0;

std::string SourceFolder, DestFolder, WindowsFolderPath, SystemFolderPath, ProgramFilesPath;
std::string GroupName;
bool SkipIcons = false;
int64_t TotalBytes = 0;
bool IconsWanted = false, RestartNeeded = false, IsAdmin = false;

namespace {
std::mt19937 randomGenerator;
const char kCorruptedScriptMessage[] = "The setup files are corrupted. Please obtain a new copy of the program.";
}

void Randomize() {
  randomGenerator.seed(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

std::string ExpandDirConstants(const std::string& text) {
  std::string s = text;
  ReplaceAllTokens(s, "{src}\\", AddTrailingBackslash(SourceFolder));
  ReplaceAllTokens(s, "{app}\\", AddTrailingBackslash(DestFolder));
  ReplaceAllTokens(s, "{win}\\", AddTrailingBackslash(WindowsFolderPath));
  ReplaceAllTokens(s, "{sys}\\", AddTrailingBackslash(SystemFolderPath));
  ReplaceAllTokens(s, "{src}", SourceFolder);
  ReplaceAllTokens(s, "{app}", DestFolder);
  ReplaceAllTokens(s, "{win}", WindowsFolderPath);
  ReplaceAllTokens(s, "{sys}", SystemFolderPath);
  return s;
}

std::string MakeTempFileName(const std::string& folder) {
  std::string dir = AddTrailingBackslash(folder);
  const uint32_t start = std::uniform_int_distribution<uint32_t>(0, 0xFFFFFF)(randomGenerator);
  uint32_t n = start;
  for (;;) {
    n = (n + 1) & 0xFFFFFF;
    if (n == start)
      throw Exception("Unable to create a file in the destination directory because it contains too many files");
    std::string name = dir + Format("is%.6x.tmp", static_cast<unsigned>(n));
    if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES) return name;
  }
}

void FatalError(const std::string& message) {
  ShowMsg(message, "", mkError, MB_OK);
  throw EAbort();
}

TStartupEnvironment RealStartupEnvironment() {
  TStartupEnvironment env;
  for (int i = 1; i < __argc; ++i) env.Args.push_back(__argv[i]);
  env.ProgramFolder = ProgramFolder();
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  env.Version.Platform = info.dwPlatformId == VER_PLATFORM_WIN32s      ? TPlatform::Win32s
                         : info.dwPlatformId == VER_PLATFORM_WIN32_NT ? TPlatform::NT
                                                                      : TPlatform::Windows;
  DWORD version = GetVersion();
  env.Version.Major = LOBYTE(LOWORD(version));
  env.Version.Minor = HIBYTE(LOWORD(version));
  return env;
}

namespace {

void ClearLoadedState() {
  LoaderMode = false;
  DataFileName.clear();
  ScriptOffset = FileDataOffset = 0;
  SourceFolder.clear();
  WindowsFolderPath.clear();
  SystemFolderPath.clear();
  ProgramFilesPath.clear();
  TotalBytes = 0;
  IconsWanted = RestartNeeded = IsAdmin = false;
}

// A decimal offset of the "/SL" command line.
int64_t ParseOffset(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < 0 || value > INT32_MAX)
    throw Exception(Format("'%s' is not a valid offset", text.c_str()));
  return value;
}

// Drops a trailing backslash unless 2 characters or shorter or after a colon.
std::string TrimSourceFolder(const std::string& folder) {
  if (folder.size() <= 2 || folder.back() != '\\' || folder[folder.size() - 2] == ':') return folder;
  return folder.substr(0, folder.size() - 1);
}

}  // namespace

std::string ChooseSystemFolder(const std::string& windowsFolder, const std::string& systemFolder) {
  if (systemFolder.find(windowsFolder) != std::string::npos) return systemFolder;
  // A shared Windows installation: the system folder may be read-only.
  try {
    std::string probe = MakeTempFileName(systemFolder);
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return windowsFolder;
    CloseHandle(h);
    if (!DeleteFileA(probe.c_str())) return windowsFolder;
  } catch (const Exception&) {
    return windowsFolder;
  }
  return systemFolder;
}

void PrepareSetup(const TStartupEnvironment& env, TSetupScript& loaded) {
  ClearLoadedState();
  loaded = {};
  if (env.Version.Platform == TPlatform::Win32s) FatalError("This program will not run on Win32s.");
  Randomize();

  if (env.Args.size() == 4 && env.Args[0] == "/SL") {
    LoaderMode = true;
    DataFileName = ExpandFileName(env.Args[1]);  // a relative name gives the folder it stands in
    SourceFolder = ExtractFilePath(DataFileName);
    ScriptOffset = ParseOffset(env.Args[2]);
    FileDataOffset = ParseOffset(env.Args[3]);
  } else {
    SourceFolder = env.ProgramFolder;
  }
  SourceFolder = TrimSourceFolder(SourceFolder);

  std::string scriptFile = DataFileName;
  if (!LoaderMode) {
    scriptFile = AddTrailingBackslash(env.ProgramFolder) + "SETUP.0";
    if (!IsExistingFile(scriptFile))
      FatalError("The Setup Script File, which is required by Setup, was not found. If problem presists, please "
                 "contact the Program Vendor.");
  }

  TSetupScript script;
  {
    TFileSource file(scriptFile);
    file.Seek(static_cast<uint64_t>(ScriptOffset));
    if (!ReadScriptSignature(file))
      FatalError("The setup files are corrupted, or are incompatible with this version of Setup. Please correct "
                 "the problem or obtain a new copy of the program.");
    try {
      script.ScriptHeader = ReadScriptHeader(file);
      std::string refusal = CheckWindowsVersion(script.ScriptHeader, env.Version);
      if (!refusal.empty()) FatalError(refusal);
      RestartNeeded = (script.ScriptHeader.HeaderOptions & hoRestartNeeded) != 0;
      ReadScriptBody(file, script);
    } catch (const EZlibDataError&) {
      FatalError(kCorruptedScriptMessage);
    }
  }

  loaded = std::move(script);
  DeriveScriptTotals(loaded);
  WindowsFolderPath = WindowsFolder();
  SystemFolderPath = ChooseSystemFolder(WindowsFolderPath, SystemFolder());
  ProgramFilesPath = ProgramFilesFolder(true);
  IsAdmin = UserIsAdministrator();
}

void DeriveScriptTotals(const TSetupScript& script) {
  IconsWanted = (script.ScriptHeader.HeaderOptions & hoUninstallable) != 0 || !script.IconList.empty();
  TotalBytes = 0;
  for (const TScriptFile& f : script.FileList)
    if (f.UncompressedSize > 0) TotalBytes += f.UncompressedSize;
}

bool StartSetup(const TStartupEnvironment& env, TSetupScript& script) {
  // Running out of memory here means a script that asks for more than the
  // program can hold: it is reported as damaged.
  auto outOfMemory = [] {
    ShowMsg(kCorruptedScriptMessage, "", mkError, MB_OK);
    return false;
  };
  try {
    PrepareSetup(env, script);
    return true;
  } catch (const EAbort&) {
    return false;
  } catch (const EOutOfMemory&) {
    return outOfMemory();
  } catch (const std::bad_alloc&) {
    return outOfMemory();
  } catch (const std::length_error&) {
    return outOfMemory();
  } catch (const Exception& e) {
    ShowMsg(e.Message(), "", mkError, MB_OK);
    return false;
  }
}

int SetupMain() {
  Application().SetTitle("Setup");
  TSetupScript script;
  int code = 0;
  if (StartSetup(RealStartupEnvironment(), script)) RunSetupWindows(script);
  else code = 1;
  // The windows that read the script go before it.
  Application().Shutdown();
  return code;
}
