// The folder of the program's executable, where the program keeps its files
// and its error log.
#pragma once

#include <string>

// The folder of the running executable with a trailing "/"; empty when the
// system cannot tell it.
std::string ProgramFolder();
