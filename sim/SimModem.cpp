#include "sim/SimModem.h"

#include <cctype>
#include <climits>

namespace zul::sim {

namespace {

constexpr int64_t kMs = 1000000;

// Numeric and verbose forms of the result codes.
struct ResultCode {
    int numeric;
    const char* verbose;
};
constexpr ResultCode kOk{0, "OK"};
constexpr ResultCode kNoCarrier{3, "NO CARRIER"};
constexpr ResultCode kError{4, "ERROR"};

ResultCode DialFailure(DialOutcome o) {
    switch (o) {
    case DialOutcome::kBusy: return {7, "BUSY"};
    case DialOutcome::kNoCarrier: return kNoCarrier;
    case DialOutcome::kNoDialtone: return {6, "NO DIALTONE"};
    case DialOutcome::kNoAnswer: return {8, "NO ANSWER"};
    case DialOutcome::kError: return kError;
    case DialOutcome::kConnect: break;
    }
    return {1, "CONNECT"};
}

std::string Upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

void SimModem::Result(int numeric, const std::string& verbose, std::string& toHost) const {
    if (verbose_)
        toHost += "\r\n" + verbose + "\r\n";
    else
        toHost += std::to_string(numeric) + "\r";
}

void SimModem::DropEscape(std::vector<uint8_t>& toController) {
    toController.insert(toController.end(), size_t(plusCount_), uint8_t('+'));
    plusCount_ = 0;
    escapeDueNs_ = 0;
}

void SimModem::FromHost(const uint8_t* data, int n, int64_t nowNs, std::string& toHost,
                        std::vector<uint8_t>& toController) {
    if (s_.silent) return;
    for (int i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        if (stats_.online) {
            if (escapeDueNs_ != 0) DropEscape(toController);  // the silence after "+++" was broken
            if (b == '+' && plusCount_ < 3) {
                if (plusCount_ == 0) guardBefore_ = nowNs - lastRxNs_ >= int64_t(s_.guardMs) * kMs;
                ++plusCount_;
                if (plusCount_ == 3) {
                    if (guardBefore_) {
                        escapeDueNs_ = nowNs + int64_t(s_.guardMs) * kMs;
                    } else {
                        ++stats_.refusedEscapes;
                        DropEscape(toController);
                    }
                }
            } else {
                if (plusCount_ > 0) DropEscape(toController);
                toController.push_back(b);
            }
            lastRxNs_ = nowNs;
            continue;
        }
        if (dialDueNs_ != 0) {  // any key aborts a dial in progress
            dialDueNs_ = 0;
            stats_.offHook = false;
            Result(kNoCarrier.numeric, kNoCarrier.verbose, toHost);
            continue;
        }
        if (b == '\n') continue;
        if (echo_) toHost.push_back(char(b));
        if (b == '\r') {
            std::string line;
            line.swap(line_);
            Command(line, nowNs, toHost);
        } else if (b == 8) {
            if (!line_.empty()) line_.pop_back();
        } else if (line_.size() < 256) {
            line_.push_back(char(b));
        }
    }
}

void SimModem::Command(const std::string& raw, int64_t nowNs, std::string& toHost) {
    // Anything before "AT" (noise, a lone "+++") is not a command.
    const std::string up = Upper(raw);
    const size_t at = up.find("AT");
    if (at == std::string::npos) return;
    stats_.commands.push_back(raw.substr(at));
    const std::string body = up.substr(at + 2);
    if (!body.empty() && body[0] == 'D') {
        std::string number;
        for (char c : raw.substr(at + 3))
            if (c != ';' && c != 'T' && c != 't' && c != 'P' && c != 'p') number.push_back(c);
        stats_.dialled.push_back(number);
        dialDueNs_ = nowNs + int64_t(s_.dialMs) * kMs;
        if (dialDueNs_ == 0) dialDueNs_ = 1;
        stats_.offHook = true;
        return;
    }
    if (body == "H" || body == "H0") {
        stats_.offHook = false;
    } else if (body == "O" || body == "O0") {
        if (!stats_.offHook) return Result(kNoCarrier.numeric, kNoCarrier.verbose, toHost);
        stats_.online = true;
        lastRxNs_ = nowNs;
        return Result(1, "CONNECT " + std::to_string(s_.connectSpeed), toHost);
    } else if (body == "+CPAS") {
        if (s_.cpasError) return Result(kError.numeric, kError.verbose, toHost);
        toHost += verbose_ ? "\r\n+CPAS: 0\r\n" : "+CPAS: 0\r\n";
    } else if (body == "&F" || body == "Z" || body == "&F0" || body == "Z0") {
        echo_ = verbose_ = true;
    } else {
        // E and V with their digits change the modem; every other setting is taken as it comes.
        for (size_t i = 0; i < body.size(); ++i) {
            const bool on = i + 1 < body.size() && body[i + 1] == '1';
            if (body[i] == 'E') echo_ = on;
            if (body[i] == 'V') verbose_ = on;
        }
    }
    Result(kOk.numeric, kOk.verbose, toHost);
}

void SimModem::Tick(int64_t nowNs, std::string& toHost) {
    if (escapeDueNs_ != 0 && nowNs >= escapeDueNs_) {
        escapeDueNs_ = 0;
        plusCount_ = 0;
        stats_.online = false;
        ++stats_.escapes;
        Result(kOk.numeric, kOk.verbose, toHost);
    }
    if (dialDueNs_ != 0 && nowNs >= dialDueNs_) {
        dialDueNs_ = 0;
        if (s_.dialOutcome != DialOutcome::kConnect && s_.dialFailures != 0) {
            if (s_.dialFailures > 0) --s_.dialFailures;
            stats_.offHook = false;
            const ResultCode r = DialFailure(s_.dialOutcome);
            Result(r.numeric, r.verbose, toHost);
            return;
        }
        stats_.online = true;
        lastRxNs_ = nowNs;
        Result(1, "CONNECT " + std::to_string(s_.connectSpeed), toHost);
    }
}

int64_t SimModem::NextDueNs() const {
    int64_t due = INT64_MAX;
    if (escapeDueNs_ != 0) due = escapeDueNs_;
    if (dialDueNs_ != 0 && dialDueNs_ < due) due = dialDueNs_;
    return due;
}

SimModem::FrameAction SimModem::BeforeFrame(std::string& toHost) {
    if (s_.unplugAfterFrames >= 0 && stats_.framesPassed >= s_.unplugAfterFrames) {
        stats_.online = stats_.offHook = false;  // the call goes with the modem
        return FrameAction::kUnplug;
    }
    if (s_.carrierLostAfterFrames >= 0 && stats_.framesPassed >= s_.carrierLostAfterFrames) {
        s_.carrierLostAfterFrames = -1;
        stats_.online = stats_.offHook = false;
        plusCount_ = 0;
        escapeDueNs_ = 0;
        Result(kNoCarrier.numeric, kNoCarrier.verbose, toHost);
        return FrameAction::kCarrierLost;
    }
    ++stats_.framesPassed;
    return FrameAction::kPass;
}

}  // namespace zul::sim
