#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "shell/Suplfunc.h"

using namespace zul;

TEST(FormatValue, MagnitudeDecidesTheDecimals) {
    EXPECT_EQ(FormatValue(0.00000012f), "1.2000e-07");
    EXPECT_EQ(FormatValue(0.5f), "0.5000");
    EXPECT_EQ(FormatValue(123.4f), "123.40");
    EXPECT_EQ(FormatValue(12345.6f), "12346");
    EXPECT_EQ(FormatValue(0.00005f), "0.00005");
    // 0.0001f is 0.000099999997: still below the step.
    EXPECT_EQ(FormatValue(0.0001f), "0.00010");
    EXPECT_EQ(FormatValue(0.00011f), "0.0001");
    EXPECT_EQ(FormatValue(9.99994f), "9.9999");
    EXPECT_EQ(FormatValue(10.0f), "10.000");
    EXPECT_EQ(FormatValue(99.5f), "99.500");
    EXPECT_EQ(FormatValue(999.25f), "999.25");
    EXPECT_EQ(FormatValue(1000.0f), "1000.0");
    EXPECT_EQ(FormatValue(9999.94f), "9999.9");
    EXPECT_EQ(FormatValue(10000.0f), "10000");
    EXPECT_EQ(FormatValue(0.000001f), "1.0000e-06");  // 9.99999997e-7
    EXPECT_EQ(FormatValue(0.0000015f), "0.00000");
}

TEST(FormatValue, SignZeroAndSpecials) {
    EXPECT_EQ(FormatValue(0.0f), "0");
    EXPECT_EQ(FormatValue(-0.0f), "0");
    EXPECT_EQ(FormatValue(-0.5f), "-0.5000");
    EXPECT_EQ(FormatValue(-123.4f), "-123.40");
    EXPECT_EQ(FormatValue(-0.00000012f), "-1.2000e-07");
    EXPECT_EQ(FormatValue(std::numeric_limits<float>::quiet_NaN()), "NAN");
    EXPECT_EQ(FormatValue(std::numeric_limits<float>::signaling_NaN()), "NAN");
    EXPECT_EQ(FormatValue(std::numeric_limits<float>::infinity()), "NAN");
    EXPECT_EQ(FormatValue(-std::numeric_limits<float>::infinity()), "NAN");
    // The smallest subnormal is not zero and not NaN.
    EXPECT_EQ(FormatValue(std::numeric_limits<float>::denorm_min()), "1.4013e-45");
    // Beyond ten digits before the point the general form takes over.
    // (10 significant digits of the float's exact value).
    EXPECT_EQ(FormatValue(1e12f), "9.999999959E11");
    EXPECT_EQ(FormatValue(-17179869184.0f), "-1.717986918E10");
    EXPECT_EQ(FormatValue(1099511627776.0f * 1024), "1.125899907E15");
    EXPECT_EQ(FormatValue(8589934592.0f), "8589934592");
    EXPECT_EQ(FormatValue(1e30f), "1.000000015E30");
}

TEST(FormatValue, DoesNotFollowTheProcessLocale) {
    const char* old = setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!setlocale(LC_NUMERIC, "ru_RU.UTF-8") && !setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma (scripts/setup.sh generates ru_RU.UTF-8)";
    char probe[8];
    snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ(probe, "0,5");  // the locale really has a comma
    EXPECT_EQ(FormatValue(0.5f), "0.5000");
    EXPECT_EQ(FormatValue(-123.4f), "-123.40");
    EXPECT_EQ(FormatMoistureValue(45.678f), "45.68");
    setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormatMoistureValue, MagnitudeDecidesTheDecimals) {
    EXPECT_EQ(FormatMoistureValue(0.005f), "0.0050");
    EXPECT_EQ(FormatMoistureValue(45.678f), "45.68");
    EXPECT_EQ(FormatMoistureValue(2500.0f), "2500");
    EXPECT_EQ(FormatMoistureValue(0.00000012f), "1.20e-07");
    EXPECT_EQ(FormatMoistureValue(0.00005f), "0.000050");
    EXPECT_EQ(FormatMoistureValue(0.0005f), "0.00050");
    EXPECT_EQ(FormatMoistureValue(0.5f), "0.500");
    EXPECT_EQ(FormatMoistureValue(1.0f), "1.00");
    EXPECT_EQ(FormatMoistureValue(100.0f), "100.0");
    EXPECT_EQ(FormatMoistureValue(-12.345f), "-12.35");
    EXPECT_EQ(FormatMoistureValue(0.0f), "0");
    EXPECT_EQ(FormatMoistureValue(std::nanf("")), "NAN");
}

TEST(IsNanOrInf, ExponentBitsOfTheStoredBytes) {
    const uint8_t nan[4] = {0x00, 0x00, 0xC0, 0x7F};
    const uint8_t inf[4] = {0x00, 0x00, 0x80, 0xFF};
    const uint8_t maxFloat[4] = {0xFF, 0xFF, 0x7F, 0x7F};
    const uint8_t one[4] = {0x00, 0x00, 0x80, 0x3F};
    EXPECT_TRUE(IsNanOrInf(nan));
    EXPECT_TRUE(IsNanOrInf(inf));
    EXPECT_FALSE(IsNanOrInf(maxFloat));
    EXPECT_FALSE(IsNanOrInf(one));
    EXPECT_FALSE(IsNanOrInf(std::numeric_limits<float>::max()));
    EXPECT_TRUE(IsNanOrInf(-std::numeric_limits<float>::quiet_NaN()));
}

TEST(IntegerKeyFilter, DigitsAndBackspaceOnly) {
    for (char32_t c = U'0'; c <= U'9'; ++c) EXPECT_TRUE(IntegerKeyFilter(c));
    EXPECT_TRUE(IntegerKeyFilter(kKeyBackspace));
    for (char32_t c : {U'-', U'+', U'.', U',', U'e', U' ', U'a', U'Ж', U'\r'}) EXPECT_FALSE(IntegerKeyFilter(c));
}

namespace {
// Text after typing `key` at the caret, as the edit box would show it.
std::string Typed(const std::string& text, int caret, char32_t key) {
    char32_t r = FloatKeyFilter(text, caret, key);
    if (!r) return text;
    std::string s = text;
    s.insert(s.begin() + caret, char(r));
    return s;
}
}  // namespace

TEST(FloatKeyFilter, ExponentDigits) {
    // Sign and two digits: nothing more in the exponent.
    EXPECT_EQ(FloatKeyFilter("1.5e-35", 7, U'7'), 0u);
    EXPECT_EQ(Typed("1.5e-3", 6, U'5'), "1.5e-35");
    EXPECT_EQ(Typed("1.5e3", 5, U'5'), "1.5e35");
    EXPECT_EQ(FloatKeyFilter("1.5e35", 6, U'1'), 0u);
    // Digits before the 'e' are still free.
    EXPECT_EQ(Typed("1.5e-35", 1, U'2'), "12.5e-35");
    EXPECT_EQ(Typed("", 0, U'7'), "7");
}

TEST(FloatKeyFilter, TheE) {
    EXPECT_EQ(FloatKeyFilter("", 0, U'e'), 0u);
    EXPECT_EQ(Typed("1.5", 3, U'e'), "1.5e");
    EXPECT_EQ(FloatKeyFilter("1.5", 1, U'e'), 0u);   // caret not at the end
    EXPECT_EQ(FloatKeyFilter("1e5", 3, U'e'), 0u);   // one 'e' only
    EXPECT_EQ(FloatKeyFilter("1.5", 3, U'E'), 0u);   // the capital is not the exponent
}

TEST(FloatKeyFilter, PointAndComma) {
    EXPECT_EQ(FloatKeyFilter("12", 1, U','), U'.');
    EXPECT_EQ(Typed("12", 2, U'.'), "12.");
    EXPECT_EQ(FloatKeyFilter("1.2", 3, U'.'), 0u);
    EXPECT_EQ(FloatKeyFilter("1.2", 3, U','), 0u);
    EXPECT_EQ(FloatKeyFilter("1e5", 2, U'.'), 0u);   // after the 'e'
    EXPECT_EQ(Typed("1e5", 1, U'.'), "1.e5");        // before it
}

TEST(FloatKeyFilter, Signs) {
    EXPECT_EQ(Typed("", 0, U'-'), "-");
    EXPECT_EQ(Typed("12", 0, U'-'), "-12");
    EXPECT_EQ(FloatKeyFilter("-12", 0, U'-'), 0u);
    EXPECT_EQ(FloatKeyFilter("12", 1, U'-'), 0u);
    EXPECT_EQ(Typed("1.5e", 4, U'-'), "1.5e-");
    EXPECT_EQ(Typed("-1.5e", 5, U'-'), "-1.5e-");   // a leading minus is no inner sign
    EXPECT_EQ(FloatKeyFilter("1.5e-", 5, U'-'), 0u);
    EXPECT_EQ(FloatKeyFilter("1.5e+3", 4, U'-'), 0u);
    EXPECT_EQ(Typed("1.5e", 4, U'+'), "1.5e+");
    EXPECT_EQ(Typed("-1.5e", 5, U'+'), "-1.5e+");
    EXPECT_EQ(FloatKeyFilter("1.5e", 3, U'+'), 0u);
    EXPECT_EQ(FloatKeyFilter("1.5", 0, U'+'), 0u);
    EXPECT_EQ(FloatKeyFilter("", 0, U'+'), 0u);
    EXPECT_EQ(FloatKeyFilter("1.5e-", 5, U'+'), 0u);
}

TEST(FloatKeyFilter, OtherCharacters) {
    EXPECT_EQ(FloatKeyFilter("1.5", 3, kKeyBackspace), kKeyBackspace);
    EXPECT_EQ(FloatKeyFilter("1.5e-35", 7, kKeyBackspace), kKeyBackspace);
    for (char32_t c : {U'a', U' ', U'Ж', U'/', U'*'}) EXPECT_EQ(FloatKeyFilter("1", 1, c), 0u);
    // A caret outside the text is taken as its end.
    EXPECT_EQ(Typed("1.5", 3, U'e'), "1.5e");
    EXPECT_EQ(FloatKeyFilter("1.5", 99, U'e'), U'e');
}

TEST(MessageBoxLayout, CaptionThirdLineAndButtonsByKind) {
    struct Case { int kind; const char* caption; const char* line3; bool answer; };
    const Case cases[] = {
        {1, "Ошибка", "", false},
        {2, "Ошибка ввода параметров", "", false},
        {3, "", "", true},
        {4, "", "(см. текущее состояние контроллера)", false},
        {5, "Результат обмена с устройством", "", false},
        {6, "", "", false},
        {7, "", "Повторить попытку?", true},
        {8, "", "Создавать суточный отчет?", true},
        {11, "", "Суточный сертификат не может быть создан", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        MessageBoxLayout m = LayoutMessageBox(c.kind, "первая", "вторая");
        EXPECT_EQ(m.caption, c.caption);
        EXPECT_EQ(m.line1, "первая");
        EXPECT_EQ(m.line2, "вторая");
        EXPECT_EQ(m.line3, c.line3);
        EXPECT_EQ(m.answerButtons, c.answer);
    }
    for (int kind : {9, 10}) {
        MessageBoxLayout m = LayoutMessageBox(kind, "Диагностические сообщения", "не показывается");
        EXPECT_EQ(m.line1, "За время работы оператора изменились даты");
        EXPECT_EQ(m.line2, "самой старой  и последней записей в архиве.");
        EXPECT_EQ(m.line3, "Диагностические сообщения");
        EXPECT_EQ(m.answerButtons, kind == 10);
        EXPECT_EQ(m.height, 175);
    }
}

TEST(MessageBoxLayout, Sizes) {
    // Kind 7 with two lines: all three lines shown.
    MessageBoxLayout m = LayoutMessageBox(7, "Не выполнено чтение из таблицы 5.", "\" Наименования\"");
    EXPECT_EQ(m.height, 175);
    EXPECT_EQ(m.width, 10 * 33 + 20);  // the first line is the longest (33 characters)
    // Lines 2 and 3 empty / one of them empty.
    EXPECT_EQ(LayoutMessageBox(6, "Нет данных", "").height, 124);
    EXPECT_EQ(LayoutMessageBox(6, "Нет данных", "за период").height, 150);
    EXPECT_EQ(LayoutMessageBox(4, "Внимание", "").height, 150);
    EXPECT_EQ(LayoutMessageBox(7, "Связь", "").height, 150);
    // The caption counts like a line; characters, not bytes.
    EXPECT_EQ(LayoutMessageBox(2, "Ж", "").width, 10 * 23 + 20);
    // Short texts: at least the two answer buttons and 60.
    MessageBoxLayout s = LayoutMessageBox(3, "Да?", "");
    EXPECT_EQ(s.width, 2 * MessageBoxLayout::kButtonWidth + 60);
    EXPECT_EQ(LayoutMessageBox(6, "", "").width, 2 * MessageBoxLayout::kButtonWidth + 60);
}

TEST(MessageBoxLayout, ButtonPlaces) {
    MessageBoxLayout m = LayoutMessageBox(3, "Вы уверены, что хотите выполнить сброс", "всех энергонезависимых данных?");
    const int bw = MessageBoxLayout::kButtonWidth;
    const int gapLeft = m.noButtonLeft;
    const int gapMiddle = m.yesButtonLeft - (m.noButtonLeft + bw);
    const int gapRight = m.width - (m.yesButtonLeft + bw);
    EXPECT_LT(m.noButtonLeft, m.yesButtonLeft);  // "Нет" on the left
    EXPECT_EQ(gapLeft, gapMiddle);
    EXPECT_LE(std::abs(gapRight - gapLeft), 2);
    MessageBoxLayout one = LayoutMessageBox(1, "Ошибка открытия файла", "");
    EXPECT_LE(std::abs(one.singleButtonLeft - (one.width - one.singleButtonLeft - bw)), 1);
}

TEST(WaitWindowTexts, Kinds) {
    EXPECT_STREQ(WaitWindowTexts(kWaitRead).line2, "Выполняется чтение данных");
    EXPECT_STREQ(WaitWindowTexts(kWaitRead).line3, "Esc - прервать чтение");
    EXPECT_STREQ(WaitWindowTexts(kWaitCheck).line3, "всех параметров конфигурации");
    EXPECT_STREQ(WaitWindowTexts(kWaitWriteConfig).line2, "Выполняется запись параметров");
    EXPECT_STREQ(WaitWindowTexts(kWaitReadTables).line3, "таблиц параметров конфигурации");
    EXPECT_STREQ(WaitWindowTexts(kWaitSpreadsheet).line3, "таблицы в формате Excel");
    EXPECT_STREQ(WaitWindowTexts(kWaitLinkRestore).line1, "Команда передана. Выполняется проверка");
    EXPECT_STREQ(WaitWindowTexts(kWaitLinkRestore).line3, "Ожидайте...");
    for (int k = 0; k <= 4; ++k) EXPECT_STREQ(WaitWindowTexts(k).line1, "Ожидайте...");
}
