// Code pages: 1251 <-> 866 for the texts of table 5, and 1251 <-> UTF-8 for display.
#include <array>

#include "tables/Stringi.h"

namespace zul {

namespace {

using Map = std::array<uint8_t, 256>;

// Characters present in both code pages besides the letters: {1251, 866}.
constexpr uint8_t kCommon[][2] = {
    {0xA8, 0xF0}, {0xB8, 0xF1}, {0xAA, 0xF2}, {0xBA, 0xF3}, {0xAF, 0xF4}, {0xBF, 0xF5},
    {0xA1, 0xF6}, {0xA2, 0xF7}, {0xB0, 0xF8}, {0xB7, 0xFA}, {0xB9, 0xFC}, {0xA4, 0xFD},
};

Map BuildTo866() {
    Map m{};
    for (int b = 0; b < 256; ++b) m[size_t(b)] = b < 0x80 ? uint8_t(b) : uint8_t('_');
    for (int b = 0xC0; b <= 0xDF; ++b) m[size_t(b)] = uint8_t(b - 0xC0 + 0x80);
    for (int b = 0xE0; b <= 0xEF; ++b) m[size_t(b)] = uint8_t(b - 0xE0 + 0xA0);
    for (int b = 0xF0; b <= 0xFF; ++b) m[size_t(b)] = uint8_t(b - 0xF0 + 0xE0);
    for (auto& c : kCommon) m[c[0]] = c[1];
    const uint8_t lookAlike[][2] = {
        {0x95, 0xF9}, {0xA6, '|'}, {0xA7, 0x15}, {0xA9, 'c'}, {0xAB, 0x11}, {0xAC, '-'},
        {0xAD, '-'}, {0xAE, 'r'}, {0xB2, 'I'}, {0xB3, 'i'}, {0xB6, 0x14}, {0xBB, 0x10},
    };
    for (auto& c : lookAlike) m[c[0]] = c[1];
    return m;
}

Map BuildFrom866() {
    Map m{};
    for (int b = 0; b < 256; ++b) m[size_t(b)] = b < 0x80 ? uint8_t(b) : uint8_t('_');
    m[0x0F] = 0xA4;
    m[0x14] = 0xB6;
    m[0x15] = 0xA7;
    for (int b = 0x80; b <= 0x9F; ++b) m[size_t(b)] = uint8_t(b - 0x80 + 0xC0);
    for (int b = 0xA0; b <= 0xAF; ++b) m[size_t(b)] = uint8_t(b - 0xA0 + 0xE0);
    for (int b = 0xE0; b <= 0xEF; ++b) m[size_t(b)] = uint8_t(b - 0xE0 + 0xF0);
    for (auto& c : kCommon) m[c[1]] = c[0];
    m[0xF9] = 0x95;
    for (uint8_t b : {0xB3, 0xB4, 0xB5, 0xB6, 0xB9, 0xBA, 0xC6, 0xC7, 0xCC}) m[b] = 0xA6;
    for (uint8_t b : {0xC1, 0xC2, 0xC4, 0xCA, 0xCB, 0xCD, 0xCF, 0xD0, 0xD1, 0xD2}) m[b] = '-';
    for (uint8_t b : {0xB7, 0xB8, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xC3, 0xC5, 0xC8,
                      0xC9, 0xCE, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA})
        m[b] = '+';
    return m;
}

const Map kTo866 = BuildTo866();
const Map kFrom866 = BuildFrom866();

constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace

int ToControllerCodePage(uint8_t* bytes, uint8_t length) {
    for (int i = 0; i < length; ++i) bytes[i] = kTo866[bytes[i]];
    return length;
}

int FromControllerCodePage(uint8_t* bytes, uint8_t length) {
    for (int i = 0; i < length; ++i) bytes[i] = kFrom866[bytes[i]];
    return length;
}

char32_t Cp1251ToUnicode(uint8_t b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return char32_t(0x0410 + (b - 0xC0));
    return kCp1251High[b - 0x80];
}

std::string Cp1251ToUtf8(const std::string& in) {
    std::string out;
    out.reserve(in.size() * 2);
    for (unsigned char b : in) {
        AppendUtf8(out, b == 0x98 ? U'?' : Cp1251ToUnicode(b));
    }
    return out;
}

std::string Utf8ToCp1251(const std::string& in, char replacement) {
    static const auto reverse = [] {
        std::array<std::pair<char32_t, uint8_t>, 128> r{};
        for (int b = 0x80; b < 0x100; ++b) r[size_t(b - 0x80)] = {Cp1251ToUnicode(uint8_t(b)), uint8_t(b)};
        return r;
    }();
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        unsigned char c = static_cast<unsigned char>(in[i]);
        char32_t cp;
        size_t len;
        if (c < 0x80) { cp = c; len = 1; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
        else { out += replacement; ++i; continue; }
        if (i + len > in.size()) { out += replacement; break; }
        bool ok = true;
        for (size_t k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(in[i + k]);
            if ((cc & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) { out += replacement; ++i; continue; }
        i += len;
        if (cp < 0x80) { out += char(cp); continue; }
        char mapped = replacement;
        for (auto& [u, b] : reverse)
            if (u == cp && u != 0) { mapped = char(b); break; }
        out += mapped;
    }
    return out;
}

}  // namespace zul
