// What the live views show: value and zone texts, the state rows, the byte order
// of table 16, and the reads of the state view's buttons against the simulator.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/support/FakeUi.h"
#include "editors/LiveData.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "shell/Suplfunc.h"
#include "sim/Qrtsim.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul::test {
namespace {

struct FixedCase {
    float value;
    int decimals;
    const char* text;
};

const FixedCase kFixed[] = {
    {12.34567f, 3, "12.346"},
    {12.34567f, 0, "12"},
    {-0.0004f, 3, "0.000"},
    {0.5f, 200, "0.500000000000000000"},  // decimals from the controller, at most 18
    {123456.789f, 6, "123456.789100"},     // 10 significant digits at most
    {std::bit_cast<float>(0x42C80A44u), 4, "100.0201"},  // 100.020050048828125: rounded once
    {std::bit_cast<float>(0x42C80A44u), 9, "100.020050000"},  // 10 significant digits
    {0.1f, 12, "0.100000001500"},  // 0.100000001490116...: leading zeros are not significant
    {17179869184.0f, 2, "1.717986918E10"},  // 2^34
    {-2199023255552.0f, 2, "-2.199023256E12"},  // -2^41
    {std::numeric_limits<float>::quiet_NaN(), 2, "NAN"},
    {std::numeric_limits<float>::infinity(), 2, "INF"},
    {-std::numeric_limits<float>::infinity(), 2, "-INF"},
};

TEST(LiveTexts, FixedValues) {
    for (const FixedCase& c : kFixed) EXPECT_EQ(FormatFixed(c.value, c.decimals), c.text) << c.value;
}

TEST(LiveTexts, Zones) {
    const struct {
        uint8_t code;
        const char* text;
        uint32_t rgb;
    } cases[] = {{0, " Норма", 0x000000},
                 {1, " Нижняя предупредительная зона", 0x723838},
                 {2, " Верхняя предупредительная зона", 0x723838},
                 {3, " Нижняя аварийная зона", 0xFF0000},
                 {4, " Верхняя аварийная зона", 0xFF0000},
                 {5, "?", 0x008000},
                 {7, "?", 0x008000},
                 {255, "?", 0x008000}};
    for (const auto& c : cases) {
        const LiveText z = ZoneText(c.code);
        EXPECT_EQ(z.text, c.text);
        EXPECT_EQ(LiveColourRgb(z.colour), c.rgb) << int(c.code);
    }
}

TEST(LiveTexts, ChromRowsFromTheImage) {
    TableImage image;
    image.Field(14, 14)[0] = 200;  // more than there are rows: never past the 20
    EXPECT_EQ(GasParameterCount(image), kGasParameters);
    image.Field(14, 14)[0] = 5;
    EXPECT_EQ(GasParameterCount(image), 5);
    uint8_t* r = image.Field(1, 0);
    std::memset(r, ' ', 40);
    std::memcpy(r, "Metan", 5);
    r[50] = 1;  // "%"
    r[61] = 3;
    EXPECT_EQ(GasParameterCaption(image, 0), std::string(" Metan") + std::string(35, ' ') + ", %");
    uint8_t values[kChromValueBytes] = {24, 3, 15, 0, 10, 59, 30, 0};
    const float v = 12.34567f;
    std::memcpy(values + 8, &v, 4);
    EXPECT_EQ(MeasurementTimeText(values), "15.03.24 10:59:30");
    EXPECT_EQ(GasValueText(image, values, 0), "12.346");
    image.Field(41, 0)[0] = 0x39;
    image.Field(41, 0)[1] = 0x30;
    EXPECT_EQ(ChromCaption(image), "Мгновенные данные хроматографа (сер. № 12345), зоны параметров газа");
}

TEST(LiveTexts, MoistureRows) {
    TableImage image;
    EXPECT_EQ(MoistRowCount(image), 5);
    EXPECT_EQ(MoistRowLabel(image, 2), " PV23 – Избыточное давление газа WDP,  bar");
    image.Field(15, 6)[0] = 2;
    EXPECT_EQ(MoistRowCount(image), 4);
    EXPECT_EQ(MoistRowLabel(image, 2), " PV23 – Давление газа,  bar");
    uint8_t values[kMoistValueBytes] = {};
    const float v = -16.284f;
    std::memcpy(values + 8, &v, 4);
    const uint32_t nan = 0x7FC00000;
    std::memcpy(values + 12, &nan, 4);
    EXPECT_EQ(MoistValueText(values, 0), "  -16.28");
    EXPECT_EQ(MoistValueText(values, 1), "  NAN");
}

TEST(LiveTexts, StateRowsAndWordOrder) {
    TableImage image;
    const uint8_t t16[18] = {24, 3, 15, 5, 30, 31, 1, 7, 0, 0, 1, 0, 0x12, 0x34, 0, 0, 0x56, 0x78};
    std::memcpy(image.Data(16), t16, 18);
    image.Field(6, 9)[0] = 1;  // flow computers, no moisture meter
    StateTexts s = StateRowTexts(image);
    EXPECT_EQ(s.changed, "15.03.24  05:30:31");
    EXPECT_EQ(s.flowComputers.text, "Есть");
    EXPECT_EQ(s.flowComputers.colour, kLiveRed);
    EXPECT_EQ(s.chromPolling.text, "Код ошибки 7");
    EXPECT_EQ(s.selfDiagnostics.text, "Норма");
    EXPECT_EQ(s.line1.text, "Есть");
    EXPECT_EQ(s.chromLink.text, "Связи нет");
    EXPECT_EQ(s.chromLink.colour, kLiveRed);
    EXPECT_EQ(s.moistPolling.text, "");
    EXPECT_EQ(s.moistLink.text, "");
    image.Field(6, 8)[0] = 1;
    image.Field(33, 1)[0] = 1;
    image.Data(16)[10] = 0;
    s = StateRowTexts(image);
    EXPECT_EQ(s.moistPolling.text, "Норма");
    EXPECT_EQ(s.moistLink.text, "Норма");
    EXPECT_EQ(s.line1.text, "Нет");

    // High byte first (table 0 field 10 = 0): both words swapped; otherwise untouched.
    SwapStateWords(image);
    EXPECT_EQ(image.Data(16)[12], 0x34);
    EXPECT_EQ(image.Data(16)[17], 0x56);
    image.Field(0, 10)[0] = 1;
    SwapStateWords(image);
    EXPECT_EQ(image.Data(16)[12], 0x34);
}

struct ButtonsOnSim : ::testing::Test {
    ButtonsOnSim() : io(box, image, ui) {
        simulator.StartTcp();
        box.ui = &ui;
        box.linkKind = kLinkEthernet;
        box.openPerExchange = 0;
        box.tcpSendPauseMs = 0;
        box.address = 1;
        box.sock = TcpConnect("127.0.0.1", simulator.tcpPort(), 2000);
    }
    ~ButtonsOnSim() override {
        if (box.sock > 0) TcpClose(box.sock);
    }
    sim::Qrtsim simulator;
    Qrtbox box;
    TableImage image;
    FakeUi ui;
    TableIo io;
};

TEST_F(ButtonsOnSim, TableStatesAndFlowComputers) {
    simulator.DamageTable(9);
    uint8_t info[kStateBufferSize];
    std::memset(info, 0xEE, sizeof info);
    ASSERT_TRUE(ReadTableStates(io, nullptr, info));
    EXPECT_EQ(info[4], 1);    // table 4 is a configuration table
    EXPECT_EQ(info[7], 0);    // table 7 is not
    EXPECT_EQ(info[45 + 9], 1);
    for (int i = 90; i < kStateBufferSize; ++i) EXPECT_EQ(info[i], 0);

    simulator.SetByte(9, 0, 3);
    simulator.SetField(18, 0, {11, 12, 13});
    uint8_t record[48];
    ASSERT_TRUE(ReadFlowComputerState(io, nullptr, record));
    EXPECT_EQ(record[0], 11);
    EXPECT_EQ(record[2], 13);
    EXPECT_EQ(record[3], 0);
    // A count beyond the 16 the tables hold is read as 16, not past them.
    simulator.SetByte(9, 0, 200);
    ASSERT_TRUE(ReadFlowComputerState(io, nullptr, record));
    EXPECT_TRUE(ui.shown.empty());
}

}  // namespace
}  // namespace zul::test
