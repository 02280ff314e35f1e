#include "core/project/Workspace.h"

#include "core/model/Project.h"

#include "core/project/FileSystem.h"
#include "core/project/IniFile.h"

#include <filesystem>

Workspace::Workspace(std::string exeFolder)
    : ExeFolder(exeFolder), RootFolder(exeFolder), DataFolder(DataFolderOf(exeFolder)) {}

Workspace::Workspace(std::string exeFolder, std::string rootFolder)
    : ExeFolder(exeFolder), RootFolder(std::move(rootFolder)), DataFolder(DataFolderOf(exeFolder)) {
}

namespace fs = std::filesystem;

std::string DataFolderOf(const std::string& exeFolder) {
    const std::string help = "help" + std::to_string(ProductVariant) + ".dat";
    if (FileExists(exeFolder + PathSep + help)) return exeFolder;
    const std::string shared =
        exeFolder + PathSep + ".." + PathSep + "share" + PathSep + PackageName;
    if (DirectoryExists(shared)) return fs::path(shared).lexically_normal().string();
    return exeFolder;
}

WorkspaceLocation ChooseWorkspace(const std::string& exeFolder, const std::string& given,
                                  const std::string& xdgDataHome, const std::string& home) {
    WorkspaceLocation out;
    if (!given.empty()) {
        std::error_code ec;
        fs::path p = fs::absolute(given, ec).lexically_normal();
        std::string folder = p.string();
        if (folder.size() > 1 && folder.back() == PathSep) folder.pop_back();
        // A link loop, a link to nothing or a part that cannot be searched: the
        // folder could be neither used nor created.
        const fs::file_status link = fs::symlink_status(p, ec);
        if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory) {
            out.error = "Workspace \"" + given + "\" cannot be used: " + ec.message() + ".";
            return out;
        }
        if (fs::is_symlink(link)) {
            (void)fs::status(p, ec);
            if (ec) {
                out.error = "Workspace \"" + given + "\" cannot be used: " +
                            (ec == std::errc::no_such_file_or_directory
                                 ? std::string("it is a symbolic link to nothing")
                                 : ec.message()) +
                            ".";
                return out;
            }
        }
        if (fs::exists(p, ec)) {
            if (!DirectoryExists(folder))
                out.error = "Workspace \"" + given + "\" is not a folder.";
            else if (!IsWritableFolder(folder))
                out.error = "Workspace folder \"" + given + "\" is not writable.";
            else
                out.folder = folder;
            return out;
        }
        // A missing folder is created later; its nearest existing parent must allow it.
        fs::path up = p.parent_path();
        while (!up.empty() && !fs::exists(up, ec) && up != up.parent_path())
            up = up.parent_path();
        if (!DirectoryExists(up.string()))
            out.error = "Workspace \"" + given + "\" cannot be created: \"" + up.string() +
                        "\" is not a folder.";
        else if (!IsWritableFolder(up.string()))
            out.error = "Workspace \"" + given + "\" cannot be created: \"" + up.string() +
                        "\" is not writable.";
        else
            out.folder = folder;
        return out;
    }
    // An installed program (its data in ../share) keeps no projects in bin/,
    // even when root may write there.
    if (IsWritableFolder(exeFolder) && DataFolderOf(exeFolder) == exeFolder) {
        out.folder = exeFolder;
        return out;
    }
    out.perUser = true;
    std::string base = !xdgDataHome.empty() && xdgDataHome[0] == PathSep
                           ? xdgDataHome
                           : home + PathSep + ".local" + PathSep + "share";
    out.folder = base + PathSep + PackageName;
    return out;
}

std::string PrepareWorkspace(const WorkspaceLocation& where, const std::string& dataFolder) {
    if (!where.error.empty()) return where.error;
    if (!ForceDirectories(where.folder))
        return "Workspace folder \"" + where.folder + "\" cannot be created.";
    const std::string master = where.folder + PathSep + "MASTER";
    const std::string seed = dataFolder + PathSep + "MASTER";
    if (where.perUser && !DirectoryExists(master) && DirectoryExists(seed)) {
        std::error_code ec;
        fs::copy(seed, master, fs::copy_options::recursive, ec);
        if (ec) return "MASTER could not be copied to \"" + master + "\": " + ec.message();
    }
    return {};
}

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
    if (RootFolder.empty()) RootFolder = ExeFolder;
    MasterFolder = RootFolder + PathSep + "MASTER";
    if (!DirectoryExists(MasterFolder)) CreateDir(MasterFolder);
    ProjectsFolder = RootFolder + PathSep + "PROJECTS";
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

Project& Workspace::project() {
    if (!project_ || project_->folder() != ProjectFolder)
        project_ = std::make_shared<Project>(Project::load(ProjectFolder));
    else
        project_->refresh();
    return *project_;
}

void Workspace::reloadProject() {
    project_ = std::make_shared<Project>(Project::load(ProjectFolder));
}

std::string Workspace::IniPath() const {
    return (RootFolder.empty() ? ExeFolder : RootFolder) + PathSep + IniFileName;
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
