// Build-time tool: turns the help source into the help file.
//   tz_makehelp SOURCE.txt OUTPUT.hlp
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "HelpWriter.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: tz_makehelp SOURCE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << argv[1] << ": cannot be read\n";
    return 1;
  }
  std::stringstream source;
  source << in.rdbuf();
  std::string bytes;
  try {
    bytes = WriteHelpFile(ParseHelpSource(source.str()));
  } catch (const EHelpError& e) {
    std::cerr << argv[1] << ": " << e.Message() << "\n";
    return 1;
  }
  // Written beside, then put in place: a failed write leaves no half file.
  std::string temp = std::string(argv[2]) + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      std::cerr << temp << ": cannot be written\n";
      std::remove(temp.c_str());
      return 1;
    }
  }
  if (std::rename(temp.c_str(), argv[2]) != 0) {
    std::cerr << argv[2] << ": cannot be replaced\n";
    std::remove(temp.c_str());
    return 1;
  }
  return 0;
}
