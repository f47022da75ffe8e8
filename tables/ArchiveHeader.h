// The 905-byte header that begins every archive file the program writes, and the
// kinds of archive file. A reading command builds the header from the table image
// once its records are loaded; a viewer accepts a file by its header before it
// reads the rows that follow.
//
//   ArchiveFileHeader h = BuildArchiveHeader(kArchAla, image, box.address,
//                                            ToPacked(clock.LocalNow()), start, end, count);
//   h.RecordCount();                         // bytes 891..894
//   AcceptArchiveHeader(h, kArchHwm, image); // magic, byte 45, chromatograph type, source
//
// Offsets: 0 magic (3 letters), 3 source (0 chromatograph, 1 moisture meter),
// 4 controller name, 24 line name, 44 address, 45 the value 17, 46 chromatograph
// type, 47 moisture-meter type, 52 parameter count n, 79 + 41*i parameter slot i,
// 48 the mark of a read that ended early, 873 moment built, 879 period start,
// 885 period end, 891 record count (u32 LE), 895 MAC address (table 40).
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "tables/Dtfun.h"

namespace zul {

class TableImage;

constexpr int kArchiveHeaderSize = 905;
constexpr uint8_t kArchiveDesignation = 17;  // byte 45: "Контроллер ЗУЛ_%02d"
constexpr int kMaxHeaderParameters = 20;

enum ArchiveKind {
    kArchAla,  // diagnostic messages (text rows)
    kArchAud,  // intervention messages (text rows)
    kArchMch,  // chromatograph measurements
    kArchHch,  // chromatograph hourly averages
    kArchDch,  // chromatograph daily averages
    kArchClb,  // calibrations
    kArchMwm,  // moisture-meter measurements
    kArchHwm,  // moisture-meter hourly averages
    kArchDwm,  // moisture-meter daily averages
    kArchiveKindCount
};

struct ArchiveKindInfo {
    char magic[4];          // three letters
    uint8_t source;         // instrument: 0 chromatograph, 1 moisture meter
    bool copiesLineName;    // table 5 field 1 into bytes 24..43
    int periodBytes;        // 6 moment, 4 hour, 3 day
    const char* extension;  // ".ala", ...
    bool checksSource;      // the viewer tests byte 3 (not the event files)
    const char* name;       // the command line's name: "diag", "meas", "wmeas", ...
    int recordSize;         // bytes of one record as the controller sends it
    bool byIndex;           // keyed by the global index (event archives), else by moment
    const char* caption;    // "Измерительные данные хроматографа", ...
};
const ArchiveKindInfo& KindInfo(ArchiveKind kind);
// The kind of a command-line name ("diag" ... "wday"); false for another name.
bool ArchiveKindByName(const std::string& name, ArchiveKind& kind);

// One gas parameter as the header keeps it (41 bytes, the first 13 written).
struct ParameterSlot {
    static constexpr int kSize = 41;
    std::array<uint8_t, 10> name{};  // not NUL-terminated when all 10 are used
    uint8_t unitCode = 0;
    uint8_t decimals = 0;

    // From table 1 field i: name bytes 40..49, unit byte 50, decimals byte 61.
    static ParameterSlot FromTable1(const uint8_t* field);
    static ParameterSlot FromBytes(const uint8_t* slot);
    void ToBytes(uint8_t* slot) const;  // writes all 41 bytes
    // The name up to its first zero byte, cp1251.
    std::string Name() const;
};

struct ArchiveFileHeader {
    std::array<uint8_t, kArchiveHeaderSize> bytes{};

    static constexpr int kSlotOffset = 79;
    static constexpr int kBuiltAt = 873;
    static constexpr int kPeriodStart = 879;
    static constexpr int kPeriodEnd = 885;
    static constexpr int kRecordCount = 891;
    static constexpr int kMac = 895;
    static constexpr int kEndedEarly = 48;

    uint8_t Source() const { return bytes[3] & 0x0F; }
    uint8_t Address() const { return bytes[44]; }
    uint8_t ChromType() const { return bytes[46]; }
    uint8_t MoistType() const { return bytes[47]; }
    int ParameterCount() const { return bytes[52]; }
    // 1 in the file of a read that ended before the end it asked for (a failed
    // exchange or a stop): the file holds less than its period or indexes say.
    // Zero otherwise, as in every file of earlier versions.
    bool EndedEarly() const { return bytes[kEndedEarly] != 0; }
    void SetEndedEarly(bool early) { bytes[kEndedEarly] = early ? 1 : 0; }
    // Slot i (0..19); slots beyond the count are zero.
    ParameterSlot Slot(int i) const;
    const uint8_t* BuiltAt() const { return bytes.data() + kBuiltAt; }
    const uint8_t* PeriodStart() const { return bytes.data() + kPeriodStart; }
    const uint8_t* PeriodEnd() const { return bytes.data() + kPeriodEnd; }
    uint32_t RecordCount() const;
    void SetRecordCount(uint32_t count);
    bool HasMagic(ArchiveKind kind) const;
};

// Builds the header of `kind`: `start` and `end` hold the kind's period form
// (KindInfo(kind).periodBytes bytes each; null leaves them zero).
ArchiveFileHeader BuildArchiveHeader(ArchiveKind kind, const TableImage& image, uint8_t address,
                                     const PackedDateTime& builtAt, const uint8_t* start,
                                     const uint8_t* end, uint32_t count);

// The viewers' check of a file header: magic, byte 45 = 17, the chromatograph type
// of the table image now held (table 14 field 6) 0 or 1, and for the measurement,
// hourly, daily and calibration kinds the instrument of byte 3.
bool AcceptArchiveHeader(const ArchiveFileHeader& header, ArchiveKind kind, const TableImage& image);

// "%02d.%02d.%02d %02d:%02d:%02d" of a packed moment: day, month, year-2000, hour, minute, second.
std::string MomentText(const uint8_t* packed);

}  // namespace zul
