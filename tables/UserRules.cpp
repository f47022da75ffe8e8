#include "tables/UserRules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zul {

const char* const kAccessLevelNames[kAccessLevels] = {"Нет доступа", "Производитель-наладчик", "Администратор",
                                                      "Инженер", "Оператор"};

namespace {

UserRefusal Refuse(std::string line1, std::string line2, ClearBoxes clear = ClearBoxes::kNone) {
    UserRefusal r;
    r.refused = true;
    r.line1 = std::move(line1);
    r.line2 = std::move(line2);
    r.clear = clear;
    return r;
}

std::string Format(const char* fmt, int a, int b = 0) {
    char buf[128];
    std::snprintf(buf, sizeof buf, fmt, a, b);
    return buf;
}

const uint8_t* Record(const uint8_t* table4, int slot) { return table4 + slot * kUserRecordSize; }
uint8_t* Record(uint8_t* table4, int slot) { return table4 + slot * kUserRecordSize; }

constexpr const char* kNoName = "Не задано имя пользователя";
constexpr const char* kNoCode = "Не задан код идентификации пользователя";
constexpr const char* kOneMaker1 = "Может быть зарегистрирован";
constexpr const char* kOneMaker2 = "только один производитель-наладчик";

}  // namespace

void PutBlankPadded(uint8_t* dst, int size, const std::string& text) {
    std::memset(dst, ' ', size_t(size));
    std::memcpy(dst, text.data(), std::min<size_t>(text.size(), size_t(size)));
}

std::string TrimmedBytes(const uint8_t* p, int size) {
    int a = 0, b = size;
    while (a < b && p[a] == ' ') ++a;
    while (b > a && p[b - 1] == ' ') --b;
    return std::string(reinterpret_cast<const char*>(p + a), size_t(b - a));
}

bool IsBlank(const uint8_t* p, int size) {
    return std::all_of(p, p + size, [](uint8_t c) { return c == ' '; });
}

std::array<uint8_t, 16> MakeCredentials(const std::string& password, const std::string& code) {
    std::array<uint8_t, 16> out;
    PutBlankPadded(out.data(), kUserPasswordSize, password);
    PutBlankPadded(out.data() + kUserPasswordSize, kUserCodeSize, code);
    return out;
}

std::string UserListItem(const uint8_t* record) {
    if (IsBlank(record, kUserNameSize)) return "   --   ";
    return TrimmedBytes(record, kUserNameSize);
}

UserRefusal CheckPasswordAndCode(const std::string& code, const std::string& codeConfirm,
                                 const std::string& password, const std::string& passwordConfirm) {
    if (password != passwordConfirm)
        return Refuse("Несовпадение введенных паролей", "Повторите процесс сначала", ClearBoxes::kPasswords);
    if (code != codeConfirm)
        return Refuse("Несовпадение введенных кодов", "Повторите процесс сначала", ClearBoxes::kCodes);
    if (code.empty()) return Refuse(kNoCode, "");
    return {};
}

UserTableSummary SummariseUsers(const uint8_t* table4) {
    UserTableSummary s;
    for (int u = 0; u < kUserSlots; ++u) {
        const uint8_t level = Record(table4, u)[kUserLevelOffset];
        if (level == kLevelMaker) s.makerSlot = u;
        if (level == kLevelAdmin) {
            ++s.adminCount;
            s.lastAdminSlot = u;
        }
    }
    return s;
}

UserChange ApplyOneUserChange(uint8_t* table4, const UserTableSummary& s, const OneUserInput& in) {
    UserChange c;
    if (in.slot < 0 || in.slot >= kUserSlots || in.level < 0 || in.level >= kAccessLevels) {
        c.refusal = Refuse("Неверно задан пользователь", "");
        return c;
    }
    const bool isMaker = in.slot == s.makerSlot;
    if (isMaker && in.level != kLevelMaker) {
        c.refusal = Refuse("Вы не можете удалить пользователя", "с уровнем доступа \"Производитель-наладчик\"");
        return c;
    }
    if (!isMaker && in.level == kLevelMaker) {
        c.refusal = Refuse(kOneMaker1, kOneMaker2);
        return c;
    }
    if (s.adminCount == 1 && s.lastAdminSlot == in.slot && in.level != kLevelAdmin) {
        c.refusal = Refuse("Вы не можете удалить единственного пользователя", "с уровнем доступа \"Администратор\"");
        return c;
    }
    if (in.level == kLevelNone) {
        // Removal: nothing else is asked for.
        c.record.fill(' ');
        c.record[kUserLevelOffset] = kLevelNone;
        c.record[kUserReservedOffset] = Record(table4, in.slot)[kUserReservedOffset];
        c.kind = kUserRemoved;
        return c;
    }
    c.refusal = CheckPasswordAndCode(in.code, in.codeConfirm, in.password, in.passwordConfirm);
    if (c.refusal.refused) return c;
    if (in.name.empty()) {
        c.refusal = Refuse(Format("Номер пользователя в таблице - %d.", in.slot + 1), kNoName);
        return c;
    }
    uint8_t* rec = Record(table4, in.slot);
    PutBlankPadded(rec, kUserNameSize, in.name);
    rec[kUserLevelOffset] = uint8_t(in.level);
    PutBlankPadded(rec + kUserPasswordOffset, kUserPasswordSize, in.password);
    PutBlankPadded(rec + kUserCodeOffset, kUserCodeSize, in.code);
    for (int u = 0; u < kUserSlots; ++u) {
        if (u != in.slot && std::memcmp(Record(table4, u), rec, kUserNameSize) == 0) {
            c.refusal = Refuse(Format("Пользователи   %d и % d.", in.slot + 1, u + 1), "Совпадение имен пользователей");
            return c;
        }
    }
    std::memcpy(c.record.data(), rec, kUserRecordSize);
    c.kind = kUserStored;
    return c;
}

UserRefusal CheckUserTable(const uint8_t* t4) {
    int makers = 0;
    for (int u = 0; u < kUserSlots; ++u) makers += Record(t4, u)[kUserLevelOffset] == kLevelMaker;
    if (makers == 0)
        return Refuse("В списке зарегистрированных пользователей", "не зарегистрирован производитель-наладчик");
    if (makers > 1) return Refuse(kOneMaker1, kOneMaker2);
    for (int m = 0; m < kUserSlots; ++m) {
        const uint8_t* a = Record(t4, m);
        if (a[kUserLevelOffset] == kLevelNone) continue;
        if (IsBlank(a, kUserNameSize)) return Refuse(Format("Номер пользователя в таблице: %d.", m + 1), kNoName);
        if (IsBlank(a + kUserCodeOffset, kUserCodeSize))
            return Refuse(Format("Номер пользователя в таблице: %d.", m + 1), kNoCode);
        for (int n = m + 1; n < kUserSlots; ++n) {
            const uint8_t* b = Record(t4, n);
            if (b[kUserLevelOffset] == kLevelNone) continue;
            if (std::memcmp(a, b, kUserNameSize) == 0)
                return Refuse(Format("Пользователи   %d и %d.", m + 1, n + 1), "Совпадение имен пользователей");
            if (std::memcmp(a + kUserCodeOffset, b + kUserCodeOffset, kUserCodeSize) == 0)
                return Refuse(Format("Пользователи   %d и %d.", m + 1, n + 1),
                              "Совпадение кодов идентификации пользователя");
        }
    }
    return {};
}

void ApplyUserRows(uint8_t* t4, const int (&levels)[kUserSlots], std::string (&names)[kUserSlots]) {
    for (int u = 0; u < kUserSlots; ++u) {
        uint8_t* rec = Record(t4, u);
        // A role beyond the five named ones is the controller's own and passes unchanged.
        const int level = levels[u] >= 0 && levels[u] <= 0xFF ? levels[u] : 0;
        rec[kUserLevelOffset] = uint8_t(level);
        std::memset(rec, ' ', kUserNameSize);
        rec[kUserReservedOffset] = 0;
        if (level > 0) {
            PutBlankPadded(rec, kUserNameSize, names[u]);
        } else {
            std::memset(rec + kUserPasswordOffset, ' ', kUserPasswordSize + kUserCodeSize);
            names[u].clear();
        }
    }
}

}  // namespace zul
