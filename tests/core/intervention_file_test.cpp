// The intervention view without its window: rows decoded from the simulator's
// records, the .aud file written, read back byte by byte and opened again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "events/InterventionFile.h"
#include "link/IniFile.h"
#include "link/Qrtbox.h"
#include "sim/Qrtsim.h"
#include "sim/SimTime.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {
namespace {

std::string Temp(const std::string& name) { return ::testing::TempDir() + std::to_string(getpid()) + "_" + name; }

std::vector<uint8_t> SimRecords(uint32_t& first, size_t count) {
    sim::SimSettings s;
    s.startDateTime = sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, 12, 0, 0));
    sim::Qrtsim sim(s);
    const auto held = sim.Interventions(&first);
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < held.size() && i < count; ++i) bytes.insert(bytes.end(), held[i].begin(), held[i].end());
    return bytes;
}

ArchiveFileHeader Header(const TableImage& image, const uint8_t* first, const uint8_t* last, uint32_t count) {
    return BuildArchiveHeader(kArchAud, image, 5, PackedDateTime{26, 12, 9, 8, 0, 0}, first, last, count);
}

TEST(InterventionFile, SavedRowsReadBackAsTheGridShowedThem) {
    uint32_t first = 0;
    std::vector<uint8_t> recs = SimRecords(first, 29);
    ASSERT_EQ(recs.size(), 29u * 24);
    // A record with a bad check among them.
    recs[3 * 24 + 12] ^= 0x55;
    TableImage image;
    image.Field(14, 6)[0] = 1;
    const uint32_t n = 29;
    const ArchiveFileHeader h = Header(image, recs.data(), recs.data() + 28 * 24, n);
    const InterventionView v = InterventionViewFromRecords(0, h, recs.data(), first, image);
    EXPECT_EQ(v.RowCount(), n);
    EXPECT_EQ(v.Caption(), "Сообщения о вмешательствах оператора с индексами от " + std::to_string(first) + " до " +
                               std::to_string(first + 28));
    EXPECT_EQ(v.StatusText(), "  ***  Данные в записи недостоверны (не совпадает КС)");
    EXPECT_EQ(v.Row(3)[0], "   ***");

    // "Ср. за посл. сутки"-like texts longer than 19 bytes are cut in the file only.
    InterventionView wide = v;
    wide.rows[0][3] = "Мл. адрес -- ст. байт";  // 21 characters
    wide.rows[0][6] = "ABCDE";
    const std::string path = Temp("interv.aud");
    ASSERT_TRUE(WriteFileAtomically(path, InterventionFileBytes(wide)));
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), 905u + n * 205u);
    EXPECT_EQ(bytes.substr(0, 3), "AUD");
    const char* row0 = bytes.data() + 905;
    EXPECT_EQ(std::string(row0 + 140, 20), Utf8ToCp1251("Мл. адрес -- ст. ба") + std::string(1, '\0'));
    EXPECT_EQ(std::string(row0 + 200, 5), std::string("ABCD") + '\0');
    const char* row3 = bytes.data() + 905 + 3 * 205;
    EXPECT_EQ(std::string(row3, 20), std::string("   ***") + std::string(14, '\0'));
    EXPECT_EQ(std::string(row3 + 20, 185), std::string(185, '\0'));

    InterventionView back;
    ASSERT_EQ(ReadInterventionFile(path, image, back), ArchiveFileStatus::kOk);
    EXPECT_EQ(back.mode, 2);
    EXPECT_EQ(back.RowCount(), n);
    EXPECT_EQ(back.Caption().rfind("Сообщения о вмешательствах оператора за период с ", 0), 0u);
    EXPECT_EQ(back.StatusText(), "");
    // Every cell as the grid showed it, cut where its field is shorter (the byte
    // order texts of the setting-up are 21 characters long).
    int cut = 0;
    for (uint32_t i = 1; i < n; ++i) {
        for (int c = 0; c < kEventColumns; ++c) {
            const std::string shown = Utf8ToCp1251(v.Row(i)[size_t(c)]);
            const size_t room = size_t(kInterventionFields[c].width - 1);
            cut += shown.size() > room;
            EXPECT_EQ(back.Row(i)[size_t(c)], Cp1251ToUtf8(shown.substr(0, room))) << i << " " << c;
        }
    }
    EXPECT_GE(cut, 1);
    EXPECT_EQ(back.Row(0)[3], "Мл. адрес -- ст. ба");
    EXPECT_EQ(back.Row(0)[6], "ABCD");
    EXPECT_EQ(InterventionShowText(back).substr(0, back.Caption().size() + 1), back.Caption() + "\n");
    unlink(path.c_str());
}

TEST(InterventionFile, PresetNamesRefusalsAndShortFiles) {
    TableImage image;
    const uint8_t firstMoment[6] = {21, 3, 3, 10, 0, 0}, lastMoment[6] = {21, 3, 4, 10, 0, 0};
    InterventionView v;
    v.header = Header(image, firstMoment, lastMoment, 3);
    std::memcpy(v.firstDate, firstMoment, 3);
    v.rows.resize(3);
    EXPECT_EQ(InterventionPresetName("/x/AUDFILES", v), "/x/AUDFILES/zul17_005_210303.aud");

    const std::string path = Temp("short.aud");
    std::string bytes = InterventionFileBytes(v);
    struct {
        const char* what;
        size_t keep;
        uint8_t chromType;
        size_t patchAt;
        char patch;
        ArchiveFileStatus status;
        uint32_t rows;
    } const cases[] = {
        {"whole", bytes.size(), 0, 0, 'A', ArchiveFileStatus::kOk, 3},
        {"one row short", bytes.size() - 205, 1, 0, 'A', ArchiveFileStatus::kOk, 2},
        {"half a row short", bytes.size() - 100, 0, 0, 'A', ArchiveFileStatus::kOk, 2},
        {"a diagnostic file", bytes.size(), 0, 1, 'L', ArchiveFileStatus::kRefused, 0},
        {"another designation", bytes.size(), 0, 45, 18, ArchiveFileStatus::kRefused, 0},
        {"chromatograph type 2 held", bytes.size(), 2, 0, 'A', ArchiveFileStatus::kRefused, 0},
        {"header cut", 900, 0, 0, 'A', ArchiveFileStatus::kRefused, 0},
    };
    for (const auto& c : cases) {
        std::string b = bytes.substr(0, c.keep);
        if (c.patchAt < b.size()) b[c.patchAt] = c.patch;
        ASSERT_TRUE(WriteFileAtomically(path, b));
        image.Field(14, 6)[0] = c.chromType;
        InterventionView r;
        EXPECT_EQ(ReadInterventionFile(path, image, r), c.status) << c.what;
        if (c.status != ArchiveFileStatus::kOk) continue;
        EXPECT_EQ(r.rows.size(), c.rows) << c.what;
        EXPECT_EQ(r.RowCount(), 3u) << c.what;
        EXPECT_EQ(r.StatusText().empty(), c.rows == 3) << c.what;
        EXPECT_EQ(InterventionPresetName("/a", r), "/a/zul17_005_210303.aud");
    }
    unlink(path.c_str());
    InterventionView none;
    EXPECT_EQ(ReadInterventionFile(Temp("missing.aud"), image, none), ArchiveFileStatus::kCannotOpen);
}

}  // namespace
}  // namespace zul
