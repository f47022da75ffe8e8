// The archive read loop and the event fetch against a scripted controller and the
// simulated one, over loopback TCP and a pseudo-terminal: request splitting,
// sequence bytes, every row of the failure table, Esc between replies.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/support/Links.h"
#include "events/ArchiveReader.h"
#include "events/ArchiveRequests.h"
#include "events/EventFetch.h"
#include "link/Tcp_fun.h"
#include "sim/Qrtsim.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul::test {
namespace {

// A user-interface port that logs the read's steps and can press Esc.
class ReadUi : public FakeUi {
public:
    bool ShowMessageBox(int kind, const std::string& l1, const std::string& l2) override {
        log.push_back("msg " + std::to_string(kind) + " " + l1 + " / " + l2);
        return FakeUi::ShowMessageBox(kind, l1, l2);
    }
    bool StopRequested() const override { return stop; }
    void ClearStopRequest() override { stop = false; }
    void BeginArchiveRead(int max) override { log.push_back("begin " + std::to_string(max)); }
    void EndArchiveRead() override { log.push_back("end"); }
    void SetProgress(int value, int) override {
        progress.push_back(value);
        if (int(progress.size()) == stopAfterReply) stop = true;
    }
    bool stop = false;
    int stopAfterReply = -1;
    std::vector<std::string> log;
    std::vector<int> progress;
};

// A diagnostic record whose bytes tell its index; `bad` damages its check.
Bytes Record(uint32_t index, size_t size = 22, bool bad = false) {
    Bytes r(size);
    r[0] = 26, r[1] = 3, r[2] = uint8_t(1 + index % 28), r[3] = uint8_t(index % 24), r[4] = 0, r[5] = 0;
    r[6] = uint8_t(index % 82);
    std::memcpy(&r[10], &index, 4);
    const uint16_t crc = Crc16(r.data(), uint16_t(size - 2));
    r[size - 2] = uint8_t(crc), r[size - 1] = uint8_t((crc >> 8) ^ (bad ? 1 : 0));
    return r;
}

uint32_t IndexOf(const uint8_t* rec) {
    uint32_t v;
    std::memcpy(&v, rec + 10, 4);
    return v;
}

// What the scripted controller does with the n-th archive request (0-based).
struct Answer {
    enum Kind { kRecords, kSilence, kOverLength } kind = kRecords;
    int count = 0;       // records in the reply
    bool more = false;   // command 8: continuation
    uint8_t flags = 0;   // command 8: body byte 0
};

struct Scripted {
    explicit Scripted(Transport t) : link(t), io(link.box, image, ui) {
        link.box.ui = &ui;
        link.box.attempts = 1;
        link.box.replyTimeoutMs = 150;
        link.peer.SetScript([this](const Bytes& f, int) { return Answer(f); });
    }
    std::vector<PeerStep> Answer(const Bytes& f) {
        const uint8_t cmd = f[3];
        if (cmd == 1) {
            Bytes values(size_t(Table(f[5]).fieldSize) * f[7]);
            if (f[5] == 10 || f[5] == 11) {
                std::memcpy(values.data(), &oldest, 4);
                std::memcpy(values.data() + 4, &newest, 4);
            }
            if (f[5] == 41) ++table41Reads;
            return {PeerStep{EchoReply(f, values)}};
        }
        const size_t n = archiveRequests.size();
        archiveRequests.push_back(f);
        const zul::test::Answer a = n < script.size() ? script[n] : zul::test::Answer{};
        if (a.kind == Answer::kSilence) return {};
        Bytes body;
        int records = a.count;
        if (cmd == 7) {
            body.assign(7, 0);
            uint32_t first;
            std::memcpy(&first, &f[6], 4);
            body[6] = uint8_t(a.kind == Answer::kOverLength ? a.count + 1 : a.count);
            for (int i = 0; i < records; ++i) {
                const Bytes r = Record(first + uint32_t(i), f[5] ? 24 : 22);
                body.insert(body.end(), r.begin(), r.end());
            }
        } else {
            body = {a.flags, 0, uint8_t(a.kind == Answer::kOverLength ? a.count + 1 : a.count), uint8_t(a.more)};
            for (int i = 0; i < records; ++i) {
                const Bytes r = Record(uint32_t(next++), f[5] ? 24 : 22);
                body.insert(body.end(), r.begin(), r.end());
            }
        }
        return {PeerStep{ReplyFrame(f[1], uint8_t(cmd | 0x80), body)}};
    }
    EngineOnPeer link;
    ReadUi ui;
    TableImage image;
    TableIo io;
    MemoryStatusBar bar;
    std::vector<zul::test::Answer> script;
    std::vector<Bytes> archiveRequests;
    uint32_t oldest = 1000, newest = 1999;
    int next = 0;
    int table41Reads = 0;
    std::string folder = std::string(::testing::TempDir());
};

class Reader : public ::testing::TestWithParam<Transport> {};

// Command 7 requests: (first index, count) of each.
std::vector<std::pair<uint32_t, int>> IndexRequests(const std::vector<Bytes>& frames) {
    std::vector<std::pair<uint32_t, int>> out;
    for (const Bytes& f : frames) {
        uint32_t first;
        std::memcpy(&first, &f[6], 4);
        out.emplace_back(first, f[10]);
    }
    return out;
}

struct SplitCase {
    const char* what;
    EventArchive archive;
    int count;
    std::vector<int> replies;  // records each reply carries
    std::vector<std::pair<uint32_t, int>> requests;
};

TEST_P(Reader, IndexRequestsAreSplitAndResumedAfterShortReplies) {
    const SplitCase cases[] = {
        {"25 in 11/11/3", kEventsDiagnostic, 25, {11, 11, 3}, {{1000, 11}, {1011, 11}, {1022, 3}}},
        {"short first reply", kEventsDiagnostic, 25, {7, 11, 7}, {{1000, 11}, {1007, 11}, {1018, 7}}},
        {"interventions by 10", kEventsIntervention, 21, {10, 10, 1}, {{1000, 10}, {1010, 10}, {1020, 1}}},
        {"one record", kEventsDiagnostic, 1, {1}, {{1000, 1}}},
    };
    for (const SplitCase& c : cases) {
        Scripted s(GetParam());
        for (int n : c.replies) s.script.push_back({Answer::kRecords, n});
        EventFetch fetch(s.io, s.ui, &s.bar, SystemClock::Instance(), s.folder);
        EventFetchResult r;
        ASSERT_TRUE(fetch.ByIndex(c.archive, 1000, c.count, r)) << c.what;
        EXPECT_EQ(IndexRequests(s.archiveRequests), c.requests) << c.what;
        for (const Bytes& f : s.archiveRequests) EXPECT_EQ(f[5], c.archive) << c.what;
        EXPECT_EQ(r.header.RecordCount(), uint32_t(c.count)) << c.what;
        EXPECT_EQ(r.records.size(), size_t(c.count) * size_t(EventRecordSize(c.archive))) << c.what;
        EXPECT_TRUE(s.ui.shown.empty()) << c.what;
        EXPECT_EQ(s.ui.progress.back(), c.count) << c.what;
        for (int i = 0; c.archive == kEventsDiagnostic && i < c.count; ++i)
            EXPECT_EQ(IndexOf(&r.records[size_t(i) * 22]), 1000u + uint32_t(i));
        // The header: first and last moment of the data.
        EXPECT_EQ(0, std::memcmp(r.header.PeriodStart(), r.records.data(), 6)) << c.what;
        EXPECT_EQ(0, std::memcmp(r.header.PeriodEnd(), &r.records[r.records.size() - size_t(EventRecordSize(c.archive))], 6));
        EXPECT_TRUE(r.header.HasMagic(c.archive == kEventsDiagnostic ? kArchAla : kArchAud));
        EXPECT_EQ(s.table41Reads, 1) << c.what;
    }
}

TEST_P(Reader, SequenceBytesRunPast255) {
    Scripted s(GetParam());
    for (int i = 0; i < 300; ++i) s.script.push_back({Answer::kRecords, 1, i < 299});
    EventFetch fetch(s.io, s.ui, &s.bar, SystemClock::Instance(), s.folder);
    EventFetchResult r;
    const PackedDateTime start{26, 3, 1, 0, 0, 0}, end{26, 3, 30, 0, 0, 0};
    ASSERT_TRUE(fetch.ByPeriod(kEventsDiagnostic, start, end, r));
    ASSERT_EQ(s.archiveRequests.size(), 300u);
    for (size_t i = 0; i < 300; ++i) {
        const int expected = i <= 255 ? int(i) : int(i - 255);
        ASSERT_EQ(s.archiveRequests[i][6], expected) << i;
        ASSERT_EQ(0, std::memcmp(&s.archiveRequests[i][7], start.data(), 6));
        ASSERT_EQ(0, std::memcmp(&s.archiveRequests[i][13], end.data(), 6));
    }
    EXPECT_EQ(r.header.RecordCount(), 300u);
    EXPECT_EQ(0, std::memcmp(r.header.PeriodStart(), start.data(), 6));
    EXPECT_EQ(0, std::memcmp(r.header.PeriodEnd(), end.data(), 6));
    EXPECT_EQ(s.ui.log.front(), "begin " + std::to_string(HoursBetween(start.data(), end.data())));
}

struct FailureCase {
    const char* what;
    bool byPeriod;
    EventArchive archive;
    std::vector<Answer> script;
    int stopAfterReply;
    uint32_t records;                 // records handed to the viewer
    bool viewer;
    std::vector<std::string> log;     // messages and wait-window steps in order
    ReadEnd end;
};

const std::string kDiagTitle = "Диагностические сообщения";
const std::string kIntTitle = "Сообщения о вмешательствах оператора";

TEST_P(Reader, FailureTable) {
    const Answer silence{Answer::kSilence};
    const FailureCase cases[] = {
        {"index: fails before any record", false, kEventsDiagnostic, {silence}, -1, 0, false,
         {"begin 30", "msg 6 " + kDiagTitle + " / не прочитаны", "end"}, ReadEnd::kFailed},
        {"period, diagnostics: fails before any record", true, kEventsDiagnostic, {silence}, -1, 0, false,
         {"begin 24", "msg 5 " + kDiagTitle + " / не прочитаны", "end"}, ReadEnd::kFailed},
        {"period, interventions: fails before any record", true, kEventsIntervention, {silence}, -1, 0, false,
         {"begin 24", "msg 6 " + kIntTitle + " / не прочитаны", "end"}, ReadEnd::kFailed},
        {"index: fails after some", false, kEventsDiagnostic, {{Answer::kRecords, 11}, silence}, -1, 11, true,
         {"begin 30", "msg 6 " + kDiagTitle + " / прочитаны не полностью", "end"}, ReadEnd::kFailed},
        {"period: fails after some", true, kEventsIntervention, {{Answer::kRecords, 10, true}, silence}, -1, 10, true,
         {"begin 24", "msg 6 " + kIntTitle + " / прочитаны не полностью", "end"}, ReadEnd::kFailed},
        {"index: first reply empty", false, kEventsDiagnostic, {{Answer::kRecords, 0}}, -1, 0, false,
         {"begin 30", "msg 6 Нет сообщений с заданными индексами / ", "end"}, ReadEnd::kEmpty},
        {"period: first reply empty", true, kEventsDiagnostic, {{Answer::kRecords, 0, true}}, -1, 0, false,
         {"begin 24", "msg 6 Нет данных за указанный период / ", "end"}, ReadEnd::kEmpty},
        {"index: later reply empty", false, kEventsDiagnostic, {{Answer::kRecords, 11}, {Answer::kRecords, 0}}, -1,
         11, true, {"begin 30", "end"}, ReadEnd::kEmpty},
        {"period: later reply empty", true, kEventsDiagnostic, {{Answer::kRecords, 11, true}, {Answer::kRecords, 0, true}},
         -1, 11, true, {"begin 24", "end"}, ReadEnd::kEmpty},
        {"index: Esc after the first reply", false, kEventsDiagnostic, {{Answer::kRecords, 11}, {Answer::kRecords, 11}},
         1, 11, true, {"begin 30", "end"}, ReadEnd::kStopped},
        {"period: Esc after the second reply", true, kEventsDiagnostic,
         {{Answer::kRecords, 2, true}, {Answer::kRecords, 3, true}, {Answer::kRecords, 3, true}}, 2, 5, true,
         {"begin 24", "end"}, ReadEnd::kStopped},
        {"period: archive error flag", true, kEventsDiagnostic,
         {{Answer::kRecords, 2, true}, {Answer::kRecords, 1, false, 0x80}}, -1, 3, true,
         {"begin 24", "end", "msg 6 Обнаружена ошибка / в архиве диагностических сообщений"}, ReadEnd::kComplete},
        {"period: archive error flag, interventions", true, kEventsIntervention, {{Answer::kRecords, 1, false, 0x80}},
         -1, 1, true, {"begin 24", "end", "msg 6 Обнаружена ошибка / в архиве сообщений о вмешательствах"},
         ReadEnd::kComplete},
        {"index: count past the reply's length", false, kEventsDiagnostic,
         {{Answer::kRecords, 11}, {Answer::kOverLength, 5}}, -1, 11, true,
         {"begin 30", "msg 6 " + kDiagTitle + " / прочитаны не полностью", "end"}, ReadEnd::kFailed},
        {"period: count past the reply's length first", true, kEventsDiagnostic, {{Answer::kOverLength, 1}}, -1, 0,
         false, {"begin 24", "msg 5 " + kDiagTitle + " / не прочитаны", "end"}, ReadEnd::kFailed},
    };
    for (const FailureCase& c : cases) {
        Scripted s(GetParam());
        s.script = c.script;
        s.ui.stopAfterReply = c.stopAfterReply;
        EventFetch fetch(s.io, s.ui, &s.bar, SystemClock::Instance(), s.folder);
        EventFetchResult r;
        const bool shown = c.byPeriod ? fetch.ByPeriod(c.archive, {26, 3, 1, 0, 0, 0}, {26, 3, 2, 0, 0, 0}, r)
                                      : fetch.ByIndex(c.archive, 1000, 30, r);
        EXPECT_EQ(shown, c.viewer) << c.what;
        EXPECT_EQ(r.header.RecordCount(), shown ? c.records : 0u) << c.what;
        EXPECT_EQ(r.records.size(), size_t(c.records) * size_t(EventRecordSize(c.archive))) << c.what;
        EXPECT_EQ(s.ui.log, c.log) << c.what;
        EXPECT_EQ(r.end, c.end) << c.what;
        EXPECT_FALSE(s.ui.stop) << c.what << ": the stop request is cleared";
        EXPECT_EQ(s.table41Reads, shown ? 1 : 0) << c.what;
        if (c.end == ReadEnd::kFailed) {
            EXPECT_FALSE(s.ui.eventTurns == 0);
            if (c.script.back().kind == Answer::kOverLength) {
                EXPECT_EQ(r.errorCode, uint32_t(kErrReplyLength));
            }
        }
        EXPECT_EQ(s.bar.PanelText(2), "") << c.what << ": panel 2 emptied at the end";
    }
}

TEST_P(Reader, ScratchFileThatCannotBeCreated) {
    Scripted s(GetParam());
    EventFetch fetch(s.io, s.ui, &s.bar, SystemClock::Instance(), "/nonexistent-folder/");
    EventFetchResult r;
    EXPECT_FALSE(fetch.ByIndex(kEventsDiagnostic, 1000, 5, r));
    EXPECT_EQ(s.ui.log, std::vector<std::string>{"msg 6 Ошибка открытия файла / "});
    EXPECT_TRUE(s.archiveRequests.empty());
}

struct IndexesCase {
    uint32_t oldest, newest;
    bool dialog;
};

TEST_P(Reader, BoundaryIndexes) {
    const IndexesCase cases[] = {{500, 500, false}, {0, 0, true}, {1000, 1029, true}};
    for (const IndexesCase& c : cases) {
        Scripted s(GetParam());
        s.oldest = c.oldest, s.newest = c.newest;
        EventFetch fetch(s.io, s.ui, &s.bar, SystemClock::Instance(), s.folder);
        uint32_t o = 1, n = 1;
        EXPECT_EQ(fetch.ReadIndexes(kEventsIntervention, o, n), c.dialog) << c.oldest;
        EXPECT_EQ(s.ui.shown.size(), c.dialog ? 0u : 1u);
        if (!c.dialog) {
            EXPECT_EQ(s.ui.shown[0].line1, "В архиве нет ни одной записи");
        }
        if (c.dialog) {
            EXPECT_EQ(o, c.oldest);
            EXPECT_EQ(n, c.newest);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Links, Reader, ::testing::Values(Transport::kTcp, Transport::kPty),
                         [](const auto& i) { return TransportName(i.param); });

// Against the simulated controller: what arrives is what it holds.
class SimFetch : public ::testing::TestWithParam<Transport> {};

TEST_P(SimFetch, ByIndexAndByPeriodDeliverTheArchive) {
    // The simulated clock stands still, so the archive cannot grow between the
    // snapshot and the reads; the timeouts allow a loaded machine's pauses.
    sim::SimSettings settings;
    settings.rate = 0;
    sim::Qrtsim sim(settings);
    Qrtbox box(1);
    FakeUi ui;
    box.ui = &ui;
    box.openPerExchange = 0;
    box.replyTimeoutMs = 3000;
    box.interByteTimeoutMs = 200;
    if (GetParam() == Transport::kTcp) {
        ASSERT_TRUE(sim.StartTcp());
        box.linkKind = kLinkEthernet;
        box.tcpSendPauseMs = 0;
        box.sock = TcpConnect("127.0.0.1", sim.tcpPort(), 2000);
    } else {
        ASSERT_TRUE(sim.StartPty());
        SetPortDevicePath(43, sim.ptyPath());
        box.linkKind = kLinkDirect;
        box.portNumber = 43;
        box.baudRate = 115200;
        ASSERT_TRUE(box.OpenPort());
    }
    TableImage image;
    TableIo io(box, image, ui);
    MemoryStatusBar bar;
    EventFetch fetch(io, ui, &bar, SystemClock::Instance(), std::string(::testing::TempDir()));
    for (EventArchive a : {kEventsDiagnostic, kEventsIntervention}) {
        uint32_t first = 0;
        const auto held = a == kEventsDiagnostic ? sim.Diagnostics(&first) : sim.Interventions(&first);
        if (held.empty()) continue;
        uint32_t oldest, newest;
        ASSERT_TRUE(fetch.ReadIndexes(a, oldest, newest));
        EXPECT_EQ(oldest, first);
        const int count = int(std::min<uint32_t>(newest - oldest + 1, 40));
        EventFetchResult r;
        ASSERT_TRUE(fetch.ByIndex(a, newest - uint32_t(count) + 1, count, r));
        const size_t size = size_t(EventRecordSize(a));
        ASSERT_EQ(r.records.size(), size_t(count) * size);
        const size_t base = size_t(newest - oldest) + 1 - size_t(count);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(0, std::memcmp(&r.records[size_t(i) * size], held[base + size_t(i)].data(), size)) << i;
        // By period: from the moment of the oldest fetched record to that of the newest.
        PackedDateTime s, e;
        std::memcpy(s.data(), &r.records[0], 6);
        std::memcpy(e.data(), &r.records[size_t(count - 1) * size], 6);
        EventFetchResult p;
        ASSERT_TRUE(fetch.ByPeriod(a, s, e, p));
        EXPECT_GE(p.records.size(), r.records.size());
        EXPECT_TRUE(ui.shown.empty());
    }
    if (box.sock > 0) TcpClose(box.sock);
    box.ClosePort();
    SetPortDevicePath(43, "");
}

INSTANTIATE_TEST_SUITE_P(Links, SimFetch, ::testing::Values(Transport::kTcp, Transport::kPty),
                         [](const auto& i) { return TransportName(i.param); });

}  // namespace
}  // namespace zul::test
