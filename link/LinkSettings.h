// What the program remembers between runs: how it reaches controllers, the two
// subscriber lists, the object list and the archive-request choices. Texts are
// zero-terminated cp1251 bytes, as the settings files hold them.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace zul {

constexpr int kMaxSubscribers = 200;
constexpr int kMaxObjects = 50;
constexpr int kSubscriberNameMax = 49;   // characters, without the terminating zero
constexpr int kPhoneNumberMax = 29;
constexpr int kObjectNameMax = 50;
constexpr int kModemCommandMax = 199;

// The parameters of one kind of link.
struct LinkParams {
    uint8_t port = 1;                 // COM port number
    uint8_t address = 1;              // controller address
    uint32_t speed = 38400;           // bit/s
    uint8_t preambles = 5;
    uint8_t attempts = 1;             // attempts per exchange
    uint32_t interByteTimeoutMs = 100;
    uint32_t replyWaitSeconds = 2;
    bool operator==(const LinkParams&) const = default;
};

struct TelephoneSubscriber {
    std::array<uint8_t, kSubscriberNameMax + 1> name{};
    uint8_t address = 0;
    uint8_t modbusAddress = 0;        // stored under adr_modbus, no other use
    std::array<uint8_t, kPhoneNumberMax + 1> phone{};
    bool operator==(const TelephoneSubscriber&) const = default;
};

struct EthernetSubscriber {
    std::array<uint8_t, kSubscriberNameMax + 1> name{};
    uint8_t address = 0;
    // IPv4 address, last octet first: ip[3] is the first octet of the dotted form.
    std::array<uint8_t, 4> ip{};
    uint32_t port = 0;                // TCP port
    // The address bytes as one little-endian number (the dotted form's numeric order).
    uint32_t IpValue() const {
        return uint32_t(ip[0]) | uint32_t(ip[1]) << 8 | uint32_t(ip[2]) << 16 | uint32_t(ip[3]) << 24;
    }
    void SetIpValue(uint32_t v) {
        for (int i = 0; i < 4; ++i) ip[size_t(i)] = uint8_t(v >> (8 * i));
    }
    bool operator==(const EthernetSubscriber&) const = default;
};

enum SubscriberSortMode : uint8_t { kSortByName = 0, kSortByNumber = 1 };

template <class Entry>
struct SubscriberList {
    uint8_t count = 0;
    uint8_t selected = 0;
    uint8_t sortMode = kSortByName;   // 0 by name, 1 by telephone number or IP address
    std::array<Entry, kMaxSubscribers> entries{};
    bool operator==(const SubscriberList&) const = default;
};
using TelephoneSubscriberList = SubscriberList<TelephoneSubscriber>;
using EthernetSubscriberList = SubscriberList<EthernetSubscriber>;

struct ObjectEntry {
    std::array<uint8_t, kObjectNameMax + 1> name{};
    bool operator==(const ObjectEntry&) const = default;
};

struct ObjectList {
    uint8_t count = 0;
    uint8_t selected = 0;
    std::array<ObjectEntry, kMaxObjects> entries{};
    bool operator==(const ObjectList&) const = default;
};

// What the serial port of the direct line needs beyond its parameters: a device
// chosen by its stable name, and how the RS-485 transmitter is switched.
struct SerialLine {
    std::string device;               // "" = the device of the port number
    uint8_t rs485Mode = 0;            // Rs485Mode (link/SerialPort.h): 0 automatic
    uint8_t rtsOnSend = 1;            // RTS level while sending: 1 raised, 0 dropped
    bool operator==(const SerialLine&) const = default;
};

// The groups of LinkSettings; each is written to its own section of zul.ini.
struct CurrentSettings {
    uint8_t connectionKind = 0;       // 0 direct line, 1 telephone, 2 Ethernet
    int32_t portWait = 1;             // seconds to keep trying a busy port
    uint8_t releasePort = 0;          // direct line: open the port for every exchange
    int32_t windowHeight = 680;
    int32_t windowWidth = 1000;
    int32_t windowLeft = 0;
    int32_t windowTop = 0;
    bool operator==(const CurrentSettings&) const = default;
};

// The port wait handed to the engine: the dialog's range (1..20 s) bounds a value
// edited into zul.ini too, so that a busy port is not retried for ever.
inline uint32_t PortWaitSeconds(int32_t stored) { return uint32_t(std::clamp<int32_t>(stored, 0, 20)); }

struct TelephoneSettings {
    LinkParams params{1, 1, 38400, 5, 1, 100, 6};
    TelephoneSubscriberList subscribers;
    uint8_t defaultCommand = 0;
    std::array<uint8_t, kModemCommandMax + 1> modemCommand{};  // empty = none
    int32_t connectWait = 50;         // seconds
    uint8_t autoRepeat = 0;
    int32_t connectAttempts = 1;
    std::string device;               // the modem's device chosen by its stable name, or ""
    bool operator==(const TelephoneSettings&) const = default;
};

struct EthernetSettings {
    // Its port and speed are neither stored nor used.
    LinkParams params{0, 1, 0, 5, 1, 300, 5};
    EthernetSubscriberList subscribers;
    int32_t connectWait = 10;         // seconds
    int32_t connectAttempts = 1;
    int32_t sendPauseMs = 500;        // pause before each TCP request
    bool operator==(const EthernetSettings&) const = default;
};

struct LinkSettings {
    CurrentSettings current;
    LinkParams direct;
    SerialLine directLine;            // stored with the direct group
    TelephoneSettings phone;
    EthernetSettings ethernet;
    bool operator==(const LinkSettings&) const = default;
};

// The archive-request choices, the 74 bytes of rd_arh.ini.
struct ArchiveSettings {
    int32_t periodChoice = 0;
    int32_t indexChoice = 1;
    double savedPeriodStart = 0;      // date-time values
    double savedPeriodEnd = 0;
    std::array<uint8_t, 50> unused{};
    static constexpr int kBytes = 74;
    void ToBytes(uint8_t* out) const;
    void FromBytes(const uint8_t* in, int n);  // the first n bytes (n <= 74)
};

// Zero-terminated byte texts of the entries.
template <size_t N>
std::string TextOf(const std::array<uint8_t, N>& a) {
    size_t n = 0;
    while (n < N && a[n]) ++n;
    return std::string(reinterpret_cast<const char*>(a.data()), n);
}
// Stores at most `maxChars` bytes of `text` and zeroes the rest.
template <size_t N>
void SetText(std::array<uint8_t, N>& a, const std::string& text, size_t maxChars = N - 1) {
    a.fill(0);
    size_t n = std::min({text.size(), maxChars, N - 1});
    for (size_t i = 0; i < n; ++i) {
        if (text[i] == '\0') break;
        a[i] = uint8_t(text[i]);
    }
}

}  // namespace zul
