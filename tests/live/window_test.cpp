// The operator's Live Page window: off until turned on, loopback unless the
// local network is chosen, and a port in use said plainly.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <QTemporaryDir>

#include "live/livewindow.h"

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TEST(LiveWindow, OffUntilTurnedOnThenLoopbackOrLocalNetwork) {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("live.conf"));
    live::LiveHub hub;
    {
        live::LiveWindow w(hub, settings, dir.filePath(QStringLiteral("stream")));
        EXPECT_FALSE(w.serveBox->isChecked());
        EXPECT_FALSE(hub.serving());
        EXPECT_TRUE(w.thisComputerButton->isChecked());
        EXPECT_TRUE(w.statusLabel->text().startsWith(QStringLiteral("Off")));

        // A port another program holds.
        QTcpServer other;
        ASSERT_TRUE(other.listen(QHostAddress::LocalHost, 0));
        w.portBox->setValue(other.serverPort());
        w.serveBox->setChecked(true);
        EXPECT_FALSE(hub.serving());
        EXPECT_FALSE(w.serveBox->isChecked());
        EXPECT_TRUE(w.statusLabel->text().contains(QStringLiteral("already in use")))
            << w.statusLabel->text().toStdString();

        const quint16 port = freePort();
        w.portBox->setValue(port);
        w.serveBox->setChecked(true);
        ASSERT_TRUE(hub.serving());
        EXPECT_EQ(hub.port(), port);
        EXPECT_FALSE(hub.choice().localNetwork);
        EXPECT_TRUE(
            w.addressLabel->text().contains(QStringLiteral("http://127.0.0.1:%1/").arg(port)));
        EXPECT_TRUE(w.qrLabel->isHidden());

        // The local network: its addresses and a code to scan, when this
        // machine has any.
        w.localNetworkButton->setChecked(true);
        ASSERT_TRUE(hub.serving());
        EXPECT_TRUE(hub.choice().localNetwork);
        const QStringList addresses = live::localNetworkAddresses();
        if (!addresses.isEmpty()) {
            EXPECT_TRUE(w.addressLabel->text().contains(addresses.first()));
            EXPECT_FALSE(w.qrLabel->isHidden());
        }

        w.filesBox->setChecked(true);
        EXPECT_EQ(hub.filesFolder(), dir.filePath(QStringLiteral("stream")));
        w.serveBox->setChecked(false);
        EXPECT_FALSE(hub.serving());
    }
    // The choices are kept, the serving is not.
    const live::LiveSettings kept = live::LiveSettings::load(settings, QString());
    EXPECT_TRUE(kept.localNetwork);
    EXPECT_TRUE(kept.filesOn);
    live::LiveHub fresh;
    live::LiveWindow again(fresh, settings, QString());
    EXPECT_FALSE(again.serveBox->isChecked());
    EXPECT_TRUE(again.localNetworkButton->isChecked());
}

// The window on show grows with what it has to show: the code to scan and
// the addresses are whole, not cut at the size it had before.
TEST(LiveWindow, TheCodeToScanIsShownWhole) {
    if (live::localNetworkAddresses().isEmpty()) GTEST_SKIP() << "no local network address";
    QTemporaryDir dir;
    live::LiveHub hub;
    live::LiveWindow w(hub, dir.filePath(QStringLiteral("live.conf")), dir.path());
    w.show();
    QCoreApplication::processEvents();
    w.portBox->setValue(freePort());
    w.localNetworkButton->setChecked(true);
    w.serveBox->setChecked(true);
    QCoreApplication::processEvents();
    ASSERT_FALSE(w.qrLabel->isHidden());
    const QRect inWindow(w.qrLabel->mapTo(&w, QPoint(0, 0)), w.qrLabel->size());
    EXPECT_TRUE(w.rect().contains(inWindow));
    EXPECT_GE(w.qrLabel->height(), w.qrLabel->pixmap().height());
    EXPECT_GE(w.qrLabel->width(), w.qrLabel->pixmap().width());
    EXPECT_GE(w.addressLabel->height(), w.addressLabel->heightForWidth(w.addressLabel->width()));
}

TEST(LiveWindow, QrCodeIsASquareOfModules) {
    const QImage code = live::qrCode(QStringLiteral("http://192.168.1.20:8471/"), 4);
    ASSERT_FALSE(code.isNull());
    EXPECT_EQ(code.width(), code.height());
    // Version 2 or more for this text, with a quiet zone of 4 modules each side.
    EXPECT_EQ(code.width() % 4, 0);
    EXPECT_GE(code.width() / 4, 25 + 8);
    // The finder pattern's corner is dark, the quiet zone light.
    EXPECT_EQ(code.pixelColor(4 * 4, 4 * 4), QColor(Qt::black));
    EXPECT_EQ(code.pixelColor(1, 1), QColor(Qt::white));
}

}  // namespace
