#include "shell/ControllerClock.h"

#include <cstring>

#include "link/Clock.h"
#include "link/Qrtbox.h"
#include "shell/UserInterface.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul {

ClockReadOutcome ControllerClock::Read() {
    UserInterface& ui = io_.ui();
    TableImage& image = io_.image();
    {
        Hourglass h(ui);
        const uint8_t req7[3] = {7, 0, 14};
        if (!io_.ReadFields(req7, bar_, true)) return kClockReadFailed;
    }
    if (image.Byte(7, 6) != 0) {
        ui.ShowMessageBox(kMsgWarning, "Разрушена таблица системных параметров.",
                          "Информация о текущих дате и времени не может быть представлена");
        return kClockSystemDestroyed;
    }
    {
        Hourglass h(ui);
        const uint8_t req6[3] = {6, 0, 12};
        if (!io_.ReadFields(req6, bar_, true)) return kClockReadFailed;
    }
    if (image.Byte(7, 2) != 0) {
        // The second word is spelled with a Latin "c", as the controller's users know it.
        if (ui.ShowMessageBox(kMsgQuestion, "Таблица даты и времени разрушена.", "Воcстановить сейчас?"))
            WritePcTime(io_, bar_, clock_);
        return kClockRestoreOffered;
    }
    Hourglass h(ui);
    const uint8_t req2[3] = {2, 0, 8}, req42[3] = {42, 0, 6};
    if (!io_.ReadFields(req2, bar_, true) || !io_.ReadFields(req42, bar_, true)) return kClockReadFailed;
    computer_ = ClockFields(io_.box().lastExchangeTime, image.Field(6, 0), image.Field(6, 3));
    return kClockReady;
}

const uint8_t* ControllerClock::controller() const { return io_.image().Data(2); }

bool ControllerClock::CorrectionAllowed() const { return io_.image().Byte(6, 11) != 0; }

bool ControllerClock::SendCorrection(int16_t seconds) {
    Hourglass h(io_.ui());
    if (bar_) bar_->SetPanelText(2, "");
    const uint16_t u = uint16_t(seconds);
    const uint8_t data[2] = {uint8_t(u & 0xFF), uint8_t(u >> 8)};
    Qrtbox& box = io_.box();
    const bool ok = box.Exchange(12, data, 2, 0);
    if (ok) {
        if (bar_) bar_->SetPanelText(2, "Корректировка времени выполнена");
    } else {
        if (bar_) bar_->SetPanelText(2, box.ErrorText());
        io_.ui().ShowMessageBox(kMsgPlain, "Корректировка времени не выполнена", "");
    }
    if (bar_) bar_->Repaint();
    return ok;
}

bool WritePcTime(TableIo& io, StatusBar* bar, const Clock& clock) {
    UserInterface& ui = io.ui();
    if (!ui.ShowMessageBox(kMsgQuestion, "В контроллер будет записано время ЭВМ.",
                           "Вы уверены, что часы ЭВМ показывают правильное время?"))
        return false;
    Hourglass h(ui);
    TableImage& image = io.image();
    const ClockBytes now = ClockFields(clock.LocalNow(), image.Field(6, 0), image.Field(6, 3));
    std::memcpy(image.Data(2), now.data(), now.size());
    uint8_t buf[3 + 255] = {2, 0, 8};
    return io.WriteFields(buf, bar, true);
}

}  // namespace zul
