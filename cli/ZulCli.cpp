#include "cli/ZulCli.h"

#include "cli/ModemLink.h"

#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "cli/ArchiveCommand.h"
#include "cli/CheckCommand.h"
#include "cli/EventsCommand.h"
#include "cli/LinkOptions.h"
#include "cli/PrintCommand.h"
#include "cli/ShowCommand.h"
#include "cli/StoreCommand.h"
#include "cli/SubscriberCollect.h"
#include "cli/TerminalUi.h"
#include "cli/ConfigCommand.h"
#include "cli/ClockCommand.h"
#include "cli/LiveCommand.h"
#include "cli/ReportCommand.h"
#include "link/Comportfunctions.h"
#include "link/ExchangeCapture.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "shell/UserInterface.h"
#include "sim/SimMain.h"
#include "tables/Conffun.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul::cli {

namespace {

const char* const kUsage =
    "Usage: zul [LINK OPTIONS] COMMAND [ARGS]\n"
    "\n"
    "Link options (defaults: the link settings of the chosen kind):\n"
    "  --tcp HOST:PORT        Ethernet link to HOST:PORT\n"
    "  --serial DEVICE        direct line on the serial device DEVICE\n"
    "  --modem DEVICE         telephone: the GSM modem on the serial device DEVICE dials\n"
    "                         --phone NUMBER before the command and hangs up after it\n"
    "  --modem-init TEXT      modem commands sent before dialling (\"AT&F^ATS0=0\")\n"
    "  --address N            controller address 1..255 (default 1; 255 = broadcast)\n"
    "  --baud N               line speed in bit/s (direct line, default 38400)\n"
    "  --preambles N          0xFF bytes ahead of each request (default 5)\n"
    "  --attempts N           attempts per exchange (default 1)\n"
    "  --reply-timeout-ms N   wait for the reply to begin (default 2000 direct, 5000 Ethernet)\n"
    "  --inter-byte-ms N      longest pause inside a reply (default 100 direct, 300 Ethernet)\n"
    "  --send-pause-ms N      pause before each request over TCP (default 500)\n"
    "  --connect-wait-s N     how long to try the TCP connection (default 10), or to\n"
    "                         wait for each modem reply while dialling (default 50)\n"
    "  --ident CODE           identification code for write-type commands (up to 4 characters)\n"
    "  --password TEXT        write password for write-type commands (up to 12 characters)\n"
    "  --trace                print every request and reply (time, hex bytes, outcome) on stderr\n"
    "  --capture FILE         record every exchange of the command in FILE (even when it\n"
    "                         fails; the file grows as the exchanges go, so a killed\n"
    "                         command leaves what it did), for \"qrtsim --replay FILE\"\n"
    "\n"
    "Commands:\n"
    "  identify               read table 0 and print its fields, one \"name: value\" line each\n"
    "  read T [F [C]]         read fields of table T (default: the whole table; C default 1);\n"
    "                         prints one line per field: \"T.F: \" and the bytes in hex\n"
    "  write T F HEX...       write fields F.. of table T from the given bytes (hex pairs)\n"
    "  config read|new|check|write  configuration files (zul config --help)\n"
    "  clock [--correct]      controller and computer clocks; --correct sends the correction\n"
    "  live chrom|moist|state one poll of a live view, printed as the view shows it\n"
    "  sim [OPTIONS]          run the simulated controller (zul sim --help)\n"
    "  events diag|interv ... read an event archive (zul events --help)\n"
    "  archive meas|clb|hour|day ...  read a chromatograph or moisture-meter archive\n"
    "  show FILE              print an archive or event file as its viewer shows it\n"
    "  export FILE -o BOOK    a measurement, hourly or daily file into a workbook\n"
    "  check FILE             whether an archive file is whole (zul check --help)\n"
    "  print FILE -o PDF      the viewer's printed report of an event or moisture-meter file, as a PDF\n"
    "  report day|month DATE --object NAME -o BOOK  the day or month report (zul report --help)\n"
    "  collect [--store STORE] [--kinds K,...] [--since MOMENT]  what is new into the archive store\n"
    "  collect --subscribers ethernet|direct|phone [--jobs N]  the same from every subscriber of a list\n"
    "  store list|check|export ...  the archive store (zul store --help)\n"
    "\n"
    "Exit status: 0 success, 1 the controller could not be reached or refused, 2 bad usage.\n"
    "\"zul COMMAND --help\" explains a command.\n";

const char* const kIdentifyHelp =
    "Usage: zul [LINK OPTIONS] identify\n"
    "Reads table 0 (18 fields) and prints one \"name: value\" line per field:\n"
    "damaged_table, type, hardware_version, software_version, build (fields 4..9),\n"
    "byte_order, multi_speed, codepage, fixed_address, protocol_version (fields 14..16),\n"
    "field17; then \"address\", the address that answered (useful with --address 255).\n";

const char* const kReadHelp =
    "Usage: zul [LINK OPTIONS] read T [F [C]]\n"
    "Reads C fields (default 1) of table T from field F; without F the whole table,\n"
    "in pieces that fit a frame. Prints one line per field, \"T.F: \" followed by its\n"
    "bytes as upper-case hex pairs separated by blanks.\n";

const char* const kWriteHelp =
    "Usage: zul [LINK OPTIONS] --ident CODE --password TEXT write T F HEX...\n"
    "Writes table T from field F with the given bytes (hex pairs, as separate words or\n"
    "run together); their number must be a whole number of fields. Values longer than a\n"
    "frame carries go in several requests.\n";

bool ParseLong(const char* s, long lo, long hi, long& out) {
    if (!s || !*s) return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s, &end, 10);
    if (errno || *end || v < lo || v > hi) return false;
    out = v;
    return true;
}

std::string Hex(const uint8_t* p, int n) {
    std::string s;
    char b[4];
    for (int i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", p[i]);
        s += b;
    }
    return s;
}

bool ParseHex(const std::vector<std::string>& words, std::vector<uint8_t>& out) {
    std::string digits;
    for (const std::string& w : words)
        for (char c : w) {
            if (c == ' ' || c == ',' || c == ':') continue;
            if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
            digits += c;
        }
    if (digits.empty() || digits.size() % 2) return false;
    for (size_t i = 0; i < digits.size(); i += 2) out.push_back(uint8_t(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return true;
}

class Tracer : public ExchangeObserver {
public:
    explicit Tracer(Qrtbox& box) : box_(box) {}
    void OnExchangeEvent(const ExchangeEvent& e) override {
        timeval tv{};
        gettimeofday(&tv, nullptr);
        tm lt{};
        time_t t = tv.tv_sec;
        localtime_r(&t, &lt);
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03ld", lt.tm_hour, lt.tm_min, lt.tm_sec,
                      long(tv.tv_usec / 1000));
        if (e.kind == ExchangeEvent::kRequest) {
            std::fprintf(stderr, "%s > cmd %d try %d: %s\n", stamp, e.command, e.attempt, Hex(e.bytes, e.count).c_str());
        } else {
            std::string outcome = e.errorCode == 0 ? "ok" : "error " + std::to_string(e.errorCode) + ": " + box_.Message(e.errorCode);
            std::fprintf(stderr, "%s < cmd %d try %d: %s [%s]\n", stamp, e.command, e.attempt,
                         e.count ? Hex(e.bytes, e.count).c_str() : "(nothing)", outcome.c_str());
        }
    }

private:
    Qrtbox& box_;
};

int Usage(const char* what) {
    if (what) std::fprintf(stderr, "zul: %s\n", what);
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

void Blanks(uint8_t* dst, int size, const std::string& text) {
    std::memset(dst, ' ', size_t(size));
    std::memcpy(dst, text.data(), std::min<size_t>(text.size(), size_t(size)));
}

int Identify(TableIo& io, TerminalUi& ui) {
    const uint8_t req[3] = {0, 0, 18};
    if (!io.ReadFields(req, nullptr, true)) return Failed(io.box(), ui);
    const uint8_t* t = io.image().Data(0);
    std::printf("damaged_table: %d\n", t[0]);
    std::printf("type: %d\n", t[1]);
    std::printf("hardware_version: %d\n", t[2]);
    std::printf("software_version: %d\n", t[3]);
    std::printf("build: %02d.%02d.%02d %02d:%02d:%02d\n", t[6], t[5], t[4], t[7], t[8], t[9]);
    std::printf("byte_order: %d\n", t[10]);
    std::printf("multi_speed: %d\n", t[11]);
    std::printf("codepage: %d\n", t[12]);
    std::printf("fixed_address: %d\n", t[13]);
    std::printf("protocol_version: %d.%d.%d\n", t[14], t[15], t[16]);
    std::printf("field17: %d\n", t[17]);
    std::printf("address: %d\n", io.box().address);
    return kExitOk;
}

void PrintFields(const TableImage& image, int t, int first, int count) {
    const int size = Table(t).fieldSize;
    for (int f = first; f < first + count; ++f)
        std::printf("%d.%d: %s\n", t, f, Hex(image.Field(t, f), size).c_str());
}

int Read(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args) {
    long t = 0, f = 0, c = 1;
    if (args.empty() || args.size() > 3 || !ParseLong(args[0].c_str(), 0, 44, t) || Table(int(t)).fieldCount == 0)
        return Usage("read: T must be a table with fields (0..44)");
    const TableDescriptor& d = Table(int(t));
    if (args.size() == 1) {
        if (!io.ReadWholeTable(int(t), nullptr)) return Failed(io.box(), ui);
        PrintFields(io.image(), int(t), 0, d.fieldCount);
        return kExitOk;
    }
    if (!ParseLong(args[1].c_str(), 0, d.fieldCount - 1, f)) return Usage("read: F lies outside the table");
    if (args.size() == 3 && !ParseLong(args[2].c_str(), 1, d.fieldCount - f, c))
        return Usage("read: C fields from F do not fit the table");
    const int piece = kMaxReadBytes / d.fieldSize;
    for (long first = f; first < f + c; first += piece) {
        const uint8_t req[3] = {uint8_t(t), uint8_t(first), uint8_t(std::min<long>(piece, f + c - first))};
        if (!io.ReadFields(req, nullptr, true)) return Failed(io.box(), ui);
    }
    PrintFields(io.image(), int(t), int(f), int(c));
    return kExitOk;
}

int Write(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args) {
    long t = 0, f = 0;
    if (args.size() < 3 || !ParseLong(args[0].c_str(), 0, 44, t) || Table(int(t)).fieldCount == 0)
        return Usage("write: T must be a table with fields (0..44)");
    const TableDescriptor& d = Table(int(t));
    if (!ParseLong(args[1].c_str(), 0, d.fieldCount - 1, f)) return Usage("write: F lies outside the table");
    std::vector<uint8_t> bytes;
    if (!ParseHex(std::vector<std::string>(args.begin() + 2, args.end()), bytes))
        return Usage("write: the values must be hex pairs");
    if (bytes.size() % d.fieldSize != 0 || f + long(bytes.size() / d.fieldSize) > d.fieldCount)
        return Usage("write: the bytes must fill whole fields inside the table");
    const int count = int(bytes.size() / d.fieldSize);
    std::memcpy(io.image().Field(int(t), int(f)), bytes.data(), bytes.size());
    const int piece = kMaxWriteBytes / d.fieldSize;
    uint8_t buf[3 + 255];
    for (int first = int(f); first < f + count; first += piece) {
        buf[0] = uint8_t(t);
        buf[1] = uint8_t(first);
        buf[2] = uint8_t(std::min<long>(piece, f + count - first));
        if (!io.WriteFields(buf, nullptr, true)) return Failed(io.box(), ui);
    }
    return kExitOk;
}

int RunLinkCommand(const Options& o, Qrtbox& box, TerminalUi& ui, const std::string& command,
                   const std::vector<std::string>& args);

}  // namespace

bool OpenLink(const Options& o, Qrtbox& box, UserInterface& ui, std::string* portTold) {
    box.address = uint8_t(o.address);
    box.preambleCount = uint8_t(o.preambles);
    box.attempts = uint8_t(o.attempts);
    if (o.identSet) Blanks(box.identCode.data(), 4, Utf8ToCp1251(o.ident));
    if (o.passwordSet) Blanks(box.writePassword.data(), 12, Utf8ToCp1251(o.password));
    if (!o.tcp.empty()) {
        const auto colon = o.tcp.rfind(':');
        long port = 0;
        ParseLong(o.tcp.c_str() + colon + 1, 1, 65535, port);  // checked by the caller
        const std::string host = o.tcp.substr(0, colon);
        box.linkKind = kLinkEthernet;
        box.openPerExchange = 0;
        box.replyTimeoutMs = uint32_t(o.replyTimeoutMs >= 0 ? o.replyTimeoutMs : 5000);
        box.interByteTimeoutMs = uint32_t(o.interByteMs >= 0 ? o.interByteMs : 300);
        box.tcpSendPauseMs = uint32_t(o.sendPauseMs >= 0 ? o.sendPauseMs : 500);
        // As the window does: a refused connection is tried again until the connection wait has passed.
        using Steady = std::chrono::steady_clock;
        const auto deadline = Steady::now() + std::chrono::seconds(o.connectWaitS >= 0 ? o.connectWaitS : 10);
        int fd = -1;
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Steady::now()).count();
            fd = TcpConnect(host, uint16_t(port), int(std::max<long long>(left, 1)));
            if (fd >= 0 || fd == kTcpNoSocket || Steady::now() >= deadline) break;
            std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(std::chrono::milliseconds(50),
                                                                           deadline - Steady::now()));
        }
        if (fd < 0) {
            box.sock = 0;
            ui.ShowMessageBox(kMsgPlain,
                              fd == kTcpNoSocket ? "Ошибка вызова socket" : "Превышено время ожидания соединения сервер/клиент",
                              "");
            return false;
        }
        box.sock = fd;
        return true;
    }
    const bool phone = !o.modem.empty();
    SetPortDevicePath(kCliPort, phone ? o.modem : o.serial);
    box.linkKind = phone ? kLinkPhone : kLinkDirect;
    box.portNumber = kCliPort;
    box.baudRate = int32_t(o.baud);
    box.openPerExchange = 0;
    box.replyTimeoutMs = uint32_t(o.replyTimeoutMs >= 0 ? o.replyTimeoutMs : phone ? 6000 : 2000);
    box.interByteTimeoutMs = uint32_t(o.interByteMs >= 0 ? o.interByteMs : 100);
    if (!box.OpenPort()) {
        // No command was sent: the port's message alone (no "Команда 0."), then why it failed.
        const std::string why = box.Message(box.errorCode) + " (" + (phone ? o.modem : o.serial) + ")";
        const std::string advice = box.PortOpenFailure();
        if (portTold) {
            *portTold = advice.empty() ? why : why + " " + advice;
        } else {
            std::fprintf(stderr, "zul: %s\n", why.c_str());
            if (!advice.empty()) std::fprintf(stderr, "zul: %s\n", advice.c_str());
        }
        return false;
    }
    if (phone && !DialForCommand(box, ui, {o.phone, o.modemInit, 1, int(o.connectWaitS >= 0 ? o.connectWaitS : 50)})) {
        box.ClosePort();
        return false;
    }
    return true;
}

void CloseLink(Qrtbox& box, UserInterface& ui) {
    if (box.sock > 0) TcpClose(box.sock);
    box.sock = 0;
    if (box.linkKind == kLinkPhone) HangUpAfterCommand(box, ui);
    box.ClosePort();
}

int RunZul(int argc, char** argv) {
    Options o;
    int i = 0;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--", 0) != 0) break;
        if (a == "--help") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        if (a == "--trace") {
            o.trace = true;
            continue;
        }
        if (i + 1 >= argc) return Usage(("option " + a + " needs a value").c_str());
        const char* v = argv[++i];
        bool ok = true;
        if (a == "--tcp") o.tcp = v;
        else if (a == "--serial") o.serial = v;
        else if (a == "--modem") o.modem = v;
        else if (a == "--phone") o.phone = v;
        else if (a == "--modem-init") o.modemInit = v;
        else if (a == "--address") ok = ParseLong(v, 1, 255, o.address);
        else if (a == "--baud") ok = ParseLong(v, 110, 256000, o.baud);
        else if (a == "--preambles") ok = ParseLong(v, 0, 255, o.preambles);
        else if (a == "--attempts") ok = ParseLong(v, 1, 255, o.attempts);
        else if (a == "--reply-timeout-ms") ok = ParseLong(v, 0, 600000, o.replyTimeoutMs);
        else if (a == "--inter-byte-ms") ok = ParseLong(v, 0, 600000, o.interByteMs);
        else if (a == "--send-pause-ms") ok = ParseLong(v, 0, 600000, o.sendPauseMs);
        else if (a == "--connect-wait-s") ok = ParseLong(v, 0, 3600, o.connectWaitS);
        else if (a == "--capture") o.capture = v, ok = !o.capture.empty();
        else if (a == "--ident") o.ident = v, o.identSet = true, ok = o.ident.size() <= 4;
        else if (a == "--password") o.password = v, o.passwordSet = true, ok = Utf8ToCp1251(o.password).size() <= 12;
        else return Usage(("unknown option " + a).c_str());
        if (!ok) return Usage(("bad value for " + a).c_str());
    }
    if (i >= argc) return Usage("no command");
    const std::string command = argv[i++];
    std::vector<std::string> args(argv + i, argv + argc);
    const bool help = !args.empty() && args[0] == "--help";
    if (command == "sim") return sim::RunSimMain(argc - i, argv + i, "zul sim");
    if (command == "show") return RunShowCommand(args);
    if (command == "export") return RunExportCommand(args);
    if (command == "check") return RunCheckCommand(args);
    if (command == "print") return RunPrintCommand(args);
    if (command == "store") return RunStoreCommand(args);
    const char* text = command == "identify" ? kIdentifyHelp : command == "read" ? kReadHelp
                     : command == "write" ? kWriteHelp : command == "events" ? kEventsHelp
                     : command == "config" ? kConfigHelp : command == "archive" ? kArchiveHelp
                     : command == "clock" ? kClockHelp : command == "live" ? kLiveHelp
                     : command == "report" ? kReportHelp : command == "collect" ? kCollectHelp : nullptr;
    if (!text) return Usage(("unknown command " + command).c_str());
    if (help) {
        std::fputs(text, stdout);
        return kExitOk;
    }
    if (command == "identify" && !args.empty()) return Usage("identify takes no arguments");
    if (command == "config") {
        const std::string why = ConfigUsageError(args);
        if (!why.empty()) return Usage(why.c_str());
        TerminalUi offline;
        if (!ConfigNeedsLink(args)) return RunConfigCommand(nullptr, offline, args, {});
    }
    if (command == "events" || command == "archive" || command == "report" || command == "collect") {
        // Their usage is told before the controller is asked (status 2 even when it cannot be reached).
        Qrtbox none;
        TableImage image;
        TerminalUi quiet;
        TableIo io(none, image, quiet);
        const int rc = command == "events"    ? RunEventsCommand(io, quiet, args, true)
                       : command == "archive" ? RunArchiveCommand(io, quiet, args, true)
                       : command == "collect" ? RunCollectCommand(io, quiet, args, true)
                                              : RunReportCommand(io, quiet, args, true);
        if (rc != 0) return rc;
        if (command == "report" && ReportFromStore(args)) return RunReportCommand(io, quiet, args);
    }
    if (command == "collect" && std::find(args.begin(), args.end(), "--subscribers") != args.end()) {
        if (!o.tcp.empty()) return Usage("--subscribers takes the links from the subscriber list: no --tcp");
        return RunSubscriberCollect(o, args);
    }
    if (command == "clock" && !ClockArgsOk(args)) return Usage("clock takes only --correct");
    if (command == "live" && !LiveArgsOk(args)) return Usage("live needs chrom, moist or state");
    if (int(!o.tcp.empty()) + int(!o.serial.empty()) + int(!o.modem.empty()) != 1)
        return Usage("give exactly one of --tcp, --serial and --modem");
    if (o.modem.empty() != o.phone.empty()) return Usage("--modem and --phone go together");
    long port = 0;
    if (!o.tcp.empty() && (o.tcp.rfind(':') == std::string::npos || o.tcp.rfind(':') == 0 ||
                           !ParseLong(o.tcp.c_str() + o.tcp.rfind(':') + 1, 1, 65535, port)))
        return Usage("--tcp needs HOST:PORT");

    Qrtbox box(uint8_t(o.address));
    TerminalUi ui;
    Tracer tracer(box);
    ExchangeRecorder recorder(box, o.capture);
    if (!recorder.journalOk()) {
        std::fprintf(stderr, "zul: cannot write the capture %s\n", o.capture.c_str());
        return kExitLink;
    }
    ExchangeFanOut observers;
    if (o.trace) observers.Add(&tracer);
    if (!o.capture.empty()) observers.Add(&recorder);
    if (!observers.Empty()) box.observer = &observers;
    box.ui = &ui;
    ui.box = &box;
    const int rc = RunLinkCommand(o, box, ui, command, args);
    if (!o.capture.empty() && !recorder.Save(o.capture)) {
        std::fprintf(stderr, "zul: cannot write the capture %s\n", o.capture.c_str());
        return kExitLink;
    }
    return rc;
}

namespace {

int RunLinkCommand(const Options& o, Qrtbox& box, TerminalUi& ui, const std::string& command,
                   const std::vector<std::string>& args) {
    if (!OpenLink(o, box, ui)) return kExitLink;
    TableImage image;
    TableIo io(box, image, ui);
    int rc;
    if (command == "identify") rc = Identify(io, ui);
    else if (command == "read") rc = Read(io, ui, args);
    else if (command == "events") rc = RunEventsCommand(io, ui, args);
    else if (command == "config") rc = RunConfigCommand(&io, ui, args, [&] { return Failed(box, ui); });
    else if (command == "archive") rc = RunArchiveCommand(io, ui, args);
    else if (command == "clock") rc = RunClock(io, ui, args);
    else if (command == "live") rc = RunLive(io, ui, args);
    else if (command == "report") rc = RunReportCommand(io, ui, args);
    else if (command == "collect") rc = RunCollectCommand(io, ui, args);
    else rc = Write(io, ui, args);
    CloseLink(box, ui);
    return rc;
}

}  // namespace

}  // namespace zul::cli
