// What the install tests share: a run over a script made in memory with its
// data files in a scratch folder, a progress that records, and snapshots of
// folders and registry keys to compare before and after.
#pragma once
#include "Install.h"
#include "ScriptWriter.h"
#include "TestPaths.h"
#include "Undo.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// Records what the steps report.
class TTestProgress : public IInstallProgress {
public:
  int64_t Pos = 0;
  std::vector<std::string> Filenames;
  bool UpdateInstalled = false;
  // Called at each poll; may raise to stop the run.
  std::function<void()> OnPoll;
  int Polls = 0;

  std::vector<std::string> Statuses;

  int64_t Position() const override { return Pos; }
  void ShowStatus(const std::string& text) override { Statuses.push_back(text); }
  void SetPosition(int64_t position) override { Pos = position; }
  void ShowFilename(const std::string& path) override { Filenames.push_back(path); }
  void PollCancel() override {
    ++Polls;
    if (OnPoll) OnPoll();
  }
  void MarkUpdateInstalled() override { UpdateInstalled = true; }
};

// A scratch install: {src} holds SETUP.1, {app} is empty, and the
// program-wide values point there. The run-wide values come back when it
// ends.
class TInstallBed {
public:
  TInstallBed();
  ~TInstallBed();

  TTempDir Root;
  std::string Src, App;
  TSetupScript Script;
  TUndoChanges Changes;
  TTestProgress Progress;
  TInstallRun Run{Script, Changes, Progress, {}};

  // Sets the script's files to these contents with these destinations and
  // writes SETUP.1 to {src}.
  void SetFiles(const std::vector<std::pair<std::string, std::string>>& destAndContent);
  // The file record i.
  TScriptFile& File(size_t i) { return Script.FileList.at(i); }
};

// Every file and folder below `folder`, with the file contents.
std::map<std::string, std::string> SnapshotFolder(const std::string& folder);
// Every key and value below root\subkey, with types and data.
std::map<std::string, std::string> SnapshotRegistry(HKEY root, const std::string& subkey);

// A registry key made for a test and deleted with the object.
class TTestKey {
public:
  explicit TTestKey(const std::string& name, HKEY root = HKEY_CURRENT_USER);
  ~TTestKey();
  const std::string& Path() const { return path_; }
  HKEY Root() const { return root_; }

private:
  HKEY root_;
  std::string path_;
};

// Starts a helper program with its standard handles on NUL.
bool StartQuietly(std::string commandLine, PROCESS_INFORMATION& pi);

// Wine's shell serves Program Manager's DDE for as long as this lives.
class TProgmanServer {
public:
  TProgmanServer();
  ~TProgmanServer();
  TProgmanServer(const TProgmanServer&) = delete;
  TProgmanServer& operator=(const TProgmanServer&) = delete;
  bool Ready();

private:
  PROCESS_INFORMATION pi_{};
};

bool RegValue(HKEY root, const std::string& key, const std::string& name, DWORD& type, std::string& data);
bool RegKeyExists(HKEY root, const std::string& key);
// The built test program or library beside the tests.
std::string TestBinary(const std::string& name);
