// What the live views show, decoded from the table image: the chromatograph's
// latest values with their zones (tables 30, 32), the moisture meter's (table 37)
// and the controller's state (tables 16, 33). The views and `zul live` print
// the same texts; the polls are quiet reads (no progress, no message, no retry).
//
//   TableIo io(box, image, ui);
//   if (PollChromValues(io)) chrom.values = copy of table 30;   // 88 bytes kept by the view
//   PollChromZones(io);                                          // table 32 into the image
//   for (int i = 0; i < GasParameterCount(image); ++i)
//       ChromRowTexts(image, chrom.values.data(), i) -> name, value, zone (text + colour)
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace zul {

class StatusBar;
class TableImage;
class TableIo;

enum LiveColour { kLiveBlack, kLiveDarkRed, kLiveRed, kLiveGreen };
// RGB of a colour: black, (114, 56, 56), red, (0, 128, 0).
uint32_t LiveColourRgb(LiveColour colour);

struct LiveText {
    std::string text;   // UTF-8
    LiveColour colour = kLiveBlack;
};

constexpr int kGasParameters = 20;
constexpr int kChromValueBytes = 88;   // table 30
constexpr int kMoistValueBytes = 28;   // table 37
constexpr int kMoistRows = 5;
constexpr int kStateBufferSize = 135;  // table-state information of the state view

// Polling periods of the views.
constexpr int kChromPollMs = 10000;
constexpr int kMoistPollMs = 10000;
constexpr int kStatePollMs = 1000;

// "dd.mm.yy hh:mm:ss" of the 8-byte measurement time (bytes 3 and 7 not shown).
std::string MeasurementTimeText(const uint8_t* dateTime8);

// --- chromatograph ------------------------------------------------------------
// Gas parameters in use (table 14 field 14), never more than the 20 rows.
int GasParameterCount(const TableImage& image);
// "Мгновенные данные хроматографа (сер. № %u), зоны параметров газа" with table 41.
std::string ChromCaption(const TableImage& image);
// " " + the name of table 1 record i + ", " + the unit text of its unit code.
std::string GasParameterCaption(const TableImage& image, int i);
// The value of parameter i (0-based) from the kept 88 bytes, with the decimals of record i.
std::string GasValueText(const TableImage& image, const uint8_t* values88, int i);
float GasValue(const uint8_t* values88, int i);
// The zone of parameter i from table 32 of the image.
LiveText ZoneText(uint8_t code);

// Quiet reads of one poll; false when the read failed (the view keeps what it shows).
bool PollChromValues(TableIo& io);   // table 30 fields 0..21
bool PollChromZones(TableIo& io);    // table 32 fields 0..19

// --- moisture meter ---------------------------------------------------------------
// Rows shown (4 with the moisture meter of type 2, else 5) and their labels.
int MoistRowCount(const TableImage& image);
std::string MoistRowLabel(const TableImage& image, int row);
// "  " + the moisture-meter form of value `row` of the kept 28 bytes.
std::string MoistValueText(const uint8_t* values28, int row);
bool PollMoist(TableIo& io);         // table 37 fields 0..6

// --- controller state -------------------------------------------------------------
struct StateTexts {
    std::string changed;          // "dd.mm.yy  hh:mm:ss" of the last change
    LiveText flowComputers;       // field 6 ("" without flow computers)
    LiveText chromPolling;        // field 7
    LiveText moistPolling;        // field 8 ("" without a moisture meter)
    LiveText selfDiagnostics;     // field 9
    LiveText line1;               // field 10
    LiveText chromLink;           // table 33 field 0
    LiveText moistLink;           // table 33 field 1 ("" without a moisture meter)
};
StateTexts StateRowTexts(const TableImage& image);
// The words of table 16 (fields 12-13, 16-17) into the program's byte order when
// the controller keeps the high byte first (table 0 field 10 = 0).
void SwapStateWords(TableImage& image);
bool PollState(TableIo& io);         // table 16 fields 0..17, then the swap
bool PollLinks(TableIo& io);         // table 33 fields 0..1

// The table-state button: table 7 read (normal read), then the 135 bytes of the
// table-state dialog: configuration flags, table 7, no marks.
bool ReadTableStates(TableIo& io, StatusBar* bar, uint8_t* info135);
// The flow-computer button: table 9 field 0 (k), then tables 18, 34 and 35 fields
// 0..k-1 (normal reads, stopping at the first failure), into the 48-byte record.
bool ReadFlowComputerState(TableIo& io, StatusBar* bar, uint8_t* record48);

// --- the rows as `zul live` prints them ----------------------------------------
// Caption line and TAB-separated rows, as the view shows them after one poll.
std::string ChromViewText(const TableImage& image, const uint8_t* values88, bool haveValues);
std::string MoistViewText(const TableImage& image, const uint8_t* values28, bool haveValues);
std::string StateViewText(const TableImage& image);

}  // namespace zul
