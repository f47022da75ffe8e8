// Number-to-text rules and the key filters of edit boxes, shared by every view
// and dialog; the layout rules of the two-line message box and the texts of the
// wait window. No window code here: the Qt side (shell/KeyFilters.h,
// shell/MessageBox.h, shell/Wait.h) applies these rules to its widgets.
#pragma once
#include <cstdint>
#include <string>

namespace zul {

// True when the exponent bits 23..30 of the 4-byte float are all set (NaN or infinity).
bool IsNanOrInf(float value);
// The same test on the four bytes of a float as stored (little-endian).
bool IsNanOrInf(const uint8_t* bytes);

// Gas values: "NAN", "0", "%.4e" below 0.000001, otherwise fixed point with
// 5, 4, 3, 2, 1 or 0 decimals by magnitude; '.' as decimal separator.
std::string FormatValue(float value);
// Live values: fixed point with `decimals` decimals (clamped to 0..18) and at most
// 10 significant digits; 1e10 and more in the general form with an exponent;
// "NAN", "INF", "-INF" for the special values.
constexpr int kMaxFixedDecimals = 18;
std::string FormatFixed(float value, int decimals);
// Moisture values: "NAN", "0", "%.2e" below 0.000001, otherwise fixed point with
// 6, 5, 4, 3, 2, 1 or 0 decimals by magnitude.
std::string FormatMoistureValue(float value);
// Fixed point with `decimals` decimals and at most 10 significant digits; a value
// of 1e10 or more in the general form ("1.234567891E12"); '.' as separator.
std::string FormatFixed(double value, int decimals);

// Key codes of the filters (characters as typed).
constexpr char32_t kKeyBackspace = 8;

// Digits and backspace pass; true when the key is kept.
bool IntegerKeyFilter(char32_t key);
// Decides one character typed into a box for a floating-point number with the
// box's current text and caret position (in characters). Returns the character
// to insert (',' becomes '.') or 0 when the key is discarded. Backspace passes.
char32_t FloatKeyFilter(const std::u32string& text, int caret, char32_t key);
char32_t FloatKeyFilter(const std::string& asciiText, int caret, char32_t key);

// Number of characters of a UTF-8 text (code points).
int Utf8Length(const std::string& text);

// What a message box of a given kind shows, and its size in pixels.
struct MessageBoxLayout {
    std::string caption;
    std::string line1, line2, line3;
    bool answerButtons = false;  // "Да" and "Нет" instead of one closing button
    int width = 0;
    int height = 0;
    // Button geometry: the single button, or "Нет" (left) and "Да" (right).
    static constexpr int kButtonWidth = 75;
    static constexpr int kButtonHeight = 25;
    int singleButtonLeft = 0;
    int noButtonLeft = 0;
    int yesButtonLeft = 0;
};
// Caption, third line, buttons and size of a message box of kind 1..11 with the
// caller's two lines (kinds 9 and 10 show fixed lines and the caller's first
// line as line 3). An unknown kind gives an empty caption and one button.
MessageBoxLayout LayoutMessageBox(int kind, const std::string& line1, const std::string& line2);
// Widens the box to at least `width` (a face wider than 10 pixels a character)
// and places the buttons again.
void WidenMessageBox(MessageBoxLayout& layout, int width);

// Kinds of the wait window.
enum WaitKind {
    kWaitCheck = 0,         // checking the configuration
    kWaitRead = 1,          // reading data, Esc stops
    kWaitWriteConfig = 2,   // writing configuration tables
    kWaitReadTables = 3,    // reading configuration tables
    kWaitSpreadsheet = 4,   // building a spreadsheet
    kWaitLinkRestore = 5,   // command sent, checking that the link comes back
    kWaitReport = 6,        // producing a day or month report
};
// Texts of the wait window by kind 0..6 (UTF-8); an unknown kind gives kind 1.
struct WaitTexts {
    const char* line1;
    const char* line2;
    const char* line3;
};
WaitTexts WaitWindowTexts(int kind);

}  // namespace zul
