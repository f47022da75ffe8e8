// A whole controller configuration as one record of 4335 bytes, also the exact
// content of a .cnf file. Each table keeps the bytes the table image holds (the
// names of table 5 in cp1251); the flow-computer tables 13, 17..20 are spread
// over 16 entries of 20 bytes, one per flow computer:
//
//   offset  size       content
//   0       1          origin: 1 read from a controller, 0 created new
//   1       18         table 0 (byte 2 of the file: type code, byte 4: software version)
//   29      1280       table 1
//   1409    60         table 5
//   1489    4          table 3
//   1593    12         table 6
//   1705    16         table 14
//   1767    8          table 15
//   1825    16 x 20    entry i: table 18 [i] address, 17 [i] type, 19 [i], 20 [i],
//                      then table 13 [i], the 16-byte password (scrambled in a file)
//   2345    20         table 21
//   2465    5 x 180    tables 22..26, 80 bytes each at the start of its block
//   3365    2          table 28
//   3375    28         table 29
//   3467    352        table 4
//   3919    6          table 9
//   3935    20         table 43
//   3955    80         table 44
//   every other byte is zero.
//
// In memory the passwords are always plain; a file stores each byte b as
// ((NOT b) + 5) mod 256.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace zul {

class TableImage;

constexpr int kConfigRecordSize = 4335;
constexpr int kCfgOrigin = 0;
constexpr int kCfgFlowEntries = 1825;
constexpr int kCfgFlowEntrySize = 20;
constexpr int kCfgFlowComputers = 16;
constexpr int kCfgPasswordOffset = 4;   // inside a flow-computer entry
constexpr int kCfgPasswordSize = 16;
constexpr int kCfgLimitBlock = 180;
constexpr uint8_t kConfigType = 73;
constexpr uint8_t kConfigVersion = 17;

struct ConfigurationRecord {
    std::array<uint8_t, kConfigRecordSize> bytes{};
    uint8_t* At(int offset) { return bytes.data() + offset; }
    const uint8_t* At(int offset) const { return bytes.data() + offset; }
    // Bytes of a table kept in one piece (see RecordOffset); nullptr for the others.
    uint8_t* TableAt(int table);
    const uint8_t* TableAt(int table) const { return const_cast<ConfigurationRecord*>(this)->TableAt(table); }
    uint8_t* FlowEntry(int i) { return At(kCfgFlowEntries + i * kCfgFlowEntrySize); }
    const uint8_t* FlowEntry(int i) const { return At(kCfgFlowEntries + i * kCfgFlowEntrySize); }
    bool operator==(const ConfigurationRecord&) const = default;
};

// Offset of a table stored in one piece; -1 for the flow-computer tables 13, 17..20
// and for tables a configuration does not hold.
int RecordOffset(int table);
// The byte a flow-computer entry holds for table 17..20, -1 for other tables.
int FlowEntryByte(int table);

// The file form of a password byte and back (the same mapping, 4 - b).
inline uint8_t ScramblePasswordByte(uint8_t b) { return uint8_t(uint8_t(~b) + 5); }
inline uint8_t UnscramblePasswordByte(uint8_t s) { return uint8_t(~uint8_t(s - 5)); }
void ScramblePasswords(ConfigurationRecord& record);
void UnscramblePasswords(ConfigurationRecord& record);

// Every default of a new configuration (origin 0).
void NewConfiguration(ConfigurationRecord& record);
// The configuration tables of the image copied in (origin 1); the record must
// already hold the defaults. Passwords become blanks: they are never read.
void ConfigurationFromImage(ConfigurationRecord& record, const TableImage& image);
// One configuration table from the record into the image (13, 17..20 gathered
// from the flow-computer entries); false for a table the record does not hold.
bool CopyTableToImage(const ConfigurationRecord& record, int table, TableImage& image);

// The controller name of the record (table 5 field 0, cp1251) without leading
// and trailing blanks and zero bytes.
std::string RecordControllerName(const ConfigurationRecord& record);
// "zul_%02d-%s-%02d%02d%02d%02d%02d.cnf" of the record at `now` (a date-time
// value): version, name (UTF-8, '/' as '_'), year - 2000, month, day, hour, minute.
std::string ProposedConfigurationName(const ConfigurationRecord& record, double now);

}  // namespace zul
