// What the folder and file views ask of the machine and the shell: the
// drives and their kinds, display names, icons and type names. Tests put a
// stand-in in place to show removable and network drives.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

class IShellInfo {
public:
  virtual ~IShellInfo() = default;
  // The drives present, bit 0 for A:.
  virtual DWORD LogicalDrives() = 0;
  // The kind of a drive (DRIVE_FIXED, DRIVE_REMOTE, ...) by its root "C:\".
  virtual UINT DriveType(const std::string& root) = 0;
  // The shell's name for a file, folder or drive root; "" when it has none.
  virtual std::string DisplayName(const std::string& path) = 0;
  // A path's icon (or open icon) in the small system image list; -1 when none.
  virtual int SmallIcon(const std::string& path, bool open) = 0;
  // A path's display name and small icon ("" and -1 when none); the
  // system's asks the shell once for both.
  virtual void NameAndSmallIcon(const std::string& path, std::string& name, int& icon) {
    name = DisplayName(path);
    icon = SmallIcon(path, false);
  }
  // An entry's small icon and type name; false when the shell knows nothing of it.
  virtual bool FileInfo(const std::string& path, int& icon, std::string& typeName) = 0;
  // The shell's image list of small or large icons: shared, never destroyed.
  virtual HIMAGELIST SystemImages(bool large) = 0;
  // The Windows folder, without a trailing backslash.
  virtual std::string WindowsDirectory() = 0;
};

// The one in force: the system's, unless a test replaced it.
IShellInfo& ShellInfo();
// Installs `info` (nullptr: the system's again); returns the previous one.
IShellInfo* SetShellInfo(IShellInfo* info);

// Asks the system and the shell.
class TSystemShellInfo : public IShellInfo {
public:
  DWORD LogicalDrives() override;
  UINT DriveType(const std::string& root) override;
  std::string DisplayName(const std::string& path) override;
  int SmallIcon(const std::string& path, bool open) override;
  void NameAndSmallIcon(const std::string& path, std::string& name, int& icon) override;
  bool FileInfo(const std::string& path, int& icon, std::string& typeName) override;
  HIMAGELIST SystemImages(bool large) override;
  std::string WindowsDirectory() override;
};
