// Diagnostic records to text: one case per decoding rule and the edge cases of the
// rules, the bad-check row, and the 300-byte text rows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "events/DiagnosticDecoder.h"
#include "link/Qrtbox.h"
#include "tables/TableImage.h"

namespace zul::test {
namespace {

std::vector<uint8_t> Rec(int code, int object, int index, uint32_t v1 = 0, uint32_t v2 = 0) {
    std::vector<uint8_t> r(22);
    const uint8_t when[6] = {21, 3, 5, 7, 8, 9};
    std::memcpy(r.data(), when, 6);
    r[6] = uint8_t(code), r[7] = 0xAA, r[8] = uint8_t(object), r[9] = uint8_t(index);
    std::memcpy(&r[10], &v1, 4);
    std::memcpy(&r[14], &v2, 4);
    r[18] = 0x55, r[19] = 0x66;
    const uint16_t crc = Crc16(r.data(), 20);
    r[20] = uint8_t(crc), r[21] = uint8_t(crc >> 8);
    return r;
}

uint32_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

TableImage Parameters() {
    TableImage im;
    // Parameter 3: "Метан" in cp1251, unit 1 ("%"); parameter 4: a full 40-byte name, unit 99.
    const char metan[] = "\xCC\xE5\xF2\xE0\xED";
    std::memcpy(im.Field(1, 3), metan, 5);
    im.Field(1, 3)[50] = 1;
    std::memset(im.Field(1, 4), 'N', 40);
    im.Field(1, 4)[50] = 99;
    im.Field(1, 19)[0] = 'Z';
    im.Field(1, 19)[50] = 11;
    return im;
}

struct DecodeCase {
    const char* what;
    int code, object, index;
    uint32_t v1, v2;
    int chrom, moist;
    std::string event, c4, c5, c6, c7;
};

TEST(DiagnosticDecoder, Rules) {
    const TableImage im = Parameters();
    const std::string N40(40, 'N');
    const DecodeCase cases[] = {
        {"empty event text", 0, 1, 2, 0, 0, 0, 0, "", "Табл. = 1  Инд. = 2", "", "", ""},
        {"no object", 2, 5, 6, 0, 0, 0, 0, "Снято напряжение питания", "", "", "", ""},
        {"no object 81", 81, 5, 6, 0, 0, 0, 0, "Нет данных для рассылки", "", "", "", ""},
        {"reinitialisation", 4, 9, 0, 0, 0, 0, 0, "Реинициализация", "Диап. вр. на стр. арх. качества калибр. хромат.", "", "", ""},
        {"reinitialisation, object 10", 4, 10, 0, 0, 0, 0, 0, "Реинициализация", " ?", "", "", ""},
        {"chromatograph fault, model 0", 5, 14, 3, 7, 0, 0, 0, "Сбой в работе хроматографа", "Сервисный интервал исчерпан", "Err 7", "", ""},
        {"chromatograph fault, model 1", 5, 14, 3, 7, 0, 1, 0, "Сбой в работе хроматографа", "Ошибка ОЗУ", "Err 7", "", ""},
        {"chromatograph fault, model 2", 5, 14, 3, 7, 0, 2, 0, "Сбой в работе хроматографа", "Табл. = 14  Инд. = 3", "", "", ""},
        {"chromatograph fault, model 0, index 10", 5, 14, 10, 4000000000u, 0, 0, 0, "Сбой в работе хроматографа", "Табл. = 14  Инд. = 10", "Err 4000000000", "", ""},
        {"chromatograph fault, model 1, index 16", 5, 14, 16, 1, 0, 1, 0, "Сбой в работе хроматографа", "Не поступают данные от хроматографа", "Err 1", "", ""},
        {"chromatograph fault, object 13", 5, 13, 3, 7, 0, 0, 0, "Сбой в работе хроматографа", " ?", "", "", ""},
        {"link: chromatograph", 10, 33, 0, 0, 0, 0, 0, "Пропала связь", "Хроматограф", "", "", ""},
        {"link: moisture meter", 11, 33, 1, 0, 0, 0, 0, "Появилась связь", "Влагомер", "", "", ""},
        {"link: object 33, index 2 (Latin a)", 10, 33, 2, 0, 0, 0, 0, "Пропала связь", "Т\x61" "бл. = 33", "", "", ""},
        {"link: flow computer", 10, 34, 5, 0, 0, 0, 0, "Пропала связь", "Вычислитель расхода газа (Адр. = 5)", "", "", ""},
        {"link: other object", 11, 12, 5, 0, 0, 0, 0, "Появилась связь", "Т\x61" "бл. = 12", "", "", ""},
        {"parameter below alarm", 12, 1, 3, Bits(1.5f), Bits(2.0f), 0, 0, "Значение стало ниже нижней АУ", "Метан", "1.5000", "2.0000", "%"},
        {"parameter, 40-byte name, unit beyond the list", 17, 1, 4, Bits(0), Bits(0), 0, 0, "Значение стало выше верхней ПУ", N40, "0", "0", ""},
        {"parameter 19", 44, 1, 19, Bits(0), Bits(0), 0, 0, "Значение стало ниже НДП", "Z", "0", "0", "МПа"},
        {"parameter 20", 68, 1, 20, Bits(3.25f), Bits(10.0f), 0, 0, "Значение стало выше верхнего предела измер.", "  ?", "3.2500", "10.000", ""},
        {"command not given: parameter row", 64, 1, 3, Bits(-250.5f), Bits(12345.0f), 0, 0, "Команда не подана", "Метан", "-250.50", "12345", "%"},
        {"upper alarm: last row", 18, 7, 3, Bits(1.0f), 0, 0, 0, "Значение стало ниже верхней АУ", "Табл. = 7  Инд. = 3", "", "", ""},
        {"true: chromatograph", 22, 200, 2, 9, 0, 0, 0, "Значение стало \"ИСТИНА\"", "Хроматограф не отвечает", "Err 9", "", ""},
        {"false: moisture bit", 23, 201, 3, 0, 0, 0, 0, "Значение стало \"ЛОЖЬ\"", "Бит 3. WDP too high", "", "", ""},
        {"moisture model 0, index 16", 23, 201, 16, 0, 0, 0, 0, "Значение стало \"ЛОЖЬ\"", "??? (ZEGAZ 5000. Табл. = 201  Инд. = 16)", "", "", ""},
        {"moisture model 1", 23, 201, 3, 0, 0, 0, 1, "Значение стало \"ЛОЖЬ\"", "??? ( ФОГ-3Г. Табл. = 201  Инд. = 3)", "", "", ""},
        {"moisture model 2", 22, 201, 6, 0, 0, 0, 2, "Значение стало \"ИСТИНА\"", "Изменены  настройки", "", "", ""},
        {"moisture model 2, index 9", 23, 201, 9, 0, 0, 0, 2, "Значение стало \"ЛОЖЬ\"", "??? (TOROS. Табл. = 201  Инд. = 9)", "", "", ""},
        {"moisture model 5", 23, 201, 9, 0, 0, 0, 5, "Значение стало \"ЛОЖЬ\"", "??? (Код влаг. 5. Табл. = 201  Инд. = 9)", "", "", ""},
        {"true: other object", 22, 30, 4, 0, 0, 0, 0, "Значение стало \"ИСТИНА\"", "Табл. = 30  Инд. = 4", "", "", ""},
        {"clock by the computer", 38, 0, 0, 0, 0, 0, 0, "Скорректировано время в хроматографе", "По времени вычислителя", "", "", ""},
        {"clock by the PC", 39, 0, 0, 0, 0, 0, 0, "Скорректировано время в хроматографе", "По времени PC", "", "", ""},
        {"EEPROM, base year", 40, 243, 0, 0, 0, 0, 0, "Не прошла запись в EEPROM", "Базовый год", "", "", ""},
        {"FRAM, time kind", 41, 244, 0, 0, 0, 0, 0, "Не прошла запись в FRAM", "Тип времени", "", "", ""},
        {"EEPROM, object 245", 40, 245, 0, 0, 0, 0, 0, "Не прошла запись в EEPROM", "Таблица 245", "", "", ""},
        {"table destroyed", 42, 7, 0, 0, 0, 0, 0, "Таблица разрушена", "Таблица 7", "", "", ""},
        {"gas parameters written", 49, 1, 12, 0, 0, 0, 0, "Параметры газа записаны в ВРГ", "Вычислитель расхода газа. (Адр. = 12)", "", "", ""},
        {"firmware check sum", 59, 0, 0, 305441741u, 65535u, 0, 0, "Изменилась контрольная сумма прошивки", "Старое значение КС = 1234ABCD", "0000FFFF", "", ""},
        {"quoted event", 28, 3, 4, 0, 0, 0, 0, "Команда \"Закрыть\" с пульта", "Табл. = 3  Инд. = 4", "", "", ""},
        {"guillemets", 76, 3, 4, 0, 0, 0, 0, "Программа перевела контроллер в режим «Ручное управление»", "Табл. = 3  Инд. = 4", "", "", ""},
        {"unknown code 82", 82, 1, 2, 0, 0, 0, 0, "Код диагностики = 82", "Табл. = 1  Инд. = 2", "", "", ""},
        {"unknown code 200", 200, 255, 255, 0, 0, 0, 0, "Код диагностики = 200", "Табл. = 255  Инд. = 255", "", "", ""},
    };
    for (const DecodeCase& c : cases) {
        const DiagnosticRow r = DecodeDiagnostic(Rec(c.code, c.object, c.index, c.v1, c.v2).data(),
                                                 {uint8_t(c.chrom), uint8_t(c.moist), &im});
        EXPECT_TRUE(r.valid) << c.what;
        EXPECT_EQ(r.cells[0], "") << c.what;
        EXPECT_EQ(r.cells[1], "  05.03.21") << c.what;
        EXPECT_EQ(r.cells[2], "  07:08:09") << c.what;
        EXPECT_EQ(r.cells[3], c.event) << c.what;
        EXPECT_EQ(r.cells[4], c.c4) << c.what;
        EXPECT_EQ(r.cells[5], c.c5) << c.what;
        EXPECT_EQ(r.cells[6], c.c6) << c.what;
        EXPECT_EQ(r.cells[7], c.c7) << c.what;
    }
}

TEST(DiagnosticDecoder, BadCheckAndTextRows) {
    const TableImage im = Parameters();
    std::vector<uint8_t> bad = Rec(12, 1, 3, Bits(1.5f), 0);
    bad[21] ^= 0x01;
    const DiagnosticRow r = DecodeDiagnostic(bad.data(), {0, 0, &im});
    EXPECT_FALSE(r.valid);
    EXPECT_EQ(r.cells[1], "   ***");
    for (int c : {2, 3, 4, 5, 6, 7}) EXPECT_EQ(r.cells[size_t(c)], "") << c;
    uint8_t text[300];
    std::memset(text, 0xEE, sizeof text);
    ToTextRow(r, text);
    EXPECT_EQ(0, std::memcmp(text, "   ***\0", 7));
    for (int i = 6; i < 300; ++i) ASSERT_EQ(text[i], 0) << i;
    EXPECT_FALSE(FromTextRow(text).valid);

    // A good row: fields at their offsets, cp1251, read back the same.
    const DiagnosticRow g = DecodeDiagnostic(Rec(12, 1, 3, Bits(1.5f), Bits(2.0f)).data(), {0, 0, &im});
    ToTextRow(g, text);
    EXPECT_EQ(0, std::memcmp(text, "  05.03.21", 11));
    EXPECT_EQ(0, std::memcmp(text + 20, "  07:08:09", 11));
    EXPECT_EQ(0, std::memcmp(text + 140, "\xCC\xE5\xF2\xE0\xED\0", 6));
    EXPECT_EQ(0, std::memcmp(text + 240, "1.5000\0", 7));
    EXPECT_EQ(0, std::memcmp(text + 280, "%\0", 2));
    const DiagnosticRow back = FromTextRow(text);
    EXPECT_EQ(back.cells, g.cells);
    EXPECT_TRUE(back.valid);

    // Texts longer than a field are cut so that a zero byte stays.
    DiagnosticRow longRow;
    for (auto& c : longRow.cells) c = std::string(150, 'x');
    ToTextRow(longRow, text);
    for (const TextField& f : kDiagnosticFields) {
        EXPECT_EQ(text[f.offset + f.width - 1], 0);
        EXPECT_EQ(text[f.offset + f.width - 2], 'x');
    }
    // A text row without any zero byte reads each field to its width only.
    std::memset(text, 'y', sizeof text);
    const DiagnosticRow full = FromTextRow(text);
    for (int c = 1; c < 8; ++c) EXPECT_EQ(full.cells[size_t(c)].size(), size_t(kDiagnosticFields[c - 1].width));
}

}  // namespace
}  // namespace zul::test
