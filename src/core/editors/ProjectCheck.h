#pragma once
#include <string>
#include <vector>

// One failure of a project file, with the message its dialog shows.
struct ProjectFinding {
    std::string file;
    std::string message;
};

// Runs the checks of the three gateway editors' OK buttons on the files as
// stored (defaults where a file is missing). A file that cannot be read gives
// one finding with the reading error. Every failure is listed, in check order.
std::vector<ProjectFinding> CheckProject(const std::string& projectFolder);
