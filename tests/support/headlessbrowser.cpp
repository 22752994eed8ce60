#include "headlessbrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QThread>

namespace {

bool spin(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    }
    return true;
}

// GET of the DevTools list of pages, on the browser's own loopback port.
QByteArray devtoolsGet(quint16 port, const QByteArray& path) {
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!s.waitForConnected(5000)) return {};
    // The addresses in the answer are built from this Host.
    s.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
            "\r\nConnection: close\r\n\r\n");
    QByteArray in;
    spin(
        [&] {
            in += s.readAll();
            return s.state() == QAbstractSocket::UnconnectedState;
        },
        5000);
    in += s.readAll();
    const qsizetype body = in.indexOf("\r\n\r\n");
    return body < 0 ? QByteArray() : in.mid(body + 4);
}

}  // namespace

QString HeadlessBrowser::executable() {
    for (const char* name : {"chromium", "chromium-browser"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty()) return found;
    }
    return {};
}

HeadlessBrowser::~HeadlessBrowser() {
    socket_.abort();
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

bool HeadlessBrowser::start(const QString& url, QString* error, QSize window) {
    const QString program = executable();
    if (program.isEmpty()) {
        *error = QStringLiteral("chromium is not installed");
        return false;
    }
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(
        program,
        {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
         QStringLiteral("--disable-gpu"), QStringLiteral("--disable-quic"),
         QStringLiteral("--no-first-run"), QStringLiteral("--disable-background-networking"),
         QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
         QStringLiteral("--hide-scrollbars"),
         QStringLiteral("--user-data-dir=%1").arg(profile_.path()),
         QStringLiteral("--remote-debugging-port=0"),
         QStringLiteral("--window-size=%1,%2").arg(window.width()).arg(window.height()), url});
    // The browser writes the port it chose into its profile.
    const QString portFile = QDir(profile_.path()).filePath(QStringLiteral("DevToolsActivePort"));
    quint16 port = 0;
    spin(
        [&] {
            QFile f(portFile);
            if (process_.state() == QProcess::NotRunning) return true;
            if (!f.open(QIODevice::ReadOnly)) return false;
            port = static_cast<quint16>(f.readLine().trimmed().toUInt());
            return port != 0;
        },
        30000);
    if (port == 0) {
        *error = QStringLiteral("chromium did not start: %1")
                     .arg(QString::fromLocal8Bit(process_.readAll()).left(2000));
        return false;
    }
    QString page;
    spin(
        [&] {
            const QJsonArray targets =
                QJsonDocument::fromJson(devtoolsGet(port, "/json/list")).array();
            for (const QJsonValue& t : targets) {
                if (t[QStringLiteral("type")].toString() == QLatin1String("page"))
                    page = t[QStringLiteral("webSocketDebuggerUrl")].toString();
            }
            return !page.isEmpty();
        },
        15000);
    if (page.isEmpty()) {
        *error = QStringLiteral("chromium shows no page");
        return false;
    }
    QObject::connect(&socket_, &QWebSocket::textMessageReceived, [this](const QString& text) {
        const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
        if (message.contains(QStringLiteral("id")))
            replies_.insert(message.value(QStringLiteral("id")).toInt(), message);
    });
    const QUrl pageUrl(page);
    socket_.open(pageUrl);
    if (!spin([&] { return socket_.state() == QAbstractSocket::ConnectedState; }, 10000)) {
        *error = QStringLiteral("cannot attach to chromium's page %1: %2")
                     .arg(pageUrl.toString(), socket_.errorString());
        return false;
    }
    return true;
}

QJsonObject HeadlessBrowser::call(const QString& method, const QJsonObject& params, int timeoutMs) {
    const int id = nextId_++;
    socket_.sendTextMessage(
        QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("id"), id},
                                                    {QStringLiteral("method"), method},
                                                    {QStringLiteral("params"), params}})
                              .toJson(QJsonDocument::Compact)));
    if (!spin([&] { return replies_.contains(id); }, timeoutMs)) return {};
    return replies_.take(id).value(QStringLiteral("result")).toObject();
}

QJsonValue HeadlessBrowser::evaluate(const QString& expression, int timeoutMs) {
    const QJsonObject r =
        call(QStringLiteral("Runtime.evaluate"),
             {{QStringLiteral("expression"), expression}, {QStringLiteral("returnByValue"), true}},
             timeoutMs);
    return r.value(QStringLiteral("result")).toObject().value(QStringLiteral("value"));
}

bool HeadlessBrowser::waitFor(const QString& expression, const QJsonValue& value, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (evaluate(expression, timeoutMs) == value) return true;
        spin([] { return false; }, 10);
    }
    return false;
}

bool HeadlessBrowser::navigate(const QString& url, int timeoutMs) {
    call(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url}}, timeoutMs);
    return waitFor(
        QStringLiteral("document.readyState === 'complete' && location.href === %1")
            .arg(QString::fromUtf8(QJsonDocument(QJsonArray{url}).toJson(QJsonDocument::Compact))
                     .mid(1)
                     .chopped(1)),
        true, timeoutMs);
}

void HeadlessBrowser::emulatePhone(QSize viewport) {
    call(QStringLiteral("Emulation.setDeviceMetricsOverride"),
         {{QStringLiteral("width"), viewport.width()},
          {QStringLiteral("height"), viewport.height()},
          {QStringLiteral("deviceScaleFactor"), 2},
          {QStringLiteral("mobile"), true}},
         10000);
}

QByteArray HeadlessBrowser::screenshot() {
    const QJsonObject r = call(QStringLiteral("Page.captureScreenshot"),
                               {{QStringLiteral("format"), QStringLiteral("png")}}, 15000);
    return QByteArray::fromBase64(r.value(QStringLiteral("data")).toString().toLatin1());
}
