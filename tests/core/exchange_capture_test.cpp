// The capture recorder's journal: every line is in the file as soon as it is
// recorded (what a killed session leaves), the final save writes the same text, and
// a file that cannot be created is said at once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/ExchangeCapture.h"

namespace zul {
namespace {

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ExchangeCapture, JournalHoldsEveryLineAsItComes) {
    const auto dir = std::filesystem::temp_directory_path() / ("zul-journal-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "site.cap").string();
    Qrtbox box;
    ExchangeRecorder rec(box, path);
    ASSERT_TRUE(rec.journalOk());
    EXPECT_EQ(FileText(path), "zul-qrt510 capture 1\n");

    const uint8_t request[] = {0xFF, 0xCC, 0x01, 0x0A, 0x01, 0x00, 0x00, 0x00, 0x12, 0xE1, 0xA9};
    const uint8_t reply[] = {0x33, 0x01};
    const ExchangeEvent events[] = {
        {ExchangeEvent::kRequest, request, int(sizeof request), 1'000'000, 1, 1, 0},
        {ExchangeEvent::kReply, reply, int(sizeof reply), 61'000'000, 1, 1, 0},
        {ExchangeEvent::kRequest, request, int(sizeof request), 70'000'000, 1, 2, 0},
        {ExchangeEvent::kReply, nullptr, 0, 370'000'000, 1, 2, 10},
    };
    for (const ExchangeEvent& e : events) {
        rec.OnExchangeEvent(e);
        EXPECT_EQ(FileText(path), rec.text());  // on disk before the session ends
    }
    std::string why;
    CaptureLog log;
    ASSERT_TRUE(ParseCapture(FileText(path), log, why)) << why;
    EXPECT_EQ(log.exchanges.size(), 2u);
    EXPECT_EQ(log.exchanges[1].errorCode, 10u);

    ASSERT_TRUE(rec.Save(path));
    EXPECT_EQ(FileText(path), rec.text());

    ExchangeRecorder nowhere(box, (dir / "missing" / "x.cap").string());
    EXPECT_FALSE(nowhere.journalOk());
    ExchangeRecorder memoryOnly(box);
    EXPECT_TRUE(memoryOnly.journalOk());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zul
