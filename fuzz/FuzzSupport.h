// What the fuzz targets share: the input as a file on disk (for the readers that
// take a path), a line that delivers bytes in the pieces the input chooses, a
// clock that moves on by itself so no target ever waits, a user interface that
// answers nothing, and the check that stops a target when a rule does not hold.
#pragma once
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "tests/core/support/TestClocks.h"
#include "link/SerialPort.h"
#include "shell/UserInterface.h"

namespace zul::fuzz {

// Stops the run with the rule that failed (libFuzzer then keeps the input).
#define FUZZ_CHECK(cond)                                                             \
    do {                                                                             \
        if (!(cond)) {                                                               \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                            \
        }                                                                            \
    } while (0)

// `data` written to a file of this process with `extension`; the same file for every input.
inline std::string InputFile(const uint8_t* data, size_t size, const std::string& extension) {
    const char* dir = std::getenv("TMPDIR");
    const std::string path =
        std::string(dir && *dir ? dir : "/tmp") + "/zul-fuzz-" + std::to_string(getpid()) + extension;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}

// Every question answered "Нет", nothing shown, no stop request.
class QuietUi : public UserInterface {
public:
    bool ShowMessageBox(int, const std::string& line1, const std::string&) override {
        FUZZ_CHECK(!line1.empty());
        answerFlag = false;
        return false;
    }
};

// A line whose received bytes are the input, delivered in pieces: each piece is
// preceded by one byte of the input that gives its length (0: a pause with nothing).
class PieceLine : public SerialPort {
public:
    PieceLine(const uint8_t* data, size_t size) {
        for (size_t i = 0; i < size;) {
            const size_t want = data[i++];
            const size_t n = std::min(want, size - i);
            pieces_.emplace_back(data + i, data + i + n);
            i += n;
        }
    }
    bool OpenComPort(int, int, int, int, int, int, int, bool, bool) override { return open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool SetBaudRate(int) override { return true; }
    bool Purge() override { return true; }  // what arrives is the reply to what was sent
    bool SetRts(bool) override { return false; }
    bool SetDtr(bool) override { return true; }
    bool ClearComErrors() override { return true; }
    bool Write(const uint8_t*, size_t) override { return open_; }
    int ReadSome(uint8_t* out, size_t max) override {
        if (next_ >= pieces_.size()) return 0;
        std::vector<uint8_t>& p = pieces_[next_];
        const size_t n = std::min(max, p.size() - taken_);
        std::copy_n(p.begin() + long(taken_), n, out);
        taken_ += n;
        if (taken_ == p.size()) ++next_, taken_ = 0;
        return int(n);
    }
    bool WaitReadable(int) override {
        while (next_ < pieces_.size() && pieces_[next_].empty()) ++next_;  // a pause
        return next_ < pieces_.size();
    }
    std::string DevicePath() const override { return "/dev/fuzz"; }

private:
    std::vector<std::vector<uint8_t>> pieces_;
    size_t next_ = 0, taken_ = 0;
    bool open_ = true;
};

}  // namespace zul::fuzz
