#include "events/DiagnosticDecoder.h"

#include <cstdio>
#include <cstring>

#include "link/Qrtbox.h"
#include "shell/Suplfunc.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

const char* const kEventTexts[82] = {
    "",
    "Состояние хроматографа",
    "Снято напряжение питания",
    "Подано напряжение питания",
    "Реинициализация",
    "Сбой в работе хроматографа",
    "Завершен цикл калибровки хроматографа",
    "Неудачный цикл калибровки хроматографа",
    "Выполнена верификация хроматографа",
    "Неудачная верификация хроматографа",
    "Пропала связь",
    "Появилась связь",
    "Значение стало ниже нижней АУ",
    "Значение стало выше нижней АУ",
    "Значение стало ниже нижней ПУ",
    "Значение стало выше нижней ПУ",
    "Значение стало ниже верхней ПУ",
    "Значение стало выше верхней ПУ",
    "Значение стало ниже верхней АУ",
    "Значение стало выше верхней АУ",
    "Значение стало ненормальным",
    "Значение стало нормальным",
    "Значение стало \"ИСТИНА\"",
    "Значение стало \"ЛОЖЬ\"",
    "Начало калибровки хроматографа",
    "Резерв",
    "Резерв",
    "Резерв",
    "Команда \"Закрыть\" с пульта",
    "Команда \"Открыть\" с пульта",
    "Команда \"Открыть\" от ЭВМ пар.1",
    "Команда \"Закрыть\" от ЭВМ пар.1",
    "Команда \"Открыть\" от ЭВМ пар.2",
    "Команда \"Закрыть\" от ЭВМ пар.2",
    "Ком. \"Останов ГРС\" от ЭВМ пар.1",
    "Ком. \"Останов ГРС\" от ЭВМ пар.2",
    "Изменился код состояния крана",
    "Ком. \"Останов ГРС\" от кнопки",
    "Скорректировано время в хроматографе",
    "Скорректировано время в хроматографе",
    "Не прошла запись в EEPROM",
    "Не прошла запись в FRAM",
    "Таблица разрушена",
    "Таблица восстановлена",
    "Значение стало ниже НДП",
    "Значение стало выше НДП",
    "Значение стало ниже ВДП",
    "Значение стало выше ВДП",
    "Парам. газа не записаны в ВРГ",
    "Параметры газа записаны в ВРГ",
    "Команда не передана",
    "Команда не выполнена",
    "Выдан упр. импульс на агрегат",
    "Значение стало меньше уставки",
    "Значение стало больше уставки",
    "Знач. стало меньше или равно уставке",
    "Знач. стало больше или равно уставке",
    "Знач. признака (бит поля) стало \"ИСТИНА\"",
    "Знач. признака (бит поля) стало \"ЛОЖЬ\"",
    "Изменилась контрольная сумма прошивки",
    "Значение стало ниже нижней АУ 2",
    "Значение стало выше нижней АУ 2",
    "Значение стало ниже верхней АУ 2",
    "Значение стало выше верхней АУ 2",
    "Команда не подана",
    "Значение стало ниже нижнего предела измер.",
    "Значение стало выше нижнего предела измер.",
    "Значение стало ниже верхнего предела измер.",
    "Значение стало выше верхнего предела измер.",
    "Поле таблицы разрушено",
    "Поле таблицы восстановлено",
    "Пропало",
    "Появилось",
    "С ВУ начали поступать необновляемые значения",
    "С ВУ начали поступать обновляемые значения (норма)",
    "Изменилась зона значения",
    "Программа перевела контроллер в режим «Ручное управление»",
    "Рестарт подключенного контроллера",
    "Изменение программного обеспечения",
    "Значение перестало обновляться",
    "Значение начало обновляться (норма)",
    "Нет данных для рассылки",
};
const char* const kArchiveAreas[10] = {
    "Архив диагностики",
    "Архив вмешательств",
    "Глобальные индексы архива диагностики",
    "Глобальные индексы архива вмешательств",
    "Диапазон времени на стр. архива диагностики",
    "Диапазон времени на стр. архива вмешательств",
    "Архив данных, связанных с авар. ситуациями",
    "Архив оценок качества калибровки хроматографа",
    "Глоб. инд. архива качества калибр. хроматографа",
    "Диап. вр. на стр. арх. качества калибр. хромат.",
};
const char* const kChromFaults0[10] = {
    "Норма",
    "Ошибка Response Factor",
    "Хроматограф не отвечает",
    "Сервисный интервал исчерпан",
    "Превышение диапазона измерений пика",
    "Ошибка управления давлением газа носителя",
    "Ошибка температуры нагревателя",
    "Ошибка определения базовой линии",
    "Ошибка давления газа носителя",
    "Перегрев нагревателя",
};
const char* const kChromFaults1[17] = {
    "Норма",
    "Ошибка Response Factor",
    "Общая ошибка",
    "Ошибка ОЗУ",
    "Ошибка блокировки времени удерживания",
    "Ошибка связи",
    "Сбой часов реального времени",
    "Разряд батареи",
    "Хроматограф не отвечает",
    "Сервисный интервал исчерпан",
    "Высота пика хроматограммы выше допуска",
    "Ошибка управления давлением газа носителя",
    "Ошибка температуры нагревателя",
    "Ошибка базовой линии",
    "Ошибка давления газа носителя",
    "Ошибка температуры нагревателя",
    "Не поступают данные от хроматографа",
};
const char* const kMoistBits[16] = {
    "Бит 0. General fault condition",
    "Бит 1. Reserved",
    "Бит 2. HCDP too high",
    "Бит 3. WDP too high",
    "Бит 4. DP below minimum temperature",
    "Бит 5. Cool rate limit",
    "Бит 6. Reserved",
    "Бит 7. Ambient temp too high",
    "Бит 8. Ambient temp too low",
    "Бит 9. Pressure too high",
    "Бит 10. Liquid in cell",
    "Бит 11. COMM failure",
    "Бит 12. Reserved",
    "Бит 13. Reserved",
    "Бит 14. Reserved",
    "Бит 15. Reserved",
};
const char* const kMoistEvents[8] = {
    "Грязное зеркало",
    "Ошибка записи",
    "Ошибка чтения",
    "Ошибка датчика давления",
    "Первый замер",
    "Изменены константы",
    "Изменены  настройки",
    "Изменены часы",
};
const char* const kMemoryAreas[3] = {"Предыдущий год", "Базовый год", "Тип времени"};  // objects 242..244

std::string Format(const char* fmt, long a = 0, long b = 0, long c = 0) {
    char buf[160];
    std::snprintf(buf, sizeof buf, fmt, a, b, c);
    return buf;
}

std::string Hex8(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", v);
    return buf;
}

std::string TableIndex(int object, int index) { return Format("Табл. = %ld  Инд. = %ld", object, index); }

uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

float F32(const uint8_t* p) {
    const uint32_t u = U32(p);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

// Name (bytes 0..39 up to the first zero) and unit (second list at byte 50) of
// parameter p from table 1 of the image held now.
std::string ParameterName(const TableImage* image, int p) {
    const uint8_t* f = image ? image->Field(1, p) : nullptr;
    if (!f) return {};
    size_t n = 0;
    while (n < 40 && f[n]) ++n;
    return Cp1251ToUtf8(std::string(reinterpret_cast<const char*>(f), n));
}

std::string ParameterUnit(const TableImage* image, int p) {
    const uint8_t* f = image ? image->Field(1, p) : nullptr;
    // A unit code beyond the second list shows no unit.
    return f && f[50] < 12 ? kUnits2[f[50]] : "";
}

bool In(int code, std::initializer_list<int> codes) {
    for (int c : codes)
        if (c == code) return true;
    return false;
}

void ChromFault(DiagnosticRow& r, int model, int object, int index, uint32_t v1) {
    if (model == 0 && index <= 9) {
        r.cells[4] = kChromFaults0[index];
    } else if (model == 1 && index <= 16) {
        r.cells[4] = kChromFaults1[index];
    } else {
        r.cells[4] = TableIndex(object, index);
    }
    if (model == 0 || model == 1) r.cells[5] = Format("Err %lu", long(v1));
}

std::string MoistFault(int model, int object, int index) {
    switch (model) {
    case 0:
        return index <= 15 ? kMoistBits[index] : Format("??? (ZEGAZ 5000. Табл. = %ld  Инд. = %ld)", object, index);
    case 1:
        return Format("??? ( ФОГ-3Г. Табл. = %ld  Инд. = %ld)", object, index);
    case 2:
        return index <= 7 ? kMoistEvents[index] : Format("??? (TOROS. Табл. = %ld  Инд. = %ld)", object, index);
    default:
        return Format("??? (Код влаг. %ld. Табл. = %ld  Инд. = %ld)", model, object, index);
    }
}

}  // namespace

const TextField kDiagnosticFields[kDiagnosticColumns - 1] = {
    {0, 20}, {20, 20}, {40, 100}, {140, 100}, {240, 20}, {260, 20}, {280, 20},
};

DiagnosticRow DecodeDiagnostic(const uint8_t* rec, const DiagnosticContext& ctx) {
    DiagnosticRow r;
    if (Crc16(rec, 22) != 0) {
        r.valid = false;
        r.cells[1] = kBadRecordMark;
        return r;
    }
    r.cells[1] = Format("  %02ld.%02ld.%02ld", rec[2], rec[1], rec[0]);
    r.cells[2] = Format("  %02ld:%02ld:%02ld", rec[3], rec[4], rec[5]);
    const int code = rec[6], object = rec[8], index = rec[9];
    const uint32_t v1 = U32(rec + 10), v2 = U32(rec + 14);
    r.cells[3] = code <= 81 ? kEventTexts[code] : Format("Код диагностики = %ld", code);
    std::string& c4 = r.cells[4];
    if (In(code, {2, 3, 6, 7, 8, 9, 24, 81})) {
        // nothing more to say
    } else if (code == 4) {
        c4 = object <= 9 ? kArchiveAreas[object] : " ?";
    } else if (code == 5) {
        if (object == 14)
            ChromFault(r, ctx.chromModel, object, index, v1);
        else
            c4 = " ?";
    } else if (code == 10 || code == 11) {
        if (object == 33 && index == 0)
            c4 = "Хроматограф";
        else if (object == 33 && index == 1)
            c4 = "Влагомер";
        else if (object == 34)
            c4 = Format("Вычислитель расхода газа (Адр. = %ld)", index);
        else
            c4 = Format("Тaбл. = %ld", object);  // a Latin "a": as the controller's own texts have it
    } else if ((code >= 12 && code <= 17) || (code >= 44 && code <= 47) || (code >= 60 && code <= 68)) {
        c4 = index <= 19 ? ParameterName(ctx.image, index) : "  ?";
        r.cells[5] = FormatValue(F32(rec + 10));
        r.cells[6] = FormatValue(F32(rec + 14));
        if (index <= 19) r.cells[7] = ParameterUnit(ctx.image, index);
    } else if (code == 22 || code == 23) {
        if (object == 200)
            ChromFault(r, ctx.chromModel, object, index, v1);
        else if (object == 201)
            c4 = MoistFault(ctx.moistModel, object, index);
        else
            c4 = TableIndex(object, index);
    } else if (code == 38) {
        c4 = "По времени вычислителя";
    } else if (code == 39) {
        c4 = "По времени PC";
    } else if (code == 40 || code == 41) {
        c4 = object >= 242 && object <= 244 ? kMemoryAreas[object - 242] : Format("Таблица %ld", object);
    } else if (code == 42 || code == 43) {
        c4 = Format("Таблица %ld", object);
    } else if (code == 48 || code == 49) {
        c4 = Format("Вычислитель расхода газа. (Адр. = %ld)", index);
    } else if (code == 59) {
        c4 = "Старое значение КС = " + Hex8(v1);
        r.cells[5] = Hex8(v2);
    } else {
        c4 = TableIndex(object, index);
    }
    return r;
}

void ToTextRow(const DiagnosticRow& row, uint8_t* text) {
    PackTextRow(&row.cells[1], kDiagnosticFields, kDiagnosticColumns - 1, kDiagnosticTextRowSize, text);
}

DiagnosticRow FromTextRow(const uint8_t* text) {
    DiagnosticRow row;
    UnpackTextRow(text, kDiagnosticFields, kDiagnosticColumns - 1, &row.cells[1]);
    row.valid = row.cells[1] != kBadRecordMark;
    return row;
}

}  // namespace zul
