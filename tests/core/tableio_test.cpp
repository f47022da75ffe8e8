// Reading and writing runs of fields, observed as the frames a controller receives.
#include <gtest/gtest.h>

#include <memory>

#include "core/support/Links.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul::test {
namespace {

// A controller that keeps its own copy of the tables and answers commands 1 and 2.
struct TableController {
    TableImage tables;
    std::function<std::optional<Bytes>(const Bytes&, int)> override;
    PeerScript Script() {
        return [this](const Bytes& f, int i) -> std::vector<PeerStep> {
            if (override)
                if (auto r = override(f, i)) return {{*r}};
            if (f[3] == 1) {
                const TableDescriptor& d = Table(f[5]);
                Bytes values(tables.Field(f[5], f[6]), tables.Field(f[5], f[6]) + f[7] * d.fieldSize);
                return {{EchoReply(f, values)}};
            }
            if (f[3] == 2) {
                const TableDescriptor& d = Table(f[21]);
                std::copy(f.begin() + 24, f.begin() + 24 + f[23] * d.fieldSize, tables.Field(f[21], f[22]));
                return {{EchoReply(f)}};
            }
            return {};
        };
    }
};

struct Fixture : ::testing::Test {
    Fixture() : e(Transport::kTcp), io(e.box, image, e.ui) {
        e.peer.SetScript(controller.Script());
        e.box.replyTimeoutMs = 200;
        for (int i = 0; i < kTableImageSize; ++i) controller.tables.Bytes()[i] = uint8_t(i * 7 + 3);
    }
    // Writes issued since the last call: (table, first, count) of each command-2 frame.
    std::vector<std::array<int, 3>> Writes() {
        std::vector<std::array<int, 3>> w;
        auto frames = e.peer.frames();
        for (size_t i = seen; i < frames.size(); ++i)
            if (frames[i][3] == 2) w.push_back({frames[i][21], frames[i][22], frames[i][23]});
        seen = frames.size();
        return w;
    }
    EngineOnPeer e;
    TableController controller;
    TableImage image;
    RecordingStatusBar bar;
    TableIo io;
    size_t seen = 0;
};

using TableRead = Fixture;
using TableWrite = Fixture;

TEST_F(TableRead, CopiesTheRunAndReportsProgress) {
    const uint8_t req[3] = {0, 0, 18};
    ASSERT_TRUE(io.ReadFields(req, &bar, true)) << e.box.ErrorText();
    EXPECT_EQ(Bytes(image.Data(0), image.Data(0) + 18), Bytes(controller.tables.Data(0), controller.tables.Data(0) + 18));
    EXPECT_EQ(bar.history[2], (std::vector<std::string>{"Чтение из таблицы 0 (поля 0-17)", ""}));
    EXPECT_EQ(image.Byte(1, 0), 0);  // nothing else touched
    const uint8_t one[3] = {6, 6, 1};
    ASSERT_TRUE(io.ReadFields(one, &bar, true));
    EXPECT_EQ(bar.history[2][2], "Чтение из таблицы 6 (поле 6)");
    EXPECT_TRUE(e.ui.shown.empty());
}

TEST_F(TableRead, EchoMismatchAsksAndLeavesTheImageOnNo) {
    controller.override = [](const Bytes& f, int) -> std::optional<Bytes> {
        Bytes wrong = f;
        wrong[5] = 6;
        return EchoReply(wrong, Bytes(60, 0x55));
    };
    const uint8_t req[3] = {5, 0, 3};
    e.ui.answers = {false};
    EXPECT_FALSE(io.ReadFields(req, &bar, false));  // asked even without show
    ASSERT_EQ(e.ui.shown.size(), 1u);
    EXPECT_EQ(e.ui.shown[0].kind, kMsgRetry);
    EXPECT_EQ(e.ui.shown[0].line1, "Несоответствие запрошенных и переданных данных.");
    EXPECT_EQ(e.ui.shown[0].line2, "Табл. 5 \" Наименование контроллера\".");
    EXPECT_EQ(image.Byte(5, 0), 0);

    // "Да" repeats the read; the second reply is right.
    controller.override = [](const Bytes& f, int i) -> std::optional<Bytes> {
        if (i > 1) return std::nullopt;
        Bytes wrong = f;
        wrong[5] = 6;
        return EchoReply(wrong, Bytes(60, 0x55));
    };
    e.ui.answers = {true};
    EXPECT_TRUE(io.ReadFields(req, &bar, true));
    EXPECT_EQ(image.Byte(5, 0), controller.tables.Byte(5, 0));
    EXPECT_EQ(e.ui.shown.size(), 2u);
}

TEST_F(TableRead, FailedReadAsksOnlyWhenShown) {
    controller.override = [](const Bytes&, int) -> std::optional<Bytes> { return Bytes{}; };
    const uint8_t req[3] = {5, 0, 3};
    e.box.attempts = 1;
    EXPECT_FALSE(io.ReadFields(req, &bar, false));
    EXPECT_TRUE(e.ui.shown.empty());
    EXPECT_FALSE(io.ReadFields(req, &bar, true));
    ASSERT_EQ(e.ui.shown.size(), 1u);
    EXPECT_EQ(e.ui.shown[0].line1, "Не выполнено чтение из таблицы 5.");
    EXPECT_EQ(e.ui.shown[0].line2, "\" Наименование контроллера\"");
    EXPECT_EQ(bar.history[2].back(), "");
    EXPECT_NE(std::find(bar.history[2].begin(), bar.history[2].end(), "Команда 1.  Устройство не отвечает"),
              bar.history[2].end());
}

TEST_F(TableRead, ShortReplyIsALengthErrorNotStaleData) {
    controller.override = [](const Bytes& f, int) -> std::optional<Bytes> { return EchoReply(f, Bytes(10, 1)); };
    const uint8_t req[3] = {5, 0, 3};
    EXPECT_FALSE(io.ReadFields(req, &bar, false));
    EXPECT_EQ(e.box.errorCode, uint32_t(kErrReplyLength));
    EXPECT_EQ(image.Byte(5, 10), 0);
}

TEST_F(TableRead, RunsOutsideTheirTableAreRefusedWithoutAFrame) {
    const uint8_t past[3] = {6, 10, 3}, none[3] = {8, 0, 1}, huge[3] = {1, 0, 4}, zero[3] = {6, 0, 0};
    EXPECT_FALSE(io.ReadFields(past, &bar, true));
    EXPECT_EQ(e.box.errorCode, uint32_t(kErrRunOutsideTable));
    EXPECT_FALSE(io.ReadFields(none, &bar, true));
    EXPECT_EQ(e.box.errorCode, uint32_t(kErrTableNumber));
    EXPECT_EQ(e.box.ErrorText(), "Команда 0.  Неверно задан номер таблицы (8)");
    EXPECT_FALSE(io.ReadFields(huge, &bar, true));  // 256 bytes do not fit a reply
    EXPECT_EQ(e.box.errorCode, uint32_t(kErrRequestTooLong));
    EXPECT_FALSE(io.ReadFields(zero, &bar, true));
    EXPECT_TRUE(e.peer.frames().empty());
    EXPECT_TRUE(e.ui.shown.empty());
}

TEST_F(TableRead, WholeTablesInPiecesThatFitAFrame) {
    ASSERT_TRUE(io.ReadWholeTable(1, &bar));
    std::vector<int> counts;
    for (auto& f : e.peer.frames()) counts.push_back(f[7]);
    EXPECT_EQ(counts, (std::vector<int>{3, 3, 3, 3, 3, 3, 2}));
    EXPECT_EQ(Bytes(image.Data(1), image.Data(1) + 1280), Bytes(controller.tables.Data(1), controller.tables.Data(1) + 1280));
    ASSERT_TRUE(io.ReadWholeTable(7, &bar));
    EXPECT_EQ(e.peer.frames().back()[7], 45);
}

TEST_F(TableWrite, SendsTheImageValuesAndChecksTheEcho) {
    image.Field(6, 2)[0] = 0x42;
    uint8_t buf[3 + 255] = {6, 2, 1};
    ASSERT_TRUE(io.WriteFields(buf, &bar, false));
    EXPECT_EQ(controller.tables.Byte(6, 2), 0x42);
    EXPECT_EQ(bar.history[2], (std::vector<std::string>{"Запись в таблицу 6 (поле 2)", ""}));

    controller.override = [](const Bytes& f, int) -> std::optional<Bytes> {
        Bytes r = EchoReply(f);
        r[7] ^= 1;  // first field echoed wrong
        uint16_t crc = Crc16(r.data(), uint16_t(r.size() - 2));
        r[r.size() - 2] = uint8_t(crc);
        r[r.size() - 1] = uint8_t(crc >> 8);
        return r;
    };
    uint8_t buf2[3 + 255] = {6, 2, 3};
    EXPECT_FALSE(io.WriteFields(buf2, &bar, false));
    ASSERT_EQ(e.ui.shown.size(), 1u);
    EXPECT_EQ(e.ui.shown[0].line1, "Несоответствие заголовка ответа заголовку запроса на запись.");
    EXPECT_EQ(e.ui.shown[0].line2, "Табл. 6 \" Системные параметры\".");
}

TEST_F(TableWrite, RefusalAsksWithTheControllersReason) {
    controller.override = [](const Bytes& f, int) -> std::optional<Bytes> { return ReplyFrame(f[1], 0x02, {3}); };
    uint8_t buf[3 + 255] = {5, 0, 1};
    EXPECT_FALSE(io.WriteFields(buf, &bar, true));
    ASSERT_EQ(e.ui.shown.size(), 1u);
    EXPECT_EQ(e.ui.shown[0].line1, "Не выполнена запись в таблицу 5.");
    EXPECT_EQ(e.ui.shown[0].line2, "Неправильный пароль на запись");
    EXPECT_NE(std::find(bar.history[2].begin(), bar.history[2].end(), "Команда 2.  Неправильный пароль на запись"),
              bar.history[2].end());
}

TEST_F(TableWrite, ChangedFieldsChooseBetweenOneSpanAndRuns) {
    auto change = [&](int t, std::initializer_list<int> fields) {
        Bytes saved(image.Data(t), image.Data(t) + Table(t).Bytes());
        for (int f : fields) image.Field(t, f)[0] ^= 0x5A;
        const uint8_t req[3] = {uint8_t(t), 0, Table(t).fieldCount};
        return std::make_pair(saved, std::array<uint8_t, 3>{req[0], req[1], req[2]});
    };
    using W = std::vector<std::array<int, 3>>;

    {  // nothing changed: nothing sent
        auto [saved, req] = change(6, {});
        EXPECT_TRUE(io.WriteChangedFields(req.data(), saved.data(), &bar));
        EXPECT_EQ(Writes(), W{});
    }
    {  // 1-byte fields 0 and 4: one span (31 bytes) beats two runs (54)
        auto [saved, req] = change(6, {0, 4});
        EXPECT_TRUE(io.WriteChangedFields(req.data(), saved.data(), &bar));
        EXPECT_EQ(Writes(), (W{{6, 0, 5}}));
        EXPECT_EQ(Bytes(controller.tables.Data(6), controller.tables.Data(6) + 5), Bytes(image.Data(6), image.Data(6) + 5));
    }
    {  // 64-byte fields 0 and 10: two runs (180) beat one span (730)
        auto [saved, req] = change(1, {0, 10});
        EXPECT_TRUE(io.WriteChangedFields(req.data(), saved.data(), &bar));
        EXPECT_EQ(Writes(), (W{{1, 0, 1}, {1, 10, 1}}));
    }
    {  // equal costs (28 + 26 against 2 x 27) choose the runs
        auto [saved, req] = change(7, {0, 27});
        EXPECT_TRUE(io.WriteChangedFields(req.data(), saved.data(), &bar));
        EXPECT_EQ(Writes(), (W{{7, 0, 1}, {7, 27, 1}}));
    }
    {  // fields 0 and 2 with a gap: runs considered, the span is cheaper
        auto [saved, req] = change(6, {0, 2});
        EXPECT_TRUE(io.WriteChangedFields(req.data(), saved.data(), &bar));
        EXPECT_EQ(Writes(), (W{{6, 0, 3}}));
    }
    {  // neighbours: always one request
        auto [saved, req] = change(1, {0, 1});
        EXPECT_TRUE(io.WriteChangedFields(req.data(), saved.data(), &bar));
        EXPECT_EQ(Writes(), (W{{1, 0, 2}}));
    }
    {  // a span over 229 bytes goes in pieces of 3 fields of 64 bytes
        auto [saved, req] = change(1, {2, 3, 4, 5, 6, 7, 8});
        EXPECT_TRUE(io.WriteChangedFields(req.data(), saved.data(), &bar));
        EXPECT_EQ(Writes(), (W{{1, 2, 3}, {1, 5, 3}, {1, 8, 1}}));
    }
    {  // a sub-run of the table: only its own fields compared
        Bytes saved(image.Field(4, 3), image.Field(4, 3) + 2 * 22);
        image.Field(4, 4)[5] ^= 1;
        const uint8_t req[3] = {4, 3, 2};
        EXPECT_TRUE(io.WriteChangedFields(req, saved.data(), &bar));
        EXPECT_EQ(Writes(), (W{{4, 4, 1}}));
    }
    // What was written carries the image's values; field 9 was never sent.
    EXPECT_EQ(Bytes(controller.tables.Field(1, 0), controller.tables.Field(1, 9)), Bytes(image.Field(1, 0), image.Field(1, 9)));
    EXPECT_EQ(Bytes(controller.tables.Field(1, 10), controller.tables.Field(1, 11)), Bytes(image.Field(1, 10), image.Field(1, 11)));
    EXPECT_NE(controller.tables.Field(1, 9)[0], image.Field(1, 9)[0]);
}

TEST_F(TableWrite, RunsStopAtTheFirstFailure) {
    e.box.attempts = 1;
    controller.override = [](const Bytes& f, int) -> std::optional<Bytes> {
        if (f[3] == 2 && f[22] == 10) return ReplyFrame(f[1], 0x02, {12});
        return std::nullopt;
    };
    Bytes saved(image.Data(1), image.Data(1) + 1280);
    for (int f : {0, 10, 19}) image.Field(1, f)[0] ^= 1;
    const uint8_t req[3] = {1, 0, 20};
    e.ui.answers = {false};
    EXPECT_FALSE(io.WriteChangedFields(req, saved.data(), &bar));
    EXPECT_EQ(Writes(), (std::vector<std::array<int, 3>>{{1, 0, 1}, {1, 10, 1}}));
    EXPECT_EQ(e.ui.shown.size(), 1u);
}

TEST_F(TableWrite, WholeTablesInPiecesThatFitAFrame) {
    ASSERT_TRUE(io.WriteWholeTable(13, &bar));
    EXPECT_EQ(Writes(), (std::vector<std::array<int, 3>>{{13, 0, 14}, {13, 14, 2}}));
    ASSERT_TRUE(io.WriteWholeTable(1, &bar));
    EXPECT_EQ(Writes().size(), 7u);
}

}  // namespace
}  // namespace zul::test
