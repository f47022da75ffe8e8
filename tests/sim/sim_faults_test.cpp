// Every fault the simulator injects, seen through the engine and the table
// functions: the error number the engine reports and what the user is asked.
#include <chrono>
#include <cstring>

#include "sim/SimLink.h"

namespace zul::test {
namespace {

class SimFaultTest : public ::testing::TestWithParam<Via> {
protected:
    void SetUp() override {
        link = std::make_unique<SimLink>(GetParam());
        ASSERT_TRUE(link->ok);
    }
    void Inject(const std::function<void(sim::Faults&)>& set) {
        sim::Faults f;
        set(f);
        link->sim.SetFaults(f);
    }
    // A quiet read of table 0, as the live views poll.
    bool QuietRead() {
        const uint8_t req[3] = {0, 0, 18};
        return link->io.ReadFields(req, &link->bar, false);
    }
    std::unique_ptr<SimLink> link;
};

TEST_P(SimFaultTest, SilenceIsError10AndASecondAttemptRecovers) {
    Inject([](sim::Faults& f) { f.silence.times = 1; });
    EXPECT_FALSE(QuietRead());
    EXPECT_EQ(link->box.errorCode, kErrNoReply);
    EXPECT_EQ(link->box.ErrorText(), "Команда 1.  Устройство не отвечает");
    EXPECT_TRUE(QuietRead()) << link->box.ErrorText();  // the fault was for one request only

    Inject([](sim::Faults& f) { f.silence.times = 1; });
    link->box.attempts = 2;
    EXPECT_TRUE(QuietRead()) << link->box.ErrorText();
    EXPECT_EQ(link->sim.stats().framesSeen, 4u);  // the same frame came twice
}

TEST_P(SimFaultTest, SilenceSpareTheRequestsTheRuleDoesNotName) {
    Inject([](sim::Faults& f) {
        f.silence.times = -1;
        f.silence.command = 2;
    });
    EXPECT_TRUE(QuietRead());
    link->Login("2222", "222222");
    EXPECT_FALSE(link->Write(6, 6, {10}));
    EXPECT_EQ(link->box.errorCode, kErrNoReply);
    EXPECT_EQ(link->sim.Field(6, 6), std::vector<uint8_t>{9});  // an unheard request is not executed
}

TEST_P(SimFaultTest, ADamagedCheckIsError7) {
    Inject([](sim::Faults& f) { f.badCheck.times = 1; });
    EXPECT_FALSE(QuietRead());
    EXPECT_EQ(link->box.errorCode, kErrReplyCheck);
    EXPECT_EQ(link->box.ErrorText(), "Команда 1.  Несовпадение КС ответа контроллера");
    // A refusal with a damaged check is still error 7, not 8.
    Inject([](sim::Faults& f) {
        f.badCheck.times = 1;
        f.refuse.times = 1;
    });
    EXPECT_FALSE(QuietRead());
    EXPECT_EQ(link->box.errorCode, kErrReplyCheck);
}

TEST_P(SimFaultTest, AStallMidFrameIsError5AndBeforeTheAddressError10) {
    Inject([](sim::Faults& f) {
        f.stall.times = 1;
        f.stallAfterBytes = 6;
    });
    EXPECT_FALSE(QuietRead());
    EXPECT_EQ(link->box.errorCode, kErrInterByte);
    EXPECT_EQ(link->box.ErrorText(), "Команда 1.  Ответ получен не полностью (превышено время между байтами)");
    Inject([](sim::Faults& f) {
        f.stall.times = 1;
        f.stallAfterBytes = 1;
    });
    EXPECT_FALSE(QuietRead());
    EXPECT_EQ(link->box.errorCode, kErrNoReply);
    EXPECT_TRUE(QuietRead());
}

TEST_P(SimFaultTest, ARefusalIsError8WithTheDeviceText) {
    Inject([](sim::Faults& f) {
        f.refuse.times = 1;
        f.refuseCode = 60;
        f.refuseExtra = 13;
    });
    EXPECT_FALSE(QuietRead());
    EXPECT_EQ(link->box.errorCode, kErrDevice);
    EXPECT_EQ(link->box.ErrorText(), "Команда 1.  Разрушена таблица 13");
    const struct {
        uint8_t code;
        const char* text;
    } cases[] = {
        {0, "Команда 1.  Код ошибки = 0"},
        {1, "Команда 1.  Неизвестный код команды"},
        {26, "Команда 1.  Недостаточный уровень доступа"},
        {38, "Команда 1.  Переход в режим работы \"Автомат\" невозможен"},
        {56, "Команда 1.  Изменение параметров возможно только в режиме \"Настройка\""},
        {64, "Команда 1.  Программа разрушена или установлена перемычка"},
        {65, "Команда 1.  Код ошибки = 65"},
        {255, "Команда 1.  Код ошибки = 255"},
    };
    for (const auto& c : cases) {
        const uint8_t code = c.code;
        Inject([code](sim::Faults& f) {
            f.refuse.times = 1;
            f.refuseCode = code;
        });
        EXPECT_FALSE(QuietRead());
        EXPECT_EQ(link->box.errorCode, kErrDevice);
        EXPECT_EQ(link->box.ErrorText(), c.text) << int(code);
    }
}

TEST_P(SimFaultTest, AWrongEchoAsksTheMismatchQuestionAndLeavesTheImage) {
    Inject([](sim::Faults& f) { f.wrongEcho.times = 1; });
    std::memset(link->image.Data(5), 0xAB, 60);
    ASSERT_FALSE(link->Read(5, 0, 3));
    EXPECT_EQ(link->box.errorCode, kErrOk);  // the exchange itself went well
    ASSERT_EQ(link->ui.boxes.size(), 1u);
    EXPECT_EQ(link->ui.boxes[0].kind, kMsgRetry);
    EXPECT_EQ(link->ui.boxes[0].line1, "Несоответствие запрошенных и переданных данных.");
    EXPECT_EQ(link->ui.boxes[0].line2, "Табл. 5 \" Наименование контроллера\".");
    EXPECT_EQ(link->image.Byte(5, 0), 0xAB);
    // Answering yes repeats the read, which now goes through.
    Inject([](sim::Faults& f) { f.wrongEcho.times = 1; });
    link->ui.answers = {true};
    EXPECT_TRUE(link->Read(5, 0, 3));
    EXPECT_NE(link->image.Byte(5, 0), 0xAB);
    // The write question has its own words.
    Inject([](sim::Faults& f) { f.wrongEcho.times = 1; });
    link->ui.boxes.clear();
    link->Login("2222", "222222");
    EXPECT_FALSE(link->Write(6, 6, {10}));
    ASSERT_EQ(link->ui.boxes.size(), 1u);
    EXPECT_EQ(link->ui.boxes[0].line1, "Несоответствие заголовка ответа заголовку запроса на запись.");
}

TEST_P(SimFaultTest, NoiseAndAForeignReplyAheadAreSkipped) {
    Inject([](sim::Faults& f) {
        f.garbage.times = -1;
        f.garbageBytes = 9;
        f.otherAddress.times = -1;
    });
    EXPECT_TRUE(QuietRead()) << link->box.ErrorText();
    EXPECT_EQ(link->box.address, 1);
    EXPECT_EQ(link->box.reply[1], 1);
    EXPECT_EQ(link->image.Byte(0, 1), 73);
    // To a broadcast the first answer wins, whoever sent it.
    link->box.address = 255;
    EXPECT_TRUE(QuietRead()) << link->box.ErrorText();
    EXPECT_EQ(link->box.address, 2);
}

TEST_P(SimFaultTest, AnAnswerLaterThanTheReplyWaitIsError10) {
    Inject([](sim::Faults& f) { f.answerDelayMs = 400; });
    link->box.replyTimeoutMs = 150;
    EXPECT_FALSE(QuietRead());
    EXPECT_EQ(link->box.errorCode, kErrNoReply);
    link->box.replyTimeoutMs = 1500;
    // The late answer to the first request arrives first and, being a complete and
    // identical answer, is taken for the second.
    EXPECT_TRUE(QuietRead()) << link->box.ErrorText();
}

TEST_P(SimFaultTest, FaultsCanWaitForTheirTurn) {
    Inject([](sim::Faults& f) {
        f.badCheck.times = 1;
        f.badCheck.skip = 2;
    });
    EXPECT_TRUE(QuietRead());
    EXPECT_TRUE(QuietRead());
    EXPECT_FALSE(QuietRead());
    EXPECT_EQ(link->box.errorCode, kErrReplyCheck);
    EXPECT_TRUE(QuietRead());
    EXPECT_EQ(link->sim.faults().badCheck.times, 0);
}

TEST(SimFaultTcp, ADroppedConnectionFailsTheExchange) {
    SimLink l(Via::kTcp);
    ASSERT_TRUE(l.ok);
    sim::Faults f;
    f.dropAfterExchanges = 2;
    l.sim.SetFaults(f);
    EXPECT_TRUE(l.Read(0, 0, 1));
    EXPECT_TRUE(l.Read(0, 0, 1));
    l.ui.boxes.clear();
    EXPECT_FALSE(l.Read(0, 0, 1));
    EXPECT_TRUE(l.box.errorCode == kErrTcpRecv || l.box.errorCode == kErrTcpSend) << l.box.errorCode;
    EXPECT_EQ(l.ui.boxes.size(), 1u);
    // A new connection is served again.
    TcpClose(l.box.sock);
    l.box.sock = TcpConnect("127.0.0.1", l.sim.tcpPort(), 2000);
    ASSERT_GT(l.box.sock, 0);
    EXPECT_TRUE(l.Read(0, 0, 18)) << l.box.ErrorText();
}

INSTANTIATE_TEST_SUITE_P(Links, SimFaultTest, ::testing::Values(Via::kTcp, Via::kPty), ViaName);

}  // namespace
}  // namespace zul::test

namespace zul::test {
namespace {

// Pacing stretches the exchange to the line time of its bytes and still delivers
// every byte; the time is only checked from below (a slower machine is no fault).
TEST(SimPacing, APacedLineTakesAtLeastTheLineTimeOfItsFrames) {
    SimLink l(Via::kPty);
    ASSERT_TRUE(l.ok);
    sim::Faults f;
    f.paceBaud = 57600;
    l.sim.SetFaults(f);
    l.box.baudRate = 57600;
    l.box.replyTimeoutMs = 2000;
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(l.io.ReadWholeTable(1, &l.bar)) << l.box.ErrorText();
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(std::vector<uint8_t>(l.image.Data(1), l.image.Data(1) + 1280), l.sim.TableBytes(1));
    // Seven requests of 10 bytes; replies of 3 preambles, 10 bytes and 3 or 2 records of 64.
    const double bytes = 7 * 10 + 6 * (3 + 10 + 192) + (3 + 10 + 128);
    EXPECT_GE(took, 0.95 * bytes * 10 / 57600);
}

}  // namespace
}  // namespace zul::test
