// The archives of the simulated controller read through the engine: commands 7, 8,
// 15 and 16 with their record layouts, limits, sequence bytes and order, and the
// generator's determinism.
#include <cmath>
#include <cstring>

#include "sim/SimLink.h"

namespace zul::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Packed(int y, int mo, int d, int h, int mi, int s) {
    return {uint8_t(y - 2000), uint8_t(mo), uint8_t(d), uint8_t(h), uint8_t(mi), uint8_t(s)};
}

struct PeriodRead {
    std::vector<Bytes> records;
    std::vector<int> counts;  // records per reply
    std::vector<uint8_t> sequence;
    uint8_t flags = 0;
    bool ok = true;
};

// The read loop of the archive fetches: the same period, the sequence byte advancing.
PeriodRead ReadByPeriod(SimLink& l, uint8_t selector, uint8_t kind, int size, const Bytes& start, const Bytes& end) {
    PeriodRead r;
    uint8_t seq = 0;
    for (;;) {
        Bytes req = {selector, kind, seq};
        req.insert(req.end(), start.begin(), start.end());
        req.insert(req.end(), end.begin(), end.end());
        r.sequence.push_back(seq);
        if (!l.Exchange(8, req)) {
            r.ok = false;
            break;
        }
        const int k = l.box.reply[6];
        EXPECT_EQ(l.box.reply[2], 10 + k * size);
        r.flags |= l.box.reply[4];
        r.counts.push_back(k);
        for (int i = 0; i < k; ++i) r.records.emplace_back(&l.box.reply[8 + i * size], &l.box.reply[8 + (i + 1) * size]);
        if (k == 0 || l.box.reply[7] == 0) break;
        seq = seq == 255 ? 1 : uint8_t(seq + 1);
    }
    return r;
}

// Command 15 or 16 the way the hourly and daily reads go on: from the cursor while replies are full.
std::vector<Bytes> ReadAverages(SimLink& l, bool daily, uint8_t instrument, Bytes first, const Bytes& last,
                                int* requests = nullptr) {
    const int size = instrument == 0 ? 94 : 28, full = instrument == 0 ? 2 : 8, n = daily ? 3 : 4;
    std::vector<Bytes> out;
    int sent = 0;
    for (;;) {
        Bytes req = {3, 0, instrument};
        req.insert(req.end(), first.begin(), first.begin() + n);
        req.insert(req.end(), last.begin(), last.begin() + n);
        ++sent;
        if (!l.Exchange(daily ? 16 : 15, req)) break;
        const int k = l.box.reply[4];
        EXPECT_EQ(l.box.reply[2], 7 + k * size);
        for (int i = 0; i < k; ++i) out.emplace_back(&l.box.reply[5 + i * size], &l.box.reply[5 + (i + 1) * size]);
        if (k < full) break;
        uint8_t p[6] = {0, 1, 1, 0, 0, 0};
        std::memcpy(p, out.back().data(), size_t(n));
        const sim::SimSeconds next = sim::SecondsFromPrefix(p, n) + (daily ? sim::kDay : sim::kHour);
        auto pk = sim::PackedFromSeconds(next);
        first.assign(pk.begin(), pk.begin() + n);
        if (sim::SecondsFromPrefix(first.data(), n) > sim::SecondsFromPrefix(last.data(), n)) break;
    }
    if (requests) *requests = sent;
    return out;
}

float Value(const Bytes& rec, int offset, bool clearFlags) {
    uint32_t bits;
    std::memcpy(&bits, &rec[size_t(offset)], 4);
    if (clearFlags) bits &= ~3u;
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

TEST(SimArchive, MeasurementsComeTwoPerReplyInOrderWithContinuation) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    PeriodRead r = ReadByPeriod(l, 0, 6, 94, Packed(2024, 3, 15, 10, 0, 0), Packed(2024, 3, 15, 10, 59, 59));
    ASSERT_TRUE(r.ok) << l.box.ErrorText();
    ASSERT_EQ(r.records.size(), 20u);
    EXPECT_EQ(r.counts, std::vector<int>(10, 2));
    EXPECT_EQ(r.sequence.back(), 9);
    for (size_t i = 0; i < r.records.size(); ++i) {
        const Bytes& rec = r.records[i];
        EXPECT_EQ(Crc16(rec.data(), 94), 0);
        EXPECT_EQ(Bytes(rec.begin(), rec.begin() + 6), Packed(2024, 3, 15, 10, int(3 * i), 0));
        const float ch4 = Value(rec, 12 + 4 * 8, true);
        if (!(rec[7] & 0x22) && !std::isnan(ch4)) EXPECT_TRUE(ch4 > 95 && ch4 < 100) << ch4;
    }
    // A period reaching past "now" ends at now; one before the archive gives nothing.
    r = ReadByPeriod(l, 0, 6, 94, Packed(2024, 3, 15, 11, 55, 0), Packed(2024, 3, 16, 0, 0, 0));
    EXPECT_EQ(r.records.size(), 2u);  // 11:57 and 12:00
    r = ReadByPeriod(l, 0, 6, 94, Packed(2023, 1, 1, 0, 0, 0), Packed(2023, 1, 2, 0, 0, 0));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.counts, std::vector<int>{0});
}

TEST(SimArchive, TheSequenceByteRunsPast255To1AndIsChecked) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    PeriodRead r = ReadByPeriod(l, 0, 6, 94, Packed(2024, 3, 13, 0, 0, 0), Packed(2024, 3, 14, 2, 59, 0));
    ASSERT_TRUE(r.ok) << l.box.ErrorText();
    EXPECT_EQ(r.records.size(), 27u * 20);
    ASSERT_EQ(r.sequence.size(), 270u);
    EXPECT_EQ(r.sequence[255], 255);
    EXPECT_EQ(r.sequence[256], 1);
    for (size_t i = 1; i < r.records.size(); ++i)
        EXPECT_LT(sim::SecondsFromPacked(r.records[i - 1].data()), sim::SecondsFromPacked(r.records[i].data()));

    const Bytes s = Packed(2024, 3, 15, 8, 0, 0), e = Packed(2024, 3, 15, 9, 0, 0);
    auto req = [&](uint8_t seq, const Bytes& start, const Bytes& end) {
        Bytes b = {0, 6, seq};
        b.insert(b.end(), start.begin(), start.end());
        b.insert(b.end(), end.begin(), end.end());
        return b;
    };
    ASSERT_TRUE(l.Exchange(8, req(0, s, e)));
    ASSERT_TRUE(l.Exchange(8, req(1, s, e)));
    const Bytes second(l.box.reply.begin(), l.box.reply.begin() + l.box.reply[2]);
    ASSERT_TRUE(l.Exchange(8, req(1, s, e)));  // a repeated request gets the same answer
    EXPECT_EQ(Bytes(l.box.reply.begin(), l.box.reply.begin() + l.box.reply[2]), second);
    EXPECT_FALSE(l.Exchange(8, req(3, s, e)));
    EXPECT_EQ(l.DeviceCode(), 20);
    EXPECT_FALSE(l.Exchange(8, req(2, s, Packed(2024, 3, 15, 9, 30, 0))));
    EXPECT_EQ(l.DeviceCode(), 21);
    EXPECT_TRUE(l.Exchange(8, req(2, s, e)));  // the series itself goes on
    EXPECT_FALSE(l.Exchange(8, req(0, e, s)));
    EXPECT_EQ(l.DeviceCode(), 22);
    EXPECT_FALSE(l.Exchange(8, req(0, Packed(2024, 2, 30, 0, 0, 0), e)));
    EXPECT_EQ(l.DeviceCode(), 4);
    EXPECT_FALSE(l.Exchange(8, {0, 9, 0, 24, 3, 15, 8, 0, 0, 24, 3, 15, 9, 0, 0}));  // no archive of kind 9
    EXPECT_EQ(l.DeviceCode(), 4);
}

TEST(SimArchive, ArchivesFollowFromTheSeed) {
    auto day = [](uint32_t seed, double corrupt) {
        sim::SimSettings s = FixedSettings();
        s.seed = seed;
        s.corruptFraction = corrupt;
        SimLink l(Via::kTcp, s);
        EXPECT_TRUE(l.ok);
        return ReadByPeriod(l, 0, 6, 94, Packed(2024, 3, 14, 0, 0, 0), Packed(2024, 3, 14, 23, 59, 59)).records;
    };
    const auto a = day(7, 0), b = day(7, 0), c = day(8, 0);
    ASSERT_EQ(a.size(), 480u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    const auto bad = day(7, 0.3);
    ASSERT_EQ(bad.size(), 480u);
    int failing = 0;
    for (size_t i = 0; i < bad.size(); ++i) {
        if (Crc16(bad[i].data(), 94) != 0) {
            ++failing;
            EXPECT_TRUE(std::equal(bad[i].begin(), bad[i].begin() + 92, a[i].begin()));  // only the check differs
        }
    }
    EXPECT_GT(failing, 480 * 0.2);
    EXPECT_LT(failing, 480 * 0.4);
    EXPECT_EQ(bad, day(7, 0.3));
}

TEST(SimArchive, HourlyRecordsAverageTheMeasurementsOfTheirHour) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    int requests = 0;
    auto hours = ReadAverages(l, false, 0, Packed(2024, 3, 15, 3, 0, 0), Packed(2024, 3, 15, 7, 0, 0), &requests);
    ASSERT_EQ(hours.size(), 5u) << l.box.ErrorText();
    EXPECT_EQ(requests, 3);  // 2 + 2 + 1
    for (size_t i = 0; i < hours.size(); ++i) {
        const Bytes& h = hours[i];
        EXPECT_EQ(Crc16(h.data(), 94), 0);
        EXPECT_EQ(Bytes(h.begin(), h.begin() + 6), Packed(2024, 3, 15, 3 + int(i), 0, 0));
        EXPECT_EQ(h[6], 4 + i);  // ends an hour later
        EXPECT_EQ(h[7], 0);
    }
    // The 04 h record against the twenty 3-minute records of that hour.
    PeriodRead m = ReadByPeriod(l, 0, 6, 94, Packed(2024, 3, 15, 4, 0, 0), Packed(2024, 3, 15, 4, 59, 59));
    ASSERT_EQ(m.records.size(), 20u);
    const Bytes& h = hours[1];
    int valid = 0, values[20] = {};
    double sum[20] = {};
    for (auto& rec : m.records) {
        if (rec[7] & 0x22) continue;
        ++valid;
        for (int p = 0; p < 20; ++p) {
            const double v = Value(rec, 12 + 4 * p, true);
            if (std::isnan(v)) continue;  // a parameter without value takes no part
            sum[p] += v;
            ++values[p];
        }
    }
    EXPECT_EQ(h[10] | h[11] << 8, valid);
    ASSERT_GT(valid, 0);
    for (int p = 0; p < 20; ++p) {
        ASSERT_GT(values[p], 0) << p;
        EXPECT_NEAR(Value(h, 12 + 4 * p, false), sum[p] / values[p], 1e-4 * (1 + std::fabs(sum[p] / values[p]))) << p;
    }
    // Nothing is served for an hour that has not ended.
    auto current = ReadAverages(l, false, 0, Packed(2024, 3, 15, 11, 0, 0), Packed(2024, 3, 15, 13, 0, 0));
    ASSERT_EQ(current.size(), 1u);
    EXPECT_EQ(current[0][3], 11);
}

TEST(SimArchive, DailyRecordsRunFromTheContractHour) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    int requests = 0;
    // At 12:00 with contract hour 9 the last complete gas day began yesterday at 09:00.
    auto days = ReadAverages(l, true, 0, Packed(2024, 3, 10, 0, 0, 0), Packed(2024, 3, 15, 0, 0, 0), &requests);
    ASSERT_EQ(days.size(), 5u);
    EXPECT_EQ(requests, 3);
    for (size_t i = 0; i < days.size(); ++i) {
        const Bytes& d = days[i];
        EXPECT_EQ(Crc16(d.data(), 94), 0);
        EXPECT_EQ(Bytes(d.begin(), d.begin() + 6), Packed(2024, 3, 10 + int(i), 9, 0, 0));
        EXPECT_EQ(d[6], 0x80 | 9);
    }
    // With another contract hour the gas day moves with it.
    l.sim.SetByte(6, 6, 14);
    days = ReadAverages(l, true, 0, Packed(2024, 3, 13, 0, 0, 0), Packed(2024, 3, 15, 0, 0, 0));
    ASSERT_EQ(days.size(), 1u);  // 14.03 14 h has not ended by 15.03 12 h
    EXPECT_EQ(Bytes(days[0].begin(), days[0].begin() + 6), Packed(2024, 3, 13, 14, 0, 0));
    EXPECT_EQ(days[0][6], 0x80 | 14);
}

TEST(SimArchive, Table27NamesTheOldestRecords) {
    sim::SimSettings s = FixedSettings();
    s.spanDays = 10;
    SimLink l(Via::kTcp, s);
    ASSERT_TRUE(l.ok);
    ASSERT_TRUE(l.Read(27, 0, 3));
    EXPECT_EQ(Bytes(l.image.Field(27, 0), l.image.Field(27, 0) + 6), Packed(2024, 3, 5, 12, 0, 0));
    EXPECT_EQ(Bytes(l.image.Field(27, 1), l.image.Field(27, 1) + 6), Packed(2024, 3, 5, 12, 0, 0));
    EXPECT_EQ(Bytes(l.image.Field(27, 2), l.image.Field(27, 2) + 6), Packed(2024, 3, 6, 9, 0, 0));
    // Asking from before the oldest hour starts at the oldest.
    auto hours = ReadAverages(l, false, 0, Packed(2024, 3, 1, 0, 0, 0), Packed(2024, 3, 5, 13, 0, 0));
    ASSERT_EQ(hours.size(), 2u);
    EXPECT_EQ(hours[0][3], 12);
    PeriodRead m = ReadByPeriod(l, 0, 6, 94, Packed(2024, 3, 1, 0, 0, 0), Packed(2024, 3, 5, 12, 3, 0));
    EXPECT_EQ(m.records.size(), 2u);
}

TEST(SimArchive, CalibrationAndMoistureRecordsHaveTheirSizesAndLimits) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    PeriodRead c = ReadByPeriod(l, 0, 5, 10, Packed(2024, 2, 14, 0, 0, 0), Packed(2024, 3, 14, 23, 59, 59));
    ASSERT_TRUE(c.ok) << l.box.ErrorText();
    EXPECT_GE(c.records.size(), 29u);  // one a day, but none while the controller was off
    EXPECT_LE(c.records.size(), 30u);
    EXPECT_EQ(c.counts[0], 24);
    for (auto& rec : c.records) {
        EXPECT_EQ(Crc16(rec.data(), 10), 0);
        EXPECT_EQ(rec[3], 5);  // in the early morning
        EXPECT_EQ(rec[6] & 0xFE, 0);
    }
    // Table 12 spans the running numbers of the calibrations held, one a day.
    PeriodRead all = ReadByPeriod(l, 0, 5, 10, Packed(2024, 1, 1, 0, 0, 0), Packed(2024, 3, 15, 12, 0, 0));
    ASSERT_TRUE(l.Read(12, 0, 2));
    uint32_t first, last;
    std::memcpy(&first, l.image.Field(12, 0), 4);
    std::memcpy(&last, l.image.Field(12, 1), 4);
    const auto& a = all.records.front();
    const auto& z = all.records.back();
    EXPECT_EQ(int64_t(last) - int64_t(first),
              (sim::SecondsFromPacked(z.data()) / sim::kDay) - (sim::SecondsFromPacked(a.data()) / sim::kDay));
    EXPECT_GE(all.records.size(), 59u);
    PeriodRead w = ReadByPeriod(l, 1, 6, 29, Packed(2024, 3, 15, 9, 0, 0), Packed(2024, 3, 15, 9, 59, 0));
    ASSERT_EQ(w.records.size(), 20u);
    EXPECT_EQ(w.counts, (std::vector<int>{8, 8, 4}));
    for (auto& rec : w.records) {
        EXPECT_EQ(Crc16(rec.data(), 29), 0);
        EXPECT_TRUE(Value(rec, 11, false) < -5 && Value(rec, 11, false) > -25);  // a dew point in °C
    }
    int requests = 0;
    auto wh = ReadAverages(l, false, 1, Packed(2024, 3, 14, 0, 0, 0), Packed(2024, 3, 14, 20, 0, 0), &requests);
    EXPECT_EQ(wh.size(), 21u);
    EXPECT_EQ(requests, 3);  // 8 + 8 + 5
    for (auto& rec : wh) EXPECT_EQ(Crc16(rec.data(), 28), 0);
    auto wd = ReadAverages(l, true, 1, Packed(2024, 3, 1, 0, 0, 0), Packed(2024, 3, 3, 0, 0, 0));
    ASSERT_EQ(wd.size(), 3u);
    EXPECT_EQ(wd[0][6], 0x89);
    // Bit 7 of the flags when the archive is said to be damaged.
    sim::Faults f;
    f.archiveError = true;
    l.sim.SetFaults(f);
    PeriodRead e = ReadByPeriod(l, 0, 6, 94, Packed(2024, 3, 15, 9, 0, 0), Packed(2024, 3, 15, 9, 3, 0));
    EXPECT_EQ(e.flags & 0x80, 0x80);
}

TEST(SimArchive, EventRecordsByIndexAndByPeriod) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    ASSERT_TRUE(l.Read(10, 0, 2));
    uint32_t oldest, newest;
    std::memcpy(&oldest, l.image.Field(10, 0), 4);
    std::memcpy(&newest, l.image.Field(10, 1), 4);
    ASSERT_GT(newest, oldest + 25) << "two months bring more than 25 diagnostic messages";
    auto byIndex = [&](uint8_t kind, uint32_t index, uint8_t count) {
        return l.Exchange(7, {0, kind, uint8_t(index), uint8_t(index >> 8), uint8_t(index >> 16),
                              uint8_t(index >> 24), count});
    };
    std::vector<Bytes> got;
    for (uint32_t next = oldest, left = 25; left > 0;) {
        ASSERT_TRUE(byIndex(0, next, uint8_t(std::min<uint32_t>(left, 11)))) << l.box.ErrorText();
        const int n = l.box.reply[10];
        ASSERT_GT(n, 0);
        EXPECT_EQ(l.box.reply[2], 13 + 22 * n);
        for (int i = 0; i < n; ++i) got.emplace_back(&l.box.reply[11 + 22 * i], &l.box.reply[11 + 22 * (i + 1)]);
        next += uint32_t(n);
        left -= uint32_t(n);
    }
    ASSERT_EQ(got.size(), 25u);
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(Crc16(got[i].data(), 22), 0);
        if (i) EXPECT_LE(sim::SecondsFromPacked(got[i - 1].data()), sim::SecondsFromPacked(got[i].data()));
    }
    EXPECT_TRUE(byIndex(0, newest, 11));
    EXPECT_EQ(l.box.reply[10], 1);
    EXPECT_FALSE(byIndex(0, newest + 1, 1));
    EXPECT_EQ(l.DeviceCode(), 18);
    EXPECT_FALSE(byIndex(0, oldest, 12));
    EXPECT_EQ(l.DeviceCode(), 4);
    EXPECT_FALSE(byIndex(1, oldest, 11));  // interventions: at most 10
    EXPECT_EQ(l.DeviceCode(), 4);

    // By period: the records whose moments lie in it, 11 or 10 a reply.
    PeriodRead d = ReadByPeriod(l, 0, 0, 22, Packed(2024, 1, 1, 0, 0, 0), Packed(2024, 3, 15, 12, 0, 0));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.records.size(), size_t(newest - oldest + 1));
    EXPECT_EQ(d.counts[0], 11);
    EXPECT_EQ(d.records[24], got[24]);
    l.Login("3333", "333333");
    ASSERT_TRUE(l.Write(6, 6, {11}));
    PeriodRead v = ReadByPeriod(l, 0, 1, 24, Packed(2024, 3, 15, 12, 0, 0), Packed(2024, 3, 15, 12, 0, 0));
    ASSERT_EQ(v.records.size(), 1u);
    EXPECT_EQ(v.records[0][7], 6);
    EXPECT_EQ(v.records[0][14], 11);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&v.records[0][18]), 4), "ENG ");
}

TEST(SimArchive, ArchivesGrowWithTheClock) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    auto count = [&] {
        return ReadByPeriod(l, 0, 6, 94, Packed(2024, 3, 15, 11, 0, 0), Packed(2024, 3, 15, 14, 0, 0)).records.size();
    };
    EXPECT_EQ(count(), 21u);
    l.sim.SetClock(sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, 13, 1, 0)));
    EXPECT_EQ(count(), 41u);
    ASSERT_TRUE(l.Read(2, 0, 6));
    EXPECT_EQ(Bytes(l.image.Data(2), l.image.Data(2) + 6), Packed(2024, 3, 15, 13, 1, 0));
}

TEST(SimArchive, ChromatographArchivesHoldEveryKindOfSpecialRecord) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    // Two months of measurements: off and no-link slots, calibrations, both zones, values without value.
    PeriodRead m = ReadByPeriod(l, 0, 6, 94, Packed(2024, 1, 15, 12, 0, 0), Packed(2024, 3, 15, 12, 0, 0));
    ASSERT_TRUE(m.ok) << l.box.ErrorText();
    int off = 0, lost = 0, calibrating = 0, warning = 0, alarm = 0, nan = 0;
    for (auto& rec : m.records) {
        off += (rec[7] & 0x02) != 0;
        lost += (rec[7] & 0x20) != 0;
        calibrating += (rec[7] & 0x80) != 0;
        for (int p = 0; p < 20; ++p) {
            uint32_t bits;
            std::memcpy(&bits, &rec[size_t(12 + 4 * p)], 4);
            if ((bits & 0x7F800000u) == 0x7F800000u) ++nan;
            else if ((bits & 3) == 1) ++warning;
            else if ((bits & 3) == 3) ++alarm;
        }
    }
    EXPECT_GT(off, 20);
    EXPECT_GT(lost, 20);
    EXPECT_GT(calibrating, 50);
    EXPECT_GT(warning, 10);
    EXPECT_GT(alarm, 10);
    EXPECT_GT(nan, 10);
    EXPECT_LT(nan, 2000);
    // Whole hours with the controller off are there as records with status bit 1.
    auto hours = ReadAverages(l, false, 0, Packed(2024, 1, 15, 12, 0, 0), Packed(2024, 3, 15, 11, 0, 0));
    ASSERT_EQ(hours.size(), 60u * 24);
    int offHours = 0;
    for (size_t i = 0; i < hours.size(); ++i) offHours += hours[i][9] == 0x02;
    EXPECT_GE(offHours, 1);
}

TEST(SimArchive, TheOutOfOrderFaultDeliversOneRecordThreeStepsEarly) {
    for (bool daily : {false, true}) {
        SimLink l(Via::kTcp);
        ASSERT_TRUE(l.ok);
        sim::Faults f;
        f.outOfOrder = {1, 1, 0};  // the second reply to command 15 or 16; command 8 untouched
        l.sim.SetFaults(f);
        PeriodRead m = ReadByPeriod(l, 0, 6, 94, Packed(2024, 3, 15, 10, 0, 0), Packed(2024, 3, 15, 10, 9, 0));
        EXPECT_EQ(m.records.size(), 4u);
        const Bytes first = daily ? Packed(2024, 3, 1, 0, 0, 0) : Packed(2024, 3, 14, 0, 0, 0);
        const Bytes last = daily ? Packed(2024, 3, 8, 0, 0, 0) : Packed(2024, 3, 14, 7, 0, 0);
        auto recs = ReadAverages(l, daily, 0, first, last);
        ASSERT_EQ(recs.size(), 8u) << daily;
        const int at = daily ? 2 : 3;  // day or hour byte
        const int base = daily ? 1 : 0;
        std::vector<int> seen;
        for (auto& r : recs) seen.push_back(r[size_t(at)]);
        const std::vector<int> want = {base, base + 1, base + 2 - 3 + (daily ? 29 : 24), base + 3, base + 4, base + 5,
                                       base + 6, base + 7};
        EXPECT_EQ(seen, want) << daily;
        EXPECT_EQ(l.sim.faults().outOfOrder.times, 0);
    }
}

}  // namespace
}  // namespace zul::test
