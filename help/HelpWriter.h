// Writes a Windows Help file (the 3.1 layout, topics uncompressed).
#pragma once
#include <string>

#include "HelpProject.h"

// The file's bytes; throws EHelpError for a project the format cannot hold
// (jumps to missing topics, clashing names or numbers, texts too long).
std::string WriteHelpFile(const THelpProject& project);
