#include "shell/Suplfunc.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace zul {

bool IsNanOrInf(float value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    return (bits & 0x7F800000u) == 0x7F800000u;
}

bool IsNanOrInf(const uint8_t* bytes) {
    const uint32_t bits = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                          uint32_t(bytes[3]) << 24;
    return (bits & 0x7F800000u) == 0x7F800000u;
}

namespace {

const char kNan[] = "NAN";

// C "%.<precision>e" without the locale.
std::string Scientific(double x, int precision) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, precision);
    if (r.ec != std::errc()) return kNan;
    return std::string(buf, r.ptr);
}

// A value too large for fixed point with 10 significant digits: the general
// form, "1.234567891E12", trailing zeros of the mantissa dropped.
std::string General(double x) {
    std::string s = Scientific(x, 9);
    if (s == kNan) return s;
    const size_t e = s.find('e');
    if (e == std::string::npos) return kNan;
    std::string mantissa = s.substr(0, e);
    std::string exponent = s.substr(e + 1);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
        if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
    }
    bool negative = false;
    size_t i = 0;
    if (i < exponent.size() && (exponent[i] == '+' || exponent[i] == '-')) negative = exponent[i++] == '-';
    while (i + 1 < exponent.size() && exponent[i] == '0') ++i;
    return mantissa + "E" + (negative ? "-" : "") + exponent.substr(i);
}

// Fixed point with `decimals` decimals (10 significant digits at most, which
// only limits values of 1e10 and more).
std::string Fixed(double x, int decimals) {
    if (std::fabs(x) >= 1e10) return General(x);
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return kNan;
    std::string s(buf, r.ptr);
    // A negative value that rounds to zero is shown without its sign.
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

}  // namespace

std::string FormatFixed(double x, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 18) decimals = 18;
    const double a = std::fabs(x);
    if (a > 0 && a < 1e10 && std::isfinite(x)) {
        // Position of the first significant digit: 1 for 1..9, 0 for 0.1..0.9, -1 for 0.01..
        const int before = int(std::floor(std::log10(a))) + 1;
        if (before + decimals > 10) {
            // Only the first 10 significant digits count: round there, the rest reads 0.
            const double scale = std::pow(10.0, 10 - before);
            x = std::round(x * scale) / scale;
        }
    }
    return Fixed(x, decimals);
}

std::string FormatValue(float value) {
    if (IsNanOrInf(value)) return kNan;
    const double x = value;
    const double a = std::fabs(x);
    if (a == 0) return "0";
    if (a < 0.000001) return Scientific(x, 4);
    int decimals;
    if (a < 0.0001) decimals = 5;
    else if (a < 10) decimals = 4;
    else if (a < 100) decimals = 3;
    else if (a < 1000) decimals = 2;
    else if (a < 10000) decimals = 1;
    else decimals = 0;
    return Fixed(x, decimals);
}

std::string FormatFixed(float value, int decimals) {
    if (std::isnan(value)) return kNan;
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    // Rounded once, from the float's exact value.
    return FormatFixed(double(value), std::clamp(decimals, 0, kMaxFixedDecimals));
}

std::string FormatMoistureValue(float value) {
    if (IsNanOrInf(value)) return kNan;
    const double x = value;
    const double a = std::fabs(x);
    if (a == 0) return "0";
    if (a < 0.000001) return Scientific(x, 2);
    int decimals;
    if (a < 0.0001) decimals = 6;
    else if (a < 0.001) decimals = 5;
    else if (a < 0.01) decimals = 4;
    else if (a < 1) decimals = 3;
    else if (a < 100) decimals = 2;
    else if (a < 1000) decimals = 1;
    else decimals = 0;
    return Fixed(x, decimals);
}

bool IntegerKeyFilter(char32_t key) {
    return key == kKeyBackspace || (key >= U'0' && key <= U'9');
}

char32_t FloatKeyFilter(const std::u32string& t, int caret, char32_t key) {
    if (key == kKeyBackspace) return key;
    if (key == U',') key = U'.';
    const int n = int(t.size());
    const int c = std::clamp(caret, 0, n);
    const size_t ePos = t.find(U'e');
    const bool hasE = ePos != std::u32string::npos;
    const int e = hasE ? int(ePos) : -1;
    const bool hasPoint = t.find(U'.') != std::u32string::npos;
    bool innerMinus = false, innerPlus = false;
    for (int i = 1; i < n; ++i) {
        if (t[i] == U'-') innerMinus = true;
        if (t[i] == U'+') innerPlus = true;
    }
    const int k = (innerMinus || innerPlus) ? 3 : 2;

    if (key >= U'0' && key <= U'9') {
        if (hasE && e < c && e + k < n) return 0;
        return key;
    }
    if (key == U'e') {
        if (hasE || c != n || n == 0) return 0;
        return key;
    }
    if (key == U'.') {
        if (hasPoint || (hasE && c > e)) return 0;
        return key;
    }
    if (key == U'-') {
        if (c == 0 && (n == 0 || t[0] != U'-')) return key;
        if (hasE && c == e + 1 && !innerMinus && !innerPlus) return key;
        return 0;
    }
    if (key == U'+') {
        if (hasE && c == e + 1 && !innerMinus && !innerPlus) return key;
        return 0;
    }
    return 0;
}

char32_t FloatKeyFilter(const std::string& asciiText, int caret, char32_t key) {
    return FloatKeyFilter(std::u32string(asciiText.begin(), asciiText.end()), caret, key);
}

int Utf8Length(const std::string& text) {
    int n = 0;
    for (unsigned char ch : text)
        if ((ch & 0xC0) != 0x80) ++n;
    return n;
}

MessageBoxLayout LayoutMessageBox(int kind, const std::string& line1, const std::string& line2) {
    MessageBoxLayout m;
    m.line1 = line1;
    m.line2 = line2;
    switch (kind) {
    case 1: m.caption = "Ошибка"; break;
    case 2: m.caption = "Ошибка ввода параметров"; break;
    case 3: m.answerButtons = true; break;
    case 4: m.line3 = "(см. текущее состояние контроллера)"; break;
    case 5: m.caption = "Результат обмена с устройством"; break;
    case 6: break;
    case 7: m.line3 = "Повторить попытку?"; m.answerButtons = true; break;
    case 8: m.line3 = "Создавать суточный отчет?"; m.answerButtons = true; break;
    case 9:
    case 10:
        m.line1 = "За время работы оператора изменились даты";
        m.line2 = "самой старой  и последней записей в архиве.";
        m.line3 = line1;
        m.answerButtons = kind == 10;
        break;
    case 11: m.line3 = "Суточный сертификат не может быть создан"; break;
    default: break;
    }
    const int emptyOf23 = int(m.line2.empty()) + int(m.line3.empty());
    m.height = emptyOf23 == 2 ? 124 : emptyOf23 == 1 ? 150 : 175;
    const int longest = std::max({Utf8Length(m.caption), Utf8Length(m.line1), Utf8Length(m.line2),
                                  Utf8Length(m.line3)});
    WidenMessageBox(m, std::max(10 * longest + 20, 2 * MessageBoxLayout::kButtonWidth + 60));
    return m;
}

void WidenMessageBox(MessageBoxLayout& m, int width) {
    m.width = std::max(m.width, width);
    m.singleButtonLeft = (m.width - MessageBoxLayout::kButtonWidth) / 2;
    const int gap = (m.width - 2 * MessageBoxLayout::kButtonWidth) / 3;
    m.noButtonLeft = gap;
    m.yesButtonLeft = 2 * gap + MessageBoxLayout::kButtonWidth;
}

WaitTexts WaitWindowTexts(int kind) {
    switch (kind) {
    case 0: return {"Ожидайте...", "Выполняется проверка", "всех параметров конфигурации"};
    case 2: return {"Ожидайте...", "Выполняется запись параметров", "конфигурации в контроллер"};
    case 3: return {"Ожидайте...", "Выполняется чтение", "таблиц параметров конфигурации"};
    case 4: return {"Ожидайте...", "Выполняется создание", "таблицы в формате Excel"};
    case 6: return {"Ожидайте...", "Выполняется формирование", "отчета в формате Excel"};
    case 5:
        return {"Команда передана. Выполняется проверка", "восстановления связи с контроллером",
                "Ожидайте..."};
    case 1:
    default: return {"Ожидайте...", "Выполняется чтение данных", "Esc - прервать чтение"};
    }
}

}  // namespace zul
