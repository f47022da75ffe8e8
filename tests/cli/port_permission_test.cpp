// A serial device the user may not open: the engine's message stays, and the
// command line adds what to do about it (the owning group, logging in again).
// A line one run held exclusively opens again for the next run of an ordinary user.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "cli/Process.h"
#include "cli/StoppedSim.h"

namespace {

using zul::test::RunProgram;

TEST(PortPermission, RefusedDeviceNamesItsGroupAndKeepsTheEngineMessage) {
    char tmpl[] = "/tmp/zulpermXXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
    const std::string device = dir + "/ttyLOCKED";
    FILE* f = std::fopen(device.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);

    std::string program = ZUL_BIN;
    std::vector<std::string> args;
    std::string groupName;
    if (::geteuid() == 0) {
        // Root opens anything: the device belongs to root:dialout, and zul runs as nobody.
        const struct group* dialout = ::getgrnam("dialout");
        if (!dialout) GTEST_SKIP() << "no dialout group here";
        ASSERT_EQ(::chown(device.c_str(), 0, dialout->gr_gid), 0);
        ASSERT_EQ(::chmod(device.c_str(), 0660), 0);
        groupName = "dialout";
        program = "/usr/bin/setpriv";
        args = {"--reuid=65534", "--regid=65534", "--clear-groups", ZUL_BIN};
    } else {
        ASSERT_EQ(::chmod(device.c_str(), 0), 0);
        const struct group* own = ::getgrgid(::getegid());
        ASSERT_NE(own, nullptr);
        groupName = own->gr_name;
    }
    for (const char* a : {"--serial", device.c_str(), "identify"}) args.push_back(a);
    const auto r = RunProgram(program, args);
    std::remove(device.c_str());
    ::rmdir(dir.c_str());
    if (::geteuid() == 0 && r.err.find("setpriv") != std::string::npos)
        GTEST_SKIP() << "root cannot drop its privileges here: " << r.err;

    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Коммуникационный порт COM1 недоступен"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Нет прав на устройство " + device), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("в группу " + groupName + " (sudo usermod -aG " + groupName), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("войдите в систему заново"), std::string::npos) << r.err;
}

TEST(PortPermission, ALineOpensAgainForAnOrdinaryUserAfterARun) {
    zul::sim::Qrtsim controller(zul::test::StoppedAt(12, 0, 0));
    ASSERT_TRUE(controller.StartPty());
    const std::string device = controller.ptyDevice();
    std::string program = ZUL_BIN;
    std::vector<std::string> args;
    if (::geteuid() == 0) {
        // Root passes the exclusive mode: the runs are made as nobody, on a line open to all.
        ASSERT_EQ(::chmod(device.c_str(), 0666), 0);
        program = "/usr/bin/setpriv";
        args = {"--reuid=65534", "--regid=65534", "--clear-groups", ZUL_BIN};
    }
    for (const char* a : {"--serial", device.c_str(), "--preambles", "0", "read", "0", "1"}) args.push_back(a);
    for (int run = 1; run <= 3; ++run) {
        const auto r = RunProgram(program, args);
        if (::geteuid() == 0 && r.err.find("setpriv") != std::string::npos)
            GTEST_SKIP() << "root cannot drop its privileges here: " << r.err;
        EXPECT_EQ(r.status, 0) << "run " << run << ": " << r.err;
        EXPECT_EQ(r.out, "0.1: 49\n") << "run " << run;
    }
}

TEST(PortPermission, MissingDeviceGetsNoAdvice) {
    const auto r = RunProgram(ZUL_BIN, {"--serial", "/tmp/zul-no-such-device", "identify"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("недоступен"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Нет прав"), std::string::npos) << r.err;
}

}  // namespace
