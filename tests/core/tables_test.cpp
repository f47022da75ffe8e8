// The table catalogue, the image layout and the code pages of table 5.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {
namespace {

TEST(Catalogue, OffsetsFollowTheTablesWithoutGaps) {
    const std::pair<int, int> offsets[] = {{0, 0}, {1, 18}, {2, 1298}, {4, 1310}, {5, 1662}, {7, 1734},
                                           {9, 1779}, {13, 1809}, {15, 2081}, {22, 2191}, {27, 2591},
                                           {29, 2611}, {30, 2639}, {32, 2727}, {37, 2781}, {40, 2809},
                                           {41, 2815}, {42, 2819}, {43, 2825}, {44, 2845}};
    for (auto [t, off] : offsets) EXPECT_EQ(Table(t).offset, off) << "table " << t;
    int total = 0, config = 0;
    for (int t = 0; t < kTableCount; ++t) {
        total += Table(t).Bytes();
        config += Table(t).isConfiguration;
    }
    EXPECT_EQ(total, kTableImageSize);
    EXPECT_EQ(config, 24);
    for (uint8_t t : kConfigurationTables) EXPECT_TRUE(Table(t).isConfiguration) << int(t);
    for (int t : {8, 31, 36, 38, 39}) {
        EXPECT_EQ(Table(t).fieldCount, 0);
        EXPECT_EQ(Table(t).offset, -1);
    }
    EXPECT_STREQ(Table(36).name, " Скользящие средние значения данных нитки 1 хроматографа и влагомера");
    EXPECT_STREQ(Table(15).name, "Параметры связи с влагомером по MODBUS прот.");
    EXPECT_STREQ(Table(33).name, " Наличие связи с  хроматографом");
    EXPECT_EQ(Table(45).fieldCount, 0);
    EXPECT_EQ(Table(-1).fieldCount, 0);

    TableImage image;
    EXPECT_EQ(image.Field(22, 3) - image.Bytes(), 2203);
    EXPECT_EQ(image.Field(22, 20), nullptr);
    EXPECT_EQ(image.Data(8), nullptr);
    EXPECT_EQ(image.Field(44, 19) + 4 - image.Bytes(), kTableImageSize);
}

TEST(Catalogue, NameListsAndSpeedCodes) {
    EXPECT_STREQ(kUnits1[2], "°С");  // Cyrillic С
    EXPECT_STREQ(kUnits1[4], "A");   // Latin A
    EXPECT_STREQ(kUnits1[36], "°C/(кгс/см2)");
    EXPECT_STREQ(kUnits2[8], "°C");  // Latin C
    EXPECT_STREQ(kMonthNames[12], "Декабрь");
    EXPECT_STREQ(kWeekDayNames[1], "Воскресенье");
    EXPECT_EQ(SpeedFromCode(11), 9600);
    EXPECT_EQ(SpeedFromCode(21), 230400);
    EXPECT_EQ(SpeedFromCode(22), -1);
    EXPECT_EQ(CodeFromSpeed(5760), 7);
    EXPECT_EQ(CodeFromSpeed(1000), -1);
}

// glibc's converters as the independent reference.
std::string Iconv(const char* from, const char* to, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return "<no converter>";
    std::string out(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size(), dstLeft = out.size();
    char* dst = out.data();
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == size_t(-1)) return "<unconvertible>";
    out.resize(out.size() - dstLeft);
    return out;
}

TEST(CodePages, EveryLetterAndSharedSignRoundTrips) {
    // Letters, Ё ё Є є Ї ї Ў ў ° № ¤ · exist in both code pages.
    std::string shared;
    for (int b = 0xC0; b <= 0xFF; ++b) shared += char(b);
    for (int b : {0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2, 0xB0, 0xB9, 0xA4, 0xB7}) shared += char(b);
    std::string bytes = shared;
    ToControllerCodePage(reinterpret_cast<uint8_t*>(bytes.data()), uint8_t(bytes.size()));
    EXPECT_EQ(bytes, Iconv("CP1251", "CP866", shared));
    FromControllerCodePage(reinterpret_cast<uint8_t*>(bytes.data()), uint8_t(bytes.size()));
    EXPECT_EQ(bytes, shared);

    uint8_t yo = 0xA8;  // Ё
    ToControllerCodePage(&yo, 1);
    EXPECT_EQ(yo, 0xF0);
    FromControllerCodePage(&yo, 1);
    EXPECT_EQ(yo, 0xA8);
}

TEST(CodePages, LookAlikesAndCharactersWithoutCounterpart) {
    const std::pair<uint8_t, uint8_t> to866[] = {
        {0x95, 0xF9}, {0xA6, '|'}, {0xA7, 0x15}, {0xA9, 'c'}, {0xAB, 0x11}, {0xAC, '-'}, {0xAD, '-'},
        {0xAE, 'r'},  {0xB2, 'I'}, {0xB3, 'i'},  {0xB6, 0x14}, {0xBB, 0x10}, {0xA0, '_'}, {0x80, '_'},
        {0x88, '_'},  {0x41, 0x41}, {0x0F, 0x0F}};
    for (auto [in, out] : to866) {
        uint8_t b = in;
        ToControllerCodePage(&b, 1);
        EXPECT_EQ(b, out) << std::hex << int(in);
    }
    const std::pair<uint8_t, uint8_t> from866[] = {
        {0x0F, 0xA4}, {0x14, 0xB6}, {0x15, 0xA7}, {0xF9, 0x95}, {0xB3, 0xA6}, {0xCC, 0xA6}, {0xC4, '-'},
        {0xD2, '-'},  {0xDA, '+'},  {0xC5, '+'},  {0xB0, '_'},  {0xDB, '_'},  {0xFB, '_'},  {0xFE, '_'},
        {0xFF, '_'},  {0x41, 0x41}, {0x10, 0x10}};
    for (auto [in, out] : from866) {
        uint8_t b = in;
        FromControllerCodePage(&b, 1);
        EXPECT_EQ(b, out) << std::hex << int(in);
    }
    // The whole box-drawing block ends up as one of the three pieces.
    for (int b = 0xB3; b <= 0xDA; ++b) {
        uint8_t c = uint8_t(b);
        FromControllerCodePage(&c, 1);
        EXPECT_TRUE(c == 0xA6 || c == '-' || c == '+') << std::hex << b;
    }
    // Length counts bytes: the byte after the run is untouched.
    uint8_t two[3] = {0xC0, 0xC0, 0xC0};
    EXPECT_EQ(ToControllerCodePage(two, 2), 2);
    EXPECT_EQ(two[2], 0xC0);
}

TEST(CodePages, DisplayConversionMatchesTheReference) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != 0x98) all += char(b);
    const std::string utf8 = Cp1251ToUtf8(all);
    EXPECT_EQ(utf8, Iconv("CP1251", "UTF-8", all));
    EXPECT_EQ(Utf8ToCp1251(utf8), all);
    EXPECT_EQ(Utf8ToCp1251("Контроллер №1 ✓"), Iconv("UTF-8", "CP1251", "Контроллер №1 ") + "?");
    EXPECT_EQ(Utf8ToCp1251(std::string("\xD0", 1)), "?");  // a cut sequence
}

TEST(CodePages, TableFiveNamesFollowTableZeroField12) {
    TableImage image;
    uint8_t* names = image.Data(5);
    const std::string text = Utf8ToCp1251("Узел учёта");
    std::copy(text.begin(), text.end(), names);
    image.Field(0, 12)[0] = 1;  // the controller works in 1251: nothing changes
    image.NamesToController();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(names), text.size()), text);
    image.Field(0, 12)[0] = 0;  // code page 866
    image.NamesToController();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(names), text.size()), Iconv("CP1251", "CP866", text));
    image.NamesFromController();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(names), text.size()), text);
}

}  // namespace
}  // namespace zul
