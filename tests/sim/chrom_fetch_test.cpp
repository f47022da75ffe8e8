// The chromatograph archive reads against the simulated controller over loopback
// TCP: measurements and calibrations by period, hourly and daily averages with the
// expected-time cursor, the order question, the retry question and the stop rules,
// the range of table 27, and the headers built for the files.
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "link/Clock.h"
#include "measurements/ChromFetch.h"
#include "sim/SimLink.h"
#include "tables/Dtfun.h"

namespace zul::test {
namespace {

namespace fs = std::filesystem;

PackedDateTime P(int y, int mo, int d, int h, int mi = 0, int s = 0) {
    return {uint8_t(y - 2000), uint8_t(mo), uint8_t(d), uint8_t(h), uint8_t(mi), uint8_t(s)};
}

ShortPeriod Range(PackedDateTime a, PackedDateTime b) {
    ShortPeriod p;
    std::memcpy(p.start, a.data(), 4);
    std::memcpy(p.end, b.data(), 4);
    return p;
}

struct Requests : ExchangeObserver {
    std::vector<std::vector<uint8_t>> bodies;
    void OnExchangeEvent(const ExchangeEvent& e) override {
        // The archive requests only (a daily read also reads table 41).
        if (e.kind != ExchangeEvent::kRequest || (e.command != 8 && e.command != 15 && e.command != 16)) return;
        const uint8_t* f = e.bytes;
        int n = e.count;
        while (n > 0 && *f == 0xFF) ++f, --n;  // preambles
        if (n > 4) bodies.emplace_back(f + 4, f + n - 2);
    }
};

struct Fixture {
    Fixture() : link(Via::kTcp), folder(fs::temp_directory_path() / ("zul-chrom-" + std::to_string(getpid()))) {
        fs::create_directories(folder);
        link.box.observer = &requests;
        link.box.attempts = 1;
    }
    ~Fixture() { fs::remove_all(folder); }
    ChromFetch Fetch() { return ChromFetch(link.io, link.ui, &link.bar, SystemClock::Instance(), folder.string() + "/"); }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (auto& b : link.ui.boxes) out.push_back(std::to_string(b.kind) + " " + b.line1 + " / " + b.line2);
        return out;
    }
    SimLink link;
    fs::path folder;
    Requests requests;
};

TEST(ChromFetch, MeasurementsAndCalibrationsByPeriod) {
    struct Case {
        const char* what;
        ChromTableKind kind;
        PackedDateTime start, end;
        bool archiveError;
        size_t records;
        std::vector<std::string> boxes;
    } cases[] = {
        {"an hour of measurements", kChromMeasurement, P(2024, 3, 15, 10), P(2024, 3, 15, 10, 59, 59), false, 20, {}},
        {"flagged archive", kChromMeasurement, P(2024, 3, 15, 10), P(2024, 3, 15, 10, 10), true, 4,
         {"6 Обнаружена ошибка / в архиве измерительных данных"}},
        {"nothing in the period", kChromMeasurement, P(2023, 1, 1, 0), P(2023, 1, 2, 0), false, 0,
         {"6 Нет данных за указанный период / "}},
        {"a month of calibrations", kChromCalibration, P(2024, 2, 14, 0), P(2024, 3, 14, 23, 59, 59), false, 30, {}},
        {"flagged calibrations", kChromCalibration, P(2024, 3, 10, 0), P(2024, 3, 11, 23), true, 2,
         {"6 Обнаружена ошибка / в архиве данных калибровки"}},
        {"no calibration", kChromCalibration, P(2024, 3, 14, 12), P(2024, 3, 14, 23), false, 0,
         {"6 Нет данных за указанный период / "}},
    };
    for (const auto& c : cases) {
        Fixture f;
        ASSERT_TRUE(f.link.ok);
        sim::Faults faults;
        faults.archiveError = c.archiveError;
        f.link.sim.SetFaults(faults);
        f.link.image.Field(14, 14)[0] = 3;
        ChromFetchResult r;
        const bool shown = f.Fetch().ByPeriod(c.kind, c.start, c.end, r);
        EXPECT_EQ(shown, c.records > 0) << c.what;
        EXPECT_EQ(f.Boxes(), c.boxes) << c.what;
        if (c.records == 0) continue;
        const int size = ChromRecordSize(c.kind);
        if (c.kind == kChromCalibration) {
            EXPECT_GE(r.records.size() / size_t(size), c.records - 1) << c.what;  // none while the controller was off
            EXPECT_LE(r.records.size() / size_t(size), c.records) << c.what;
        } else {
            EXPECT_EQ(r.records.size() / size_t(size), c.records) << c.what;
        }
        EXPECT_EQ(r.header.RecordCount(), r.records.size() / size_t(size));
        EXPECT_TRUE(r.header.HasMagic(ChromArchiveKind(c.kind))) << c.what;
        EXPECT_EQ(0, std::memcmp(r.header.PeriodStart(), c.start.data(), 6)) << c.what;
        EXPECT_EQ(0, std::memcmp(r.header.PeriodEnd(), c.end.data(), 6)) << c.what;
        EXPECT_EQ(r.header.ParameterCount(), 3);
        // Every request of the read: selector 0, its kind, the sequence byte 0, 1, 2, ...
        for (size_t i = 0; i < f.requests.bodies.size(); ++i) {
            const auto& b = f.requests.bodies[i];
            ASSERT_EQ(b.size(), 15u);
            EXPECT_EQ(b[0], 0);
            EXPECT_EQ(b[1], c.kind == kChromMeasurement ? 6 : 5);
            EXPECT_EQ(b[2], i);
        }
        // Each read's scratch file is its own and gone after it: nothing is left in the folder.
        EXPECT_FALSE(fs::exists(ChromScratchPath(f.folder.string() + "/", c.kind)));
    }
}

TEST(ChromFetch, MeasurementReadThatFails) {
    struct Case {
        int skip;  // replies that pass before the controller falls silent
        size_t records;
        std::string box;
    } cases[] = {{0, 0, "6 Измерительные данные / не прочитаны"}, {3, 6, "6 Измерительные данные / прочитаны не полностью"}};
    for (const auto& c : cases) {
        Fixture f;
        sim::Faults faults;
        faults.silence = {-1, c.skip, 8};
        f.link.sim.SetFaults(faults);
        ChromFetchResult r;
        EXPECT_EQ(f.Fetch().ByPeriod(kChromMeasurement, P(2024, 3, 15, 9), P(2024, 3, 15, 10), r), c.records > 0);
        EXPECT_EQ(r.records.size(), c.records * kChromRecordSize);
        EXPECT_EQ(r.end, ReadEnd::kFailed);
        ASSERT_EQ(f.Boxes().size(), 1u);
        EXPECT_EQ(f.Boxes()[0], c.box);
    }
}

TEST(ChromFetch, AveragesFollowTheCursor) {
    struct Case {
        const char* what;
        ChromTableKind kind;
        PackedDateTime first, last;
        int outOfOrderSkip;          // -1: no fault
        std::vector<bool> answers;   // to the questions asked
        size_t records;
        int requests;
        int questions;
        ReadEnd end;
    } cases[] = {
        {"four hours: two full replies, the cursor passes the end", kChromHourly, P(2024, 3, 14, 0),
         P(2024, 3, 14, 3), -1, {}, 4, 2, 0, ReadEnd::kComplete},
        {"five hours: a short last reply ends the read", kChromHourly, P(2024, 3, 14, 0), P(2024, 3, 14, 4), -1, {},
         5, 3, 0, ReadEnd::kComplete},
        {"one hour", kChromHourly, P(2024, 3, 14, 5), P(2024, 3, 14, 5), -1, {}, 1, 1, 0, ReadEnd::kComplete},
        {"past the latest hour the controller gives fewer", kChromHourly, P(2024, 3, 15, 8), P(2024, 3, 15, 20), -1,
         {}, 4, 3, 0, ReadEnd::kEmpty},
        {"out of order, No: stored, read ends", kChromHourly, P(2024, 3, 14, 0), P(2024, 3, 14, 7), 1, {false}, 3, 2,
         1, ReadEnd::kStopped},
        {"out of order, Yes: once per read", kChromHourly, P(2024, 3, 14, 0), P(2024, 3, 14, 7), 1, {true}, 8, 4, 1,
         ReadEnd::kComplete},
        {"days in order", kChromDaily, P(2024, 3, 1, 0), P(2024, 3, 8, 0), -1, {}, 8, 4, 0, ReadEnd::kComplete},
        {"a day three days early, No", kChromDaily, P(2024, 3, 1, 0), P(2024, 3, 8, 0), 0, {false}, 1, 1, 1,
         ReadEnd::kStopped},
        {"a day three days early, Yes", kChromDaily, P(2024, 3, 1, 0), P(2024, 3, 8, 0), 2, {true}, 8, 4, 1,
         ReadEnd::kComplete},
        {"a range in the future: nothing, no message", kChromHourly, P(2024, 3, 16, 0), P(2024, 3, 16, 5), -1, {}, 0,
         1, 0, ReadEnd::kEmpty},
    };
    for (const auto& c : cases) {
        Fixture f;
        ASSERT_TRUE(f.link.ok);
        if (c.outOfOrderSkip >= 0) {
            sim::Faults faults;
            faults.outOfOrder = {1, c.outOfOrderSkip, 0};
            f.link.sim.SetFaults(faults);
        }
        for (bool a : c.answers) f.link.ui.answers.push_back(a);
        ChromFetchResult r;
        const bool shown = f.Fetch().ByRange(c.kind, Range(c.first, c.last), r);
        EXPECT_EQ(shown, c.records > 0) << c.what;
        EXPECT_EQ(r.records.size(), c.records * kChromRecordSize) << c.what;
        EXPECT_EQ(int(f.requests.bodies.size()), c.requests) << c.what;
        EXPECT_EQ(r.end, c.end) << c.what;
        int questions = 0;
        for (auto& b : f.link.ui.boxes) {
            EXPECT_EQ(b.kind, kMsgQuestion) << c.what;
            questions += b.line1 == "Передаваемые контроллером данные не соответствуют";
        }
        EXPECT_EQ(questions, c.questions) << c.what;
        EXPECT_EQ(f.link.ui.boxes.size(), size_t(c.questions)) << c.what;
        // Each request starts at the cursor: one step after the records stored so far.
        const int n = c.kind == kChromDaily ? 3 : 4;
        uint8_t cursor[5] = {};
        std::memcpy(cursor, c.first.data(), 4);
        for (size_t i = 0; i < f.requests.bodies.size(); ++i) {
            const auto& b = f.requests.bodies[i];
            ASSERT_EQ(b.size(), size_t(3 + 2 * n)) << c.what;
            EXPECT_EQ((std::vector<uint8_t>{b[0], b[1], b[2]}), (std::vector<uint8_t>{3, 0, 0})) << c.what;
            EXPECT_EQ(0, std::memcmp(&b[3], cursor, size_t(n))) << c.what << " request " << i;
            EXPECT_EQ(0, std::memcmp(&b[size_t(3 + n)], c.last.data(), size_t(n))) << c.what;
            for (int k = 0; k < 2; ++k) StepForward(cursor, c.kind == kChromDaily ? kUnitDay : kUnitHour);
        }
        if (!shown) continue;
        EXPECT_TRUE(r.header.HasMagic(c.kind == kChromDaily ? kArchDch : kArchHch));
        EXPECT_EQ(0, std::memcmp(r.header.PeriodStart(), c.first.data(), size_t(n)));
        EXPECT_EQ(r.header.PeriodStart()[n], 0);
    }
}

TEST(ChromFetch, TheRetryQuestion) {
    struct Case {
        std::vector<bool> answers;
        size_t records;
        std::vector<std::string> boxes;
    } cases[] = {
        {{true}, 5, {"7 Не выполнено чтение / очередного блока данных"}},
        {{false}, 2,
         {"7 Не выполнено чтение / очередного блока данных",
          "6 Часовые данные хроматографа из архива / прочитаны не полностью"}},
    };
    for (const auto& c : cases) {
        Fixture f;
        sim::Faults faults;
        faults.silence = {1, 1, 15};  // the second request goes unanswered once
        f.link.sim.SetFaults(faults);
        for (bool a : c.answers) f.link.ui.answers.push_back(a);
        ChromFetchResult r;
        EXPECT_TRUE(f.Fetch().ByRange(kChromHourly, Range(P(2024, 3, 14, 0), P(2024, 3, 14, 4)), r));
        EXPECT_EQ(r.records.size(), c.records * kChromRecordSize);
        EXPECT_EQ(f.Boxes(), c.boxes);
        if (c.answers[0]) {
            ASSERT_EQ(f.requests.bodies.size(), 4u);
            EXPECT_EQ(f.requests.bodies[1], f.requests.bodies[2]);  // the same request again
        }
    }
}

TEST(ChromFetch, AvailableRangeFromTheController) {
    struct Case {
        int unit;
        int contractHour;
        sim::SimSeconds now;
        std::vector<uint8_t> oldest, latest;
    } cases[] = {
        {kUnitHour, 9, sim::SecondsFromFields(2024, 3, 15, 12, 0, 0), {24, 1, 14, 12}, {24, 3, 15, 11}},
        {kUnitDay, 9, sim::SecondsFromFields(2024, 3, 15, 12, 0, 0), {24, 1, 15}, {24, 3, 14}},
        {kUnitDay, 14, sim::SecondsFromFields(2024, 3, 15, 12, 0, 0), {24, 1, 14}, {24, 3, 13}},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.link.sim.SetByte(6, 6, uint8_t(c.contractHour));
        AvailableRange r;
        ASSERT_TRUE(ReadAvailableRange(f.link.io, c.unit, r));
        const size_t n = c.unit == kUnitHour ? 4 : 3;
        EXPECT_EQ(std::vector<uint8_t>(r.oldest, r.oldest + n), c.oldest) << c.unit << " " << c.contractHour;
        EXPECT_EQ(std::vector<uint8_t>(r.latest, r.latest + n), c.latest) << c.unit << " " << c.contractHour;
        // Reading the whole range gives one record per hour (day), first and last as the range says.
        ShortPeriod p;
        std::memcpy(p.start, r.oldest, 5);
        std::memcpy(p.end, r.latest, 5);
        if (c.unit == kUnitHour) std::memcpy(p.start, r.latest, 5), p.start[3] = 0;
        ChromFetchResult res;
        ASSERT_TRUE(f.Fetch().ByRange(c.unit == kUnitHour ? kChromHourly : kChromDaily, p, res));
        const size_t count = res.records.size() / kChromRecordSize;
        EXPECT_EQ(0, std::memcmp(res.records.data() + (count - 1) * kChromRecordSize, c.latest.data(), n));
        EXPECT_TRUE(f.link.ui.boxes.empty());
    }
}

}  // namespace
}  // namespace zul::test

namespace zul::test {
namespace {

// The moisture meter's three archives through the same reads: instrument 1 in every
// request, up to 8 records a reply, the next request only after a full one.
TEST(ChromFetch, MoistureMeterArchives) {
    struct Case {
        const char* what;
        ChromTableKind kind;
        PackedDateTime first, last;
        size_t records;
        int requests;
        ArchiveKind file;
    } cases[] = {
        {"21 hours: replies of 8, 8 and 5", kMoistHourly, P(2024, 3, 14, 0), P(2024, 3, 14, 20), 21, 3, kArchHwm},
        {"16 hours: two full replies, the cursor passes the end", kMoistHourly, P(2024, 3, 14, 0),
         P(2024, 3, 14, 15), 16, 2, kArchHwm},
        {"ten days", kMoistDaily, P(2024, 3, 1, 0), P(2024, 3, 10, 0), 10, 2, kArchDwm},
        {"an hour of measurements, 8 a reply", kMoistMeasurement, P(2024, 3, 15, 10), P(2024, 3, 15, 10, 59, 59), 20,
         3, kArchMwm},
    };
    for (const auto& c : cases) {
        Fixture f;
        ASSERT_TRUE(f.link.ok);
        f.link.image.Field(15, 6)[0] = 2;
        ChromFetchResult r;
        const bool shown = ChromTwin(c.kind) == kChromMeasurement
                               ? f.Fetch().ByPeriod(c.kind, c.first, c.last, r)
                               : f.Fetch().ByRange(c.kind, Range(c.first, c.last), r);
        ASSERT_TRUE(shown) << c.what;
        EXPECT_EQ(r.records.size(), c.records * size_t(ChromRecordSize(c.kind))) << c.what;
        EXPECT_EQ(int(f.requests.bodies.size()), c.requests) << c.what;
        EXPECT_TRUE(f.link.ui.boxes.empty()) << c.what;
        EXPECT_TRUE(r.header.HasMagic(c.file)) << c.what;
        EXPECT_EQ(r.header.Source(), 1) << c.what;
        EXPECT_EQ(r.header.MoistType(), 2) << c.what;
        for (const auto& b : f.requests.bodies) EXPECT_EQ(b[c.kind == kMoistMeasurement ? 0 : 2], 1) << c.what;
        // Every record carries a good check and lies in the period.
        const int size = ChromRecordSize(c.kind);
        for (size_t i = 0; i < c.records; ++i) {
            const uint8_t* rec = r.records.data() + i * size_t(size);
            EXPECT_TRUE(ChromRecordValid(rec, size)) << c.what << " " << i;
            EXPECT_GE(std::memcmp(rec, c.first.data(), 3), 0) << c.what;
        }
    }
}

}  // namespace
}  // namespace zul::test
