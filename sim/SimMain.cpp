#include "sim/SimMain.h"

#include <signal.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sim/Qrtsim.h"
#include "sim/SimTime.h"

namespace zul::sim {

namespace {

bool ParseInt(const std::string& s, long lo, long hi, long& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s.c_str(), &end, 0);
    if (errno || *end || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool ParseDouble(const std::string& s, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return *end == 0;
}

// "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DDTHH:MM:SS" (seconds optional) -> date-time value.
bool ParseMoment(const std::string& s, double& out) {
    int y, mo, d, h = 0, mi = 0, se = 0;
    char sep = 0;
    int n = std::sscanf(s.c_str(), "%d-%d-%d%c%d:%d:%d", &y, &mo, &d, &sep, &h, &mi, &se);
    if (n != 3 && n < 6) return false;
    if (n > 3 && sep != ' ' && sep != 'T') return false;
    uint8_t p[6] = {uint8_t(y - 2000), uint8_t(mo), uint8_t(d), uint8_t(h), uint8_t(mi), uint8_t(se)};
    if (y < 2000 || y > 2099 || !PlausiblePacked(p)) return false;
    out = DateTimeFromSeconds(SecondsFromPacked(p));
    return true;
}

// "00:1A:2B:3C:4D:5E" (either case).
bool ParseMac(const std::string& s, std::array<uint8_t, 6>& out) {
    if (s.size() != 17) return false;
    for (int i = 0; i < 6; ++i) {
        if (i > 0 && s[size_t(3 * i - 1)] != ':') return false;
        const std::string pair = s.substr(size_t(3 * i), 2);
        if (!std::isxdigit(static_cast<unsigned char>(pair[0])) || !std::isxdigit(static_cast<unsigned char>(pair[1])))
            return false;
        out[size_t(i)] = uint8_t(std::stoul(pair, nullptr, 16));
    }
    return true;
}

volatile sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

}  // namespace

void PrintSimUsage(const char* program) {
    std::printf(
        "Usage: %s [OPTIONS]\n"
        "Runs a simulated ЗУЛ_QRT_510 controller until SIGINT or SIGTERM.\n"
        "Prints \"tcp 127.0.0.1:PORT\" and/or \"pty PATH\" first, one line each.\n"
        "\n"
        "Transports (without either: --tcp 0):\n"
        "  --tcp PORT            listen on 127.0.0.1:PORT (0: an ephemeral port)\n"
        "  --controllers N       N controllers in this process (1..5000, TCP only), the k-th\n"
        "                        (from 0) with seed + k on port PORT + k (each ephemeral with\n"
        "                        --tcp 0); one \"tcp 127.0.0.1:PORT\" line each, in that order\n"
        "  --pty[=PATH]          create a pseudo-terminal; with PATH a symbolic link to it\n"
        "  --modem               a GSM modem in front of the controller on the pseudo-terminal\n"
        "                        (implies --pty): AT commands, ATD dials, \"+++\" escapes\n"
        "\n"
        "Controller:\n"
        "  --address N           controller address, table 3 field 0 (1..254, default 1)\n"
        "  --seed N              seed of the generated archives and of the MAC address (default 1)\n"
        "  --mac XX:XX:XX:XX:XX:XX  MAC address of table 40 (default: follows the seed)\n"
        "  --start MOMENT        simulated clock at start, \"YYYY-MM-DD HH:MM:SS\" (default: host time)\n"
        "  --rate X              simulated seconds per real second (default 1; 0 freezes the clock)\n"
        "  --span-days N         archive depth before the start (default 61)\n"
        "  --corrupt F           share 0..1 of archive records with a damaged check (default 0)\n"
        "  --moisture            a moisture meter is connected (table 6 field 8 = 1)\n"
        "  --moisture-type N     the same, with the meter type of table 15 field 6 (2: value 2 is a pressure)\n"
        "  --cp1251              names of table 5 kept in code page 1251 (table 0 field 12 = 1)\n"
        "  --type N              controller type code, table 0 field 1 (default 73)\n"
        "  --version N           software version, table 0 field 3 (default 17)\n"
        "  --chromatograph N     chromatograph type code, table 14 field 6 (default 0)\n"
        "  --damage T            mark table T damaged in table 7 (repeatable)\n"
        "  --missing T           answer requests for table T with \"no such table\" (repeatable)\n"
        "  --replay FILE         answer as the controller of an exchange capture (zul --capture)\n"
        "                        did; requests it lacks are answered as above and counted\n"
        "\n"
        "Faults (COUNT: how many requests; without it every request):\n"
        "  --silent[=COUNT]      give no reply\n"
        "  --bad-check[=COUNT]   damage the check bytes of the reply\n"
        "  --stall K[:COUNT]     stop the reply after K bytes of its frame\n"
        "  --wrong-echo[=COUNT]  echo table number + 1 in the reply\n"
        "  --refuse CODE[:COUNT] refuse with device code CODE\n"
        "  --refuse-extra N      frame byte 6 of the refusal (the table for code 60)\n"
        "  --garbage[=COUNT]     noise bytes before the reply\n"
        "  --other-address[=COUNT] a reply from another address first\n"
        "  --fault-command C     faults apply to command C only\n"
        "  --fault-skip N        faults let N matching requests pass first\n"
        "  --drop-after N        close each TCP connection after N replies\n"
        "  --delay-ms N          wait N ms before every reply\n"
        "  --pace[=BAUD]         serial pacing at BAUD bit/s (without BAUD: table 3's speed)\n"
        "  --archive-error       flag an archive error in command-8 replies\n"
        "\n"
        "Modem (with --modem):\n"
        "  --modem-dial R[:COUNT] dials end with R: busy, no-carrier, no-dialtone,\n"
        "                        no-answer or error (COUNT dials, then they connect)\n"
        "  --modem-cpas-error    answer ERROR to AT+CPAS\n"
        "  --modem-silent        a modem that never answers\n"
        "  --modem-carrier-lost N  the call drops after N frames (\"NO CARRIER\")\n"
        "  --modem-unplug N      the modem goes away after N frames (the port hangs up)\n"
        "  --modem-guard-ms N    escape guard time (default 1000)\n"
        "  --modem-dial-ms N     time from ATD to its outcome (default 300)\n"
        "  --help                this text\n",
        program);
}

int RunSimMain(int argc, char** argv, const char* program) {
    SimSettings settings;
    Faults faults;
    bool tcp = false, pty = false;
    long tcpPort = 0, controllers = 1;
    std::string ptyLink;
    long type = -1, version = -1, chromatograph = -1, refuseExtra = -1;
    long faultCommand = 0, faultSkip = 0;
    std::vector<long> damage, missing;
    std::vector<FaultRule*> rules;
    bool modem = false;
    ModemSettings modemSettings;
    std::string replayPath;

    auto bad = [&](const std::string& what) {
        std::fprintf(stderr, "%s: %s\n", program, what.c_str());
        std::fprintf(stderr, "Try '%s --help'.\n", program);
        return 2;
    };
    for (int i = 0; i < argc; ++i) {
        std::string a = argv[i], value;
        bool hasValue = false;
        if (a.rfind("--", 0) == 0) {
            auto eq = a.find('=');
            if (eq != std::string::npos) {
                value = a.substr(eq + 1);
                a = a.substr(0, eq);
                hasValue = true;
            }
        }
        auto need = [&](std::string& out) {
            if (hasValue) {
                out = value;
                return true;
            }
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        auto count = [&](FaultRule& r) {
            long n = -1;
            if (hasValue && !ParseInt(value, -1, 1000000, n)) return false;
            r.times = int(n);
            rules.push_back(&r);
            return true;
        };
        // CODE[:COUNT]
        auto codeCount = [&](FaultRule& r, long lo, long hi, long& code) {
            std::string v;
            if (!need(v)) return false;
            long n = -1;
            auto colon = v.find(':');
            if (colon != std::string::npos) {
                if (!ParseInt(v.substr(colon + 1), -1, 1000000, n)) return false;
                v = v.substr(0, colon);
            }
            if (!ParseInt(v, lo, hi, code)) return false;
            r.times = int(n);
            rules.push_back(&r);
            return true;
        };
        std::string v;
        long n = 0;
        double d = 0;
        if (a == "--help" || a == "-h") {
            PrintSimUsage(program);
            return 0;
        } else if (a == "--tcp") {
            if (!need(v) || !ParseInt(v, 0, 65535, tcpPort)) return bad("--tcp needs a port 0..65535");
            tcp = true;
        } else if (a == "--controllers") {
            if (!need(v) || !ParseInt(v, 1, 5000, controllers)) return bad("--controllers needs 1..5000");
        } else if (a == "--mac") {
            std::array<uint8_t, 6> mac{};
            if (!need(v) || !ParseMac(v, mac)) return bad("--mac needs six hex pairs joined by ':'");
            settings.mac = mac;
        } else if (a == "--pty") {
            pty = true;
            if (hasValue) {
                ptyLink = value;
            } else if (i + 1 < argc && argv[i + 1][0] != '-') {
                ptyLink = argv[++i];
            }
        } else if (a == "--modem") {
            modem = pty = true;
        } else if (a == "--modem-dial") {
            if (!need(v)) return bad("--modem-dial R[:COUNT]");
            long times = -1;
            const auto colon = v.find(':');
            if (colon != std::string::npos) {
                if (!ParseInt(v.substr(colon + 1), -1, 1000000, times)) return bad("--modem-dial R[:COUNT]");
                v = v.substr(0, colon);
            }
            const char* const names[] = {"connect", "busy", "no-carrier", "no-dialtone", "no-answer", "error"};
            int k = 0;
            while (k < 6 && v != names[k]) ++k;
            if (k == 6) return bad("--modem-dial: busy, no-carrier, no-dialtone, no-answer or error");
            modemSettings.dialOutcome = DialOutcome(k);
            modemSettings.dialFailures = int(times);
        } else if (a == "--modem-cpas-error") {
            modemSettings.cpasError = true;
        } else if (a == "--modem-silent") {
            modemSettings.silent = true;
        } else if (a == "--modem-carrier-lost" || a == "--modem-unplug") {
            if (!need(v) || !ParseInt(v, 0, 1000000, n)) return bad(a + " needs a frame count");
            (a == "--modem-unplug" ? modemSettings.unplugAfterFrames : modemSettings.carrierLostAfterFrames) = int(n);
        } else if (a == "--modem-guard-ms" || a == "--modem-dial-ms") {
            if (!need(v) || !ParseInt(v, 0, 600000, n)) return bad(a + " needs 0..600000");
            (a == "--modem-guard-ms" ? modemSettings.guardMs : modemSettings.dialMs) = int(n);
        } else if (a == "--address") {
            if (!need(v) || !ParseInt(v, 1, 254, n)) return bad("--address needs 1..254");
            settings.address = uint8_t(n);
        } else if (a == "--seed") {
            if (!need(v) || !ParseInt(v, 0, 0xFFFFFFFFL, n)) return bad("--seed needs a number");
            settings.seed = uint32_t(n);
        } else if (a == "--start") {
            if (!need(v) || !ParseMoment(v, d)) return bad("--start needs \"YYYY-MM-DD HH:MM:SS\" in 2000..2099");
            settings.startDateTime = d;
        } else if (a == "--rate") {
            if (!need(v) || !ParseDouble(v, d) || d < 0) return bad("--rate needs a number >= 0");
            settings.rate = d;
        } else if (a == "--span-days") {
            if (!need(v) || !ParseInt(v, 0, 3650, n)) return bad("--span-days needs 0..3650");
            settings.spanDays = int(n);
        } else if (a == "--corrupt") {
            if (!need(v) || !ParseDouble(v, d) || d < 0 || d > 1) return bad("--corrupt needs 0..1");
            settings.corruptFraction = d;
        } else if (a == "--moisture") {
            settings.moistureMeter = true;
        } else if (a == "--moisture-type") {
            if (!need(v) || !ParseInt(v, 0, 255, n)) return bad("--moisture-type needs 0..255");
            settings.moistureMeter = true;
            settings.moistureType = uint8_t(n);
        } else if (a == "--cp1251") {
            settings.names1251 = true;
        } else if (a == "--type") {
            if (!need(v) || !ParseInt(v, 0, 255, type)) return bad("--type needs 0..255");
        } else if (a == "--version") {
            if (!need(v) || !ParseInt(v, 0, 255, version)) return bad("--version needs 0..255");
        } else if (a == "--chromatograph") {
            if (!need(v) || !ParseInt(v, 0, 255, chromatograph)) return bad("--chromatograph needs 0..255");
        } else if (a == "--replay") {
            if (!need(v) || v.empty()) return bad("--replay needs a capture file");
            replayPath = v;
        } else if (a == "--damage" || a == "--missing") {
            if (!need(v) || !ParseInt(v, 0, 44, n)) return bad(a + " needs a table 0..44");
            (a == "--damage" ? damage : missing).push_back(n);
        } else if (a == "--silent") {
            if (!count(faults.silence)) return bad("--silent=COUNT");
        } else if (a == "--bad-check") {
            if (!count(faults.badCheck)) return bad("--bad-check=COUNT");
        } else if (a == "--wrong-echo") {
            if (!count(faults.wrongEcho)) return bad("--wrong-echo=COUNT");
        } else if (a == "--garbage") {
            if (!count(faults.garbage)) return bad("--garbage=COUNT");
        } else if (a == "--other-address") {
            if (!count(faults.otherAddress)) return bad("--other-address=COUNT");
        } else if (a == "--stall") {
            long k = 0;
            if (!codeCount(faults.stall, 0, 255, k)) return bad("--stall K[:COUNT]");
            faults.stallAfterBytes = int(k);
        } else if (a == "--refuse") {
            long code = 0;
            if (!codeCount(faults.refuse, 0, 255, code)) return bad("--refuse CODE[:COUNT]");
            faults.refuseCode = uint8_t(code);
        } else if (a == "--refuse-extra") {
            if (!need(v) || !ParseInt(v, 0, 255, refuseExtra)) return bad("--refuse-extra needs 0..255");
        } else if (a == "--fault-command") {
            if (!need(v) || !ParseInt(v, 1, 255, faultCommand)) return bad("--fault-command needs 1..255");
        } else if (a == "--fault-skip") {
            if (!need(v) || !ParseInt(v, 0, 1000000, faultSkip)) return bad("--fault-skip needs a count");
        } else if (a == "--drop-after") {
            if (!need(v) || !ParseInt(v, 1, 1000000, n)) return bad("--drop-after needs a count");
            faults.dropAfterExchanges = int(n);
        } else if (a == "--delay-ms") {
            if (!need(v) || !ParseInt(v, 0, 600000, n)) return bad("--delay-ms needs 0..600000");
            faults.answerDelayMs = int(n);
        } else if (a == "--pace") {
            faults.paceBaud = -1;
            if (hasValue) {
                if (!ParseInt(value, 50, 4000000, n)) return bad("--pace=BAUD needs 50..4000000");
                faults.paceBaud = int(n);
            }
        } else if (a == "--archive-error") {
            faults.archiveError = true;
        } else {
            return bad("unknown option " + a);
        }
    }
    if (refuseExtra >= 0) faults.refuseExtra = uint8_t(refuseExtra);
    for (FaultRule* r : rules) {
        r->command = uint8_t(faultCommand);
        r->skip = int(faultSkip);
    }
    if (!tcp && !pty) tcp = true;
    if (controllers > 1) {
        if (pty) return bad("--controllers works over TCP only");
        if (settings.mac) return bad("--mac names one controller: not with --controllers");
        if (tcpPort != 0 && tcpPort + controllers - 1 > 65535) return bad("--tcp PORT + --controllers passes 65535");
    }

    CaptureLog log;
    if (!replayPath.empty()) {
        std::ifstream in(replayPath, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string why;
        if (!in) {
            std::fprintf(stderr, "%s: cannot read the capture %s\n", program, replayPath.c_str());
            return 1;
        }
        if (!ParseCapture(text.str(), log, why)) {
            std::fprintf(stderr, "%s: %s: %s\n", program, replayPath.c_str(), why.c_str());
            return 1;
        }
    }
    std::vector<std::unique_ptr<Qrtsim>> sims;
    for (long k = 0; k < controllers; ++k) {
        SimSettings own = settings;
        own.seed = settings.seed + uint32_t(k);
        auto& sim = *sims.emplace_back(std::make_unique<Qrtsim>(own));
        if (type >= 0) sim.SetByte(0, 1, uint8_t(type));
        if (version >= 0) sim.SetByte(0, 3, uint8_t(version));
        if (chromatograph >= 0) sim.SetByte(14, 6, uint8_t(chromatograph));
        for (long t : damage) sim.DamageTable(int(t));
        for (long t : missing) sim.SetTableMissing(int(t));
        sim.SetFaults(faults);
        if (modem) sim.EnableModem(modemSettings);
        if (!replayPath.empty()) sim.SetReplay(std::make_unique<SimReplay>(log));
    }

    // Signals are taken before the transports start, so that a stop request is never lost.
    struct sigaction sa{};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    // Held back until the wait below, which takes them atomically: a stop request
    // that comes right after the first lines must not slip in before the wait.
    sigset_t stopSignals, unblocked;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, &unblocked);

    if (tcp) {
        for (size_t k = 0; k < sims.size(); ++k) {
            const long port = tcpPort == 0 ? 0 : tcpPort + long(k);
            if (!sims[k]->StartTcp(uint16_t(port))) {
                std::fprintf(stderr, "%s: cannot listen on 127.0.0.1:%ld: %s\n", program, port, std::strerror(errno));
                return 1;
            }
            std::printf("tcp 127.0.0.1:%u\n", unsigned(sims[k]->tcpPort()));
        }
    }
    if (pty) {
        Qrtsim& sim = *sims.front();
        if (!sim.StartPty(ptyLink)) {
            std::fprintf(stderr, "%s: cannot create the pseudo-terminal%s%s\n", program, ptyLink.empty() ? "" : " ",
                         ptyLink.c_str());
            return 1;
        }
        std::printf("pty %s\n", sim.ptyPath().c_str());
    }
    std::fflush(stdout);
    while (!gStop) sigsuspend(&unblocked);
    sigprocmask(SIG_SETMASK, &unblocked, nullptr);
    uint64_t replayed = 0, notCaptured = 0;
    for (auto& sim : sims) {
        sim->Stop();
        replayed += sim->stats().replayed;
        notCaptured += sim->stats().notCaptured;
    }
    if (!replayPath.empty()) {
        std::fprintf(stderr, "%s: %llu requests answered from the capture, %llu not in it\n", program,
                     static_cast<unsigned long long>(replayed), static_cast<unsigned long long>(notCaptured));
    }
    return 0;
}

}  // namespace zul::sim
