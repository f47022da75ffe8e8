// Configuration records and files: the defaults, the layout, password scrambling,
// every refusal of a file, saving under the proposed name, and the check that runs
// before a restore.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "core/support/FakeUi.h"
#include "tables/ConfigCheck.h"
#include "tables/ConfigFile.h"
#include "tables/ConfigRecord.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"
#include "tables/TableImage.h"

namespace zul::test {
namespace {

using Bytes = std::vector<uint8_t>;

// The areas of a record that hold no table.
struct Area {
    int offset, size;
};
constexpr Area kZeroAreas[] = {{19, 10},   {1309, 100}, {1469, 20}, {1493, 100}, {1605, 100}, {1721, 46},
                               {1775, 50}, {2145, 200}, {2365, 100}, {2545, 100}, {2725, 100}, {2905, 100},
                               {3085, 100}, {3265, 100}, {3367, 8},  {3403, 64},  {3819, 100}, {3925, 10},
                               {4035, 300}};

float FloatAt(const ConfigurationRecord& r, int offset) {
    float v;
    std::memcpy(&v, r.At(offset), 4);
    return v;
}

std::string TempFolder() {
    char tmpl[] = "/tmp/zul_cfg_XXXXXX";
    return mkdtemp(tmpl);
}

Bytes FileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

void PutFile(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

TEST(ConfigRecord, DefaultsByteForByte) {
    ConfigurationRecord r;
    r.bytes.fill(0x77);
    NewConfiguration(r);
    struct Expect {
        int offset;
        Bytes bytes;
    };
    const Expect cases[] = {
        {0, {0, 0, 73, 0, 17, 0}},                                          // origin, table 0
        {1489, {1, 11, 3, 0}},                                              // table 3
        {1593, {3, 201, 3, 10, 201, 4, 9, 1, 0, 1, 0, 1}},                  // table 6
        {1705, {1, 11, 0, 0, 150, 5, 0, 1, 0, 0, 0, 1, 0, 0, 20, 30}},      // table 14
        {1767, {1, 11, 0, 0, 150, 5, 1, 0}},                                // table 15
        {3919, {1, 11, 5, 20, 3, 2}},                                       // table 9
        {1825, {1, 2, 163, 1, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}},
        {1845, {2, 0, 0, 0, ' '}},                                          // entry 1
        {2125, {16, 0, 0, 0, ' '}},                                         // entry 15
        {2345, {0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 0}},                 // table 21
        {3365, {1, 0}},                                                     // table 28
        {3467, {' ', ' ', ' ', ' ', 0, 0, ' '}},                            // table 4, entry 0
        {3467 + 22 * 15 + 17, {' ', ' ', ' ', ' ', ' '}},                   // entry 15, bytes 17..21
        {3375, Bytes(28, 0)},                                               // table 29
        {3935, Bytes(100, 0)},                                              // tables 43, 44
        {29 + 59, {0x59, 0x1B, 4, 0, 0}},                                   // table 1 record 0: 7001
        {29 + 64 * 12 + 50, {7, 0, 0, 0, 0, 0, 0, 0xC8, 0x42, 0x65, 0x1B, 4, 6, 0}},
    };
    for (const Expect& e : cases)
        EXPECT_EQ(Bytes(r.At(e.offset), r.At(e.offset) + e.bytes.size()), e.bytes) << "offset " << e.offset;
    for (const Area& a : kZeroAreas)
        EXPECT_EQ(Bytes(r.At(a.offset), r.At(a.offset + a.size)), Bytes(size_t(a.size), 0)) << "zero area " << a.offset;

    struct Limit {
        int table, field;
        float value;
    };
    const Limit limits[] = {{22, 0, 0.01f}, {22, 19, 0.0001f}, {23, 8, 95}, {24, 17, 350},
                            {25, 7, 0},     {25, 19, 0.425f},  {26, 12, 1.05f}, {26, 19, 0.85f}};
    for (const Limit& l : limits)
        EXPECT_EQ(FloatAt(r, 2465 + 180 * (l.table - 22) + 4 * l.field), l.value) << l.table << "." << l.field;

    EXPECT_EQ(Cp1251ToUtf8(std::string(reinterpret_cast<const char*>(r.At(1409)), 17)), "Контроллер ЗУЛ_17");
    EXPECT_EQ(Cp1251ToUtf8(std::string(reinterpret_cast<const char*>(r.At(1429)), 7)), "Нитка 1");
    EXPECT_EQ(r.bytes[1409 + 17], 0);
    // Record 15's name has a Latin "e" in its third word.
    const std::string name15 = Cp1251ToUtf8(std::string(reinterpret_cast<const char*>(r.At(29 + 64 * 15)), 25));
    EXPECT_EQ(name15, "Сумма МД вс" "e" "х компонентов");
    EXPECT_EQ(Cp1251ToUtf8(std::string(reinterpret_cast<const char*>(r.At(29 + 64 * 15 + 40)), 8)), "Сумма МД");
}

TEST(ConfigRecord, ImageCopiedToItsOffsetsAndBack) {
    TableImage image;
    for (int i = 0; i < TableImage::Size(); ++i) image.Bytes()[i] = uint8_t(i * 7 + 3);
    ConfigurationRecord r;
    NewConfiguration(r);
    ConfigurationFromImage(r, image);
    EXPECT_EQ(r.bytes[0], 1);
    for (const Area& a : kZeroAreas)
        EXPECT_EQ(Bytes(r.At(a.offset), r.At(a.offset + a.size)), Bytes(size_t(a.size), 0)) << "zero area " << a.offset;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(r.bytes[size_t(1825 + 20 * i)], image.Byte(18, i));
        EXPECT_EQ(r.bytes[size_t(1826 + 20 * i)], image.Byte(17, i));
        EXPECT_EQ(r.bytes[size_t(1827 + 20 * i)], image.Byte(19, i));
        EXPECT_EQ(r.bytes[size_t(1828 + 20 * i)], image.Byte(20, i));
        EXPECT_EQ(Bytes(r.At(1829 + 20 * i), r.At(1845 + 20 * i)), Bytes(16, ' '));
    }
    // Every configuration table goes back into an empty image unchanged, but the
    // passwords, which are never read.
    TableImage back;
    for (uint8_t t : kConfigurationTables) {
        if (t == 2) {
            EXPECT_FALSE(CopyTableToImage(r, t, back));
            continue;
        }
        ASSERT_TRUE(CopyTableToImage(r, t, back)) << int(t);
        const Bytes want = t == 13 ? Bytes(256, ' ') : Bytes(image.Data(t), image.Data(t) + Table(t).Bytes());
        EXPECT_EQ(Bytes(back.Data(t), back.Data(t) + Table(t).Bytes()), want) << "table " << int(t);
    }
}

TEST(ConfigRecord, PasswordScrambling) {
    const std::pair<uint8_t, uint8_t> cases[] = {{0x20, 0xE4}, {0x00, 0x04}, {0x04, 0x00}, {0xFF, 0x05},
                                                 {0x05, 0xFF}, {'A', 0xC3},  {0x84, 0x80}};
    for (auto [plain, stored] : cases) {
        EXPECT_EQ(ScramblePasswordByte(plain), stored) << int(plain);
        EXPECT_EQ(UnscramblePasswordByte(stored), plain) << int(stored);
    }
}

TEST(ConfigRecord, ProposedName) {
    ConfigurationRecord r;
    NewConfiguration(r);
    const uint8_t when[6] = {24, 3, 5, 14, 7, 41};
    EXPECT_EQ(ProposedConfigurationName(r, FromPacked(when)), "zul_17-Контроллер ЗУЛ_17-2403051407.cnf");
    // Blanks around the name go, a separator inside it cannot make a folder.
    std::memcpy(r.At(1409), "  A/B               ", 20);
    EXPECT_EQ(ProposedConfigurationName(r, FromPacked(when)), "zul_17-A_B-2403051407.cnf");
}

struct FileCase {
    const char* what;
    size_t size;
    int byte2, byte4;
    int kind;
    const char* line1;
    const char* line2;
};

TEST(ConfigFile, RefusalsLeaveTheRecordAlone) {
    const std::string dir = TempFolder();
    const FileCase cases[] = {
        {"one byte more", 4336, 73, 17, kMsgPlain, "Файл f.cnf не является файлом конфигурации",
         "контроллера ЗУЛ_QRT_510"},
        {"one byte less", 4334, 73, 17, kMsgPlain, "Файл f.cnf не является файлом конфигурации",
         "контроллера ЗУЛ_QRT_510"},
        {"empty", 0, 0, 0, kMsgPlain, "Файл f.cnf не является файлом конфигурации", "контроллера ЗУЛ_QRT_510"},
        {"other type", 4335, 72, 17, kMsgPlain, "Файл f.cnf не является файлом конфигурации", "контроллера ЗУЛ"},
        {"version 14", 4335, 73, 14, kMsgPlain, "Файл параметров конфигурации f.cnf подготовлен",
         "для контроллера ЗУЛ с версией ПО 14"},
        {"missing", SIZE_MAX, 0, 0, kMsgError, "Ошибка открытия файла", ""},
    };
    for (const FileCase& c : cases) {
        const std::string path = dir + "/f.cnf";
        ::unlink(path.c_str());
        if (c.size != SIZE_MAX) {
            Bytes b(c.size, 0);
            if (c.size > 4) b[2] = uint8_t(c.byte2), b[4] = uint8_t(c.byte4);
            PutFile(path, b);
        }
        ConfigurationRecord r, untouched;
        r.bytes.fill(0x5A);
        untouched.bytes.fill(0x5A);
        FakeUi ui;
        ui.files = {path};
        EXPECT_FALSE(LoadConfigurationFile(r, ui, dir + "/")) << c.what;
        ASSERT_EQ(ui.shown.size(), 1u) << c.what;
        EXPECT_EQ(ui.shown[0].kind, c.kind) << c.what;
        EXPECT_EQ(ui.shown[0].line1, c.line1) << c.what;
        EXPECT_EQ(ui.shown[0].line2, c.line2) << c.what;
        EXPECT_EQ(r.bytes, untouched.bytes) << c.what;
        ASSERT_EQ(ui.dialogs.size(), 1u);
        EXPECT_EQ(ui.dialogs[0].title, "Выбор файла с параметрами конфигурации");
    }
    // A cancelled dialog reads nothing and says nothing.
    ConfigurationRecord r;
    FakeUi ui;
    EXPECT_FALSE(LoadConfigurationFile(r, ui, dir));
    EXPECT_TRUE(ui.shown.empty());
}

TEST(ConfigFile, SavedAndLoadedBack) {
    const std::string dir = TempFolder();
    ConfigurationRecord r;
    NewConfiguration(r);
    std::memcpy(r.FlowEntry(2) + kCfgPasswordOffset, "secret-password!", 16);
    const uint8_t when[6] = {24, 3, 5, 14, 7, 0};
    const std::string proposed = dir + "/zul_17-Контроллер ЗУЛ_17-2403051407.cnf";
    FakeUi ui;
    ui.files = {proposed};
    ASSERT_TRUE(SaveConfigurationFile(r, ui, dir, FromPacked(when)));
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].title, "Выбор файла для записи параметров конфигурации");
    EXPECT_EQ(ui.dialogs[0].proposed, proposed);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].line1, "Параметры конфигурации");
    EXPECT_EQ(ui.shown[0].line2, "сохранены в файле zul_17-Контроллер ЗУЛ_17-2403051407.cnf");

    // On disk: 4335 bytes, the passwords scrambled, the rest as in memory.
    const Bytes disk = FileBytes(proposed);
    ASSERT_EQ(disk.size(), 4335u);
    EXPECT_EQ(disk[1825 + 20 * 2 + 4], uint8_t(4 - 's'));
    EXPECT_EQ(disk[1825 + 20 * 5 + 4], 0xE4);  // a blank
    EXPECT_EQ(disk[1409], r.bytes[1409]);
    EXPECT_EQ(Bytes(r.At(1829 + 40), r.At(1845 + 40)), Bytes(std::begin("secret-password!"), std::end("secret-password!") - 1));

    ConfigurationRecord back;
    FakeUi ui2;
    ui2.files = {proposed};
    ASSERT_TRUE(LoadConfigurationFile(back, ui2, dir));
    EXPECT_TRUE(ui2.shown.empty());
    EXPECT_EQ(back, r);
}

struct SaveCase {
    const char* what;
    std::vector<std::string> choices;  // relative to the folder; "" cancels
    bool otherExists;
    std::deque<bool> answers;
    const char* written;               // nullptr: nothing written
    int questions;
};

TEST(ConfigFile, SaveDialogRules) {
    const uint8_t when[6] = {24, 3, 5, 14, 7, 0};
    const char* proposed = "zul_17-Контроллер ЗУЛ_17-2403051407.cnf";
    const SaveCase cases[] = {
        {"the proposed name", {proposed}, false, {}, proposed, 0},
        {"the proposed name, existing", {proposed}, true, {}, proposed, 0},
        {"cancelled", {""}, false, {}, nullptr, 0},
        {"another name gets the extension", {"site"}, false, {}, "site.cnf", 0},
        {"an existing file replaced on yes", {"site"}, true, {true}, "site.cnf", 1},
        {"no returns to the dialog", {"site.cnf", "other.cnf"}, true, {false}, "other.cnf", 1},
        {"no, then cancelled", {"site.cnf", ""}, true, {false}, nullptr, 1},
        {"a name with its own extension", {"site.bak"}, false, {}, "site.bak", 0},
    };
    for (const SaveCase& c : cases) {
        const std::string dir = TempFolder();
        ConfigurationRecord r;
        NewConfiguration(r);
        const Bytes old(10, 'x');
        if (c.otherExists) {
            PutFile(dir + "/site.cnf", old);
            PutFile(dir + "/" + proposed, old);
        }
        FakeUi ui;
        for (const std::string& f : c.choices) ui.files.push_back(f.empty() ? f : dir + "/" + f);
        ui.answers = c.answers;
        EXPECT_EQ(SaveConfigurationFile(r, ui, dir, FromPacked(when)), c.written != nullptr) << c.what;
        int questions = 0;
        for (const ShownMessage& m : ui.shown)
            if (m.kind == kMsgQuestion) {
                ++questions;
                EXPECT_EQ(m.line1, "Файл site.cnf уже есть.") << c.what;
                EXPECT_EQ(m.line2, "Вы хотите заменить существующий файл?");
            }
        EXPECT_EQ(questions, c.questions) << c.what;
        if (c.written) EXPECT_EQ(FileBytes(dir + "/" + c.written).size(), 4335u) << c.what;
        if (c.otherExists && (!c.written || std::string(c.written) != "site.cnf"))
            EXPECT_EQ(FileBytes(dir + "/site.cnf"), old) << c.what;
    }
}

TEST(ConfigFile, UnwritableFolderIsReported) {
    ConfigurationRecord r;
    NewConfiguration(r);
    FakeUi ui;
    EXPECT_FALSE(WriteConfigurationFile("/nonexistent-folder/x.cnf", r, ui, true));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].kind, kMsgError);
    EXPECT_EQ(ui.shown[0].line1, "Ошибка открытия файла");
}

// A record that passes: the defaults and one commissioning engineer.
ConfigurationRecord ValidRecord() {
    ConfigurationRecord r;
    NewConfiguration(r);
    uint8_t* e = r.TableAt(4);
    std::memcpy(e, "NAL ", 4);
    e[4] = 1;
    std::memcpy(e + 18, "1111", 4);
    return r;
}

void AddUser(ConfigurationRecord& r, int slot, const char* name, uint8_t level, const char* code) {
    uint8_t* e = r.TableAt(4) + 22 * slot;
    std::memcpy(e, name, 4);
    e[4] = level;
    std::memcpy(e + 18, code, 4);
}

struct CheckCase {
    const char* what;
    std::function<void(ConfigurationRecord&)> change;
    bool withAccessTable;
    const char* line1;  // nullptr: passes
    const char* line2;
};

TEST(ConfigCheck, RulesInOrder) {
    const CheckCase cases[] = {
        {"defaults and one maker", [](ConfigurationRecord&) {}, true, nullptr, ""},
        {"chromatograph present without address", [](ConfigurationRecord& r) { r.TableAt(14)[0] = 0; }, true,
         "Неверно задан адрес хроматографа", ""},
        {"chromatograph absent without address",
         [](ConfigurationRecord& r) { r.TableAt(14)[0] = 0, r.TableAt(6)[7] = 0; }, true, nullptr, ""},
        {"moisture meter present without address",
         [](ConfigurationRecord& r) { r.TableAt(6)[8] = 1, r.TableAt(15)[0] = 0; }, true,
         "Неверно задан адрес влагомера", ""},
        {"both missing: the chromatograph first",
         [](ConfigurationRecord& r) { r.TableAt(6)[8] = 1, r.TableAt(15)[0] = 0, r.TableAt(14)[0] = 0; }, true,
         "Неверно задан адрес хроматографа", ""},
        {"third of three flow computers without address",
         [](ConfigurationRecord& r) { r.TableAt(9)[0] = 3, r.FlowEntry(2)[0] = 0; }, true,
         "Неверно заданы адреса вычислителей РГ", ""},
        {"fourth, not connected, without address",
         [](ConfigurationRecord& r) { r.TableAt(9)[0] = 3, r.FlowEntry(3)[0] = 0; }, true, nullptr, ""},
        {"flow computers absent",
         [](ConfigurationRecord& r) { r.TableAt(9)[0] = 3, r.FlowEntry(2)[0] = 0, r.TableAt(6)[9] = 0; }, true,
         nullptr, ""},
        {"more flow computers than a table holds", [](ConfigurationRecord& r) { r.TableAt(9)[0] = 17; }, true,
         "Неверно заданы адреса вычислителей РГ", ""},
        {"sixteen flow computers",
         [](ConfigurationRecord& r) { r.TableAt(9)[0] = 16; }, true, nullptr, ""},
        // The user-entry rules, only when table 4 is to be written.
        {"no maker", [](ConfigurationRecord& r) { r.TableAt(4)[4] = 3; }, true,
         "В списке зарегистрированных пользователей", "не зарегистрирован производитель-наладчик"},
        {"no maker, table 4 not written", [](ConfigurationRecord& r) { r.TableAt(4)[4] = 3; }, false, nullptr, ""},
        {"a second maker", [](ConfigurationRecord& r) { AddUser(r, 6, "SEC ", 1, "2222"); }, true,
         "Может быть зарегистрирован", "только один производитель-наладчик"},
        {"a user without a code", [](ConfigurationRecord& r) { AddUser(r, 2, "OPR ", 4, "    "); }, true,
         "Номер пользователя в таблице: 3.", "Не задан код идентификации пользователя"},
        {"entries 2 and 5 with one name",
         [](ConfigurationRecord& r) { AddUser(r, 1, "ABCD", 3, "2222"), AddUser(r, 4, "ABCD", 4, "5555"); }, true,
         "Пользователи   2 и 5.", "Совпадение имен пользователей"},
        {"a free entry with the maker's code",
         [](ConfigurationRecord& r) { AddUser(r, 9, "GONE", 0, "1111"); }, true, nullptr, ""},
    };
    for (const CheckCase& c : cases) {
        ConfigurationRecord r = ValidRecord();
        c.change(r);
        TableImage image;
        FakeUi ui;
        const bool ok = ValidateConfiguration(r, c.withAccessTable, image, ui);
        EXPECT_EQ(ok, c.line1 == nullptr) << c.what;
        if (c.line1) {
            ASSERT_EQ(ui.shown.size(), 1u) << c.what;
            EXPECT_EQ(ui.shown[0].kind, kMsgInputError);
            EXPECT_EQ(ui.shown[0].line1, c.line1) << c.what;
            EXPECT_EQ(ui.shown[0].line2, c.line2) << c.what;
        } else {
            EXPECT_TRUE(ui.shown.empty()) << c.what;
        }
    }
    // Refused for its makers, the record keeps its free entries as they were: the
    // correction that follows shows what the file holds.
    ConfigurationRecord r = ValidRecord();
    AddUser(r, 6, "SEC ", 1, "2222");
    AddUser(r, 9, "GONE", 0, "3333");
    TableImage image;
    FakeUi ui;
    EXPECT_FALSE(ValidateConfiguration(r, true, image, ui));
    EXPECT_EQ(std::memcmp(r.TableAt(4) + 22 * 9, "GONE", 4), 0);
}

TEST(ConfigCheck, ImageFilledTableByTable) {
    // A pass leaves every configuration table of the record in the image.
    ConfigurationRecord r = ValidRecord();
    for (int i = 0; i < 16; ++i) std::memset(r.FlowEntry(i) + 4, 'a' + i, 16);
    TableImage image;
    ASSERT_TRUE(CheckConfiguration(r, true, image).refused == false);
    for (uint8_t t : kConfigurationTables) {
        if (t == 2) continue;
        TableImage want;
        CopyTableToImage(r, t, want);
        EXPECT_EQ(Bytes(image.Data(t), image.Data(t) + Table(t).Bytes()),
                  Bytes(want.Data(t), want.Data(t) + Table(t).Bytes())) << "table " << int(t);
    }
    EXPECT_EQ(image.Byte(18, 1), 2);
    EXPECT_EQ(image.Byte(17, 0), 2);
    EXPECT_EQ(Bytes(image.Field(13, 3), image.Field(13, 3) + 16), Bytes(16, 'd'));

    // Refused at the moisture meter: tables up to 14 are in, 15 onwards are not.
    ConfigurationRecord bad = ValidRecord();
    bad.TableAt(6)[8] = 1;
    bad.TableAt(15)[0] = 0;
    TableImage partial;
    EXPECT_TRUE(CheckConfiguration(bad, true, partial).refused);
    EXPECT_EQ(partial.Byte(14, 0), 1);
    EXPECT_EQ(partial.Byte(6, 8), 1);
    EXPECT_EQ(partial.Byte(3, 1), 11);
    EXPECT_EQ(partial.Byte(9, 0), 0);
    EXPECT_EQ(partial.Byte(15, 1), 0);

    // Without the access table, table 4 is neither examined nor copied.
    ConfigurationRecord users = ValidRecord();
    users.TableAt(4)[4] = 0;  // no maker at all
    TableImage noAccess;
    EXPECT_FALSE(CheckConfiguration(users, false, noAccess).refused);
    EXPECT_EQ(Bytes(noAccess.Data(4), noAccess.Data(4) + 352), Bytes(352, 0));
}

TEST(ConfigCheck, FreeEntriesBlankedAndReservedCleared) {
    ConfigurationRecord r = ValidRecord();
    uint8_t* free5 = r.TableAt(4) + 22 * 5;
    std::memcpy(free5, "OLD", 3);
    std::memcpy(free5 + 6, "leftover", 8);
    std::memcpy(free5 + 18, "9999", 4);
    free5[5] = 7;
    r.TableAt(4)[5] = 3;
    TableImage image;
    ASSERT_FALSE(CheckConfiguration(r, true, image).refused);
    EXPECT_EQ(Bytes(free5, free5 + 4), Bytes(4, ' '));
    EXPECT_EQ(Bytes(free5 + 6, free5 + 22), Bytes(16, ' '));
    EXPECT_EQ(free5[5], 0);
    EXPECT_EQ(r.TableAt(4)[5], 0);
    EXPECT_EQ(Bytes(image.Data(4), image.Data(4) + 352), Bytes(r.TableAt(4), r.TableAt(4) + 352));
}

}  // namespace
}  // namespace zul::test
