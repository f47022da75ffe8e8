#include "link/Connectmodem.h"

#include <algorithm>

#include "link/Comportfunctions.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr char kCr = 0x0D;
constexpr char kLf = 0x0A;
// Longest single wait for reply bytes before events are processed again.
constexpr int kEventSliceMs = 20;
constexpr int64_t kMsNs = 1000000;
constexpr const char* kEscapeReply = "Escape...";

const char* const kResultTexts[] = {
    "Соединение установлено",
    "Отсутствует сигнал АТС",
    "Номер абонента занят",
    "Потеря несущей",
    "Нет гудка в линии",
    "Абонент не отвечает",
    "Лимит времени, отведенного на соединение, исчерпан",
    "Модем отсутствует или не подключен",
    "Соединение не установлено",
    "Истекло время ожидания ответа от модема",
    "Попытка соединения прервана по требованию пользователя",
    "Нет готовности GSM",
};

bool Has(const std::string& text, const char* a, const char* b = nullptr) {
    return ContainsText(text, a) || (b && ContainsText(text, b));
}

int Classify(const std::string& reply) {
    if (Has(reply, "ERRO", "erro")) return kModemError;
    if (Has(reply, "Time")) return kModemTimeLimit;
    if (Has(reply, "DIAL", "dial")) return kModemNoDialTone;
    if (Has(reply, "NO CARRI", "no carri")) return kModemNoCarrier;
    if (Has(reply, "BUSY", "busy")) return kModemBusy;
    if (Has(reply, "ANSW", "answ")) return kModemNoAnswer;
    if (Has(reply, kEscapeReply)) return kModemEscape;
    return kModemConnected;
}

}  // namespace

const char* ModemResultText(int code) {
    if (code < 0 || code > kModemNoGsm) return "";
    return kResultTexts[code];
}

std::vector<std::string> SplitModemCommands(const std::string& text) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i + 1 < text.size() && int(out.size()) < kMaxModemCommands) {
        const bool a = text[i] == 'A' || text[i] == 'a';
        const bool t = text[i + 1] == 'T' || text[i + 1] == 't';
        if (!(a && t)) {
            ++i;
            continue;
        }
        size_t end = text.find('^', i);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(i, end - i) + kCr);
        i = end;
    }
    return out;
}

std::string StripPhoneNumber(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '-' && c != '(' && c != ')') out.push_back(c);
    return out;
}

bool ModemAnswers(const std::string& reply) {
    return Has(reply, "AT", "at") || Has(reply, "OK", "ok") || Has(reply, "\r\n") || Has(reply, "0");
}

void Connectmodem::ProcessEvents() {
    if (ui_) ui_->ProcessEvents();
}

void Connectmodem::Show(StatusBar* panel, const std::string& utf8) {
    if (!panel) return;
    panel->SetPanelText(panelIndex, utf8);
    panel->Repaint();
}

int Connectmodem::ReadReplyLine(std::string& line, int64_t deadlineNs, bool escTest) {
    line.clear();
    bool started = false;
    for (;;) {
        ProcessEvents();
        if (escTest && ui_ && ui_->TakeEscPress()) {
            line = kEscapeReply;
            return kModemEscape;
        }
        if (!port_.WaitReadable(0)) {
            const int64_t left = deadlineNs - clock_.MonotonicNs();
            if (left < 0) return kModemReplyTimeout;
            port_.WaitReadable(int(std::clamp<int64_t>((left + kMsNs - 1) / kMsNs, 0, kEventSliceMs)));
            continue;
        }
        char b = 0;
        const int got = port_.ReadSome(reinterpret_cast<uint8_t*>(&b), 1);
        // A port that hung up (the modem unplugged) will bring nothing more: say so now,
        // not at the deadline.
        if (got < 0) return kModemAbsent;
        if (got == 1) {
            if (!started) {
                if (b != kCr && b != kLf) continue;  // an echo or noise before the reply
                started = true;
            }
            line.push_back(b);
            if ((line.size() > 3 && (b == kCr || b == kLf)) || line.size() >= size_t(kMaxReply)) return 0;
        }
    }
}

int Connectmodem::SendModemCommand(const std::string& command, std::string& reply, int timeoutMs,
                                   StatusBar* panel) {
    reply.clear();
    // Commands and replies are modem bytes: shown as code page 1251 text.
    const std::string shown = Cp1251ToUtf8(command);
    Show(panel, " Установление связи по телефону. Команда " + shown + ".");
    port_.Purge();
    clock_.WaitMs(2);
    if (!port_.Write(reinterpret_cast<const uint8_t*>(command.data()), command.size())) return kModemAbsent;
    const int code = ReadReplyLine(reply, clock_.MonotonicNs() + int64_t(timeoutMs) * kMsNs, true);
    if (code != 0) return code;
    Show(panel, " Установление связи по телефону. Команда " + shown + ".  Ответ " + Cp1251ToUtf8(reply));
    return Classify(reply);
}

int Connectmodem::PrepareModem(StatusBar* panel) {
    std::string reply;
    int code = SendModemCommand("ATE0\r", reply, kCommandTimeoutMs, panel);
    if (code != 0 && code != kModemReplyTimeout) return code;
    int step = code == 0 && ModemAnswers(reply) ? 4 : 2;
    bool escaped = false;
    for (int pass = 1;; ++pass) {
        if (step == 2) {
            clock_.WaitMs(1200);
            escaped = false;
            code = SendModemCommand("+++", reply, kCommandTimeoutMs, nullptr);
            if (code == kModemReplyTimeout) return kModemAbsent;
            if (code != 0) return code;
            escaped = ModemAnswers(reply);
            step = 3;
        }
        if (step == 3) {
            clock_.WaitMs(1200);
            code = SendModemCommand("ATE0\r", reply, kCommandTimeoutMs, nullptr);
            if (code != 0) return code;
            if (ModemAnswers(reply)) return 0;
        }
        code = SendModemCommand("ATV1\r", reply, kCommandTimeoutMs, panel);
        if (code != 0) return code;
        if (ModemAnswers(reply)) return 0;
        if (pass == 2) return 0;
        step = escaped ? 3 : 2;
    }
}

bool Connectmodem::CheckGsmReady(StatusBar* panel) {
    port_.Purge();
    Show(panel, " Проверка готовности GSM. Команда AT+CPAS");
    static const std::string kCpas = "AT+CPAS\r";
    if (!port_.Write(reinterpret_cast<const uint8_t*>(kCpas.data()), kCpas.size())) return false;
    std::string reply;
    if (ReadReplyLine(reply, clock_.MonotonicNs() + int64_t(kCommandTimeoutMs) * kMsNs, false) != 0) return false;
    Show(panel, " Проверка готовности GSM. Команда AT+CPAS. Ответ " + Cp1251ToUtf8(reply));
    if (!ContainsText(reply, "+CPAS: 0")) return false;
    if (ReadReplyLine(reply, clock_.MonotonicNs() + int64_t(kCommandTimeoutMs) * kMsNs, false) != 0) return false;
    Show(panel, " Проверка готовности GSM. Команда AT+CPAS. Ответ " + Cp1251ToUtf8(reply));
    return ContainsText(reply, "OK");
}

int Connectmodem::Attempt(const std::vector<std::string>& commands, const std::string& dial, StatusBar* panel,
                          int connectWaitSeconds) {
    const int timeoutMs = std::max(connectWaitSeconds, 0) * 1000;
    std::string reply;
    for (const std::string& command : commands) {
        ProcessEvents();
        const int code = SendModemCommand(command, reply, timeoutMs, panel);
        if (code != 0) return code;
        if (!Has(reply, "OK", "ok")) return kModemNotConnected;
        clock_.WaitMs(200);
    }
    if (!CheckGsmReady(panel)) return kModemNoGsm;
    ProcessEvents();
    const int code = SendModemCommand(dial, reply, timeoutMs, panel);
    if (code != 0) return code;
    if (Has(reply, "ONNE", "onne")) {
        clock_.WaitMs(200);
        return 0;
    }
    return kModemNotConnected;
}

int Connectmodem::DialModem(const std::string& phone, const std::string& commandText, StatusBar* panel,
                            int attempts, int connectWaitSeconds) {
    attemptsMade = 0;
    int code = PrepareModem(panel);
    if (code != 0) return code;
    const std::vector<std::string> commands = SplitModemCommands(commandText);
    const std::string dial = "ATD" + StripPhoneNumber(phone) + kCr;
    clock_.WaitMs(2000);
    for (;;) {
        ++attemptsMade;
        code = Attempt(commands, dial, panel, connectWaitSeconds);
        // No further attempt after success, without GSM, when the user stopped, or
        // when the port has gone away.
        if (code == 0 || code == kModemNoGsm || code == kModemEscape || code == kModemAbsent) return code;
        if (--attempts <= 0) return code;
    }
}

void Connectmodem::HangUp() {
    clock_.WaitMs(1000);
    std::string reply;
    ProcessEvents();
    if (SendModemCommand("+++", reply, 2000, nullptr) == kModemAbsent) return;  // nothing left to hang up
    ProcessEvents();
    SendModemCommand("ath\r", reply, 2000, nullptr);
}

}  // namespace zul
