#pragma once
#include <string>

class XmlDocument;

// Profibus area sizes of the RG58804 description. They start at 0 and keep
// the last value read, so a project without the sizes reuses the previous ones.
extern int ProfiNbIn;
extern int ProfiNbOut;
extern int ModulesIn;
extern int ModulesOut;

// Bytes of one GSD module; the last module of an area holds the rest.
inline constexpr int GsdModuleBytes = 64;

// Modules needed for an area of `bytes` bytes (0 for an empty area).
int GsdModuleCount(int bytes);

// Updates the four sizes from projectFolder/pargen.xml, loaded into `doc`.
// A missing file, element or integer keeps the previous value; a file that
// cannot be parsed throws XmlError.
void ReadProfiSizes(const std::string& projectFolder, XmlDocument& doc);

// The whole description for the given sizes, lines ending in CR LF, Latin-1.
std::string ComposeGsd(int nbIn, int nbOut);

// Reads the sizes and composes the description for them.
std::string ProjectGsd(const std::string& projectFolder, XmlDocument& doc);
// Reads the sizes and writes the description to `path` (atomically; a target
// that cannot be created throws FileError "Cannot create file ...").
void WriteGsd(const std::string& path, const std::string& projectFolder, XmlDocument& doc);
