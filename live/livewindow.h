#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "live/livehub.h"

namespace live {

// What the operator chose in the Live Page window, kept between runs in a
// small file of its own. Whether the page is served is not kept: it is off
// until the operator turns it on again.
struct LiveSettings {
    quint16 port = kDefaultPort;
    bool localNetwork = false;
    bool filesOn = false;
    QString filesFolder;

    static LiveSettings load(const QString& file, const QString& defaultFolder);
    void save(const QString& file) const;
};

// The addresses of this machine that phones on the local network can reach
// (IPv4, interfaces that are up, not the loopback), best first.
QStringList localNetworkAddresses();

// A QR code of `text`, `scale` pixels a module with the quiet zone around
// it; a null image when it cannot be made.
QImage qrCode(const QString& text, int scale = 5);

// The operator's window for the live page: on or off, the port, this
// computer only or the local network (with the address and a QR code to
// scan), and the text files for streaming programs.
class LiveWindow final : public QDialog {
    Q_OBJECT
public:
    LiveWindow(LiveHub& hub, QString settingsFile, QString defaultFolder,
               QWidget* parent = nullptr);

    QCheckBox* serveBox;
    QSpinBox* portBox;
    QRadioButton* thisComputerButton;
    QRadioButton* localNetworkButton;
    QLabel* addressLabel;
    QLabel* qrLabel;
    QLabel* statusLabel;
    QCheckBox* filesBox;
    QLineEdit* folderEdit;
    QPushButton* folderButton;

    // Brings the window up to date with the hub (served elsewhere, say from
    // the command line).
    void refresh();

private:
    // The addresses and the code to scan come and go: the window grows to
    // show them whole.
    void fitContents();
    void serveChanged();
    void filesChanged();
    void showClients(int count);
    void saveSettings();

    LiveHub& hub_;
    QString settingsFile_;
    int clients_ = 0;
    QString problem_;
    bool updating_ = false;
};

}  // namespace live
