#pragma once
#include <string>

class Project;

// Bytes of one GSD module; the last module of an area holds the rest.
inline constexpr int GsdModuleBytes = 64;

// Modules needed for an area of `bytes` bytes (0 for an empty area).
int GsdModuleCount(int bytes);

// The whole description for the given sizes, lines ending in CR LF, Latin-1.
std::string ComposeGsd(int nbIn, int nbOut);

// The description for the project's Profibus sizes (Profi_NB_IN and
// Profi_NB_OUT of pargen.xml; 244 each where missing, not a number or
// negative). A pargen.xml that cannot be read throws XmlError.
std::string ProjectGsd(const Project& project);
// The same written to `path` through the safe file writer (a target that
// cannot be created throws FileError "Cannot create file ...").
void WriteGsd(const std::string& path, const Project& project);
