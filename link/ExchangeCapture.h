// Capture of a session's exchanges in a line-oriented text file, and its reader.
// The engine's observer records every request and reply; the simulator replays
// a capture (qrtsim --replay) so that a site's problem can be reproduced at home.
//
// The file (UTF-8, one exchange step a line):
//
//   zul-qrt510 capture 1
//   # any line starting with '#' is a comment
//   > 12.500 1 1 FF FF CC 01 0B 01 00 00 12 ...
//   < 80.250 1 1 0 FF FF 33 01 1C 81 ... ; Команда 1.  ...
//   < 2100.000 8 2 10 - ; ...
//
//   '>' a request as sent (preambles and frame), '<' the bytes received for it;
//   then milliseconds since the capture began, the command, the attempt (1-based),
//   for replies the outcome (the engine's error code, 0 = success), and the bytes as
//   hex pairs ('-' for none). Text after ';' is the outcome's message, for people.
//   Every reply line follows the request line of its attempt.
//
//   ExchangeFanOut fan;                  // the engine has one observer: hang several on it
//   box.observer = &fan;
//   ExchangeRecorder rec(box, path);     // the file is created at once and grows line by line
//   if (!rec.journalOk()) ...            // it could not be created
//   fan.Add(&rec);
//   ...
//   rec.Save(path);                      // the whole text, written atomically
//
//   CaptureLog log;
//   std::string why;
//   if (!ParseCapture(text, log, why)) ...  // why: "line 7: ..."
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/Qrtbox.h"

namespace zul {

// Passes every event on to the observers added, in the order added.
class ExchangeFanOut : public ExchangeObserver {
public:
    void Add(ExchangeObserver* o);
    void Remove(ExchangeObserver* o);
    bool Empty() const { return observers_.empty(); }
    void OnExchangeEvent(const ExchangeEvent& e) override;

private:
    std::vector<ExchangeObserver*> observers_;
};

constexpr const char* kCaptureFirstLine = "zul-qrt510 capture 1";

// Observers never see the write password: the 12 bytes at frame offset
// kWritePasswordAt of the commands that carry it are shown as '*'.
constexpr int kWritePasswordAt = 4;
constexpr int kWritePasswordSize = 12;
bool CarriesWritePassword(uint8_t command);
// A frame as an observer sees it (the password masked).
std::vector<uint8_t> ObservedFrame(std::vector<uint8_t> frame);

// One request line or reply line as formatted for a capture or the traffic monitor.
std::string CaptureLine(const ExchangeEvent& e, int64_t sinceNs, const std::string& outcomeText);
// Bytes as upper-case hex pairs separated by blanks.
std::string HexBytes(const uint8_t* p, int n);

class ExchangeRecorder : public ExchangeObserver {
public:
    // With a `journal` path every line also goes to that file as it is recorded, so
    // that a session cut short (the program killed or crashed) leaves what it
    // recorded there; an empty path keeps the text in memory only.
    explicit ExchangeRecorder(const Qrtbox& box, const std::string& journal = "");
    ~ExchangeRecorder() override;
    ExchangeRecorder(const ExchangeRecorder&) = delete;
    ExchangeRecorder& operator=(const ExchangeRecorder&) = delete;

    void OnExchangeEvent(const ExchangeEvent& e) override;
    const std::string& text() const { return text_; }
    size_t exchanges() const { return replies_; }
    // False when the journal asked for could not be created (or a line not written).
    bool journalOk() const { return journalOk_; }
    // The whole text written atomically to `path` (over the journal when it is the same file).
    bool Save(const std::string& path) const;

private:
    void Journal(std::string_view text);

    const Qrtbox& box_;
    int64_t startNs_ = -1;
    std::string text_;
    size_t replies_ = 0;
    int journalFd_ = -1;
    bool journalOk_ = true;
};

struct CapturedExchange {
    uint8_t command = 0;
    int attempt = 0;
    uint32_t errorCode = 0;
    double requestMs = 0, replyMs = 0;
    std::vector<uint8_t> request;  // as sent, preambles included
    std::vector<uint8_t> reply;    // as received (may be empty)
    int line = 0;                  // of the request
    // The request's frame without preambles (empty when there is none).
    std::vector<uint8_t> Frame() const;
};

struct CaptureLog {
    std::vector<CapturedExchange> exchanges;
};

// False with `why` = "line N: ..." for a file that is not a whole capture of this
// version: another first line, a malformed line, a reply without its request, a
// request frame whose length byte does not match, a reply of a successful exchange
// that holds no whole frame with a good check, a request left without reply.
bool ParseCapture(const std::string& text, CaptureLog& out, std::string& why);

}  // namespace zul
