#include "shell/Folders.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace zul {

namespace {
const char* const kFolderNames[kWorkFolderCount] = {
    "CONFIG", "ALAFILES", "AUDFILES", "CALIBRARHIV", "MOMDATA", "HOURDATA", "DAYDATA", "REPORT", "INI",
};

std::string& CurrentProgramFolder() {
    static std::string folder;
    return folder;
}

std::string WithSlash(std::string s) {
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}

std::string Absolute(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path, ec);
    if (ec) return path;
    return p.lexically_normal().string();
}

bool Writable(const std::string& folder) {
    return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}
}  // namespace

const char* const kScratchFiles[kScratchFileCount] = {
    "datafile.aud", "datafile.ala", "datafile.msd", "datafile.clb", "datafile.hdm", "datafile.vrf",
};

const char* WorkFolderName(WorkFolder folder) {
    return folder >= 0 && folder < kWorkFolderCount ? kFolderNames[folder] : "";
}

bool MakeFolders(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

std::string ChooseProgramFolder(const ProgramFolderSources& s) {
    std::string folder;
    if (!s.homeOption.empty()) folder = s.homeOption;
    else if (!s.envHome.empty()) folder = s.envHome;
    else if (!s.installed && Writable(s.exeFolder)) folder = s.exeFolder;
    else {
        std::string data = s.xdgDataHome;
        if (data.empty() || data[0] != '/') data = WithSlash(s.userHome.empty() ? "/tmp" : s.userHome) + ".local/share";
        folder = WithSlash(data) + "zul-qrt510";
    }
    folder = WithSlash(Absolute(folder));
    MakeFolders(folder);
    return folder;
}

std::string ExecutableFolder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return WithSlash(Absolute("."));
    return WithSlash(exe.parent_path().string());
}

std::string InstalledDataFolder(const std::string& exeFolder) {
    std::error_code ec;
    const std::filesystem::path bin = std::filesystem::path(WithSlash(exeFolder)).parent_path();
    if (bin.filename() != "bin") return {};
    const std::filesystem::path data = bin.parent_path() / "share" / "zul-qrt510";
    return std::filesystem::is_directory(data, ec) ? WithSlash(data.string()) : std::string();
}

std::string FindDataFile(const std::string& name) {
    const std::string exe = ExecutableFolder();
    const std::string installed = InstalledDataFolder(exe);
    std::error_code ec;
    for (const std::string& folder : {ProgramFolder(), installed, WithSlash(exe) + "../templates/"}) {
        if (folder.empty()) continue;
        const std::filesystem::path p = std::filesystem::path(WithSlash(folder)) / name;
        if (std::filesystem::is_regular_file(p, ec)) return p.lexically_normal().string();
    }
    return {};
}

ProgramFolderSources ProgramFolderSourcesFromEnvironment(const std::string& homeOption) {
    const std::string exe = ExecutableFolder();
    return {homeOption, Env("ZUL_HOME"), exe, Env("XDG_DATA_HOME"), Env("HOME"), !InstalledDataFolder(exe).empty()};
}

const std::string& ProgramFolder() { return CurrentProgramFolder(); }

void SetProgramFolder(const std::string& folder) { CurrentProgramFolder() = WithSlash(folder); }

std::string WorkFolderPath(const std::string& programFolder, WorkFolder folder) {
    return WithSlash(programFolder) + WorkFolderName(folder);
}

std::string WorkFolderPath(WorkFolder folder) { return WorkFolderPath(ProgramFolder(), folder); }

int CreateWorkFolders(const std::string& programFolder) {
    int failed = 0;
    for (int i = 0; i < kWorkFolderCount; ++i)
        if (!MakeFolders(WorkFolderPath(programFolder, WorkFolder(i)))) ++failed;
    return failed;
}

int DeleteScratchFiles(const std::string& programFolder) {
    int deleted = 0;
    for (const char* name : kScratchFiles) {
        const std::string path = WithSlash(programFolder) + name;
        if (::unlink(path.c_str()) == 0) ++deleted;
    }
    return deleted;
}

}  // namespace zul
