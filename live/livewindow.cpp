#include "live/livewindow.h"

#include <qrencode.h>

#include <algorithm>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QNetworkInterface>
#include <QPainter>
#include <QSettings>
#include <QVBoxLayout>

namespace live {

namespace {

// The settings file's layout; a reader ignores a file of a newer one.
constexpr int kSettingsFormat = 1;

QString pageAddress(const QString& host, quint16 port) {
    return QStringLiteral("http://%1:%2/").arg(host).arg(port);
}

}  // namespace

LiveSettings LiveSettings::load(const QString& file, const QString& defaultFolder) {
    LiveSettings s;
    s.filesFolder = defaultFolder;
    QSettings settings(file, QSettings::IniFormat);
    if (settings.value(QStringLiteral("format"), 0).toInt() != kSettingsFormat) return s;
    const int port = settings.value(QStringLiteral("port"), s.port).toInt();
    if (port >= 1 && port <= 65535) s.port = static_cast<quint16>(port);
    s.localNetwork = settings.value(QStringLiteral("localNetwork"), false).toBool();
    s.filesOn = settings.value(QStringLiteral("filesOn"), false).toBool();
    s.filesFolder = settings.value(QStringLiteral("filesFolder"), defaultFolder).toString();
    return s;
}

void LiveSettings::save(const QString& file) const {
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(QStringLiteral("format"), kSettingsFormat);
    settings.setValue(QStringLiteral("port"), port);
    settings.setValue(QStringLiteral("localNetwork"), localNetwork);
    settings.setValue(QStringLiteral("filesOn"), filesOn);
    settings.setValue(QStringLiteral("filesFolder"), filesFolder);
}

QStringList localNetworkAddresses() {
    QStringList found;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries()) {
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol && !e.ip().isLoopback())
                found.append(e.ip().toString());
        }
    }
    return found;
}

QImage qrCode(const QString& text, int scale) {
    const QByteArray bytes = text.toUtf8();
    QRcode* code = QRcode_encodeString(bytes.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code) return {};
    constexpr int kQuiet = 4;
    const int side = (code->width + 2 * kQuiet) * scale;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            // The low bit of each module says dark.
            if (code->data[y * code->width + x] & 1)
                painter.fillRect((x + kQuiet) * scale, (y + kQuiet) * scale, scale, scale,
                                 Qt::black);
        }
    }
    painter.end();
    QRcode_free(code);
    return image;
}

LiveWindow::LiveWindow(LiveHub& hub, QString settingsFile, QString defaultFolder, QWidget* parent)
    : QDialog(parent), hub_(hub), settingsFile_(std::move(settingsFile)) {
    setObjectName(QStringLiteral("LiveWindow"));
    setWindowTitle(QStringLiteral("Live Page"));
    const LiveSettings settings = LiveSettings::load(settingsFile_, defaultFolder);

    serveBox = new QCheckBox(QStringLiteral("&Serve the live page"), this);
    serveBox->setObjectName(QStringLiteral("serveBox"));
    portBox = new QSpinBox(this);
    portBox->setObjectName(QStringLiteral("portBox"));
    portBox->setRange(1024, 65535);
    portBox->setValue(settings.port);
    thisComputerButton = new QRadioButton(QStringLiteral("Only on &this computer"), this);
    thisComputerButton->setObjectName(QStringLiteral("thisComputerButton"));
    localNetworkButton = new QRadioButton(QStringLiteral("On the &local network"), this);
    localNetworkButton->setObjectName(QStringLiteral("localNetworkButton"));
    (settings.localNetwork ? localNetworkButton : thisComputerButton)->setChecked(true);
    addressLabel = new QLabel(this);
    addressLabel->setObjectName(QStringLiteral("addressLabel"));
    addressLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    addressLabel->setWordWrap(true);
    qrLabel = new QLabel(this);
    qrLabel->setObjectName(QStringLiteral("qrLabel"));
    qrLabel->setAlignment(Qt::AlignCenter);
    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    statusLabel->setTextFormat(Qt::PlainText);  // may quote a folder's name
    statusLabel->setWordWrap(true);

    filesBox = new QCheckBox(QStringLiteral("&Write text files for streaming programs"), this);
    filesBox->setObjectName(QStringLiteral("filesBox"));
    filesBox->setChecked(settings.filesOn && hub_.filesFolder() == settings.filesFolder);
    folderEdit = new QLineEdit(settings.filesFolder, this);
    folderEdit->setObjectName(QStringLiteral("folderEdit"));
    folderButton = new QPushButton(QStringLiteral("&Choose..."), this);
    folderButton->setObjectName(QStringLiteral("folderButton"));

    auto* pageBox = new QGroupBox(QStringLiteral("Scoreboard page and feed"), this);
    auto* pageForm = new QFormLayout(pageBox);
    pageForm->addRow(serveBox);
    pageForm->addRow(QStringLiteral("&Port:"), portBox);
    pageForm->addRow(thisComputerButton);
    pageForm->addRow(localNetworkButton);
    pageForm->addRow(addressLabel);
    pageForm->addRow(qrLabel);
    pageForm->addRow(statusLabel);

    auto* filesGroup = new QGroupBox(QStringLiteral("Files"), this);
    auto* filesLayout = new QVBoxLayout(filesGroup);
    filesLayout->addWidget(filesBox);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folderEdit, 1);
    folderRow->addWidget(folderButton);
    filesLayout->addLayout(folderRow);
    auto* filesNote = new QLabel(
        QStringLiteral("team1.txt, score1.txt, ..., buzzer.txt, buzzerteam.txt, timer.txt, "
                       "clock.txt and tossup.txt, for \"text from file\" sources."),
        filesGroup);
    filesNote->setWordWrap(true);
    filesLayout->addWidget(filesNote);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pageBox);
    layout->addWidget(filesGroup);
    layout->addWidget(buttons);

    connect(serveBox, &QCheckBox::toggled, this, [this] { serveChanged(); });
    connect(portBox, &QSpinBox::editingFinished, this, [this] {
        if (hub_.serving() && portBox->value() != hub_.port()) serveChanged();
        saveSettings();
    });
    connect(localNetworkButton, &QRadioButton::toggled, this, [this] { serveChanged(); });
    connect(filesBox, &QCheckBox::toggled, this, [this] { filesChanged(); });
    connect(folderEdit, &QLineEdit::editingFinished, this, [this] { filesChanged(); });
    connect(folderButton, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Folder for the stream files"), folderEdit->text());
        if (folder.isEmpty()) return;
        folderEdit->setText(folder);
        filesChanged();
    });
    connect(&hub_, &LiveHub::feedClientsChanged, this, [this](int n) { showClients(n); });
    connect(&hub_, &LiveHub::problem, this, [this](const QString& text) {
        problem_ = text;
        refresh();
    });
    refresh();
}

void LiveWindow::serveChanged() {
    if (updating_) return;
    problem_.clear();
    if (serveBox->isChecked()) {
        ServeChoice choice = hub_.choice();
        choice.port = static_cast<quint16>(portBox->value());
        choice.localNetwork = localNetworkButton->isChecked();
        if (auto failed = hub_.serve(choice)) {
            problem_ = *failed;
            hub_.stopServing();
        }
    } else {
        hub_.stopServing();
    }
    saveSettings();
    refresh();
}

void LiveWindow::filesChanged() {
    if (updating_) return;
    problem_.clear();
    hub_.writeFilesTo(filesBox->isChecked() ? folderEdit->text().trimmed() : QString());
    saveSettings();
    refresh();
}

void LiveWindow::showClients(int count) {
    clients_ = count;
    refresh();
}

void LiveWindow::saveSettings() {
    LiveSettings s;
    s.port = static_cast<quint16>(portBox->value());
    s.localNetwork = localNetworkButton->isChecked();
    s.filesOn = filesBox->isChecked();
    s.filesFolder = folderEdit->text().trimmed();
    s.save(settingsFile_);
}

void LiveWindow::refresh() {
    updating_ = true;
    serveBox->setChecked(hub_.serving());
    if (hub_.serving()) {
        portBox->setValue(hub_.port());
        (hub_.choice().localNetwork ? localNetworkButton : thisComputerButton)->setChecked(true);
    }
    filesBox->setChecked(!hub_.filesFolder().isEmpty());
    updating_ = false;

    QStringList lines;
    QImage qr;
    if (hub_.serving()) {
        const quint16 port = hub_.port();
        QString main = pageAddress(QStringLiteral("127.0.0.1"), port);
        if (hub_.choice().localNetwork) {
            const QStringList addresses = localNetworkAddresses();
            if (addresses.isEmpty()) {
                lines << QStringLiteral("This computer has no address on a local network.");
            } else {
                main = pageAddress(addresses.first(), port);
                qr = qrCode(main);
                for (const QString& a : addresses)
                    lines << pageAddress(a, port);
            }
        }
        lines.prepend(main == pageAddress(QStringLiteral("127.0.0.1"), port)
                          ? QStringLiteral("On this computer: %1").arg(main)
                          : QStringLiteral("Open on a phone or another computer:"));
        lines << QStringLiteral("For a streaming program: %1?overlay").arg(main)
              << QStringLiteral("For a big screen: %1?big").arg(main);
        lines << QStringLiteral("The feed: %1state (JSON) and %1events (Server-Sent Events)")
                     .arg(main);
    }
    addressLabel->setText(lines.join(QLatin1Char('\n')));
    addressLabel->setVisible(!lines.isEmpty());
    qrLabel->setPixmap(QPixmap::fromImage(qr));
    qrLabel->setVisible(!qr.isNull());

    QString status;
    if (!problem_.isEmpty()) {
        status = problem_;
    } else if (hub_.serving()) {
        status = clients_ == 1
                     ? QStringLiteral("Served; 1 page or feed is following the match.")
                     : QStringLiteral("Served; %1 pages or feeds are following the match.")
                           .arg(clients_);
    } else {
        status = QStringLiteral("Off: nothing of the match leaves this computer.");
    }
    statusLabel->setText(status);
    statusLabel->setStyleSheet(problem_.isEmpty() ? QString() : QStringLiteral("color: #b00000;"));
    fitContents();
}

void LiveWindow::fitContents() {
    // A window not yet shown takes its size from its contents when it is.
    if (!isVisible()) return;
    layout()->activate();
    QSize want = sizeHint().expandedTo(minimumSizeHint()).expandedTo(size());
    // Wrapped lines need more height at this width than the plain hint says.
    if (layout()->hasHeightForWidth())
        want.setHeight(std::max(want.height(), layout()->totalHeightForWidth(want.width())));
    if (want != size()) resize(want);
}

}  // namespace live
