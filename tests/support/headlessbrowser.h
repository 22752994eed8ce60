#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QWebSocket>

// Debian's chromium, headless, on a fresh profile, driven over its DevTools
// protocol: a real browser for the tests and benchmarks of the live page.
// It reaches nothing but the address it is given (no sync, no updates, no
// component downloads, no QUIC).
class HeadlessBrowser {
public:
    // The chromium program; empty when it is not installed.
    static QString executable();

    HeadlessBrowser() = default;
    ~HeadlessBrowser();
    HeadlessBrowser(const HeadlessBrowser&) = delete;
    HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;

    // Starts the browser on `url` and attaches to its page. False, with
    // `error` set, when it cannot.
    bool start(const QString& url, QString* error, QSize window = {1280, 720});

    // The value of a JavaScript expression in the page (an undefined value
    // or a failure gives an undefined QJsonValue).
    QJsonValue evaluate(const QString& expression, int timeoutMs = 10000);
    // Waits until the expression has the value; false when it never had.
    bool waitFor(const QString& expression, const QJsonValue& value, int timeoutMs = 10000);
    // Loads another address in the same page and waits until it is loaded.
    bool navigate(const QString& url, int timeoutMs = 15000);
    // The page as it is drawn now, as PNG.
    QByteArray screenshot();
    // The page laid out as a phone's of this size in CSS pixels would be
    // (a headless window has a smallest width of its own).
    void emulatePhone(QSize viewport);

private:
    QJsonObject call(const QString& method, const QJsonObject& params, int timeoutMs);

    QProcess process_;
    QTemporaryDir profile_;
    QWebSocket socket_;
    int nextId_ = 1;
    QHash<int, QJsonObject> replies_;
};
