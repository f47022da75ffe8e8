#include "events/ChromStatus.h"

#include <cstdio>

namespace zul {

namespace {

const char* const kControllerBits[8] = {
    "Бит 0: Признак не используется",
    "Контроллер был выключен",
    "Не было связи с влагомером",
    "Есть значения превышающие предупр. уставки",
    "Есть значения превышающие авар. уставки",
    "Не было связи с хроматографом",
    "Бит 6: Признак не используется",
    "Выполняется калибровка",
};

// Hourly and daily records: bits 0, 2 and 7 have no text.
const char* const kAverageBits[8] = {
    nullptr,
    "Нет данных - контроллер был выключен",
    nullptr,
    "Использовалась ЗПЗ - был нештатный режим работы хроматографа",
    "Использовалась ЗПЗ - значение выходило за допускаемые пределы",
    "Использовалась ЗПЗ - не было связи с HMU",
    "Использовалась ЗПЗ - хроматограф не обновил данные",
    nullptr,
};

const char* const kChromBits[16] = {
    " Неудачная автокалибровка",
    " Сумма ненормализованных параметров вне доп. пределов",
    " Ошибка ОЗУ",
    " Время удержания этана не в норме",
    " Ошибка связи",
    " Сбой часов реального времени",
    " Разряд батареи",
    " Хроматограф не отвечает",
    " Превышено рекомендуемое кол. анализов без ремонта",
    " Высота пика хроматограммы выше допускаемой",
    " Давление газа-носителя неуправляемо",
    " Температура термостата нестабильна",
    " Ошибка базовой линии хроматограммы",
    " Давление газа-носителя не в норме",
    " Слишком высокая температура термостата",
    " Не поступают данные от хроматографа",
};

constexpr const char* kNorm = "Норма";

std::string Hex(const char* fmt, int a, int b = 0) {
    char buf[80];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

std::vector<std::string> ChromLines(uint16_t word) {
    std::vector<std::string> lines;
    for (int bit = 0; bit < 16; ++bit)
        if (word & (1u << bit)) lines.push_back(kChromBits[bit]);
    if (word == 0) lines.push_back(kNorm);
    return lines;
}

}  // namespace

ChromStatusTexts ChromStatusView(int mode, uint8_t status, uint8_t lo, uint8_t hi) {
    ChromStatusTexts t;
    const uint16_t word = uint16_t(lo | hi << 8);
    if (mode == kStatusCalibration) {
        t.showChrom = true;
        t.chromHeading = Hex("  Статус хроматографа: 0x%02X %02X", hi, lo);
        t.chromLines = ChromLines(word);
        return t;
    }
    t.showController = true;
    t.controllerHeading = Hex("  Статус контроллера: 0x%02X", status);
    const char* const* texts = mode == kStatusAverage ? kAverageBits : kControllerBits;
    for (int bit = 0; bit < 8; ++bit)
        if ((status & (1u << bit)) && texts[bit]) t.controllerLines.push_back(texts[bit]);
    if (status == 0) t.controllerLines.push_back(kNorm);
    if (mode == kStatusAverage) {
        t.controllerLineHeight = 15;
        return t;
    }
    // Without the chromatograph (no link, or the controller off) its word means nothing.
    if (status & 0x22) return t;
    t.showChrom = true;
    t.chromHeading = Hex("  Статус хроматографа: 0x%02X%02X", hi, lo);
    t.chromLines = ChromLines(word);
    return t;
}

}  // namespace zul
