// Completeness of chromatograph archives over generated record sets: gaps at the
// start, in the middle and at the end, the gas day across the contract hour,
// duplicates, records out of order, bad checks and the controller switched off.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "events/DiagnosticFile.h"
#include "events/InterventionFile.h"
#include "link/Qrtbox.h"
#include "tables/TableImage.h"
#include "measurements/Completeness.h"

namespace zul {
namespace {

// A record: its moment "DD.MM HH:MM" of March 2021, flags.
struct Rec {
    int day, hour, minute;
    bool bad = false;
    bool off = false;
};

struct Case {
    const char* name;
    ChromTableKind kind;
    std::vector<uint8_t> start, end;  // the header's period prefix
    std::vector<Rec> records;
    const char* text;                 // what `zul check` prints
    const char* details;              // duplicates, order, grid, off stretches
};

std::vector<uint8_t> Records(const Case& c) {
    std::vector<uint8_t> all;
    for (const Rec& r : c.records) {
        std::vector<uint8_t> rec(kChromRecordSize, 0);
        const uint8_t when[6] = {21, 3, uint8_t(r.day), uint8_t(r.hour), uint8_t(r.minute), 0};
        std::memcpy(rec.data(), when, 6);
        rec[c.kind == kChromMeasurement ? 7 : 9] = r.off ? 0x02 : 0x00;
        const uint16_t crc = Crc16(rec.data(), kChromRecordSize - 2);
        rec[92] = uint8_t(crc & 0xFF);
        rec[93] = uint8_t(crc >> 8);
        if (r.bad) rec[93] ^= 0x55;
        all.insert(all.end(), rec.begin(), rec.end());
    }
    return all;
}

const Case kCases[] = {
    {"whole measurements", kChromMeasurement, {21, 3, 3, 10, 0, 0}, {21, 3, 3, 10, 9, 0},
     {{3, 10, 0}, {3, 10, 3}, {3, 10, 6}, {3, 10, 9}},
     "expected: 4\nreceived: 4\ninvalid: 0\ngaps: 0\n", "duplicates: 0\nout of order: 0\noff the grid: 0\noff: 0\n"},
    {"gaps at start, middle and end", kChromMeasurement, {21, 3, 3, 9, 58, 0}, {21, 3, 3, 10, 30, 0},
     {{3, 10, 4}, {3, 10, 7}, {3, 10, 10}, {3, 10, 19}, {3, 10, 22}},
     "expected: 11\nreceived: 5\ninvalid: 0\ngaps: 3\n"
     "GAP 03.03.2021 09:58:00 03.03.2021 10:01:00 2\n"
     "GAP 03.03.2021 10:13:00 03.03.2021 10:16:00 2\n"
     "GAP 03.03.2021 10:25:00 03.03.2021 10:28:00 2\n",
     "duplicates: 0\nout of order: 0\noff the grid: 0\noff: 0\n"},
    {"bad check, duplicate, order, off", kChromMeasurement, {21, 3, 3, 10, 0, 0}, {21, 3, 3, 10, 15, 0},
     {{3, 10, 0}, {3, 10, 6}, {3, 10, 3}, {3, 10, 3}, {3, 10, 9, true}, {3, 10, 12, false, true},
      {3, 10, 15, false, true}, {3, 10, 17}},
     "expected: 6\nreceived: 8\ninvalid: 1\ngaps: 1\nGAP 03.03.2021 10:09:00 03.03.2021 10:09:00 1\n",
     "duplicates: 1\nout of order: 1\noff the grid: 1\noff: 1\nOFF 03.03.2021 10:12:00 03.03.2021 10:15:00 2\n"},
    {"no record at all", kChromMeasurement, {21, 3, 3, 0, 1, 0}, {21, 3, 3, 0, 7, 0}, {},
     "expected: 2\nreceived: 0\ninvalid: 0\ngaps: 1\nGAP 03.03.2021 00:03:00 03.03.2021 00:06:00 2\n",
     "duplicates: 0\nout of order: 0\noff the grid: 0\noff: 0\n"},
    {"hours across midnight", kChromHourly, {21, 3, 3, 22}, {21, 3, 4, 2},
     {{3, 22, 0}, {4, 0, 0}, {4, 1, 0}},
     "expected: 5\nreceived: 3\ninvalid: 0\ngaps: 2\n"
     "GAP 03.03.2021 23:00:00 03.03.2021 23:00:00 1\nGAP 04.03.2021 02:00:00 04.03.2021 02:00:00 1\n",
     "duplicates: 0\nout of order: 0\noff the grid: 0\noff: 0\n"},
    {"gas days from the contract hour", kChromDaily, {21, 3, 1}, {21, 3, 5},
     {{2, 10, 0}, {3, 10, 0}, {5, 10, 0}, {5, 0, 0}},
     "expected: 5\nreceived: 4\ninvalid: 0\ngaps: 2\n"
     "GAP 01.03.2021 10:00:00 01.03.2021 10:00:00 1\nGAP 04.03.2021 10:00:00 04.03.2021 10:00:00 1\n",
     "duplicates: 0\nout of order: 1\noff the grid: 1\noff: 0\n"},
    {"a period ending before it starts", kChromHourly, {21, 3, 4, 2}, {21, 3, 3, 2}, {{3, 5, 0}},
     "expected: 0\nreceived: 1\ninvalid: 0\ngaps: 0\n", "duplicates: 0\nout of order: 0\noff the grid: 1\noff: 0\n"},
};

TEST(Completeness, RecordSetsAgainstTheirGrid) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ArchiveFileHeader h;
        std::memcpy(h.bytes.data() + ArchiveFileHeader::kPeriodStart, c.start.data(), c.start.size());
        std::memcpy(h.bytes.data() + ArchiveFileHeader::kPeriodEnd, c.end.data(), c.end.size());
        const std::vector<uint8_t> recs = Records(c);
        const CompletenessReport r = CheckChromCompleteness(c.kind, h, recs.data(), c.records.size());
        EXPECT_EQ(CompletenessText(r), c.text);
        EXPECT_EQ(CompletenessDetails(r), c.details);
        EXPECT_EQ(r.Whole(), std::string(c.text).find("invalid: 0\ngaps: 0") != std::string::npos);
    }
}

// Event archives: read by index the indexes asked for that did not come; by
// period nothing can be missing; a file names the rows it lacks by number.
TEST(Completeness, EventReadsAndFiles) {
    struct EventCase {
        const char* name;
        int mode;
        uint32_t records, requested, fileRows;  // fileRows: the count a short file claims
        std::vector<uint32_t> bad;              // records with a broken check
        const char* text;
        bool early = false;                     // the header marks a read that ended early
    } cases[] = {
        {"every index came", 0, 5, 5, 0, {}, "expected: 5\nreceived: 5\ninvalid: 0\ngaps: 0\n"},
        {"read ended early", 0, 11, 30, 0, {3}, "expected: 30\nreceived: 11\ninvalid: 1\ngaps: 1\nGAP 1011 1029 19\n"},
        {"nothing asked for beyond what came", 0, 4, 0, 0, {}, "expected: 4\nreceived: 4\ninvalid: 0\ngaps: 0\n"},
        {"by period", 1, 6, 0, 0, {0, 5}, "expected: 6\nreceived: 6\ninvalid: 2\ngaps: 0\n"},
        {"short file", 2, 7, 0, 10, {}, "expected: 10\nreceived: 7\ninvalid: 0\ngaps: 1\nGAP 8 10 3\n"},
        {"by period, ended early", 1, 6, 0, 0, {}, "expected: 6\nreceived: 6\ninvalid: 0\ngaps: 0\n", true},
        {"from a file, ended early", 2, 6, 0, 0, {}, "expected: 6\nreceived: 6\ninvalid: 0\ngaps: 0\n", true},
    };
    const TableImage image;
    for (const bool diagnostic : {true, false}) {
        const size_t size = diagnostic ? 22 : 24;
        for (const EventCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (diagnostic ? " (diagnostics)" : " (interventions)"));
            std::vector<uint8_t> recs(c.records * size, 0);
            for (uint32_t i = 0; i < c.records; ++i) {
                uint8_t* r = recs.data() + i * size;
                const uint8_t when[6] = {21, 3, 3, 10, uint8_t(i), 0};
                std::memcpy(r, when, 6);
                const uint16_t crc = Crc16(r, uint16_t(size - 2));
                r[size - 2] = uint8_t(crc & 0xFF);
                r[size - 1] = uint8_t(crc >> 8);
            }
            for (uint32_t b : c.bad) recs[b * size + size - 1] ^= 0x5A;
            ArchiveFileHeader h;
            h.SetRecordCount(c.records);
            h.SetEndedEarly(c.early);
            CompletenessReport r;
            if (diagnostic) {
                DiagnosticView v = DiagnosticViewFromRecords(c.mode, h, recs.data(), 1000, image);
                v.requested = c.requested;
                if (c.fileRows) v.header.SetRecordCount(c.fileRows);
                r = v.Completeness();
            } else {
                InterventionView v = InterventionViewFromRecords(c.mode, h, recs.data(), 1000, image);
                v.requested = c.requested;
                if (c.fileRows) v.header.SetRecordCount(c.fileRows);
                r = v.Completeness();
            }
            EXPECT_EQ(CompletenessText(r), c.text);
            EXPECT_EQ(r.Whole(), !c.early && std::string(c.text).find("invalid: 0\ngaps: 0") != std::string::npos);
            EXPECT_EQ(CompletenessSummary(r).find("чтение прервано") != std::string::npos, c.early);
            EXPECT_EQ(CompletenessDetails(r).find("ended early") != std::string::npos, c.early);
        }
    }
}

}  // namespace
}  // namespace zul
