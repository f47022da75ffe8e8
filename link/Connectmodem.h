// GSM modem dialling on the held serial port: command mode with verbose replies,
// the user's own modem commands, the GSM readiness check, the call, the hang-up.
// Every outcome is one of the result codes below; their texts are shown to the user.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "link/SerialPort.h"

namespace zul {

class StatusBar;
class UserInterface;

enum ModemResult : int {
    kModemConnected = 0,
    kModemNoDialTone = 1,
    kModemBusy = 2,
    kModemNoCarrier = 3,
    kModemError = 4,
    kModemNoAnswer = 5,
    kModemTimeLimit = 6,
    kModemAbsent = 7,        // no answer to the escape; also a port that hung up or refused a write
    kModemNotConnected = 8,
    kModemReplyTimeout = 9,
    kModemEscape = 10,       // the user pressed Esc
    kModemNoGsm = 11,
};

// The text of a result code ("" for a code outside the table).
const char* ModemResultText(int code);

// The modem commands of a command text: each "AT" (any case) up to the next '^'
// or the end, with a carriage return appended; at most kMaxModemCommands, the
// rest of the text is not used.
constexpr int kMaxModemCommands = 30;
std::vector<std::string> SplitModemCommands(const std::string& text);

// The number without blanks, '-', '(' and ')'.
std::string StripPhoneNumber(const std::string& text);

// True when a reply shows that the modem heard us ("AT", "OK", CR LF, "0", ...).
bool ModemAnswers(const std::string& reply);

class Connectmodem {
public:
    static constexpr int kMaxReply = 255;
    static constexpr int kCommandTimeoutMs = 5000;

    // `ui` processes window events while replies are awaited and delivers Esc; may be null.
    Connectmodem(SerialPort& port, UserInterface* ui, const Clock& clock = SystemClock::Instance())
        : port_(port), ui_(ui), clock_(clock) {}

    // Sends `command` as it is and reads one reply line into `reply`; code 0..6, 9 or 10
    // (7 when the port has gone away). Progress goes to `panel` (panel `panelIndex`) when given.
    int SendModemCommand(const std::string& command, std::string& reply, int timeoutMs, StatusBar* panel);
    // Command mode with verbose replies; 0 or the code of the failure.
    int PrepareModem(StatusBar* panel);
    // "+CPAS: 0" and "OK" to AT+CPAS.
    bool CheckGsmReady(StatusBar* panel);
    // Prepares the modem, sends the user's commands and dials; 0 when connected.
    int DialModem(const std::string& phone, const std::string& commandText, StatusBar* panel, int attempts,
                  int connectWaitSeconds);
    // Back to command mode and on-hook; every outcome is ignored.
    void HangUp();

    int panelIndex = 0;
    int attemptsMade = 0;     // dialling attempts of the last DialModem

private:
    // Reads one line (the reply rule); 0, 9 at the deadline, 10 on Esc, 7 when the port failed.
    int ReadReplyLine(std::string& line, int64_t deadlineNs, bool escTest);
    int Attempt(const std::vector<std::string>& commands, const std::string& dial, StatusBar* panel,
                int connectWaitSeconds);
    void Show(StatusBar* panel, const std::string& utf8);
    void ProcessEvents();

    SerialPort& port_;
    UserInterface* ui_;
    const Clock& clock_;
};

}  // namespace zul
