#include "tables/ConfigIo.h"

#include <algorithm>
#include <string>

#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "shell/UserInterface.h"
#include "tables/ConfigRecord.h"
#include "tables/Conffun.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

constexpr int kConfigTableCount = int(sizeof kConfigurationTables);
constexpr int kPasswordPiece = 14;

void ShowName(const TableImage& image, StatusBar* bar) {
    if (!bar) return;
    ConfigurationRecord r;
    std::copy_n(image.Data(5), 20, r.TableAt(5));
    bar->SetPanelText(1, Cp1251ToUtf8(RecordControllerName(r)));
}

void Finish(TableIo& io, StatusBar* bar, int max, int pauseMs) {
    io.ui().SetProgress(max, max);
    if (bar) bar->Repaint();
    io.ui().ProcessEvents();
    if (pauseMs > 0) io.box().clock->WaitMs(pauseMs);
}

// Fields first..first+count-1 of a table, in pieces of `piece` fields.
bool WriteRun(TableIo& io, int t, int first, int count, int piece, StatusBar* bar) {
    uint8_t buf[3 + 255];
    for (int f = first; f < first + count; f += piece) {
        buf[0] = uint8_t(t);
        buf[1] = uint8_t(f);
        buf[2] = uint8_t(std::min(piece, first + count - f));
        if (!io.WriteFields(buf, bar, true)) return false;
    }
    return true;
}

void MoveLink(TableIo& io, const ConfigWriteOptions& o) {
    Qrtbox& box = io.box();
    const uint8_t* t3 = io.image().Data(3);
    box.address = t3[0];
    const int speed = SpeedFromCode(t3[1]);
    if (speed > 0) box.baudRate = speed;
    if (o.settings) {
        LinkSettings& s = *o.settings;
        LinkParams* p = s.current.connectionKind == kLinkPhone      ? &s.phone.params
                        : s.current.connectionKind == kLinkEthernet ? &s.ethernet.params
                                                                    : &s.direct;
        p->address = t3[0];
        if (speed > 0 && s.current.connectionKind != kLinkEthernet) p->speed = uint32_t(speed);
    }
    if (o.linkMoved) o.linkMoved();
}

}  // namespace

bool ReadConfiguration(TableIo& io, StatusBar* bar, int finalPauseMs) {
    UserInterface& ui = io.ui();
    int step = 0;
    ui.SetProgress(step, kConfigTableCount + 1);
    for (uint8_t t : kConfigurationTables) {
        if (t == 13) continue;
        if (!io.ReadWholeTable(t, bar)) return false;
        ui.SetProgress(++step, kConfigTableCount + 1);
        if (t == 5) {
            io.image().NamesFromController();
            ShowName(io.image(), bar);
        }
    }
    Finish(io, bar, kConfigTableCount + 1, finalPauseMs);
    return true;
}

bool WriteAccessTable(TableIo& io, StatusBar* bar) {
    Qrtbox& box = io.box();
    const auto password = box.writePassword;
    const auto ident = box.identCode;
    box.writePassword.fill(' ');
    box.identCode.fill(' ');
    uint8_t buf[3 + 255] = {4, 0, 10};
    bool ok = io.WriteFields(buf, bar, true);
    if (ok) {
        uint8_t rest[3 + 255] = {4, 10, 6};
        ok = io.WriteFields(rest, bar, true);
    }
    box.writePassword = password;
    box.identCode = ident;
    return ok;
}

bool WriteMarkedTables(TableIo& io, uint8_t* marks, StatusBar* bar, const ConfigWriteOptions& o) {
    TableImage& image = io.image();
    UserInterface& ui = io.ui();
    // The number of connected flow computers; a table holds no more than 16.
    const int n = std::min<int>(image.Byte(9, 0), kCfgFlowComputers);
    int step = 0;
    ui.SetProgress(step, kConfigTableCount);
    auto done = [&](int t) {
        marks[t] = 0;
        ui.SetProgress(++step, kConfigTableCount);
    };

    if (marks[9]) {
        if (!WriteRun(io, 9, 0, Table(9).fieldCount, Table(9).fieldCount, bar)) return false;
        done(9);
    }
    for (int t : {17, 18, 19, 20, 13}) {
        if (!marks[t]) continue;
        // Without connected flow computers there is nothing to write.
        if (n > 0 && !WriteRun(io, t, 0, n, t == 13 ? kPasswordPiece : n, bar)) return false;
        done(t);
    }
    for (uint8_t t : kConfigurationTables) {
        if (!marks[t]) continue;
        const int piece = kMaxWriteBytes / Table(t).fieldSize;
        bool ok;
        if (t == 5) {
            image.NamesToController();
            ok = WriteRun(io, t, 0, Table(t).fieldCount, piece, bar);
            // The image keeps its names in cp1251 whatever the outcome.
            image.NamesFromController();
            if (ok) ShowName(image, bar);
        } else {
            ok = WriteRun(io, t, 0, Table(t).fieldCount, piece, bar);
        }
        if (!ok) return false;
        if (t == 3 && !o.writeAll) MoveLink(io, o);
        done(t);
    }
    Finish(io, bar, kConfigTableCount, o.finalPauseMs);
    return true;
}

}  // namespace zul
