// The parallel-port backend up to the system call: what it asks the kernel
// for, and what it makes of the kernel's answers.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <cerrno>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/ppdevport.h"

namespace {

struct Kernel {
    int openErrno = 0;   // 0: open succeeds
    int claimErrno = 0;  // 0: PPEXCL/PPCLAIM succeed
    std::uint8_t status = 0x7F;
    std::vector<std::string> calls;
    std::vector<int> dataWritten;
    std::string openedPath;
    int openFlags = 0;
    int closes = 0;
};
Kernel* kernel = nullptr;

int fakeOpen(const char* path, int flags) {
    kernel->calls.push_back("open");
    kernel->openedPath = path;
    kernel->openFlags = flags;
    if (kernel->openErrno) {
        errno = kernel->openErrno;
        return -1;
    }
    return 42;
}

int fakeIoctl(int fd, unsigned long request, void* arg) {
    EXPECT_EQ(fd, 42);
    switch (request) {
    case PPEXCL: kernel->calls.push_back("PPEXCL"); break;
    case PPCLAIM: kernel->calls.push_back("PPCLAIM"); break;
    case PPRELEASE: kernel->calls.push_back("PPRELEASE"); return 0;
    case PPWDATA:
        kernel->calls.push_back("PPWDATA");
        kernel->dataWritten.push_back(*static_cast<unsigned char*>(arg));
        return 0;
    case PPRSTATUS:
        kernel->calls.push_back("PPRSTATUS");
        *static_cast<unsigned char*>(arg) = kernel->status;
        return 0;
    default: kernel->calls.push_back("other"); return 0;
    }
    if (kernel->claimErrno) {
        errno = kernel->claimErrno;
        return -1;
    }
    return 0;
}

int fakeClose(int fd) {
    EXPECT_EQ(fd, 42);
    ++kernel->closes;
    kernel->calls.push_back("close");
    return 0;
}

class PpdevPortTest : public ::testing::Test {
protected:
    void SetUp() override { kernel = &k; }
    void TearDown() override { kernel = nullptr; }

    // A /proc/sys/dev/parport tree reporting this base address for parport0.
    QString procWithBase(const QByteArray& content) {
        QDir(proc.path()).mkpath(QStringLiteral("parport0"));
        QFile f(proc.path() + QStringLiteral("/parport0/base-addr"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return proc.path();
    }

    Kernel k;
    QTemporaryDir proc;
    PpdevCalls calls{&fakeOpen, &fakeIoctl, &fakeClose};
};

}  // namespace

TEST_F(PpdevPortTest, ClaimsThePortExclusivelyAndReleasesItAtTheEnd) {
    {
        PpdevPort port(QStringLiteral("/dev/parport0"), procWithBase("956\t1980\n"), calls);
        EXPECT_TRUE(port.isOpen());
        EXPECT_TRUE(port.problem().isEmpty());
        EXPECT_EQ(k.openedPath, "/dev/parport0");
        EXPECT_EQ(k.openFlags & O_ACCMODE, O_RDWR);
        EXPECT_EQ(k.calls, (std::vector<std::string>{"open", "PPEXCL", "PPCLAIM"}));
        EXPECT_EQ(port.lptPortAddress(1), 956);
        EXPECT_LE(port.lastState().size(), 30);
        EXPECT_TRUE(port.lastState().contains(QStringLiteral("parport0")));
    }
    EXPECT_EQ(k.calls.back(), "close");
    EXPECT_EQ(k.calls[k.calls.size() - 2], "PPRELEASE");
}

TEST_F(PpdevPortTest, DataAndStatusRegistersGoThroughTheirIoctls) {
    PpdevPort port(QStringLiteral("/dev/parport0"), procWithBase("888 1912"), calls);
    k.calls.clear();
    port.outport(888, 223);
    port.outport(888, 2);
    k.status = 0x5F;
    EXPECT_EQ(port.inport(889), 0x5F);
    EXPECT_EQ(k.dataWritten, (std::vector<int>{223, 2}));
    EXPECT_EQ(k.calls, (std::vector<std::string>{"PPWDATA", "PPWDATA", "PPRSTATUS"}));

    // Addresses where this port is not reach nothing.
    k.calls.clear();
    port.outport(956, 19);
    EXPECT_EQ(port.inport(957), 0xFF);
    EXPECT_TRUE(k.calls.empty());
}

TEST_F(PpdevPortTest, NoReportedBaseMeansTheUsualAddress) {
    PpdevPort port(QStringLiteral("/dev/parport0"), proc.path(), calls);
    EXPECT_EQ(port.lptPortAddress(1), 888);
    PpdevPort zero(QStringLiteral("/dev/parport0"), procWithBase("0 0"), calls);
    EXPECT_EQ(zero.lptPortAddress(1), 888);
}

TEST_F(PpdevPortTest, NoPermissionIsExplainedWithTheFix) {
    k.openErrno = EACCES;
    PpdevPort port(QStringLiteral("/dev/parport0"), procWithBase("888"), calls);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.problem().contains(QStringLiteral("\"lp\" group")));
    EXPECT_TRUE(port.problem().contains(QStringLiteral("/dev/parport0")));
    EXPECT_LE(port.lastState().size(), 30);
    EXPECT_TRUE(port.lastState().contains(QStringLiteral("lp")));
    // A closed port reads as nothing waiting and writes nowhere.
    EXPECT_EQ(port.inport(889), 0xFF);
    port.outport(888, 223);
    EXPECT_TRUE(k.dataWritten.empty());

    // The operator fixed the permissions and chose Retry: the address query
    // opens the port after all.
    k.openErrno = 0;
    EXPECT_EQ(port.lptPortAddress(1), 888);
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(port.problem().isEmpty());
}

TEST_F(PpdevPortTest, APortHeldByAnotherDriverIsReportedAndNotKeptOpen) {
    k.claimErrno = EBUSY;
    PpdevPort port(QStringLiteral("/dev/parport0"), procWithBase("888"), calls);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(k.closes, 1);
    EXPECT_TRUE(port.problem().contains(QStringLiteral("in use")));
}

TEST_F(PpdevPortTest, AMissingDeviceSaysSo) {
    k.openErrno = ENOENT;
    PpdevPort port(QStringLiteral("/dev/parport3"), proc.path(), calls);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.problem().contains(QStringLiteral("no parallel port")));
    EXPECT_TRUE(port.problem().contains(QStringLiteral("--interface sim")));
}
