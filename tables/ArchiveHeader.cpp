#include "tables/ArchiveHeader.h"

#include <cstdio>
#include <cstring>

#include "tables/TableImage.h"

namespace zul {

namespace {

const ArchiveKindInfo kKinds[kArchiveKindCount] = {
    {"ALA", 0, false, 6, ".ala", false, "diag", 22, true, "Диагностические сообщения"},
    {"AUD", 0, false, 6, ".aud", false, "interv", 24, true, "Сообщения о вмешательствах оператора"},
    {"MSA", 0, true, 6, ".mch", true, "meas", 94, false, "Измерительные данные хроматографа"},
    {"HOU", 0, true, 4, ".hch", true, "hour", 94, false, "Часовые данные хроматографа"},
    {"DAY", 0, true, 3, ".dch", true, "day", 94, false, "Суточные данные хроматографа"},
    {"CLB", 0, false, 6, ".clb", true, "clb", 10, false, "Калибровочные данные хроматографа"},
    {"MSA", 1, true, 6, ".mwm", true, "wmeas", 29, false, "Измерительные данные влагомера"},
    {"HOU", 1, false, 4, ".hwm", true, "whour", 28, false, "Часовые данные влагомера"},
    {"DAY", 1, false, 3, ".dwm", true, "wday", 28, false, "Суточные данные влагомера"},
};

void CopyField(uint8_t* to, const TableImage& image, int t, int f, size_t n) {
    const uint8_t* p = image.Field(t, f);
    if (!p) return;
    const size_t size = Table(t).fieldSize;
    std::memcpy(to, p, n < size ? n : size);
}

}  // namespace

const ArchiveKindInfo& KindInfo(ArchiveKind kind) {
    return kKinds[kind >= 0 && kind < kArchiveKindCount ? kind : 0];
}

bool ArchiveKindByName(const std::string& name, ArchiveKind& kind) {
    for (int k = 0; k < kArchiveKindCount; ++k)
        if (name == kKinds[k].name) {
            kind = ArchiveKind(k);
            return true;
        }
    return false;
}

ParameterSlot ParameterSlot::FromTable1(const uint8_t* field) {
    ParameterSlot s;
    std::memcpy(s.name.data(), field + 40, s.name.size());
    s.unitCode = field[50];
    s.decimals = field[61];
    return s;
}

ParameterSlot ParameterSlot::FromBytes(const uint8_t* slot) {
    ParameterSlot s;
    std::memcpy(s.name.data(), slot, s.name.size());
    s.unitCode = slot[11];
    s.decimals = slot[12];
    return s;
}

void ParameterSlot::ToBytes(uint8_t* slot) const {
    std::memset(slot, 0, kSize);
    std::memcpy(slot, name.data(), name.size());
    slot[11] = unitCode;
    slot[12] = decimals;
}

std::string ParameterSlot::Name() const {
    size_t n = 0;
    while (n < name.size() && name[n]) ++n;
    return std::string(reinterpret_cast<const char*>(name.data()), n);
}

ParameterSlot ArchiveFileHeader::Slot(int i) const {
    if (i < 0 || i >= kMaxHeaderParameters) return {};
    return ParameterSlot::FromBytes(bytes.data() + kSlotOffset + ParameterSlot::kSize * i);
}

uint32_t ArchiveFileHeader::RecordCount() const {
    const uint8_t* p = bytes.data() + kRecordCount;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void ArchiveFileHeader::SetRecordCount(uint32_t count) {
    for (int i = 0; i < 4; ++i) bytes[size_t(kRecordCount + i)] = uint8_t(count >> (8 * i));
}

bool ArchiveFileHeader::HasMagic(ArchiveKind kind) const {
    return std::memcmp(bytes.data(), KindInfo(kind).magic, 3) == 0;
}

ArchiveFileHeader BuildArchiveHeader(ArchiveKind kind, const TableImage& image, uint8_t address,
                                     const PackedDateTime& builtAt, const uint8_t* start,
                                     const uint8_t* end, uint32_t count) {
    const ArchiveKindInfo& k = KindInfo(kind);
    ArchiveFileHeader h;
    uint8_t* b = h.bytes.data();
    std::memcpy(b, k.magic, 3);
    b[3] = k.source;
    CopyField(b + 4, image, 5, 0, 20);
    if (k.copiesLineName) CopyField(b + 24, image, 5, 1, 20);
    b[44] = address;
    b[45] = kArchiveDesignation;
    b[46] = image.Byte(14, 6);
    b[47] = image.Byte(15, 6);
    int n = image.Byte(14, 14);
    if (n > kMaxHeaderParameters) n = kMaxHeaderParameters;  // never past the last slot
    b[52] = uint8_t(n);
    for (int i = 0; i < n; ++i) {
        const uint8_t* field = image.Field(1, i);
        // Only the 13 written bytes of a slot are stored: slot 19 reaches byte 898
        // and its zero tail must not overwrite the trailer from byte 873 on.
        if (!field) break;
        uint8_t slot[ParameterSlot::kSize];
        ParameterSlot::FromTable1(field).ToBytes(slot);
        std::memcpy(b + ArchiveFileHeader::kSlotOffset + ParameterSlot::kSize * i, slot, 13);
    }
    std::memcpy(b + ArchiveFileHeader::kBuiltAt, builtAt.data(), 6);
    if (start) std::memcpy(b + ArchiveFileHeader::kPeriodStart, start, size_t(k.periodBytes));
    if (end) std::memcpy(b + ArchiveFileHeader::kPeriodEnd, end, size_t(k.periodBytes));
    h.SetRecordCount(count);
    CopyField(b + ArchiveFileHeader::kMac, image, 40, 0, 6);
    return h;
}

bool AcceptArchiveHeader(const ArchiveFileHeader& header, ArchiveKind kind, const TableImage& image) {
    const ArchiveKindInfo& k = KindInfo(kind);
    if (!header.HasMagic(kind)) return false;
    if (header.bytes[45] != kArchiveDesignation) return false;
    if (image.Byte(14, 6) > 1) return false;
    if (k.checksSource && header.Source() != k.source) return false;
    return true;
}

std::string MomentText(const uint8_t* p) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%02d %02d:%02d:%02d", p[2], p[1], p[0], p[3], p[4], p[5]);
    return buf;
}

}  // namespace zul
