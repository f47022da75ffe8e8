// The archive file header: what Build writes for every kind, the slot/trailer
// boundary, and which headers the viewers accept; files written and read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "tables/ArchiveFile.h"
#include "tables/ArchiveHeader.h"
#include "tables/TableImage.h"

namespace zul::test {
namespace {

TableImage SampleImage(int parameters) {
    TableImage im;
    std::memcpy(im.Field(5, 0), "Controller name 20ch", 20);   // all 20 bytes used
    std::memcpy(im.Field(5, 1), "Line one", 8);
    *im.Field(14, 6) = 1;
    *im.Field(14, 14) = uint8_t(parameters);
    *im.Field(15, 6) = 2;
    for (int i = 0; i < 20; ++i) {
        uint8_t* f = im.Field(1, i);
        std::snprintf(reinterpret_cast<char*>(f + 40), 11, "Param%05d", i);  // exactly 10 characters
        f[50] = uint8_t(i % 12);
        f[61] = uint8_t(i % 6);
    }
    std::memcpy(im.Field(40, 0), "\x01\x02\x03\x04\x05\x06", 6);
    return im;
}

struct KindCase {
    ArchiveKind kind;
    const char* magic;
    uint8_t source;
    bool lineName;
    int periodBytes;
};

class HeaderKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(HeaderKinds, BuildFillsEveryField) {
    const KindCase k = GetParam();
    const TableImage im = SampleImage(20);
    const PackedDateTime built{26, 12, 9, 12, 30, 45};
    const uint8_t start[6] = {26, 11, 1, 7, 8, 9}, end[6] = {26, 11, 30, 10, 11, 12};
    const ArchiveFileHeader h = BuildArchiveHeader(k.kind, im, 5, built, start, end, 1234567);
    const uint8_t* b = h.bytes.data();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b), 3), k.magic);
    EXPECT_EQ(b[3], k.source);
    EXPECT_EQ(0, std::memcmp(b + 4, "Controller name 20ch", 20));
    for (int i = 24; i < 44; ++i) {
        const uint8_t line = i < 32 ? uint8_t("Line one"[i - 24]) : 0;
        EXPECT_EQ(b[i], k.lineName ? line : 0) << i;
    }
    EXPECT_EQ(b[44], 5);
    EXPECT_EQ(b[45], 17);
    EXPECT_EQ(b[46], 1);
    EXPECT_EQ(b[47], 2);
    EXPECT_EQ(b[52], 20);
    // Slot 19 starts at 858: name, zero, unit, decimals; its tail stays zero up to the trailer.
    EXPECT_EQ(0, std::memcmp(b + 858, "Param00019", 10));
    EXPECT_EQ(b[868], 0);
    EXPECT_EQ(b[869], 19 % 12);
    EXPECT_EQ(b[870], 19 % 6);
    EXPECT_EQ(b[871], 0);
    EXPECT_EQ(b[872], 0);
    EXPECT_EQ(0, std::memcmp(b + 873, built.data(), 6));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(b[879 + i], i < k.periodBytes ? start[i] : 0) << i;
        EXPECT_EQ(b[885 + i], i < k.periodBytes ? end[i] : 0) << i;
    }
    EXPECT_EQ(h.RecordCount(), 1234567u);
    EXPECT_EQ(b[891], 1234567 & 0xFF);
    EXPECT_EQ(0, std::memcmp(b + 895, "\x01\x02\x03\x04\x05\x06", 6));
    for (int i = 901; i < 905; ++i) EXPECT_EQ(b[i], 0);
    for (int i = 48; i < 52; ++i) EXPECT_EQ(b[i], 0);
    EXPECT_EQ(h.Slot(7).Name(), "Param00007");
    EXPECT_EQ(h.Slot(7).unitCode, 7);
    EXPECT_EQ(h.Slot(7).decimals, 1);
    EXPECT_TRUE(AcceptArchiveHeader(h, k.kind, im));
    EXPECT_STREQ(KindInfo(k.kind).magic, k.magic);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, HeaderKinds,
    ::testing::Values(KindCase{kArchAla, "ALA", 0, false, 6}, KindCase{kArchAud, "AUD", 0, false, 6},
                      KindCase{kArchMch, "MSA", 0, true, 6}, KindCase{kArchHch, "HOU", 0, true, 4},
                      KindCase{kArchDch, "DAY", 0, true, 3}, KindCase{kArchClb, "CLB", 0, false, 6},
                      KindCase{kArchMwm, "MSA", 1, true, 6}, KindCase{kArchHwm, "HOU", 1, false, 4},
                      KindCase{kArchDwm, "DAY", 1, false, 3}));

TEST(ArchiveHeader, SlotsBeyondTheCountStayZero) {
    const TableImage im = SampleImage(3);
    const ArchiveFileHeader h = BuildArchiveHeader(kArchMch, im, 1, {}, nullptr, nullptr, 0);
    EXPECT_EQ(h.ParameterCount(), 3);
    for (int i = 79 + 3 * 41; i < 873; ++i) ASSERT_EQ(h.bytes[size_t(i)], 0) << i;
}

TEST(ArchiveHeader, ParameterCountAboveTwentyIsHeldAtTwenty) {
    const TableImage im = SampleImage(200);
    const ArchiveFileHeader h = BuildArchiveHeader(kArchMch, im, 1, {26, 1, 1, 0, 0, 0}, nullptr, nullptr, 9);
    EXPECT_EQ(h.ParameterCount(), 20);
    EXPECT_EQ(h.BuiltAt()[0], 26);
    EXPECT_EQ(h.RecordCount(), 9u);
}

struct AcceptCase {
    const char* what;
    ArchiveKind built;     // the file as written
    ArchiveKind expected;  // the viewer reading it
    uint8_t byte45;
    uint8_t chromTypeNow;  // table 14 field 6 of the image held when opening
    bool accepted;
};

TEST(ArchiveHeader, Accept) {
    const AcceptCase cases[] = {
        {"same kind", kArchHch, kArchHch, 17, 0, true},
        {"chromatograph type 1 held", kArchAla, kArchAla, 17, 1, true},
        {"moisture hourly in the chromatograph viewer", kArchHwm, kArchHch, 17, 0, false},
        {"chromatograph hourly in the moisture viewer", kArchHch, kArchHwm, 17, 0, false},
        {"moisture measurement in the chromatograph viewer", kArchMwm, kArchMch, 17, 0, false},
        {"byte 45 of 16", kArchAla, kArchAla, 16, 0, false},
        {"byte 45 of 16, calibration", kArchClb, kArchClb, 16, 0, false},
        {"chromatograph type 2 held", kArchAla, kArchAla, 17, 2, false},
        {"chromatograph type 2 held, hourly", kArchDwm, kArchDwm, 17, 2, false},
        {"intervention file as diagnostics", kArchAud, kArchAla, 17, 0, false},
        {"daily as hourly", kArchDch, kArchHch, 17, 0, false},
    };
    for (const AcceptCase& c : cases) {
        TableImage im = SampleImage(4);
        ArchiveFileHeader h = BuildArchiveHeader(c.built, im, 1, {}, nullptr, nullptr, 0);
        h.bytes[45] = c.byte45;
        *im.Field(14, 6) = c.chromTypeNow;
        EXPECT_EQ(AcceptArchiveHeader(h, c.expected, im), c.accepted) << c.what;
    }
}

TEST(ArchiveHeader, EventFilesAreNotTestedOnTheSourceByte) {
    const TableImage im = SampleImage(4);
    ArchiveFileHeader h = BuildArchiveHeader(kArchAud, im, 1, {}, nullptr, nullptr, 0);
    h.bytes[3] = 1;
    EXPECT_TRUE(AcceptArchiveHeader(h, kArchAud, im));
    h = BuildArchiveHeader(kArchClb, im, 1, {}, nullptr, nullptr, 0);
    h.bytes[3] = 1;
    EXPECT_FALSE(AcceptArchiveHeader(h, kArchClb, im));
}

std::string TempPath(const char* name) {
    return std::string(::testing::TempDir()) + name;
}

void WriteRaw(const std::string& path, const ArchiveFileHeader& h, size_t bodyBytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(h.bytes.data()), long(h.bytes.size()));
    for (size_t i = 0; i < bodyBytes; ++i) f.put(char(i % 251));
}

struct FileCase {
    const char* what;
    uint32_t count;      // the header's record count
    size_t bodyBytes;    // what really follows
    ArchiveFileStatus status;
    uint32_t present;
};

TEST(ArchiveFile, ReadTakesTheRowsThatAreThere) {
    const TableImage im = SampleImage(4);
    const FileCase cases[] = {
        {"complete", 3, 900, ArchiveFileStatus::kOk, 3},
        {"longer than its count", 2, 900, ArchiveFileStatus::kOk, 2},
        {"shorter than its count", 5, 900, ArchiveFileStatus::kOk, 3},
        {"partial last row", 5, 1000, ArchiveFileStatus::kOk, 3},
        {"count near 2^32", 0xFFFFFFF0u, 600, ArchiveFileStatus::kOk, 2},
        {"count 0", 0, 0, ArchiveFileStatus::kOk, 0},
    };
    for (const FileCase& c : cases) {
        const std::string path = TempPath("rows.ala");
        ArchiveFileHeader h = BuildArchiveHeader(kArchAla, im, 1, {}, nullptr, nullptr, c.count);
        WriteRaw(path, h, c.bodyBytes);
        ArchiveFileData d;
        EXPECT_EQ(ReadArchiveFile(path, kArchAla, im, 300, d), c.status) << c.what;
        EXPECT_EQ(d.present, c.present) << c.what;
        EXPECT_EQ(d.rows.size(), size_t(c.present) * 300) << c.what;
        EXPECT_EQ(d.Short(), c.present < c.count) << c.what;
        if (c.present) {
            EXPECT_EQ(d.rows[299], uint8_t(299 % 251)) << c.what;
        }
    }
}

TEST(ArchiveFile, RefusalsAndMissingFiles) {
    const TableImage im = SampleImage(4);
    ArchiveFileData d;
    EXPECT_EQ(ReadArchiveFile(TempPath("no-such-file.ala"), kArchAla, im, 300, d), ArchiveFileStatus::kCannotOpen);
    const std::string path = TempPath("short-header.ala");
    {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f << "ALA";
    }
    EXPECT_EQ(ReadArchiveFile(path, kArchAla, im, 300, d), ArchiveFileStatus::kRefused);
    WriteRaw(path, BuildArchiveHeader(kArchAud, im, 1, {}, nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadArchiveFile(path, kArchAla, im, 300, d), ArchiveFileStatus::kRefused);
}

TEST(ArchiveFile, WrittenFileReadsBackByteForByte) {
    const TableImage im = SampleImage(4);
    const ArchiveFileHeader h = BuildArchiveHeader(kArchAla, im, 9, {26, 1, 2, 3, 4, 5}, nullptr, nullptr, 2);
    std::vector<uint8_t> rows(600);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = uint8_t(i * 7);
    const std::string path = TempPath("back.ala");
    ASSERT_TRUE(WriteArchiveFile(path, h, rows.data(), rows.size()));
    std::ifstream f(path, std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ASSERT_EQ(all.size(), 905u + 600u);
    EXPECT_EQ(0, std::memcmp(all.data(), h.bytes.data(), 905));
    EXPECT_EQ(0, std::memcmp(all.data() + 905, rows.data(), 600));
    EXPECT_FALSE(WriteArchiveFile("/nonexistent-folder/x.ala", h, rows.data(), rows.size()));
}

TEST(ArchiveFile, Names) {
    EXPECT_EQ(WithExtension("/a/b.c/zul05", ".ala"), "/a/b.c/zul05.ala");
    EXPECT_EQ(WithExtension("/a/zul05.txt", ".ala"), "/a/zul05.txt");
    EXPECT_EQ(FileNameOnly("/a/b/zul05.ala"), "zul05.ala");
}

}  // namespace
}  // namespace zul::test
