// The catalogue of the controller's 45 tables and the fixed name lists.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace zul {

constexpr int kTableCount = 45;
constexpr int kTableImageSize = 2925;

struct TableDescriptor {
    uint8_t fieldCount;
    uint8_t fieldSize;
    uint8_t isConfiguration;
    const char* name;  // UTF-8, exactly as shown (most begin with a blank)
    int offset;        // offset in the table image, -1 for tables without fields
    int Bytes() const { return fieldCount * fieldSize; }
};

// Descriptor of table t; tables outside 0..44 give an empty descriptor.
const TableDescriptor& Table(int t);
bool IsTableNumber(int t);
// The 24 configuration tables in ascending order.
extern const uint8_t kConfigurationTables[24];

// Unit texts of the first list (codes 0..36) and of the second list (codes 0..11).
extern const char* const kUnits1[37];
extern const char* const kUnits2[12];
// Month names, index 1..12 (index 0 empty); weekday names, index 1 = Sunday .. 7.
extern const char* const kMonthNames[13];
extern const char* const kWeekDayNames[8];
extern const char* const kWeekOrdinals[5];
extern const char* const kTimeKinds[2];  // "Летнее", "Зимнее"
extern const char* const kNoTimeChange;  // "Переход запрещен"

// The speed code: index 0..21 into the list of speeds; -1 outside the list.
constexpr int kSpeedCodeCount = 22;
extern const int kSpeedCodes[kSpeedCodeCount];
int SpeedFromCode(int code);
int CodeFromSpeed(int bitsPerSecond);  // -1 when the speed has no code

// Code pages of the texts of table 5: in place over `length` bytes; return length.
int ToControllerCodePage(uint8_t* bytes, uint8_t length);    // 1251 -> 866
int FromControllerCodePage(uint8_t* bytes, uint8_t length);  // 866 -> 1251

// Windows-1251 bytes to UTF-8 for display, and back (characters without a
// cp1251 code become `replacement`).
std::string Cp1251ToUtf8(const std::string& cp1251);
std::string Utf8ToCp1251(const std::string& utf8, char replacement = '?');
// The Unicode code point of one cp1251 byte (0 for the one undefined code 0x98).
char32_t Cp1251ToUnicode(uint8_t b);

// printf into a string, never cut short.
template <typename... Args>
std::string Sprintf(const char* fmt, Args... args) {
    const int n = std::snprintf(nullptr, 0, fmt, args...);
    if (n <= 0) return {};
    std::string out(size_t(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), fmt, args...);
    out.resize(size_t(n));
    return out;
}

// The last component of a '/'-separated path.
std::string FileBaseName(const std::string& path);

}  // namespace zul
