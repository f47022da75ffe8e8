#include "tables/Conffun.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "link/Qrtbox.h"
#include "shell/UserInterface.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

std::string Format(const char* fmt, int a, int b = 0, int c = 0) {
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, a, b, c);
    return buf;
}

std::string Quoted(const char* name, bool stop) {
    return std::string("\"") + name + (stop ? "\"." : "\"");
}

std::string TableLine(int t) {
    return Format("Табл. %d ", t) + Quoted(Table(t).name, true);
}

void Panel(StatusBar* bar, const std::string& text) {
    if (!bar) return;
    bar->SetPanelText(2, text);
    bar->Repaint();
}

}  // namespace

bool TableIo::Ask(const char* line1, const char* line2) {
    ui_.answerFlag = ui_.ShowMessageBox(kMsgRetry, line1, line2);
    return ui_.answerFlag;
}

// A run must lie inside its table and fit one frame; anything else is refused
// before a byte is sent.
bool TableIo::CheckRun(int t, int first, int count, int maxBytes, StatusBar* bar, bool show) {
    const TableDescriptor& d = Table(t);
    if (!IsTableNumber(t) || d.fieldCount == 0) {
        box_.errorCode = kErrTableNumber;
        box_.messages[kErrTableNumber] = Format("Неверно задан номер таблицы (%d)", t);
    } else if (count < 1 || first + count > d.fieldCount) {
        box_.errorCode = kErrRunOutsideTable;
    } else if (count * d.fieldSize > maxBytes) {
        box_.errorCode = kErrRequestTooLong;
    } else {
        return true;
    }
    if (show) Panel(bar, box_.ErrorText());
    return false;
}

bool TableIo::ReadFields(const uint8_t* req, StatusBar* bar, bool show) {
    const int t = req[0], first = req[1], count = req[2];
    if (!CheckRun(t, first, count, kMaxReadBytes, bar, show)) return false;
    const int n = count * Table(t).fieldSize;
    for (;;) {
        if (show) {
            Panel(bar, count <= 1 ? Format("Чтение из таблицы %d (поле %d)", t, first)
                                  : Format("Чтение из таблицы %d (поля %d-%d)", t, first, first + count - 1));
        }
        bool ok = box_.Exchange(1, req, 0, 0);
        if (bar) bar->Repaint();
        // The reply must carry exactly the values asked for.
        if (ok && box_.reply[2] != 10 + n && box_.reply[5] == t && box_.reply[6] == first &&
            box_.reply[7] == count) {
            box_.errorCode = kErrReplyLength;
            ok = false;
        }
        if (!ok) {
            if (!show) return false;
            Panel(bar, box_.ErrorText());
            bool again = Ask(Format("Не выполнено чтение из таблицы %d.", t).c_str(),
                             Quoted(Table(t).name, false).c_str());
            Panel(bar, "");
            if (again) continue;
            return false;
        }
        if (box_.reply[5] != t || box_.reply[6] != first || box_.reply[7] != count) {
            bool again = Ask("Несоответствие запрошенных и переданных данных.", TableLine(t).c_str());
            Panel(bar, "");
            if (again) continue;
            return false;
        }
        std::memcpy(image_.Field(t, first), &box_.reply[8], size_t(n));
        if (show) Panel(bar, "");
        return true;
    }
}

bool TableIo::WriteFields(uint8_t* buf, StatusBar* bar, bool show) {
    const int t = buf[0], first = buf[1], count = buf[2];
    if (!CheckRun(t, first, count, kMaxWriteBytes, bar, show)) return false;
    const int n = count * Table(t).fieldSize;
    std::memcpy(buf + 3, image_.Field(t, first), size_t(n));
    for (;;) {
        Panel(bar, count <= 1 ? Format("Запись в таблицу %d (поле %d)", t, first)
                              : Format("Запись в таблицу %d (поля %d-%d)", t, first, first + count - 1));
        bool ok = box_.Exchange(2, buf, n + 3, 0);
        if (bar) bar->Repaint();
        if (!ok) {
            if (!show) return false;
            Panel(bar, box_.ErrorText());
            // Refused by the controller: its reason in the question (the panel is emptied meanwhile).
            const std::string line2 =
                box_.errorCode == kErrDevice ? box_.Message(kErrDevice) : Quoted(Table(t).name, true);
            bool again = Ask(Format("Не выполнена запись в таблицу %d.", t).c_str(), line2.c_str());
            Panel(bar, "");
            if (again) continue;
            return false;
        }
        if (box_.reply[5] != t || box_.reply[6] != first || box_.reply[7] != count) {
            bool again = Ask("Несоответствие заголовка ответа заголовку запроса на запись.",
                             TableLine(t).c_str());
            Panel(bar, "");
            if (again) continue;
            return false;
        }
        Panel(bar, "");
        return true;
    }
}

// One run, in pieces that fit a frame, stopping at the first failure.
bool TableIo::WriteRun(int t, int first, int count, StatusBar* bar) {
    const int piece = kMaxWriteBytes / Table(t).fieldSize;
    uint8_t buf[3 + 255];
    for (int f = first; f < first + count; f += piece) {
        buf[0] = uint8_t(t);
        buf[1] = uint8_t(f);
        buf[2] = uint8_t(std::min(piece, first + count - f));
        if (!WriteFields(buf, bar, true)) return false;
    }
    return true;
}

bool TableIo::WriteChangedFields(const uint8_t* req, const uint8_t* saved, StatusBar* bar) {
    const int t = req[0], f = req[1], c = req[2];
    const TableDescriptor& d = Table(t);
    if (!IsTableNumber(t) || d.fieldCount == 0 || c < 1 || f + c > d.fieldCount) {
        return CheckRun(t, f, c, 255 * 255, bar, true);
    }
    const int size = d.fieldSize;
    const uint8_t* cur = image_.Field(t, f);
    if (std::memcmp(cur, saved, size_t(c * size)) == 0) return true;
    std::vector<bool> changed(static_cast<size_t>(c), false);
    int lo = -1, hi = -1;
    for (int i = 0; i < c; ++i) {
        changed[size_t(i)] = std::memcmp(cur + i * size, saved + i * size, size_t(size)) != 0;
        if (changed[size_t(i)]) {
            if (lo < 0) lo = i;
            hi = i;
        }
    }
    const int span = hi - lo + 1;
    bool allChanged = true;
    for (int i = lo; i <= hi; ++i) allChanged = allChanged && changed[size_t(i)];
    if (span <= 2 || allChanged) return WriteRun(t, f + lo, span, bar);

    struct Run { int first, count; };
    std::vector<Run> runs;
    for (int i = lo; i <= hi; ++i) {
        if (!changed[size_t(i)]) continue;
        if (!runs.empty() && runs.back().first + runs.back().count == i)
            ++runs.back().count;
        else
            runs.push_back({i, 1});
    }
    const int spanCost = span * size + 26;
    int runsCost = 0;
    for (const Run& r : runs) runsCost += r.count * size + 26;
    if (runsCost > spanCost) return WriteRun(t, f + lo, span, bar);
    for (const Run& r : runs)
        if (!WriteRun(t, f + r.first, r.count, bar)) return false;
    return true;
}

bool TableIo::ReadWholeTable(int t, StatusBar* bar) {
    const TableDescriptor& d = Table(t);
    if (!IsTableNumber(t) || d.fieldCount == 0) return CheckRun(t, 0, 1, kMaxReadBytes, bar, true);
    int piece = std::min<int>(d.fieldCount, kMaxReadBytes / d.fieldSize);
    for (int first = 0; first < d.fieldCount; first += piece) {
        if (first + piece >= d.fieldCount) piece = d.fieldCount - first;
        const uint8_t req[3] = {uint8_t(t), uint8_t(first), uint8_t(piece)};
        if (!ReadFields(req, bar, true)) return false;
    }
    return true;
}

bool TableIo::WriteWholeTable(int t, StatusBar* bar) {
    const TableDescriptor& d = Table(t);
    if (!IsTableNumber(t) || d.fieldCount == 0) return CheckRun(t, 0, 1, kMaxWriteBytes, bar, true);
    return WriteRun(t, 0, d.fieldCount, bar);
}

}  // namespace zul
