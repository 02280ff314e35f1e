#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Project;

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

// The workspace: MASTER, PROJECTS and the INI file (beside the executable
// unless another folder is given), the open project and the per-file paths
// derived from it. One object per program run (tests make their own on a
// temporary executable folder).
class Workspace {
public:
    Workspace() = default;
    explicit Workspace(std::string exeFolder);
    Workspace(std::string exeFolder, std::string rootFolder);

    std::string ExeFolder;  // the executable's folder: updater, flash programmer
    std::string RootFolder; // holds MASTER, PROJECTS and the INI file
    std::string DataFolder; // help file and MASTER seed of an installed program
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

    // The open project's model, read when first asked for after the project
    // changed (and a file anew when it changed on disk); the editors commit
    // into it, the main window checks it.
    Project& project();
    // Reads the open project's files anew (a project was opened).
    void reloadProject();

private:
    std::shared_ptr<Project> project_;
};

// Where the workspace is. `error` is set (and `folder` empty) when the given
// folder cannot be used.
struct WorkspaceLocation {
    std::string folder;
    std::string error;
    bool perUser = false; // the executable's folder was not writable
};

// Variable naming the workspace when no --workspace option is given.
inline constexpr const char* WorkspaceVariable = "TESSARO_WORKSPACE";
// Folder name of the per-user workspace and of the installed shared data.
inline constexpr const char* PackageName = "tessaro-sm2dns";

// `given` (the option, else the variable) when not empty: a folder that is
// writable or can be created. Else the executable's folder when writable and
// not an installed one (with ../share/tessaro-sm2dns), else
// $XDG_DATA_HOME/tessaro-sm2dns (XDG default ~/.local/share). Creates nothing.
WorkspaceLocation ChooseWorkspace(const std::string& exeFolder, const std::string& given,
                                  const std::string& xdgDataHome, const std::string& home);

// Creates the folder with its parents; a per-user one gets MASTER copied from
// dataFolder/MASTER the first time. Returns the error text, empty on success.
std::string PrepareWorkspace(const WorkspaceLocation& where, const std::string& dataFolder);

// The executable's folder when the help file is there (a build tree), else
// <exe>/../share/tessaro-sm2dns of an installed program when that exists.
std::string DataFolderOf(const std::string& exeFolder);

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
