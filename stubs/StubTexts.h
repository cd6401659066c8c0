// What the extractor stubs say, in one place.
#pragma once
#include <cstdint>
#include <string>

namespace stubtext {

inline const char* const kDefaultCaption = "Self-extracting Archive";
inline const char* const kCabCaption = "Self-extracting Cabinet";

inline const char* const kNoArchive = "This program holds no archive, or its archive cannot be read.";
inline const char* const kNoFiles = "The archive holds no files.";
inline const char* const kNoFolder = "Please enter the folder to extract the files to.";
inline const char* const kNoneSelected = "No files are selected.";
inline const char* const kWrongPassword = "The password is not correct.";

inline std::string Damaged(const std::string& detail) {
  return "The archive is damaged and was not extracted.\r\n\r\n" + detail;
}
inline std::string UnsafeName(const std::string& name) {
  return "The archive holds a file name that is not safe to extract, so nothing was extracted:\r\n\r\n" + name;
}
inline std::string Unsupported(const std::string& name) {
  return "The archive holds a file packed in a way this program cannot unpack, so nothing was extracted:\r\n\r\n" +
         name;
}
inline std::string FolderFailed(const std::string& folder, const std::string& error) {
  return "The folder cannot be created:\r\n\r\n" + folder + "\r\n\r\n" + error;
}
inline std::string Exists(const std::string& path) {
  return "\"" + path + "\" already exists.\r\n\r\nDo you want to replace it?";
}
inline std::string FileDamaged(const std::string& name, bool encrypted) {
  return "\"" + name + "\" is damaged" + (encrypted ? " or the password is not correct" : "") +
         ", so nothing was extracted.";
}
inline std::string WriteFailed(const std::string& path, const std::string& error) {
  return "\"" + path + "\" cannot be written, so nothing was extracted.\r\n\r\n" + error;
}
inline std::string ReplaceFailed(const std::string& path, const std::string& error) {
  return "\"" + path + "\" cannot be replaced.\r\n\r\n" + error;
}
inline std::string RunQuestion(const std::string& command) {
  return "Do you want to run this command now?\r\n\r\n" + command;
}
inline std::string RunFailed(const std::string& command, const std::string& error) {
  return "The command cannot be started:\r\n\r\n" + command + "\r\n\r\n" + error;
}
inline std::string Count(uint64_t n) { return std::to_string(n) + (n == 1 ? " file" : " files"); }
inline std::string Extracted(uint64_t n, const std::string& folder) {
  return Count(n) + (n == 1 ? " was" : " were") + " extracted to " + folder + ".";
}
inline std::string Sound(uint64_t n) { return "The archive is sound: " + Count(n) + " checked."; }
inline std::string UnknownOption(const std::string& option, const std::string& test) {
  return "Unknown option \"" + option + "\".\r\n\r\nStart the program without options to extract its files, or with " +
         test + " to test its archive.";
}

}  // namespace stubtext
