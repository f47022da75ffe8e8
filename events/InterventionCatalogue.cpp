// What the intervention viewer calls each table field and how it renders its value.
#include <iterator>

#include "events/InterventionDecoder.h"

namespace zul {

namespace {

const char* const kTimeKindTexts[] = {"Летнее", "Зимнее"};
const char* const kNoTexts[] = {"Нет"};
const char* const kModbusTexts[] = {" ASCII", " RTU"};
const char* const kParityTexts[] = {"Отсутств.", "Нечетный", "Четный"};
const char* const kChromTypeTexts[] = {"QRT 510 (HMU)", "QRT 510 (HDM)", "Siemens", "Encal3000", "NGC8200",
                                       "NGC8200 Dual", "Emerson-700", "MGC Flex", "Emerson-370"};
const char* const kMoistTypeTexts[] = {"ZEGAZ 5000", "ФОГ-3Г", "TOPOC"};
const char* const kFlowTypeTexts[] = {"ФЛОУТЭК", "ФЛОУКОР, ПМ-3В", "ВР-2", "ДФ-1"};
const char* const kWriteModeTexts[] = {"Не записывать", "В нач. часа (усл.)", "В нач. часа (безусл.)",
                                       "За сутки (безусл.)"};
const char* const kByteOrderTexts[] = {"Мл. адрес -- ст. байт", "Мл. адрес -- мл. байт"};
const char* const kDistributionTexts[] = {"Не рассылать", "Ср. за посл. час", "Ср. за посл. сутки"};
const char* const kOnConstantTexts[] = {"Нет", "Да"};
const char* const kMonthTexts[] = {"Переход запрещен", "Январь", "Февраль", "Март", "Апрель", "Май", "Июнь",
                                   "Июль", "Август", "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
const char* const kWeekDayTexts[] = {nullptr, "Воскресенье", "Понедельник", "Вторник",
                                     "Среда", "Четверг", "Пятница", "Суббота"};

template <size_t N>
constexpr ValueList L(const char* const (&texts)[N], const char* otherwise = "?") {
    return ValueList{texts, int(N), otherwise};
}

const ValueList kTimeKind = L(kTimeKindTexts);
const ValueList kPresence = L(kNoTexts, "Есть");
const ValueList kYesNo = L(kNoTexts, "Да");
const ValueList kModbus = L(kModbusTexts);
const ValueList kParity = L(kParityTexts);
const ValueList kChromType = L(kChromTypeTexts);
const ValueList kMoistType = L(kMoistTypeTexts);
const ValueList kFlowType = L(kFlowTypeTexts);
const ValueList kWriteMode = L(kWriteModeTexts);
const ValueList kByteOrder = L(kByteOrderTexts);
const ValueList kDistribution = L(kDistributionTexts);
const ValueList kOnConstant = L(kOnConstantTexts);
const ValueList kMonth = L(kMonthTexts);
const ValueList kWeekDay = L(kWeekDayTexts);

using A = CaptionArg;
using K = ValueKind;
constexpr uint8_t kAny = 255;

// First match wins; fields a table does not list fall to the generic caption.
const InterventionEntry kCatalogue[] = {
    {1, 0, 19, " Описание параметра хроматографа N%d", A::FieldPlus1, K::None, nullptr, 0},

    {2, 0, 0, "Время, год", A::None, K::TwoDigit, nullptr, 0},
    {2, 1, 1, "Время, месяц", A::None, K::TwoDigit, nullptr, 0},
    {2, 2, 2, "Время, день", A::None, K::TwoDigit, nullptr, 0},
    {2, 3, 3, "Время, час", A::None, K::TwoDigit, nullptr, 0},
    {2, 4, 4, "Время, минута", A::None, K::TwoDigit, nullptr, 0},
    {2, 5, 5, "Время, секунда", A::None, K::TwoDigit, nullptr, 0},
    {2, 6, 6, "Время, день недели", A::None, K::List, &kWeekDay, 0},
    {2, 7, 7, "Тип времени", A::None, K::List, &kTimeKind, 0},

    {3, 0, 0, "Адрес контроллера", A::None, K::Decimal, nullptr, 0},
    {3, 1, 1, "Скорость обмена с ВУ", A::None, K::Speed, nullptr, 0},
    {3, 2, 2, "Кол. преамбул при ответе ВУ", A::None, K::Decimal, nullptr, 0},
    {3, 3, 3, "Табл.%d.  Резервное поле № %d", A::TableField, K::None, nullptr, 0},

    {4, 0, kAny, "Параметры доступа пользователя", A::None, K::None, nullptr, 0},

    {5, 0, 0, "Наименование контроллера", A::None, K::NamePiece, nullptr, 0},
    {5, 1, 1, "Наимен. нитки 1 хроматографа", A::None, K::NamePiece, nullptr, 0},
    {5, 2, 2, "Наимен. нитки 2 хроматографа", A::None, K::NamePiece, nullptr, 0},

    {6, 0, 0, "Месяц перехода на летнее время", A::None, K::List, &kMonth, 0},
    {6, 1, 1, "День перехода на летнее время", A::None, K::DaySpec, nullptr, 0},
    {6, 2, 2, "Час перехода на летнее время", A::None, K::Decimal, nullptr, 0},
    {6, 3, 3, "Месяц перехода на зимнее время", A::None, K::List, &kMonth, 0},
    {6, 4, 4, "День перехода на зимнее время", A::None, K::DaySpec, nullptr, 0},
    {6, 5, 5, "Час перехода на зимнее время", A::None, K::Decimal, nullptr, 0},
    {6, 6, 6, "Контрактный час", A::None, K::Decimal, nullptr, 0},
    {6, 7, 7, "Наличие подключенного хроматографа", A::None, K::List, &kPresence, 0},
    {6, 8, 8, "Наличие подключенного влагомера", A::None, K::List, &kPresence, 0},
    {6, 9, 9, "Наличие подключенных ВРГ", A::None, K::List, &kPresence, 0},
    {6, 10, 10, "Синхронизировать время контр. с ВРГ", A::None, K::List, &kYesNo, 0},
    {6, 11, 11, "Синхронизировать время контр. с PC", A::None, K::List, &kYesNo, 0},

    // The speed captions of tables 9, 14 and 15 are written with a Latin "c".
    {9, 0, 0, "Количество подключенных ВРГ", A::None, K::Decimal, nullptr, 0},
    {9, 1, 1, "Скорость обмена c ВРГ", A::None, K::Speed, nullptr, 0},
    {9, 2, 2, "Количество неудачных опросов ВРГ", A::None, K::Decimal, nullptr, 0},
    {9, 3, 3, "Таймаут ожидания ответа от ВРГ", A::None, K::Decimal, nullptr, 0},
    {9, 4, 4, "Кол. преамбул  в запросе к вычислителю РГ", A::None, K::Decimal, nullptr, 0},
    {9, 5, 5, "Режим записи параметров газа в ВРГ", A::None, K::List, &kWriteMode, 0},

    // Passwords are never shown.
    {13, 0, 15, "Пароль на запись в ВРГ %d", A::FieldPlus1, K::None, nullptr, 0},
    {13, 16, kAny, "Пароль на запись в ВРГ № ?", A::None, K::None, nullptr, 0},

    {14, 0, 0, "Адрес хроматографа", A::None, K::Decimal, nullptr, 0},
    {14, 1, 1, "Скорость обмена c хроматографом", A::None, K::Speed, nullptr, 0},
    {14, 2, 2, "Режим обмена MODBUS с хроматографом", A::None, K::List, &kModbus, 0},
    {14, 3, 3, "Тип четности хроматографа", A::None, K::List, &kParity, 0},
    {14, 4, 4, "Таймаут ожидания ответа от хроматографа", A::None, K::Decimal, nullptr, 0},
    {14, 5, 5, "Кол. неудачных опросов хроматографа", A::None, K::Decimal, nullptr, 0},
    {14, 6, 6, "Тип хроматографа", A::None, K::List, &kChromType, 0},
    {14, 7, 7, "Задейств. признаки  хроматографа", A::None, K::Hex14, nullptr, 0},
    {14, 8, 8, "Синхронизировать время хром. с ВРГ", A::None, K::List, &kYesNo, 0},
    {14, 9, 9, "Синхронизировать время хром. с PC", A::None, K::List, &kYesNo, 0},
    {14, 10, 10, "Индекс ВРГ для чтения Тг в нитку 1 хром.", A::None, K::Decimal, nullptr, 0},
    {14, 11, 11, "Номер нитки ВРГ для чтения Тг в нитку 1 хром.", A::None, K::Decimal, nullptr, 0},
    {14, 12, 12, "Индекс ВРГ для чтения Тг в нитку 2 хром.", A::None, K::Decimal, nullptr, 0},
    {14, 13, 13, "Номер нитки ВРГ для чтения Тг в нитку 2 хром.", A::None, K::Decimal, nullptr, 0},
    {14, 14, 14, "Кол. параметров хроматографа для чтения", A::None, K::Decimal, nullptr, 0},
    {14, 15, 15, "Цикл опроса хроматографа", A::None, K::Decimal, nullptr, 0},

    {15, 0, 0, "Адрес влагомера", A::None, K::Decimal, nullptr, 0},
    {15, 1, 1, "Скорость обмена c влагомером", A::None, K::Speed, nullptr, 0},
    {15, 2, 2, "Режим обмена MODBUS с влагомером", A::None, K::List, &kModbus, 0},
    {15, 3, 3, "Тип четности влагомера", A::None, K::List, &kParity, 0},
    {15, 4, 4, "Таймаут ожидания ответа от влагомера", A::None, K::Decimal, nullptr, 0},
    {15, 5, 5, "Кол. неудачных опросов влагомера", A::None, K::Decimal, nullptr, 0},
    {15, 6, 6, "Тип влагомера", A::None, K::List, &kMoistType, 0},
    {15, 7, 7, "Табл.%d.  Резервное поле № %d", A::TableField, K::None, nullptr, 0},

    {17, 0, 15, "Тип ВРГ %d", A::FieldPlus1, K::List, &kFlowType, 0},
    {17, 16, kAny, "Тип ВРГ  № ?", A::None, K::List, &kFlowType, 0},
    {18, 0, 15, "Адрес подключенного ВРГ %d", A::FieldPlus1, K::Decimal, nullptr, 0},
    {18, 16, kAny, "Адрес подключенного ВРГ № ?", A::None, K::Decimal, nullptr, 0},
    {19, 0, 15, "Необходимость записи парам. газа для т/п ВРГ %d", A::FieldPlus1, K::Hex19, nullptr, 0},
    {19, 16, kAny, "Необходимость записи парам. газа для т/п ВРГ ?", A::None, K::Hex19, nullptr, 0},
    {20, 0, 15, "Порядок байтов многоб. перем. ВРГ %d", A::FieldPlus1, K::List, &kByteOrder, 0},
    {20, 16, kAny, "Порядок байтов многоб. перем. ВРГ № ?", A::None, K::List, &kByteOrder, 0},

    {21, 0, 19, "НР  \"%s\"", A::ParamName, K::List, &kDistribution, 0},
    {21, 20, kAny, "НР   ?", A::None, K::List, &kDistribution, 0},
    {22, 0, 19, "ЗН  \"%s\"", A::ParamName, K::Float, nullptr, -1},
    {22, 20, kAny, "ЗН   ?", A::None, K::Float, nullptr, 4},
    {23, 0, 19, "НПУ  \"%s\"", A::ParamName, K::Float, nullptr, -1},
    {23, 20, kAny, "НПУ   ?", A::None, K::Float, nullptr, 4},
    {24, 0, 19, "ВПУ  \"%s\"", A::ParamName, K::Float, nullptr, -1},
    {24, 20, kAny, "ВПУ   ?", A::None, K::Float, nullptr, 4},
    {25, 0, 19, "НДП  \"%s\"", A::ParamName, K::Float, nullptr, -1},
    {25, 20, kAny, "НДП   ?", A::None, K::Float, nullptr, 4},
    {26, 0, 19, "ВДП  \"%s\"", A::ParamName, K::Float, nullptr, -1},
    {26, 20, kAny, "ВДП   ?", A::None, K::Float, nullptr, 4},

    {28, 0, 0, "Период рассылки параметров газа в ВРГ", A::None, K::Hours, nullptr, 0},
    {28, 1, 1, "Табл.%d.  Резервное поле № %d", A::TableField, K::None, nullptr, 0},

    {29, 0, 0, "Параметры Ethernet: Ip адрес", A::None, K::IpAddress, nullptr, 0},
    {29, 1, 1, "Параметры Ethernet: Маска подсети", A::None, K::IpAddress, nullptr, 0},
    {29, 2, 2, "Параметры Ethernet: Шлюз по умолчанию", A::None, K::IpAddress, nullptr, 0},
    {29, 3, 4, "Параметры Ethernet: Порт ВРГ %d", A::FieldMinus2, K::U32, nullptr, 0},
    {29, 5, 6, "Параметры Ethernet: Порт ЗУЛ %d", A::FieldMinus4, K::U32, nullptr, 0},

    // Tables 45 and 46 are the second line's counterparts of 43 and 44.
    {43, 0, 19, "На константе. Нитка 1. \"%s\"", A::ParamName, K::List, &kOnConstant, 0},
    {45, 0, 19, "На константе. Нитка 2. \"%s\"", A::ParamName, K::List, &kOnConstant, 0},
    {44, 0, 19, "Константа. Нитка 1. \"%s\"", A::ParamName, K::Float, nullptr, 4},
    {46, 0, 19, "Константа. Нитка 2. \"%s\"", A::ParamName, K::Float, nullptr, 4},
};

}  // namespace

const InterventionEntry* FindInterventionEntry(int table, int field) {
    for (const InterventionEntry& e : kCatalogue) {
        if (e.table == table && field >= e.firstField && field <= e.lastField) return &e;
    }
    return nullptr;
}

}  // namespace zul
