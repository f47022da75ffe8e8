#include "measurements/Completeness.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "events/EventFetch.h"
#include "tables/Dtfun.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr int64_t kMinute = 60, kHour = 3600, kDay = 86400;
constexpr int64_t kMeasurementStep = 3 * kMinute;
constexpr uint8_t kStatusOff = 0x02;
// A period longer than this many slots is taken as a damaged header: no grid.
constexpr int64_t kMaxSlots = 20'000'000;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The period end of the header as a moment: the packed prefix of `bytes` bytes,
// the rest zero.
bool PeriodMoment(const uint8_t* prefix, int bytes, int64_t& out) {
    uint8_t p[6] = {};
    std::memcpy(p, prefix, size_t(bytes));
    if (!IsValidPacked(p)) return false;
    out = SecondsOfPacked(p);
    return true;
}

// The spacing the data show most often (ties: the smaller), or `fallback`.
int64_t DataStep(const std::vector<int64_t>& sortedUnique, int64_t fallback) {
    std::map<int64_t, uint32_t> seen;
    for (size_t i = 1; i < sortedUnique.size(); ++i) ++seen[sortedUnique[i] - sortedUnique[i - 1]];
    int64_t best = fallback;
    uint32_t bestCount = 0;
    for (const auto& [step, n] : seen)
        if (n > bestCount) best = step, bestCount = n;
    return best >= kMinute ? best : fallback;
}

void Extend(std::vector<MomentSpan>& spans, int64_t moment, int64_t step) {
    if (!spans.empty() && spans.back().last + step == moment) {
        spans.back().last = moment;
        ++spans.back().count;
    } else {
        spans.push_back({moment, moment, 1});
    }
}

}  // namespace

int64_t SecondsOfPacked(const uint8_t* packed) { return std::llround(FromPacked(packed) * double(kDay)); }

std::string MomentOfSeconds(int64_t seconds) {
    const PackedDateTime p = ToPacked(double(seconds) / double(kDay));
    return Sprintf("%02d.%02d.%04d %02d:%02d:%02d", p[2], p[1], 2000 + p[0], p[3], p[4], p[5]);
}

uint32_t CompletenessReport::Missing() const {
    uint32_t n = 0;
    for (const MomentSpan& g : gaps) n += g.count;
    return n;
}

CompletenessReport CheckChromCompleteness(ChromTableKind kind, const ArchiveFileHeader& header,
                                          const uint8_t* records, size_t count) {
    CompletenessReport r;
    if (!records) count = 0;
    const int size = ChromRecordSize(kind);
    r.received = uint32_t(count);
    r.endedEarly = header.EndedEarly();

    // Good records: their moments in the order they stand, duplicates and order.
    struct Good {
        int64_t moment;
        bool off;
    };
    std::vector<Good> good;
    good.reserve(count);
    std::set<int64_t> moments;
    int64_t latest = INT64_MIN;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* rec = records + i * size_t(size);
        if (!ChromRecordValid(rec, size) || !IsValidPacked(rec)) {
            ++r.invalid;
            continue;
        }
        const int64_t m = SecondsOfPacked(rec);
        if (!moments.insert(m).second) {
            ++r.duplicates;
            continue;
        }
        if (m < latest) ++r.outOfOrder;
        latest = std::max(latest, m);
        const uint8_t status = kind == kChromCalibration    ? 0
                               : kind == kChromMeasurement ? rec[7]
                               : kind == kMoistMeasurement ? rec[6]
                                                           : rec[9];
        good.push_back({m, (status & kStatusOff) != 0});
    }

    if (kind == kChromCalibration) {
        // Calibrations come when they come: no grid. The header counts the records the
        // read stored; those a cut file lacks are missing, named by their row from 1.
        const uint32_t stored = header.RecordCount();
        r.expected = std::max(stored, r.received);
        if (r.received < stored) {
            r.byIndex = true;
            r.step = 1;
            r.gaps.push_back({int64_t(r.received) + 1, int64_t(stored), stored - r.received});
        }
        return r;
    }

    // The grid: first slot, step, number of slots (a moisture kind as its chromatograph twin).
    kind = ChromTwin(kind);
    const int periodBytes = kind == kChromMeasurement ? 6 : kind == kChromHourly ? 4 : 3;
    int64_t start = 0, end = 0;
    const bool period = PeriodMoment(header.PeriodStart(), periodBytes, start) &&
                        PeriodMoment(header.PeriodEnd(), periodBytes, end);
    int64_t phase = 0;
    if (kind == kChromMeasurement) {
        r.step = DataStep(std::vector<int64_t>(moments.begin(), moments.end()), kMeasurementStep);
        if (!good.empty()) phase = good.front().moment;
    } else if (kind == kChromHourly) {
        r.step = kHour;
    } else {
        r.step = kDay;
        // The gas day starts at the contract hour: the hour the records start at.
        if (!good.empty()) phase = (good.front().moment % kDay + kDay) % kDay / kHour * kHour;
        start += phase;
        end += phase;
    }
    int64_t first = 0, slots = 0;
    if (period && end >= start) {
        first = phase + (FloorDiv(start - phase + r.step - 1, r.step)) * r.step;
        slots = end >= first ? (end - first) / r.step + 1 : 0;
    }
    if (slots > kMaxSlots) slots = 0;
    r.expected = uint32_t(slots);

    std::vector<int8_t> filled(size_t(slots), -1);  // -1 missing, 0 a record, 1 a record of the controller off
    for (const Good& g : good) {
        const int64_t offset = g.moment - first;
        if (slots == 0 || offset < 0 || offset % r.step != 0 || offset / r.step >= slots) {
            ++r.offGrid;
            continue;
        }
        filled[size_t(offset / r.step)] = g.off ? 1 : 0;
    }
    for (int64_t s = 0; s < slots; ++s) {
        const int64_t moment = first + s * r.step;
        if (filled[size_t(s)] < 0) Extend(r.gaps, moment, r.step);
        else if (filled[size_t(s)] == 1) Extend(r.off, moment, r.step);
    }
    return r;
}

CompletenessReport CheckIndexCompleteness(uint32_t first, uint32_t requested, uint32_t received, uint32_t invalid) {
    CompletenessReport r;
    r.byIndex = true;
    r.step = 1;
    r.expected = requested;
    r.received = received;
    r.invalid = std::min(invalid, received);
    if (received < requested)
        r.gaps.push_back({int64_t(first) + received, int64_t(first) + requested - 1, requested - received});
    return r;
}

CompletenessReport CheckIndexKeys(const std::vector<int64_t>& keys, uint32_t invalid) {
    CompletenessReport r;
    r.byIndex = true;
    r.step = 1;
    r.received = uint32_t(keys.size());
    r.invalid = std::min(invalid, r.received);
    if (keys.empty()) return r;
    r.expected = uint32_t(keys.back() - keys.front() + 1);
    for (size_t i = 1; i < keys.size(); ++i)
        if (keys[i] > keys[i - 1] + 1)
            r.gaps.push_back({keys[i - 1] + 1, keys[i] - 1, uint32_t(keys[i] - keys[i - 1] - 1)});
    return r;
}

CompletenessReport CheckEventCompleteness(int mode, uint32_t firstIndex, uint32_t requested, uint32_t rows,
                                          uint32_t present, uint32_t invalid) {
    switch (mode) {
    case kViewByIndex: return CheckIndexCompleteness(firstIndex, std::max(requested, present), present, invalid);
    case kViewByPeriod: return CheckIndexCompleteness(1, present, present, invalid);
    default: return CheckIndexCompleteness(1, std::max(rows, present), present, invalid);
    }
}

std::string SpanEndText(const CompletenessReport& r, int64_t end) {
    return r.byIndex ? std::to_string(end) : MomentOfSeconds(end);
}

std::string CompletenessText(const CompletenessReport& r) {
    std::string out = Sprintf("expected: %u\nreceived: %u\ninvalid: %u\ngaps: %zu\n", r.expected, r.received,
                              r.invalid, r.gaps.size());
    for (const MomentSpan& g : r.gaps)
        out += "GAP " + SpanEndText(r, g.first) + " " + SpanEndText(r, g.last) + Sprintf(" %u\n", g.count);
    return out;
}

std::string CompletenessDetails(const CompletenessReport& r) {
    std::string out = Sprintf("duplicates: %u\nout of order: %u\noff the grid: %u\noff: %zu\n", r.duplicates,
                              r.outOfOrder, r.offGrid, r.off.size());
    for (const MomentSpan& o : r.off)
        out += "OFF " + MomentOfSeconds(o.first) + " " + MomentOfSeconds(o.last) + Sprintf(" %u\n", o.count);
    if (r.endedEarly) out += "ended early: the read that made the data stopped before its end\n";
    return out;
}

std::string CompletenessSummary(const CompletenessReport& r) {
    std::string line = Sprintf("Полнота данных: ожидалось %u, получено %u", r.expected, r.received);
    if (r.Whole() && r.duplicates == 0 && r.outOfOrder == 0) return line + " - данные полные";
    line += Sprintf(", недостоверных %u, пропусков %zu (записей %u)", r.invalid, r.gaps.size(), r.Missing());
    if (r.duplicates) line += Sprintf(", повторов %u", r.duplicates);
    if (r.outOfOrder) line += Sprintf(", не по порядку %u", r.outOfOrder);
    if (!r.off.empty()) line += Sprintf(", контроллер выключен: %zu", r.off.size());
    if (r.endedEarly) line += ", чтение прервано";
    return line;
}

}  // namespace zul
