// The hidapi backend up to the library call: what it asks hidapi for and
// what it makes of the answers, with hidapi stood in for.
#include <gtest/gtest.h>

#include <hidapi.h>

#include <cstring>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "usb/hidapitransport.h"
#include "usb/usbcontrol.h"

namespace {

using usbio::HidapiCalls;
using usbio::HidapiTransport;

struct Library {
    std::vector<hid_device_info> devices;  // linked up on enumeration
    std::vector<std::string> paths;
    std::vector<std::pair<unsigned short, unsigned short>> enumerated;
    int frees = 0;
    bool openFails = false;
    std::vector<std::string> opened;
    int closes = 0;
    std::vector<std::vector<unsigned char>> written;
    // What each read hands back, in turn; an empty queue means a timeout.
    std::vector<std::vector<unsigned char>> reads;
    int readResult = 0;  // when set, returned instead (-1: failure)
    bool endless = false;
    // Queued for reading when a port-read command is written, as the
    // module answers.
    std::vector<unsigned char> answer;
    std::vector<std::pair<size_t, int>> readCalls;  // length, timeout
};
Library* lib = nullptr;
hid_device* const kDevice = reinterpret_cast<hid_device*>(0x1000);

hid_device_info* fakeEnumerate(unsigned short vendor, unsigned short product) {
    lib->enumerated.emplace_back(vendor, product);
    if (lib->devices.empty()) return nullptr;
    for (std::size_t i = 0; i < lib->devices.size(); ++i) {
        lib->devices[i].next = i + 1 < lib->devices.size() ? &lib->devices[i + 1] : nullptr;
    }
    return lib->devices.data();
}
void fakeFree(hid_device_info* list) {
    EXPECT_EQ(list, lib->devices.data());
    ++lib->frees;
}
hid_device* fakeOpen(const char* path) {
    lib->opened.emplace_back(path);
    return lib->openFails ? nullptr : kDevice;
}
void fakeClose(hid_device* d) {
    EXPECT_EQ(d, kDevice);
    ++lib->closes;
}
int fakeWrite(hid_device* d, const unsigned char* data, size_t length) {
    EXPECT_EQ(d, kDevice);
    lib->written.emplace_back(data, data + length);
    if (!lib->answer.empty() && length > 1 && (data[1] == 3 || data[1] == 4)) {
        lib->reads.push_back(lib->answer);
    }
    return static_cast<int>(length);
}
int fakeRead(hid_device* d, unsigned char* data, size_t length, int ms) {
    EXPECT_EQ(d, kDevice);
    lib->readCalls.emplace_back(length, ms);
    if (lib->readResult) return lib->readResult;
    if (lib->endless) {
        std::memset(data, 1, length);
        return static_cast<int>(length);
    }
    if (lib->reads.empty()) return 0;
    const auto r = lib->reads.front();
    lib->reads.erase(lib->reads.begin());
    const std::size_t n = std::min(length, r.size());
    std::memcpy(data, r.data(), n);
    return static_cast<int>(n);
}
const wchar_t* fakeError(hid_device* d) {
    EXPECT_EQ(d, nullptr);
    return L"Permission denied";
}

HidapiCalls fakeCalls() {
    return {&fakeEnumerate, &fakeFree, &fakeOpen, &fakeClose, &fakeWrite, &fakeRead, &fakeError};
}

class HidapiTransportTest : public ::testing::Test {
protected:
    void SetUp() override { lib = &library; }
    void TearDown() override { lib = nullptr; }

    void addDevice(const char* path, unsigned short vendor, unsigned short product) {
        library.paths.emplace_back(path);
        hid_device_info info{};
        info.vendor_id = vendor;
        info.product_id = product;
        library.devices.push_back(info);
        // Paths are pointed at once all are added (the vector may move).
        for (std::size_t i = 0; i < library.devices.size(); ++i) {
            library.devices[i].path = library.paths[i].data();
        }
    }

    // A sysfs tree holding `descriptor` for hidraw5.
    QString sysfsWith(const std::vector<std::uint8_t>& descriptor) {
        const QString dir = sysfs.path() + QStringLiteral("/hidraw5/device");
        QDir().mkpath(dir);
        QFile file(dir + QStringLiteral("/report_descriptor"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(descriptor.data()),
                   static_cast<qint64>(descriptor.size()));
        return sysfs.path();
    }

    Library library;
    QTemporaryDir sysfs;
};

const std::vector<std::uint8_t> kUnnumbered = {0x75, 0x08, 0x95, 0x08, 0x81,
                                               0x02, 0x95, 0x08, 0x91, 0x02};
const std::vector<std::uint8_t> kNumbered = {0x85, 0x01, 0x75, 0x08, 0x95, 0x08,
                                             0x81, 0x02, 0x95, 0x08, 0x91, 0x02};

TEST_F(HidapiTransportTest, NoDevicesIsACleanNotFound) {
    auto transport = std::make_unique<HidapiTransport>(fakeCalls(), sysfs.path());
    EXPECT_TRUE(transport->enumerate(3250).empty());
    EXPECT_EQ(library.frees, 0);  // nothing to free after a null list

    UsbControl control(std::move(transport));
    EXPECT_EQ(control.Find_USB_Device(), 0);
    EXPECT_FALSE(control.RD_P0().isValid());
    EXPECT_EQ(control.RD_P1(), 0);
    EXPECT_TRUE(library.opened.empty());
    EXPECT_EQ(control.lastError(), QStringLiteral("no USB module found"));
}

TEST_F(HidapiTransportTest, EnumerationListsEveryDeviceOnceAndFreesTheList) {
    addDevice("/dev/hidraw0", 0x046D, 0xC52B);
    addDevice("/dev/hidraw5", 0x0CB2, 0x0013);
    HidapiTransport transport(fakeCalls(), sysfs.path());
    const auto devices = transport.enumerate(3250);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].path, "/dev/hidraw0");
    EXPECT_EQ(devices[1].path, "/dev/hidraw5");
    EXPECT_EQ(devices[1].vendorId, 3250);
    EXPECT_EQ(devices[1].productId, 19);
    EXPECT_EQ(library.enumerated,
              (std::vector<std::pair<unsigned short, unsigned short>>{{3250, 0}}));
    EXPECT_EQ(library.frees, 1);
}

TEST_F(HidapiTransportTest, AFailedOpenSaysWhy) {
    library.openFails = true;
    HidapiTransport transport(fakeCalls(), sysfs.path());
    QString error;
    EXPECT_EQ(transport.open("/dev/hidraw5", &error), nullptr);
    EXPECT_EQ(error, QStringLiteral("Permission denied"));
    EXPECT_EQ(library.closes, 0);
}

TEST_F(HidapiTransportTest, UnnumberedReportsGetTheirIdentifierBytePutBack) {
    HidapiTransport transport(fakeCalls(), sysfsWith(kUnnumbered));
    auto handle = transport.open("/dev/hidraw5", nullptr);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->reportDescriptor(), kUnnumbered);

    // hidraw delivers the 8 data bytes only.
    library.reads = {{3, 0xAB, 0, 0, 0, 0, 0, 0}};
    std::vector<std::uint8_t> buffer(9, 0xEE);
    EXPECT_EQ(handle->readReport(buffer, 30), 9);
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{0, 3, 0xAB, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(library.readCalls.back(), (std::pair<size_t, int>{8, 30}));

    // Nothing in time, and a failure, are passed on as they are.
    EXPECT_EQ(handle->readReport(buffer, 30), 0);
    library.readResult = -1;
    EXPECT_EQ(handle->readReport(buffer, 30), -1);
    EXPECT_EQ(handle->readReport({}, 30), -1);

    // Output reports go with their identifier byte, whole.
    const std::vector<std::uint8_t> report = {0, 1, 200, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(handle->writeReport(report), 9);
    EXPECT_EQ(library.written.back(), (std::vector<unsigned char>{0, 1, 200, 0, 0, 0, 0, 0, 0}));

    handle.reset();
    EXPECT_EQ(library.closes, 1);
}

TEST_F(HidapiTransportTest, NumberedReportsArriveWithTheirIdentifier) {
    HidapiTransport transport(fakeCalls(), sysfsWith(kNumbered));
    auto handle = transport.open("/dev/hidraw5", nullptr);
    ASSERT_NE(handle, nullptr);
    library.reads = {{1, 3, 0x42, 0, 0, 0, 0, 0, 0}};
    std::vector<std::uint8_t> buffer(9, 0);
    EXPECT_EQ(handle->readReport(buffer, 30), 9);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[2], 0x42);
    EXPECT_EQ(library.readCalls.back().first, 9u);
}

TEST_F(HidapiTransportTest, WithoutADescriptorReportsAreTakenAsUnnumbered) {
    HidapiTransport transport(fakeCalls(), sysfs.path());  // no hidraw5 in it
    auto handle = transport.open("/dev/hidraw5", nullptr);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(handle->reportDescriptor().empty());
    library.reads = {{3, 0x42}};
    std::vector<std::uint8_t> buffer(9, 0);
    EXPECT_EQ(handle->readReport(buffer, 30), 3);
    EXPECT_EQ(buffer[2], 0x42);
}

TEST_F(HidapiTransportTest, DiscardingEmptiesTheQueueWithoutWaitingAndStopsOnAChattyDevice) {
    HidapiTransport transport(fakeCalls(), sysfs.path());
    auto handle = transport.open("/dev/hidraw5", nullptr);
    library.reads = {{1}, {2}, {3}};
    handle->discardQueuedReports();
    EXPECT_EQ(library.readCalls.size(), 4u);  // three reports and the empty read
    for (const auto& [length, ms] : library.readCalls)
        EXPECT_EQ(ms, 0);

    library.readCalls.clear();
    library.endless = true;
    handle->discardQueuedReports();
    EXPECT_EQ(library.readCalls.size(), 64u);
}

TEST_F(HidapiTransportTest, DescriptorsAreReadOnlyForHidrawNodes) {
    const QString root = sysfsWith(kUnnumbered);
    EXPECT_EQ(usbio::readHidrawDescriptor("/dev/hidraw5", root), kUnnumbered);
    EXPECT_TRUE(usbio::readHidrawDescriptor("/dev/hidraw6", root).empty());
    EXPECT_TRUE(usbio::readHidrawDescriptor("/dev/sda", root).empty());
    EXPECT_TRUE(usbio::readHidrawDescriptor("", root).empty());
}

TEST_F(HidapiTransportTest, TheControlOverTheBackendFindsAndReadsTheModule) {
    addDevice("/dev/hidraw5", 0x0CB2, 0x0001);
    UsbControl control(std::make_unique<HidapiTransport>(fakeCalls(), sysfsWith(kUnnumbered)));
    control.setPause([](int) {});
    EXPECT_EQ(control.Find_USB_Device(), -1);
    EXPECT_EQ(library.opened, (std::vector<std::string>{"/dev/hidraw5", "/dev/hidraw5"}));
    // A stale report waits; the module answers the command with 0xEF.
    library.reads = {{3, 0x55, 0, 0, 0, 0, 0, 0}};
    library.answer = {3, 0xEF, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(control.RD_P0().toInt(), 0xEF);
    EXPECT_EQ(library.readCalls.back(), (std::pair<size_t, int>{8, UsbControl::kReadTimeoutMs}));
    EXPECT_EQ(library.written.back(), (std::vector<unsigned char>{0, 3, 0, 0, 0, 0, 0, 0, 0}));
}

// The real library on this machine: whatever it finds, enumeration works
// and, without the module, the search comes back empty-handed.
TEST(HidapiLibrary, SearchingTheRealSystemFindsNoModuleWhereNoneIsAttached) {
    HidapiTransport probe;
    const auto devices = probe.enumerate(3250);
    for (const auto& d : devices) {
        if (d.vendorId == 3250 && (d.productId == 1 || d.productId == 19)) {
            GTEST_SKIP() << "a USB digital I/O module is attached";
        }
    }
    UsbControl control(std::make_unique<HidapiTransport>());
    EXPECT_EQ(control.Find_USB_Device(), 0);
    EXPECT_FALSE(control.RD_P0().isValid());
    EXPECT_FALSE(control.lastError().isEmpty());
}

}  // namespace
