// The registered users of table 4 and the rules the program checks on them
// before anything is sent (the controller checks them again).
//
//   Record of one user slot (22 bytes):
//     0..3   name, blank-padded (four blanks: the slot is free)
//     4      access level 0..4 (kAccessLevelNames)
//     5      reserved
//     6..17  write password, blank-padded (may be all blanks)
//     18..21 identification code, blank-padded, digits only
//
// Texts in and out are cp1251 bytes (as the controller keeps them); the window
// converts them for display. Every check returns a UserRefusal: `refused` false
// when the input passes, else the two lines of the input-error message.
//
//   One user at a time (the editor of a connected controller):
//     uint8_t copy[kUserTableSize];                 // private copy of table 4
//     UserTableSummary s = SummariseUsers(copy);    // taken when the editor opens
//     OneUserInput in{slot, level, name, code, code2, pass, pass2};
//     UserChange c = ApplyOneUserChange(copy, s, in);
//     c.kind: kUserRefused (c.refusal), kUserRemoved / kUserStored (c.record: the 22 bytes to write)
//
//   The whole table (configuration files, restore of a damaged table 4):
//     UserRefusal r = CheckUserTable(table4);       // also for the validation of a configuration
//
//   Password and code of one user (login and the per-user dialog):
//     UserRefusal r = CheckPasswordAndCode(code, code2, pass, pass2);
//     std::array<uint8_t, 16> bytes = MakeCredentials(pass, code);
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace zul {

constexpr int kUserSlots = 16;
constexpr int kUserRecordSize = 22;
constexpr int kUserTableSize = kUserSlots * kUserRecordSize;  // 352
constexpr int kUserNameSize = 4;
constexpr int kUserLevelOffset = 4;
constexpr int kUserReservedOffset = 5;
constexpr int kUserPasswordOffset = 6;
constexpr int kUserPasswordSize = 12;
constexpr int kUserCodeOffset = 18;
constexpr int kUserCodeSize = 4;

enum AccessLevel : uint8_t {
    kLevelNone = 0,
    kLevelMaker = 1,      // "Производитель-наладчик": exactly one
    kLevelAdmin = 2,
    kLevelEngineer = 3,
    kLevelOperator = 4,
};
constexpr int kAccessLevels = 5;
extern const char* const kAccessLevelNames[kAccessLevels];  // UTF-8, in list order

// Which boxes a refused input empties (the confirmation boxes go with them).
enum class ClearBoxes { kNone, kPasswords, kCodes };

struct UserRefusal {
    bool refused = false;
    std::string line1, line2;   // UTF-8
    ClearBoxes clear = ClearBoxes::kNone;
};

// Blank-padded copy of `text` into `size` bytes (longer texts are cut).
void PutBlankPadded(uint8_t* dst, int size, const std::string& text);
// The bytes without leading and trailing blanks.
std::string TrimmedBytes(const uint8_t* p, int size);
bool IsBlank(const uint8_t* p, int size);

// The 16 credential bytes: password (bytes 0..11) and code (12..15), blank-filled.
std::array<uint8_t, 16> MakeCredentials(const std::string& password, const std::string& code);

// The slot list of the one-user editor: "   --   " for a free name, else the trimmed name.
std::string UserListItem(const uint8_t* record);

// The checks of "Принять" of the password and code dialog, in their order:
// passwords differ, codes differ, code empty.
UserRefusal CheckPasswordAndCode(const std::string& code, const std::string& codeConfirm,
                                 const std::string& password, const std::string& passwordConfirm);

// What the one-user editor notes about the table when it opens.
struct UserTableSummary {
    int makerSlot = -1;       // the last slot with level 1, -1 when none
    int adminCount = 0;
    int lastAdminSlot = -1;
};
UserTableSummary SummariseUsers(const uint8_t* table4);

struct OneUserInput {
    int slot = 0;             // 0..15
    int level = 0;            // 0..4
    std::string name;         // as typed (at most 4 characters)
    std::string code, codeConfirm;
    std::string password, passwordConfirm;
};

enum UserChangeKind { kUserRefused, kUserRemoved, kUserStored };
struct UserChange {
    UserChangeKind kind = kUserRefused;
    UserRefusal refusal;
    std::array<uint8_t, kUserRecordSize> record{};  // the slot's new bytes (removed / stored)
};
// The checks of "Записать в устройство" of the one-user editor. The new record is
// built in `table4` (the editor's private copy) before the duplicate-name check, as
// the editor keeps it; identification codes are not compared here.
UserChange ApplyOneUserChange(uint8_t* table4, const UserTableSummary& summary, const OneUserInput& in);

// The rules on a whole user table (levels, names, codes, duplicates), first refusal.
UserRefusal CheckUserTable(const uint8_t* table4);

// The rows of the whole-table editor put into its copy: level, name (blanks for
// level 0, whose password and code are blanked too), reserved byte 0. `names`
// holds the name boxes; the ones of level-0 rows are emptied.
void ApplyUserRows(uint8_t* table4, const int (&levels)[kUserSlots], std::string (&names)[kUserSlots]);

}  // namespace zul
