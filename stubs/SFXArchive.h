// What the extractor stubs read from bytes: where the archive starts in the
// stub's own file, what follows the program's name on its command line,
// which entry names are safe to write, and a zip entry's data. No Win32.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ZipFormat.h"

namespace sfx {

using zipfmt::IByteSource;
using zipfmt::TZipEntry;

// Where bytes appended to a PE program start: the end of the section that
// ends last. 0 when the bytes are no PE program.
uint64_t AppendedDataStart(IByteSource& src);

// What follows the program's own name on its command line, without the
// blanks around it. The name may be quoted, unquoted, or unquoted with
// blanks in it (a test run starts "C:\My Dir\Out.exe -t").
std::string ArgumentsOf(const std::string& commandLine, const std::string& modulePath);

enum class TNameProblem { None, Empty, Rooted, Drive, Parent, BadPart, Device };
// An entry name as a path below the extraction folder. '/' and '\' both
// separate folders; a trailing one marks a folder entry. Refused: rooted
// names, drives and streams (':'), "." and ".." parts and parts that Windows
// would shorten to them (only dots and blanks, or a dot or blank at the
// end), characters Windows does not allow, and device names.
TNameProblem SafePath(const std::string& name, std::string& path, bool& folder);

struct TZipItem {
  TZipEntry Entry;
  std::string Path;  // below the folder, with backslashes
  bool Folder = false;
  bool Encrypted() const { return (Entry.Flags & zipfmt::kFlagEncrypted) != 0; }
};

enum class TZipProblem { None, Directory, Name, Method };
struct TZipContents {
  std::vector<TZipItem> Items;
  TZipProblem Problem = TZipProblem::None;
  std::string Detail;  // the entry's name, or the reader's error text
};
// The directory with every entry checked, before anything is written.
TZipContents ReadZipContents(IByteSource& src);

// Whether the password opens an encrypted entry: its header's check byte.
// False too when the header cannot be read.
bool PasswordFits(IByteSource& src, const TZipEntry& e, const std::string& password);

class IOutput {
public:
  virtual ~IOutput() = default;
  virtual bool Write(const uint8_t* p, size_t n) = 0;
};

enum class TDataResult { Ok, ReadFailed, Damaged, BadCrc, WrongPassword, WriteFailed, Stopped };
// Decodes an entry's data into `out` and checks its size and CRC; nothing
// past the recorded size is written. `progress` gets the bytes written so
// far for the entry and returns false to stop.
TDataResult ExtractEntry(IByteSource& src, const TZipEntry& e, const std::string& password, IOutput& out,
                         const std::function<bool(uint64_t)>& progress = {});

}  // namespace sfx
