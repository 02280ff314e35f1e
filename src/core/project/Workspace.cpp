#include "core/project/Workspace.h"

#include "core/project/IniFile.h"
#include "core/project/FileSystem.h"

Workspace::Workspace(std::string exeFolder) : ExeFolder(std::move(exeFolder)) {}

std::string ExeFolderOf(const std::string& exePath) {
    auto pos = exePath.find_last_of(PathSep);
    if (pos == std::string::npos) return ".";
    return exePath.substr(0, pos);
}

static bool HasControlChar(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

bool IsValidProjectFolderName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos) return false;
    return !HasControlChar(name);
}

bool IsSafeRememberedName(const std::string& name) {
    if (HasControlChar(name)) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        std::string part = name.substr(start, end - start);
        if (part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

bool Workspace::Settle() {
    MasterFolder = ExeFolder + PathSep + "MASTER";
    if (!DirectoryExists(MasterFolder)) CreateDir(MasterFolder);
    ProjectsFolder = ExeFolder + PathSep + "PROJECTS";
    if (!DirectoryExists(ProjectsFolder)) CreateDir(ProjectsFolder);

    ProjectName = IniReadString(IniPath(), IniSection, IniKey, "");
    if (!ProjectName.empty() && ProjectName[0] != PathSep) ProjectName = PathSep + ProjectName;

    bool found = !ProjectName.empty() && IsSafeRememberedName(ProjectName) &&
                 DirectoryExists(ProjectsFolder + ProjectName);
    ProjectFolder = found ? ProjectsFolder + ProjectName : ProjectsFolder;
    UpdateProjectPaths();
    return found;
}

void Workspace::UpdateProjectPaths() {
    const std::string base = ProjectFolder + PathSep;
    PargenPath = base + "pargen.xml";
    SdoPath = base + "sdo.xml";
    EmcydefPath = base + "emcydef.xml";
    EmcywordPath = base + "emcyword.xml";
    RpdodefPath = base + "rpdodef.xml";
    SdopdoPath = base + "sdopdo.xml";
    PdoPath = base + "pdo.xml";
    DiagnosisPath = base + "diagnosis.xml";
}

std::string Workspace::IniPath() const {
    return ExeFolder + PathSep + IniFileName;
}

bool Workspace::RememberProject() const {
    return IniWriteString(IniPath(), IniSection, IniKey, ProjectName);
}

void Workspace::ForgetVanishedProject() {
    if (!DirectoryExists(ProjectFolder)) ProjectFolder.clear();
}

void Workspace::ApplyOpenedFolder(const std::optional<std::string>& picked) {
    if (picked) ProjectFolder = *picked;
    ProjectName = ProjectFolder.size() > ProjectsFolder.size()
                      ? ProjectFolder.substr(ProjectsFolder.size())
                      : std::string();
    UpdateProjectPaths();
}

NewProjectOutcome CreateNewProject(Workspace& ws, const std::string& base,
                                   const std::string& text) {
    NewProjectOutcome out;
    out.closeAllowed = true;
    if (base.empty()) {
        out.messages.push_back("directory destination not valid");
        out.closeAllowed = false;
    }
    if (text.empty() || !IsValidProjectFolderName(text)) {
        out.messages.push_back("Name project not valid");
        out.closeAllowed = false;
    }
    if (!out.closeAllowed) return out;

    const std::string folder = base + PathSep + text;
    if (DirectoryExists(folder)) {
        out.messages.push_back("Name project not valid because directory already exists");
        out.closeAllowed = false;
        return out;
    }
    if (!CreateDir(folder)) {
        out.closeAllowed = false;
        return out;
    }
    ForceDirectories(folder + PathSep + "bin");
    ws.ProjectName = text;
    ws.ProjectFolder = folder;
    ws.UpdateProjectPaths();
    return out;
}
