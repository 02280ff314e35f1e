#pragma once
#include <optional>
#include <string>
#include <vector>

// Product constants shared by several windows.
inline constexpr int ProductVariant = 2;
inline constexpr const char* ApplicationTitle = "Firmware Tessaro";
inline constexpr const char* MainCaption = "Velmora Tessaro KT52830 Serial-m 2 DeviceNet-s :";
inline constexpr const char* MakerHomeUrl =
    "http://www.velmora.example/HOME/default.asp?frompg=KT52830";
inline constexpr const char* MakerHomeText = "www.velmora.example";
inline constexpr const char* IniFileName = "Tessaro_Sm2DNs.ini";
inline constexpr const char* IniSection = "lastproj";
inline constexpr const char* IniKey = "projectname";

// The workspace: folders beside the executable, the open project and the
// per-file paths derived from it. One object per program run (tests make their
// own on a temporary executable folder).
class Workspace {
public:
    Workspace() = default;
    explicit Workspace(std::string exeFolder);

    std::string ExeFolder;
    std::string MasterFolder;
    std::string ProjectsFolder;
    std::string ProjectName;
    std::string ProjectFolder;

    std::string PargenPath;
    std::string SdoPath;
    std::string EmcydefPath;
    std::string EmcywordPath;
    std::string RpdodefPath;
    std::string SdopdoPath;
    std::string PdoPath;
    std::string DiagnosisPath;

    // Start-up: creates MASTER and PROJECTS, restores the remembered project.
    // True when the remembered project was found (the caption then shows it).
    bool Settle();
    void UpdateProjectPaths();
    std::string IniPath() const;
    // Writes the open project's name to the INI file; false when that fails.
    bool RememberProject() const;

    // Open project, before the browser: a vanished project folder is forgotten.
    void ForgetVanishedProject();
    // Open project, after the browser: the picked folder (if any) becomes the
    // project and the name is the part of it after ProjectsFolder.
    void ApplyOpenedFolder(const std::optional<std::string>& picked);
};

// Folder part of an executable path without the trailing separator.
std::string ExeFolderOf(const std::string& exePath);

// A name that New project may create directly below its base folder: no
// separator, not "." or "..", no control character.
bool IsValidProjectFolderName(const std::string& name);

// A remembered project name (with or without leading separator) that stays
// below ProjectsFolder: no "." or ".." part and no control character.
bool IsSafeRememberedName(const std::string& name);

struct NewProjectOutcome {
    bool closeAllowed = false;
    std::vector<std::string> messages;
};

// OK of the New project dialog: checks the name, creates the folder and its
// "bin" subfolder and opens it as the project.
NewProjectOutcome CreateNewProject(Workspace& ws, const std::string& base, const std::string& text);
