#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/IniFile.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zul-ini-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        path = dir + "/test.ini";
    }
    void TearDown() override { fs::remove_all(dir); }
    void Put(const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string Get() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    int FilesInDir() const { return int(std::distance(fs::directory_iterator(dir), fs::directory_iterator())); }
    std::string dir, path;
};

TEST_F(IniFileTest, ReplacesInPlaceAndKeepsEveryOtherLine) {
    const std::string before =
        "; settings of the test\r\n"
        "[OTHER]\r\n"
        "x = untouched \r\n"
        "\r\n"
        "[Main]\r\n"
        "Unknown=keep me\r\n"
        "  Speed =  1200\r\n"
        "; a comment inside\r\n"
        "garbage line without equals\r\n"
        "\r\n"
        "[TAIL]\r\n"
        "z=1";
    Put(before);
    IniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("MAIN", "speed", 0), 1200);  // names ignore case
    ini.WriteInteger("main", "SPEED", 38400);
    ini.WriteString("Main", "New", "value");
    ini.WriteInteger("TAIL", "y", 2);
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(Get(),
              "; settings of the test\r\n"
              "[OTHER]\r\n"
              "x = untouched \r\n"
              "\r\n"
              "[Main]\r\n"
              "Unknown=keep me\r\n"
              "  Speed =  38400\r\n"
              "; a comment inside\r\n"
              "garbage line without equals\r\n"
              "New=value\r\n"
              "\r\n"
              "[TAIL]\r\n"
              "z=1\r\n"
              "y=2\r\n");
    EXPECT_EQ(FilesInDir(), 1);  // no temporary file left behind
}

TEST_F(IniFileTest, CreatesMissingFileAndSectionsAndKeepsLineEndStyle) {
    {
        IniFile ini(path);
        EXPECT_TRUE(ini.Readable());
        EXPECT_EQ(ini.ReadString("A", "k", "dflt"), "dflt");
        EXPECT_TRUE(ini.Save());  // nothing written: nothing created
        EXPECT_FALSE(fs::exists(path));
        ini.WriteInteger("A", "k", -7);
        ini.WriteString("B", "t", "x");
        ASSERT_TRUE(ini.Save());
    }
    EXPECT_EQ(Get(), "[A]\r\nk=-7\r\n[B]\r\nt=x\r\n");
    Put("[A]\nk=1\n");
    IniFile ini(path);
    ini.WriteInteger("C", "n", 5);
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(Get(), "[A]\nk=1\n[C]\nn=5\n");
}

TEST_F(IniFileTest, FirstOccurrenceWinsAndDuplicatesStay) {
    Put("[S]\nk=1\nk=2\n[s]\nk=3\n");
    IniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1);
    ini.WriteInteger("S", "K", 9);
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(Get(), "[S]\nk=9\nk=2\n[s]\nk=3\n");
}

TEST_F(IniFileTest, TextsRoundTripThroughQuotingAndBlanks) {
    IniFile ini(path);
    const std::string texts[] = {"  leading", "trailing ", "\"quoted\"", "'single'", "a=b=c", "\xCA\xEE\xF2", ""};
    for (int i = 0; i < 7; ++i) ini.WriteString("T", "k" + std::to_string(i), texts[i]);
    ini.WriteString("T", "lines", "one\r\ntwo");
    ASSERT_TRUE(ini.Save());
    IniFile back(path);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(back.ReadString("T", "k" + std::to_string(i), "?"), texts[i]) << i;
    EXPECT_EQ(back.ReadString("T", "lines", "?"), "one  two");  // a value never splits the line
    EXPECT_EQ(back.Keys("T").size(), 8u);
    // Values other programs wrote: blanks trimmed, one pair of quotes removed.
    Put("[T]\na=  spaced  \nb=\"in quotes\"\nc=\"unbalanced\n");
    IniFile other(path);
    EXPECT_EQ(other.ReadString("T", "a", ""), "spaced");
    EXPECT_EQ(other.ReadString("T", "b", ""), "in quotes");
    EXPECT_EQ(other.ReadString("T", "c", ""), "\"unbalanced");
}

TEST_F(IniFileTest, IntegersThatAreNotIntegersGiveTheDefault) {
    Put("[N]\na= -5 \nb=12abc\nc=\nd=4294967295\ne=4294967296\nf=-2147483648\ng=+3\nh=0x10\ni=-\n");
    IniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("N", "a", 99), -5);
    EXPECT_EQ(ini.ReadInteger("N", "b", 99), 99);
    EXPECT_EQ(ini.ReadInteger("N", "c", 99), 99);
    EXPECT_EQ(ini.ReadInteger("N", "d", 99), -1);  // unsigned 32-bit form wraps
    EXPECT_EQ(ini.ReadInteger("N", "e", 99), 99);
    EXPECT_EQ(ini.ReadInteger("N", "f", 99), INT32_MIN);
    EXPECT_EQ(ini.ReadInteger("N", "g", 99), 3);
    EXPECT_EQ(ini.ReadInteger("N", "h", 99), 99);
    EXPECT_EQ(ini.ReadInteger("N", "i", 99), 99);
    EXPECT_EQ(ini.ReadInteger("N", "missing", 99), 99);
}

TEST_F(IniFileTest, UnchangedFileKeepsItsBytesAndTime) {
    Put("[A]\r\nk=5\r\n");
    struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    IniFile ini(path);
    ini.WriteInteger("A", "k", 5);  // the same value
    EXPECT_FALSE(ini.Modified());
    ASSERT_TRUE(ini.Save());
    struct stat st{};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(Get(), "[A]\r\nk=5\r\n");
}

TEST_F(IniFileTest, KeepsPermissionsAndWritesThroughALink) {
    Put("[A]\nk=1\n");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    const std::string link = dir + "/link.ini";
    fs::create_symlink(path, link);
    IniFile ini(link);
    ini.WriteInteger("A", "k", 2);
    ASSERT_TRUE(ini.Save());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Get(), "[A]\nk=2\n");
    struct stat st{};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(IniFileTest, AFileThatCannotBeReadIsNeverWritten) {
    fs::create_directory(path);  // a folder where the file should be
    fs::create_directory(path + "/inside");
    IniFile ini(path);
    EXPECT_FALSE(ini.Readable());
    EXPECT_EQ(ini.ReadInteger("A", "k", 3), 3);
    ini.WriteInteger("A", "k", 4);
    EXPECT_FALSE(ini.Save());
    EXPECT_TRUE(fs::is_directory(path + "/inside"));
    EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(IniFileTest, BinaryJunkIsKeptByteForByte) {
    std::string junk;
    for (int i = 0; i < 300; ++i) junk += char((i * 37 + 11) & 0xFF);
    junk += std::string("\0[A]\0k=1", 8);
    Put(junk);
    IniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("A", "k", 42), 42);
    ini.WriteInteger("A", "k", 7);
    ASSERT_TRUE(ini.Save());
    const std::string after = Get();
    ASSERT_GT(after.size(), junk.size());
    EXPECT_EQ(after.substr(0, junk.size()), junk);
    EXPECT_EQ(IniFile(path).ReadInteger("A", "k", 0), 7);
}

}  // namespace
}  // namespace zul
