// Start-up of the Setup program and its program-wide state: the start-up
// values and the directory constants. The loaded script is one read-only
// TSetupScript that the windows and the install take by reference.
#pragma once
#include "Exception.h"
#include "ScriptFormat.h"

#include <cstdint>
#include <string>
#include <vector>

// The silent abort: every handler passes it on without a message.
class EAbort : public Exception {
public:
  EAbort() : Exception("Operation aborted") {}
};

// The "/SL" command line.
extern bool LoaderMode;
extern std::string DataFileName;  // full path
extern int64_t ScriptOffset, FileDataOffset;

// Start-up values. Folders are held without a trailing backslash (a drive
// root keeps its own); ProgramFilesPath has one, or is "".
extern std::string SourceFolder;       // {src}
extern std::string DestFolder;         // {app}, set when the wizard ends
extern std::string WindowsFolderPath;  // {win}
extern std::string SystemFolderPath;   // {sys}
extern std::string ProgramFilesPath;
// Chosen in the wizard: the program group and whether to skip the icons.
extern std::string GroupName;
extern bool SkipIcons;
extern int64_t TotalBytes;  // sum of the files' uncompressed sizes
extern bool IconsWanted, RestartNeeded, IsAdmin;

// Replaces {src}, {app}, {win} and {sys} (case-sensitive) by their folders.
std::string ExpandDirConstants(const std::string& text);
// A name "is%.6x.tmp" in `folder` that does not exist yet; not created.
std::string MakeTempFileName(const std::string& folder);
// Shows the error box, then raises the silent abort.
[[noreturn]] void FatalError(const std::string& message);
// Seeds the random start of MakeTempFileName from the clock.
void Randomize();

// What start-up takes from the system; tests pass their own.
struct TStartupEnvironment {
  std::vector<std::string> Args;  // the command line without the program
  std::string ProgramFolder;      // the folder of Setup.exe
  TWindowsVersion Version;
};
TStartupEnvironment RealStartupEnvironment();

// Chooses the script and source folder, checks this Windows, loads the
// script into `script` and sets the start-up values. Refusals end in
// FatalError.
void PrepareSetup(const TStartupEnvironment& env, TSetupScript& script);
// TotalBytes and IconsWanted of a loaded script.
void DeriveScriptTotals(const TSetupScript& script);

// {sys} for the run: the system folder, or the Windows folder when a
// system folder outside it cannot be written.
std::string ChooseSystemFolder(const std::string& windowsFolder, const std::string& systemFolder);

// PrepareSetup with every other failure shown as one error box. False when
// the program must end.
bool StartSetup(const TStartupEnvironment& env, TSetupScript& script);

// The program's main block.
int SetupMain();
