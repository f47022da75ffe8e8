#include <gtest/gtest.h>

#include "link/Qrtbox.h"

namespace zul {
namespace {

TEST(Crc16, CheckValueAndFrameProperty) {
    const char* digits = "123456789";
    EXPECT_EQ(Crc16(reinterpret_cast<const uint8_t*>(digits), 9), 0x4B37);
    EXPECT_EQ(Crc16(nullptr, 0), 0xFFFF);
    uint8_t frame[] = {0xCC, 0x01, 0x0A, 0x01, 0x00, 0x05, 0x00, 0x03, 0x31, 0xA4};
    EXPECT_EQ(Crc16(frame, 8), 0xA431);
    EXPECT_EQ(Crc16(frame, 10), 0);  // a whole frame with its check gives 0
}

}  // namespace
}  // namespace zul
