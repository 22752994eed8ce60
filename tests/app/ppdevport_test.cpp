// The parallel-port backend up to the system call: what it asks the kernel
// for, and what it makes of the kernel's answers.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/ppdevport.h"
#include "fakeppdev.h"

namespace {

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
    PpdevCalls calls = fakePpdevCalls();
};

}  // namespace

TEST_F(PpdevPortTest, ClaimsThePortSetsItsDataLinesToDriveAndReleasesItAtTheEnd) {
    {
        PpdevPort port(QStringLiteral("/dev/parport0"), procWithBase("956\t1980\n"), calls);
        EXPECT_TRUE(port.isOpen());
        EXPECT_TRUE(port.problem().isEmpty());
        EXPECT_EQ(k.openedPath, "/dev/parport0");
        EXPECT_EQ(k.openFlags & O_ACCMODE, O_RDWR);
        // No PPEXCL: with the printer driver loaded it would fail.
        EXPECT_EQ(k.calls, (std::vector<std::string>{"open", "PPCLAIM", "PPDATADIR"}));
        EXPECT_EQ(k.directions, std::vector<int>{0});
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
    EXPECT_TRUE(port.problem().contains(QStringLiteral("modprobe ppdev")));
}

TEST_F(PpdevPortTest, AClaimThatFailsSaysWhetherTheDeviceIsNoParallelPortOrInUse) {
    struct Case {
        const char* device;
        int claimErrno;
        int dataDirErrno;
        const char* holder;  // the port's active device in /proc, if any
        const char* says;
        std::vector<std::string> calls;
    };
    const std::vector<std::string> claimed = {"open", "PPCLAIM", "close"};
    const Case cases[] = {
        // A USB printer cable opens, but knows nothing of the port requests.
        {"/dev/usb/lp0", ENOTTY, 0, nullptr, "is not a parallel port", claimed},
        {"/dev/usb/lp0", EINVAL, 0, nullptr, "is not a parallel port", claimed},
        {"/dev/parport0",
         0,
         ENOTTY,
         nullptr,
         "is not a parallel port",
         {"open", "PPCLAIM", "PPDATADIR", "PPRELEASE", "close"}},
        {"/dev/parport0", EBUSY, 0, nullptr, "is in use", claimed},
        {"/dev/parport0", ENXIO, 0, nullptr, "is in use", claimed},
        // Held by another program: a claim would wait for it without end,
        // so none is made.
        {"/dev/parport0", 0, 0, "ppdev0", "is in use by ppdev0", {"open", "close"}},
        {"/dev/parport0", EIO, 0, nullptr, "cannot claim", claimed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.device) + " " + c.says);
        k = Kernel{};
        k.claimErrno = c.claimErrno;
        k.dataDirErrno = c.dataDirErrno;
        QTemporaryDir root;
        QDir(root.path()).mkpath(QStringLiteral("parport0/devices"));
        QFile active(root.path() + QStringLiteral("/parport0/devices/active"));
        ASSERT_TRUE(active.open(QIODevice::WriteOnly));
        active.write(c.holder ? QByteArray(c.holder) + '\n' : QByteArray("none\n"));
        active.close();

        PpdevPort port(QString::fromLatin1(c.device), root.path(), calls);
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(k.calls, c.calls);
        EXPECT_TRUE(port.problem().contains(QLatin1String(c.says))) << port.problem().toStdString();
        EXPECT_TRUE(port.problem().contains(QString::fromLatin1(c.device)));
        EXPECT_LE(port.lastState().size(), 30);
        EXPECT_EQ(port.inport(889), 0xFF);
    }
}
