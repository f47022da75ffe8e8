// The intervention decoder: one case per rendering kind and the edge rules of the
// catalogue, checked on whole records with a sealed check.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "events/InterventionDecoder.h"
#include "link/Qrtbox.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {
namespace {

using Bytes4 = std::array<uint8_t, 4>;

Bytes4 F(float v) {
    Bytes4 b;
    std::memcpy(b.data(), &v, 4);
    return b;
}
Bytes4 B(uint8_t v) { return {v, 0, 0, 0}; }

std::array<uint8_t, 24> Record(int t, int f, int unit, Bytes4 o, Bytes4 n, const char* op = "ENG ") {
    std::array<uint8_t, 24> r{};
    const uint8_t when[6] = {21, 3, 5, 14, 7, 9};
    std::memcpy(r.data(), when, 6);
    r[7] = uint8_t(t);
    r[8] = uint8_t(f);
    r[9] = uint8_t(unit);
    std::memcpy(&r[10], o.data(), 4);
    std::memcpy(&r[14], n.data(), 4);
    std::memcpy(&r[18], op, 4);
    const uint16_t crc = Crc16(r.data(), 22);
    r[22] = uint8_t(crc);
    r[23] = uint8_t(crc >> 8);
    return r;
}

// A configuration naming parameter 3 "Метан" with 2 decimals; names of table 5 in cp1251.
TableImage Image(bool names866 = false) {
    TableImage image;
    image.Field(0, 12)[0] = names866 ? 0 : 1;
    const std::string name = Utf8ToCp1251("Метан");
    std::memcpy(image.Field(1, 3), name.data(), name.size());
    image.Field(1, 3)[61] = 2;
    image.Field(1, 7)[61] = 200;  // a damaged decimals byte
    return image;
}

struct Case {
    int t, f, unit;
    Bytes4 o, n;
    const char* caption;
    const char* oldText;
    const char* newText;
    const char* unitText;
};

const float kNan = std::numeric_limits<float>::quiet_NaN();

const Case kCases[] = {
    // Day of change: ordinal from the start, from the end, day of month, weekday 0.
    {6, 1, 0, B(0x8A), B(0xC9), "День перехода на летнее время", "2Вс", "пВс", ""},
    {6, 4, 0, B(0x0F), B(0x80), "День перехода на зимнее время", "15", "?", ""},
    {6, 4, 0, B(0xE2), B(0xBC), "День перехода на зимнее время", "ппСр", "?", ""},  // ordinal 4: none
    {6, 4, 0, B(0xE3), B(0xBB), "День перехода на зимнее время", "Ср", "3Сб", ""},  // last-but-two: no text
    {6, 0, 0, B(0), B(3), "Месяц перехода на летнее время", "Переход запрещен", "Март", ""},
    {6, 3, 0, B(12), B(13), "Месяц перехода на зимнее время", "Декабрь", "?", ""},
    {14, 6, 0, B(1), B(9), "Тип хроматографа", "QRT 510 (HDM)", "?", ""},
    // Speed: bit/s of the code, 0 outside the codes; the unit whatever byte 9 says.
    {3, 1, 3, B(5), B(30), "Скорость обмена с ВУ", "3600", "0", "бит/с"},
    {9, 1, 0, B(21), B(0), "Скорость обмена c ВРГ", "230400", "300", "бит/с"},
    {14, 12, 0, B(1), B(2), "Индекс ВРГ для чтения Тг в нитку 2 хром.", "1", "2", ""},
    {14, 13, 0, B(0), B(255), "Номер нитки ВРГ для чтения Тг в нитку 2 хром.", "0", "255", ""},
    {29, 0, 0, {1, 0, 168, 192}, {254, 255, 255, 255}, "Параметры Ethernet: Ip адрес", "192.168.0.1", "255.255.255.254", ""},
    {29, 5, 0, {0xF6, 1, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFF}, "Параметры Ethernet: Порт ЗУЛ 1", "502", "4294967295", ""},
    {29, 4, 0, {1, 0, 0, 0}, {2, 0, 0, 0}, "Параметры Ethernet: Порт ВРГ 2", "1", "2", ""},
    // Floats with the parameter's decimals, 4 past the parameters, "?" for what is no number.
    {22, 3, 5, F(1.5f), F(-0.25f), "ЗН  \"Метан\"", "1.50", "-0.25", "%"},
    {22, 20, 0, F(1.5f), F(kNan), "ЗН   ?", "1.5000", "?", ""},
    {26, 7, 0, F(0.5f), F(1099511627776.0f), "ВДП  \"\"", "0.500000000000000000", "1.099511628E+12", ""},
    {44, 3, 0, F(123456789.0f), F(-std::numeric_limits<float>::infinity()), "Константа. Нитка 1. \"Метан\"",
     "123456792.0000", "?", ""},
    {46, 3, 0, F(2.0f), F(0.0f), "Константа. Нитка 2. \"Метан\"", "2.0000", "0.0000", ""},
    // Passwords and user rights are never shown.
    {13, 4, 0, {'1', '2', '3', '4'}, {'9', '9', '9', '9'}, "Пароль на запись в ВРГ 5", "", "", ""},
    {13, 16, 0, B(1), B(2), "Пароль на запись в ВРГ № ?", "", "", ""},
    {4, 200, 0, B(1), B(2), "Параметры доступа пользователя", "", "", ""},
    // Not in the catalogue: the numbers, no values, the unit still shown.
    {10, 1, 1, B(1), B(2), "Табл. 10;  Поле 1", "", "", "МПа"},
    {1, 25, 0, B(1), B(2), " Табл. 1;  Поле 25", "", "", ""},
    {1, 4, 0, B(1), B(2), " Описание параметра хроматографа N5", "", "", ""},
    {6, 12, 0, B(1), B(2), "Табл. 6;  Поле 12", "", "", ""},
    {43, 20, 0, B(1), B(2), "Табл. 43;  Поле 20", "", "", ""},
    {3, 3, 0, B(1), B(2), "Табл.3.  Резервное поле № 3", "", "", ""},
    // Unit code past the list.
    {2, 0, 37, B(5), B(26), "Время, год", "  05", "  26", "?"},
    {2, 6, 6, B(0), B(1), "Время, день недели", "?", "Воскресенье", "МДж"},
    {2, 7, 0, B(1), B(2), "Тип времени", "Зимнее", "?", ""},
    {6, 7, 0, B(0), B(7), "Наличие подключенного хроматографа", "Нет", "Есть", ""},
    {6, 10, 0, B(0), B(255), "Синхронизировать время контр. с ВРГ", "Нет", "Да", ""},
    {43, 2, 0, B(1), B(2), "На константе. Нитка 1. \"\"", "Да", "?", ""},
    {45, 3, 0, B(0), B(1), "На константе. Нитка 2. \"Метан\"", "Нет", "Да", ""},
    {9, 4, 0, B(3), B(10), "Кол. преамбул  в запросе к вычислителю РГ", "3", "10", ""},
    {9, 5, 0, B(3), B(4), "Режим записи параметров газа в ВРГ", "За сутки (безусл.)", "?", ""},
    {14, 7, 0, B(0x1F), B(0xA0), "Задейств. признаки  хроматографа", "0x 1F", "0x A0", ""},
    {19, 2, 0, B(1), B(0), "Необходимость записи парам. газа для т/п ВРГ 3", " 0x01", " 0x00", ""},
    {19, 40, 0, B(1), B(0), "Необходимость записи парам. газа для т/п ВРГ ?", " 0x01", " 0x00", ""},
    {28, 0, 0, B(24), B(1), "Период рассылки параметров газа в ВРГ", "24ч", "1ч", ""},
    {14, 2, 0, B(0), B(1), "Режим обмена MODBUS с хроматографом", " ASCII", " RTU", ""},
    {15, 3, 0, B(2), B(3), "Тип четности влагомера", "Четный", "?", ""},
    {15, 6, 0, B(2), B(1), "Тип влагомера", "TOPOC", "ФОГ-3Г", ""},
    {17, 16, 0, B(3), B(4), "Тип ВРГ  № ?", "ДФ-1", "?", ""},
    {18, 15, 0, B(3), B(4), "Адрес подключенного ВРГ 16", "3", "4", ""},
    {20, 1, 0, B(0), B(1), "Порядок байтов многоб. перем. ВРГ 2", "Мл. адрес -- ст. байт", "Мл. адрес -- мл. байт", ""},
    {21, 3, 0, B(2), B(3), "НР  \"Метан\"", "Ср. за посл. сутки", "?", ""},
    {21, 21, 0, B(0), B(1), "НР   ?", "Не рассылать", "Ср. за посл. час", ""},
    // Names in cp1251 (table 0 field 12 non-zero); a zero byte ends the text.
    {5, 0, 0, {0xCC, 0xE5, 0xF2, 0xE0}, {'A', 'B', 0, 'C'}, "Наименование контроллера", "Мета...", "AB", ""},
};

TEST(InterventionDecoder, EveryKindAndEdgeOfTheCatalogue) {
    const TableImage image = Image();
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "table " << c.t << " field " << c.f);
        const auto r = Record(c.t, c.f, c.unit, c.o, c.n);
        bool bad = true;
        const EventRow row = DecodeIntervention(r.data(), image, &bad);
        EXPECT_FALSE(bad);
        EXPECT_EQ(row[0], "    05.03.21");
        EXPECT_EQ(row[1], "    14:07:09");
        EXPECT_EQ(row[2], c.caption);
        EXPECT_EQ(row[3], c.oldText);
        EXPECT_EQ(row[4], c.newText);
        EXPECT_EQ(row[5], c.unitText);
        EXPECT_EQ(row[6], "ENG ");
    }
}

TEST(InterventionDecoder, NamesInCodePage866AreConvertedWithoutTouchingTheRecord) {
    const TableImage image = Image(true);
    auto r = Record(5, 1, 0, {0x8C, 0xA5, 0xE2, 0xA0}, {'1', '2', '3', '4'}, "AB\0C");
    const auto before = r;
    for (int pass = 0; pass < 2; ++pass) {
        const EventRow row = DecodeIntervention(r.data(), image);
        EXPECT_EQ(row[2], "Наимен. нитки 1 хроматографа");
        EXPECT_EQ(row[3], "Мета...");
        EXPECT_EQ(row[4], "1234...");
        EXPECT_EQ(row[6], "AB");
    }
    EXPECT_EQ(r, before);
}

TEST(InterventionDecoder, BadCheckShowsStarsOnly) {
    auto r = Record(6, 0, 1, B(0), B(3));
    r[12] ^= 1;
    bool bad = false;
    const EventRow row = DecodeIntervention(r.data(), Image(), &bad);
    EXPECT_TRUE(bad);
    EXPECT_EQ(row[0], "   ***");
    for (int i = 1; i < kEventColumns; ++i) EXPECT_EQ(row[size_t(i)], "") << i;
}

TEST(InterventionDecoder, FloatTexts) {
    struct {
        float v;
        int decimals;
        const char* text;
    } const cases[] = {
        {1.5f, 2, "1.50"},       {1.5f, 0, "2"},          {-1.25f, 1, "-1.2"},
        {9999999999.0f, 0, "1.000000000E+10"}, {1234567.0f, 3, "1234567.000"},
        {0.1f, 12, "0.100000001500"}, {kNan, 2, "?"},       {std::numeric_limits<float>::infinity(), 2, "?"},
        {1.0f, 300, "1.000000000000000000"}, {1.0f, -5, "1"},
        {std::bit_cast<float>(0x42C80A44u), 4, "100.0201"},  // rounded once, from the exact value
    };
    for (const auto& c : cases) EXPECT_EQ(FormatFloatFixed(c.v, c.decimals), c.text) << c.v << " " << c.decimals;
}

}  // namespace
}  // namespace zul
