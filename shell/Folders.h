// The program folder and the working folders under it, and the scratch files
// the archive reads leave there.
#pragma once
#include <string>

namespace zul {

enum WorkFolder {
    kFolderConfig,       // configuration files
    kFolderAlaFiles,     // diagnostic-message archive files
    kFolderAudFiles,     // intervention-message archive files
    kFolderCalibrArhiv,  // calibration archive files
    kFolderMomData,      // measurement archive files
    kFolderHourData,     // hourly archive files
    kFolderDayData,      // daily archive files
    kFolderReport,       // spreadsheet reports
    kFolderIni,          // settings files
    kWorkFolderCount
};
// "CONFIG", "ALAFILES", ... "INI".
const char* WorkFolderName(WorkFolder folder);

// The fixed scratch names of the archive reads of earlier versions, deleted when the
// window closes if one was left over. A read now has a file of its own that leaves
// the folder as soon as it is made (OpenScratchFile), so closing touches no other
// run's read.
constexpr int kScratchFileCount = 6;
extern const char* const kScratchFiles[kScratchFileCount];

// What decides the program folder.
struct ProgramFolderSources {
    std::string homeOption;    // --home DIR
    std::string envHome;       // ZUL_HOME
    std::string exeFolder;     // the executable's folder
    std::string xdgDataHome;   // XDG_DATA_HOME
    std::string userHome;      // HOME
    bool installed = false;    // the executable is an installed one (InstalledDataFolder exists)
};
// --home, else ZUL_HOME, else the executable's folder when it is writable and not an
// installed bin/ folder, else $XDG_DATA_HOME/zul-qrt510 ($HOME/.local/share when
// XDG_DATA_HOME is unset).
// The result is absolute and ends in '/'; it is created when missing.
std::string ChooseProgramFolder(const ProgramFolderSources& sources);
// The folder of the running executable (from /proc/self/exe), ending in '/'.
std::string ExecutableFolder();
// The read-only data of an installed program: <prefix>/share/zul-qrt510/ beside the
// executable's <prefix>/bin/ ("" when there is none).
std::string InstalledDataFolder(const std::string& exeFolder);
// Where a file the program reads but never writes (a report template) is found: the
// program folder first, then the installed data folder, then the templates folder the
// build puts beside the executables (<build>/templates/). "" when none holds it.
std::string FindDataFile(const std::string& name);
// The sources from the environment and the given --home option.
ProgramFolderSources ProgramFolderSourcesFromEnvironment(const std::string& homeOption);

// The program folder of this run (ends in '/'); set once at start.
const std::string& ProgramFolder();
void SetProgramFolder(const std::string& folder);
// A working folder under the program folder, without a trailing separator.
std::string WorkFolderPath(WorkFolder folder);
std::string WorkFolderPath(const std::string& programFolder, WorkFolder folder);

// Creates the missing working folders under the program folder; returns how many
// could not be created (not reported: whatever writes there reports it).
int CreateWorkFolders(const std::string& programFolder);
// Deletes those scratch files that are present; returns how many were deleted.
int DeleteScratchFiles(const std::string& programFolder);

// mkdir -p; true when the folder exists afterwards.
bool MakeFolders(const std::string& path);

}  // namespace zul
