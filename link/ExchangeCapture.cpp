#include "link/ExchangeCapture.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "link/IniFile.h"

namespace zul {

namespace {

// The most bytes a line may carry: what the engine keeps of one attempt.
constexpr size_t kMaxLineBytes = 1024;

bool ParseNumber(const std::string& s, double lo, double hi, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (*end || !(v >= lo && v <= hi)) return false;
    out = v;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A reply the engine took as success holds, after preambles or noise, 0x33, the
// address, the frame length and a check over that length that comes out zero.
bool WholeReplyFrame(const std::vector<uint8_t>& bytes) {
    for (size_t start = 0; start + 3 <= bytes.size(); ++start) {
        if (bytes[start] != 0x33) continue;
        const size_t length = bytes[start + 2];
        if (length >= 6 && length <= bytes.size() - start && Crc16(bytes.data() + start, uint16_t(length)) == 0)
            return true;
    }
    return false;
}

}  // namespace

bool CarriesWritePassword(uint8_t command) {
    return command == 2 || command == 12 || command == 25 || command == 32 || command == 33;
}

std::vector<uint8_t> ObservedFrame(std::vector<uint8_t> frame) {
    if (frame.size() >= size_t(kWritePasswordAt + kWritePasswordSize) && CarriesWritePassword(frame[3]))
        std::fill(frame.begin() + kWritePasswordAt, frame.begin() + kWritePasswordAt + kWritePasswordSize, '*');
    return frame;
}

void ExchangeFanOut::Add(ExchangeObserver* o) {
    if (o && std::find(observers_.begin(), observers_.end(), o) == observers_.end()) observers_.push_back(o);
}

void ExchangeFanOut::Remove(ExchangeObserver* o) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

void ExchangeFanOut::OnExchangeEvent(const ExchangeEvent& e) {
    for (ExchangeObserver* o : observers_) o->OnExchangeEvent(e);
}

std::string HexBytes(const uint8_t* p, int n) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(size_t(std::max(n, 0)) * 3);
    for (int i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += kDigits[p[i] >> 4];
        s += kDigits[p[i] & 15];
    }
    return s;
}

std::string CaptureLine(const ExchangeEvent& e, int64_t sinceNs, const std::string& outcomeText) {
    char head[96];
    const double ms = double(sinceNs) / 1e6;
    if (e.kind == ExchangeEvent::kRequest) {
        std::snprintf(head, sizeof head, "> %.3f %d %d ", ms, e.command, e.attempt);
        return head + (e.count > 0 ? HexBytes(e.bytes, e.count) : std::string("-"));
    }
    std::snprintf(head, sizeof head, "< %.3f %d %d %u ", ms, e.command, e.attempt, e.errorCode);
    std::string line = head + (e.count > 0 ? HexBytes(e.bytes, e.count) : std::string("-"));
    if (!outcomeText.empty()) line += " ; " + outcomeText;
    return line;
}

ExchangeRecorder::ExchangeRecorder(const Qrtbox& box, const std::string& journal) : box_(box) {
    text_ = std::string(kCaptureFirstLine) + "\n";
    if (journal.empty()) return;
    journalFd_ = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    journalOk_ = journalFd_ >= 0;
    Journal(text_);
}

ExchangeRecorder::~ExchangeRecorder() {
    if (journalFd_ >= 0) ::close(journalFd_);
}

void ExchangeRecorder::Journal(std::string_view text) {
    if (journalFd_ < 0) return;
    // Straight to the kernel, unbuffered: what was written outlives the process.
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(journalFd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            journalOk_ = false;
            ::close(journalFd_);
            journalFd_ = -1;
            return;
        }
        done += size_t(n);
    }
}

void ExchangeRecorder::OnExchangeEvent(const ExchangeEvent& e) {
    if (startNs_ < 0) startNs_ = e.monotonicNs;
    const std::string outcome = e.kind == ExchangeEvent::kReply ? box_.Message(e.errorCode) : std::string();
    const size_t from = text_.size();
    text_ += CaptureLine(e, e.monotonicNs - startNs_, e.errorCode ? outcome : std::string());
    text_ += '\n';
    if (journalFd_ >= 0) Journal(std::string_view(text_).substr(from));
    if (e.kind == ExchangeEvent::kReply) ++replies_;
}

bool ExchangeRecorder::Save(const std::string& path) const { return WriteFileAtomically(path, text_); }

std::vector<uint8_t> CapturedExchange::Frame() const {
    size_t i = 0;
    while (i < request.size() && request[i] == 0xFF) ++i;
    return std::vector<uint8_t>(request.begin() + long(i), request.end());
}

bool ParseCapture(const std::string& text, CaptureLog& out, std::string& why) {
    out.exchanges.clear();
    std::istringstream in(text);
    std::string line;
    int number = 0;
    bool open = false;  // the last exchange waits for its reply
    auto fail = [&](const std::string& what) {
        why = "line " + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number == 1) {
            if (line != kCaptureFirstLine)
                return fail("not an exchange capture of this program version (\"" + std::string(kCaptureFirstLine) +
                            "\" expected)");
            continue;
        }
        const size_t semicolon = line.find(';');
        std::istringstream words(line.substr(0, semicolon));
        std::vector<std::string> w;
        for (std::string s; words >> s;) w.push_back(s);
        if (w.empty() || w[0][0] == '#') continue;
        const bool request = w[0] == ">";
        if (!request && w[0] != "<") return fail("a line begins with '>' (request) or '<' (reply)");
        const size_t fixed = request ? 4 : 5;
        if (w.size() < fixed + 1) return fail("too few fields");
        double ms = 0, command = 0, attempt = 0, error = 0;
        if (!ParseNumber(w[1], 0, 1e12, ms)) return fail("bad time \"" + w[1] + "\"");
        if (!ParseNumber(w[2], 0, 255, command) || command != double(int(command)))
            return fail("bad command \"" + w[2] + "\"");
        if (!ParseNumber(w[3], 1, 255, attempt) || attempt != double(int(attempt)))
            return fail("bad attempt \"" + w[3] + "\"");
        if (!request && (!ParseNumber(w[4], 0, 4294967295.0, error) || error != double(uint32_t(error))))
            return fail("bad outcome \"" + w[4] + "\"");
        std::vector<uint8_t> bytes;
        if (!(w.size() == fixed + 1 && w[fixed] == "-")) {
            if (w.size() - fixed > kMaxLineBytes) return fail("more bytes than one attempt can hold");
            for (size_t i = fixed; i < w.size(); ++i) {
                const int hi = w[i].size() == 2 ? HexDigit(w[i][0]) : -1, lo = hi >= 0 ? HexDigit(w[i][1]) : -1;
                if (lo < 0) return fail("bad byte \"" + w[i] + "\"");
                bytes.push_back(uint8_t(hi << 4 | lo));
            }
        }
        if (request) {
            if (open) return fail("a request follows a request that got no reply line");
            CapturedExchange x;
            x.command = uint8_t(command);
            x.attempt = int(attempt);
            x.requestMs = ms;
            x.request = std::move(bytes);
            x.line = number;
            const std::vector<uint8_t> f = x.Frame();
            if (f.size() < 6 || f[0] != 0xCC || f[2] != f.size() || f[3] != x.command)
                return fail("the request is no whole frame of its command");
            out.exchanges.push_back(std::move(x));
            open = true;
        } else {
            if (!open) return fail("a reply without its request");
            CapturedExchange& x = out.exchanges.back();
            if (x.command != uint8_t(command) || x.attempt != int(attempt))
                return fail("the reply's command or attempt differs from its request's");
            if (error == 0 && !WholeReplyFrame(bytes))
                return fail("the reply of a successful exchange is no whole frame with a good check (cut or edited)");
            x.replyMs = ms;
            x.errorCode = uint32_t(error);
            x.reply = std::move(bytes);
            open = false;
        }
    }
    if (number == 0) {
        number = 1;
        return fail("empty file");
    }
    if (open) {
        number = out.exchanges.back().line;
        return fail("the request has no reply line (the capture ends early)");
    }
    return true;
}

}  // namespace zul
