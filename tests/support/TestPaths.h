// Where tests put their scratch files and find their helper programs.
#pragma once

#include <string>

// A file of that name in the temporary folder.
std::string TempFilePath(const std::string& fileName);
// A file of that name beside the running test executable (in the build
// folder): helper programs, screenshots.
std::string ProgramBesideTest(const std::string& fileName);
