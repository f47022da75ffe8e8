// The texts of the record status view by mode, status byte and status word.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "events/ChromStatus.h"

namespace zul::test {
namespace {

using Lines = std::vector<std::string>;

struct StatusCase {
    const char* what;
    int mode;
    uint8_t status, lo, hi;
    bool showController;
    std::string controllerHeading;
    Lines controller;
    bool showChrom;
    std::string chromHeading;
    Lines chrom;
};

TEST(ChromStatus, Table) {
    const StatusCase cases[] = {
        {"all clear", 0, 0x00, 0x00, 0x00, true, "  Статус контроллера: 0x00", {"Норма"}, true,
         "  Статус хроматографа: 0x0000", {"Норма"}},
        {"no link with the chromatograph hides its part", 0, 0x20, 0xFF, 0xFF, true, "  Статус контроллера: 0x20",
         {"Не было связи с хроматографом"}, false, "", {}},
        {"controller off hides it too", 0, 0x02, 0x01, 0x00, true, "  Статус контроллера: 0x02",
         {"Контроллер был выключен"}, false, "", {}},
        {"bits in order, lowest first", 0, 0x88, 0x01, 0x80, true, "  Статус контроллера: 0x88",
         {"Есть значения превышающие предупр. уставки", "Выполняется калибровка"}, true,
         "  Статус хроматографа: 0x8001", {" Неудачная автокалибровка", " Не поступают данные от хроматографа"}},
        {"all controller bits but 1 and 5", 0, 0xDD, 0x00, 0x00, true, "  Статус контроллера: 0xDD",
         {"Бит 0: Признак не используется", "Не было связи с влагомером", "Есть значения превышающие предупр. уставки",
          "Есть значения превышающие авар. уставки", "Бит 6: Признак не используется", "Выполняется калибровка"},
         true, "  Статус хроматографа: 0x0000", {"Норма"}},
        {"average: bits 2 and 7 have no text", 1, 0x84, 0x12, 0x34, true, "  Статус контроллера: 0x84", {}, false, "",
         {}},
        {"average: all texts", 1, 0x7A, 0, 0, true, "  Статус контроллера: 0x7A",
         {"Нет данных - контроллер был выключен", "Использовалась ЗПЗ - был нештатный режим работы хроматографа",
          "Использовалась ЗПЗ - значение выходило за допускаемые пределы", "Использовалась ЗПЗ - не было связи с HMU",
          "Использовалась ЗПЗ - хроматограф не обновил данные"},
         false, "", {}},
        {"average: zero", 1, 0x00, 0, 0, true, "  Статус контроллера: 0x00", {"Норма"}, false, "", {}},
        {"calibration: heading with a blank", 2, 0xFF, 0x01, 0x80, false, "", {}, true, "  Статус хроматографа: 0x80 01",
         {" Неудачная автокалибровка", " Не поступают данные от хроматографа"}},
        {"calibration: zero word", 2, 0x00, 0x00, 0x00, false, "", {}, true, "  Статус хроматографа: 0x00 00", {"Норма"}},
        {"calibration: middle bits", 2, 0, 0x24, 0x0A, false, "", {}, true, "  Статус хроматографа: 0x0A 24",
         {" Ошибка ОЗУ", " Сбой часов реального времени", " Высота пика хроматограммы выше допускаемой",
          " Температура термостата нестабильна"}},
    };
    for (const StatusCase& c : cases) {
        const ChromStatusTexts t = ChromStatusView(c.mode, c.status, c.lo, c.hi);
        EXPECT_EQ(t.showController, c.showController) << c.what;
        if (c.showController) {
            EXPECT_EQ(t.controllerHeading, c.controllerHeading) << c.what;
            EXPECT_EQ(t.controllerLines, c.controller) << c.what;
            EXPECT_EQ(t.controllerLineHeight, c.mode == 1 ? 15 : 18) << c.what;
        }
        EXPECT_EQ(t.showChrom, c.showChrom) << c.what;
        if (c.showChrom) {
            EXPECT_EQ(t.chromHeading, c.chromHeading) << c.what;
            EXPECT_EQ(t.chromLines, c.chrom) << c.what;
        }
    }
}

TEST(ChromStatus, EveryWordBitHasItsOwnLine) {
    for (int bit = 0; bit < 16; ++bit) {
        const uint16_t w = uint16_t(1u << bit);
        const ChromStatusTexts t = ChromStatusView(2, 0, uint8_t(w), uint8_t(w >> 8));
        ASSERT_EQ(t.chromLines.size(), 1u) << bit;
        EXPECT_EQ(t.chromLines[0][0], ' ') << bit;
        EXPECT_NE(t.chromLines[0], "Норма");
    }
    EXPECT_EQ(ChromStatusView(2, 0, 0xFF, 0xFF).chromLines.size(), 16u);
}

}  // namespace
}  // namespace zul::test
