#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/support/Unprivileged.h"
#include "shell/Folders.h"

using namespace zul;
namespace fs = std::filesystem;

namespace {
class FoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zul_folders_XXXXXX";
        ASSERT_TRUE(mkdtemp(tmpl));
        root = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(root / "ro", fs::perms::owner_all, ec);
        fs::remove_all(root, ec);
    }
    fs::path root;
};
}  // namespace

TEST_F(FoldersTest, ChoiceOrder) {
    const std::string exe = (root / "bin").string();
    fs::create_directories(exe);
    ProgramFolderSources s{"", "", exe, (root / "xdg").string(), (root / "home").string()};
    EXPECT_EQ(ChooseProgramFolder(s), exe + "/");
    s.envHome = (root / "env").string();
    EXPECT_EQ(ChooseProgramFolder(s), s.envHome + "/");
    EXPECT_TRUE(fs::is_directory(s.envHome));  // created
    s.homeOption = (root / "opt" / "deep").string();
    EXPECT_EQ(ChooseProgramFolder(s), s.homeOption + "/");
    EXPECT_TRUE(fs::is_directory(s.homeOption));
}

TEST_F(FoldersTest, ReadOnlyExecutableFolderFallsBackToXdgData) {
    const fs::path ro = root / "ro";
    fs::create_directories(ro);
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                            fs::perms::others_exec);
    fs::permissions(root, fs::perms::all);  // the unprivileged user makes the XDG folder here
    ProgramFolderSources s{"", "", ro.string(), (root / "xdg").string(), (root / "home").string()};
    const std::string expected = (root / "xdg" / "zul-qrt510").string() + "/";
    const int r = test::RunUnprivileged([&] { return ChooseProgramFolder(s) == expected ? 0 : 1; });
    if (r == test::kCannotDropPrivileges) GTEST_SKIP() << "cannot drop to an unprivileged user here";
    EXPECT_EQ(r, 0) << "a read-only executable folder was chosen instead of " << expected;
    EXPECT_TRUE(fs::is_directory(root / "xdg" / "zul-qrt510"));
    EXPECT_TRUE(fs::is_empty(ro));
}

TEST_F(FoldersTest, MissingExecutableFolderFallsBackToXdgData) {
    ProgramFolderSources s{"", "", (root / "gone").string(), (root / "xdg").string(), (root / "home").string()};
    EXPECT_EQ(ChooseProgramFolder(s), (root / "xdg" / "zul-qrt510").string() + "/");
    EXPECT_TRUE(fs::is_directory(root / "xdg" / "zul-qrt510"));
    EXPECT_FALSE(fs::exists(root / "gone"));
    s.xdgDataHome.clear();  // unset: $HOME/.local/share
    EXPECT_EQ(ChooseProgramFolder(s), (root / "home" / ".local/share/zul-qrt510").string() + "/");
    s.xdgDataHome = "relative/path";  // not absolute: ignored
    EXPECT_EQ(ChooseProgramFolder(s), (root / "home" / ".local/share/zul-qrt510").string() + "/");
}

TEST_F(FoldersTest, RelativeHomeBecomesAbsolute) {
    const fs::path old = fs::current_path();
    fs::current_path(root);
    ProgramFolderSources s{"./here/../work", "", "", "", ""};
    std::string chosen = ChooseProgramFolder(s);
    fs::current_path(old);
    EXPECT_EQ(chosen, (root / "work").string() + "/");
}

TEST_F(FoldersTest, WorkingFoldersAndScratchFiles) {
    const std::string home = root.string() + "/";
    fs::create_directories(root / "MOMDATA");
    std::ofstream(root / "MOMDATA" / "kept.mch") << "data";
    // A plain file where a folder should be: that folder cannot be made.
    std::ofstream(root / "REPORT") << "not a folder";
    EXPECT_EQ(CreateWorkFolders(home), 1);
    for (const char* f : {"CONFIG", "ALAFILES", "AUDFILES", "CALIBRARHIV", "MOMDATA", "HOURDATA", "DAYDATA", "INI"})
        EXPECT_TRUE(fs::is_directory(root / f)) << f;
    EXPECT_TRUE(fs::exists(root / "MOMDATA" / "kept.mch"));
    EXPECT_EQ(WorkFolderPath(home, kFolderIni), root.string() + "/INI");
    EXPECT_EQ(WorkFolderPath(root.string(), kFolderConfig), root.string() + "/CONFIG");

    for (const char* f : kScratchFiles) std::ofstream(root / f) << "x";
    std::ofstream(root / "datafile.mch") << "x";
    EXPECT_EQ(DeleteScratchFiles(home), kScratchFileCount);
    for (const char* f : kScratchFiles) EXPECT_FALSE(fs::exists(root / f)) << f;
    EXPECT_TRUE(fs::exists(root / "datafile.mch"));
    EXPECT_EQ(DeleteScratchFiles(home), 0);  // none left: nothing to do
}

TEST_F(FoldersTest, ProgramFolderOfTheRun) {
    SetProgramFolder(root.string());
    EXPECT_EQ(ProgramFolder(), root.string() + "/");
    EXPECT_EQ(WorkFolderPath(kFolderDayData), root.string() + "/DAYDATA");
    const std::string exe = ExecutableFolder();
    EXPECT_EQ(exe.back(), '/');
    EXPECT_TRUE(fs::exists(exe + "core_tests"));
}
