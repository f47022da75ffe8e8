// The texts of the record status view: the controller's status byte and the
// chromatograph's status word of a record, one line per set bit.
//
//   ChromStatusTexts t = ChromStatusView(kStatusMeasurement, rec[7], rec[8], rec[9]);
//   t.showController, t.controllerHeading, t.controllerLines   // "  Статус контроллера: 0x88", ...
//   t.showChrom, t.chromHeading, t.chromLines                  // "  Статус хроматографа: 0x8001", ...
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zul {

enum ChromStatusMode {
    kStatusMeasurement = 0,  // status byte and status word
    kStatusAverage = 1,      // hourly or daily record: status byte only
    kStatusCalibration = 2,  // status word only
};

struct ChromStatusTexts {
    bool showController = false;
    std::string controllerHeading;
    std::vector<std::string> controllerLines;
    int controllerLineHeight = 18;  // pixels per line of the controller list
    bool showChrom = false;
    std::string chromHeading;
    std::vector<std::string> chromLines;
};

ChromStatusTexts ChromStatusView(int mode, uint8_t statusByte, uint8_t wordLow, uint8_t wordHigh);

}  // namespace zul
