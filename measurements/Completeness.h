// Whether a chromatograph or moisture-meter archive is whole: the slots its period should hold at
// the archive's step, the records that fill them, the gaps, the records with a bad
// check, duplicates, records out of order and the stretches the controller was off.
// One pure function serves the viewers' line and window and `zul check`.
//
//   CompletenessReport c = CheckChromCompleteness(kChromMeasurement, header, records, count);
//   c.Whole();                  // nothing missing, nothing with a bad check
//   CompletenessText(c);        // the lines `zul check` prints
//   CompletenessSummary(c);     // the one line under a viewer's grid
//
// The grid is the header's period, both ends included. Measurements: the step is
// the data's own spacing (the most frequent step between consecutive records; 3
// minutes when the data do not tell) on the phase of the first good record.
// Hours: whole hours. Days: gas days, each starting at the contract hour that the
// records' start times show (midnight when no record tells). Calibrations have no
// grid: the records the header counts are expected, and the rows a cut file lacks
// are a gap of row numbers (from 1).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "measurements/ChromRecords.h"

namespace zul {

// Moments as whole seconds on the controller's calendar (days since 30.12.1899).
int64_t SecondsOfPacked(const uint8_t* packed);
// "DD.MM.YYYY HH:MM:SS".
std::string MomentOfSeconds(int64_t seconds);

struct MomentSpan {
    int64_t first = 0, last = 0;  // both included
    uint32_t count = 0;           // grid slots (or records) in the span
};

struct CompletenessReport {
    bool byIndex = false;         // spans are record indexes (or row numbers), not moments
    int64_t step = 0;             // seconds between slots; 0 without a grid
    uint32_t expected = 0;        // slots of the grid
    uint32_t received = 0;        // records in the data, every one counted
    uint32_t invalid = 0;         // records with a bad check
    uint32_t duplicates = 0;      // good records of a moment seen before
    uint32_t outOfOrder = 0;      // good records earlier than a record before them
    uint32_t offGrid = 0;         // good records outside the period or between slots
    std::vector<MomentSpan> gaps; // slots no good record fills
    std::vector<MomentSpan> off;  // slots whose record says the controller was off
    bool endedEarly = false;      // the read that made the data ended early (header mark)

    uint32_t Missing() const;
    bool Whole() const { return gaps.empty() && invalid == 0 && !endedEarly; }
};

CompletenessReport CheckChromCompleteness(ChromTableKind kind, const ArchiveFileHeader& header,
                                          const uint8_t* records, size_t count);

// Event archives have no grid. A read by index asks for the records at `first` ..
// `first + requested - 1`, and they arrive in that order, so what is missing is
// the indexes after the last one that came. A report of this kind has `byIndex` set.
CompletenessReport CheckIndexCompleteness(uint32_t first, uint32_t requested, uint32_t received, uint32_t invalid);
// The indexes an event archive holds (ascending, each once): every index from the
// first to the last is expected, the missing ones are the gaps.
CompletenessReport CheckIndexKeys(const std::vector<int64_t>& keys, uint32_t invalid);
// The event viewers' report by their mode: by index, the indexes asked for
// (`requested` 0: the rows shown); by period, the records that came, none
// missing; from a file, which keeps no indexes, the file's rows numbered from 1
// (the header's count expected, the rows it holds received).
CompletenessReport CheckEventCompleteness(int mode, uint32_t firstIndex, uint32_t requested, uint32_t rows,
                                          uint32_t present, uint32_t invalid);

// One end of a span: a moment, or the index as a number.
std::string SpanEndText(const CompletenessReport& report, int64_t end);

// "expected: N", "received: N", "invalid: N", "gaps: K" and one
// "GAP <first> <last> <count>" line per gap, each ending in a newline.
std::string CompletenessText(const CompletenessReport& report);
// The rest: duplicates, out of order, off the grid, and an "OFF <first> <last> <count>"
// line per stretch the controller was off.
std::string CompletenessDetails(const CompletenessReport& report);
// One line for the viewers ("Полнота данных: ...").
std::string CompletenessSummary(const CompletenessReport& report);

}  // namespace zul
