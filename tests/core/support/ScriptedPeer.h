// A controller stand-in for engine tests: it collects request frames from a real
// pseudo-terminal or a loopback TCP connection and answers each one as the test's
// script says (bytes, delays, silence, a closed line).
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zul::test {

using Bytes = std::vector<uint8_t>;

// One step of an answer: wait `delayMs`, then send `bytes`, each byte after the
// first `fastBytes` separated by `gapMs`; `hangUp` closes the line afterwards.
struct PeerStep {
    Bytes bytes;
    int delayMs = 0;
    int gapMs = 0;
    size_t fastBytes = SIZE_MAX;
    bool hangUp = false;
};

using PeerScript = std::function<std::vector<PeerStep>(const Bytes& frame, int index)>;

// A reply frame 0x33, address, length, code, body, CRC (low byte first).
Bytes ReplyFrame(uint8_t address, uint8_t code, const Bytes& body);
// A successful reply to a request frame: echoes bytes 4..7 for commands 1 and 2.
Bytes EchoReply(const Bytes& request, const Bytes& values = {});

class ScriptedPeer {
public:
    enum class Kind { kPty, kTcp };
    explicit ScriptedPeer(Kind kind);
    ~ScriptedPeer();

    void SetScript(PeerScript script);
    // pty: path of the terminal end the engine opens; tcp: the port listened on.
    const std::string& path() const { return path_; }
    uint16_t port() const { return port_; }
    // Requests seen so far: `raw` with preambles, `frames` from the 0xCC on.
    std::vector<Bytes> frames() const;
    std::vector<Bytes> raw() const;
    std::vector<int64_t> frameTimesNs() const;  // monotonic time each frame was complete
    // Waits until at least n frames arrived (or timeoutMs passed).
    bool WaitFrames(size_t n, int timeoutMs = 3000) const;
    void HangUp();  // close the line now

private:
    void Run();
    void Serve(int fd);
    void Send(int fd, const PeerStep& step);

    Kind kind_;
    int master_ = -1, slaveKeep_ = -1, listen_ = -1, conn_ = -1;
    std::string path_;
    uint16_t port_ = 0;
    PeerScript script_;
    mutable std::mutex mu_;
    mutable std::condition_variable cv_;
    std::vector<Bytes> frames_, raw_;
    std::vector<int64_t> times_;
    std::atomic<bool> stop_{false};
    int wake_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace zul::test
