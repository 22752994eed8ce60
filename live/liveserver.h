#pragma once

#include <optional>
#include <set>

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QJsonObject>
#include <QPointer>
#include <QTimer>

class QTcpServer;

namespace live {

// The port the page is served on unless the operator picks another.
inline constexpr quint16 kDefaultPort = 8471;

// What one client may cost the program. A page needs two requests and one
// feed connection; the bounds leave room for a roomful of phones and refuse
// anything that looks like a flood.
struct ServerLimits {
    int maxConnections = 256;           // open at once, feed connections included
    int maxConnectionsPerAddress = 32;  // of those, from one client address: room stays for others
    qint64 maxRequestBytes = 8192;      // a request line and its headers (and any body)
    double requestsPerSecond = 20;      // per client address, sustained...
    double requestBurst = 60;           // ...after a burst of this many
    qint64 maxQueuedBytes = 1 << 20;    // a feed client this far behind is dropped
    int idleSeconds = 30;               // a connection that asks nothing for this long is closed
    int firstRequestSeconds = 5;        // a new connection's whole first request must come in this
    int keepAliveSeconds = 15;          // a quiet feed says it is alive this often
};

// Milliseconds on the live clock (monotonic): what the document's "since"
// and "now" fields count in.
qint64 liveClockMs();

// The live page's HTTP server: the page at /, the state at /state, the feed
// at /events (Server-Sent Events). Read-only and GET only; requests must name
// this machine in their Host header. It lives on the thread that creates it
// and never blocks: a client that stops reading is dropped, not waited for.
class LiveServer final : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit LiveServer(ServerLimits limits = {}, QObject* parent = nullptr);
    ~LiveServer() override;

    // Listens on `address` (the loopback address, or any address for the
    // local network); port 0 takes any free port. Nothing on success;
    // otherwise what went wrong and what to do, in the operator's words.
    std::optional<QString> start(const QHostAddress& address, quint16 port);
    quint16 port() const { return port_; }

    // The current state; every feed client is sent it at once.
    void publish(const QJsonObject& document);

    int feedClients() const { return static_cast<int>(feeds_.size()); }
    int openConnections() const;

    // The host names a request may carry: this machine's names and
    // addresses (all of them when serving the local network), lower case.
    const std::set<QString>& allowedHosts() const { return allowedHosts_; }
    // "192.168.1.20:8471" -> "192.168.1.20"; "[::1]:80" -> "::1".
    static QString hostOf(const QByteArray& hostHeader);

signals:
    void feedClientsChanged(int count);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Connection {
        qint64 lastActive = 0;
        qint64 requestBytes = 0;
        qint64 lastWrite = 0;
        bool asked = false;  // a whole request has come
    };
    struct Bucket {
        double tokens = 0;
        qint64 last = 0;
    };

    void connectionOpened(QTcpSocket* socket);
    void bytesArrived(QTcpSocket* socket);
    bool takeToken(const QHostAddress& peer);
    bool hostAllowed(const QHttpServerRequest& request) const;
    void openFeed(const QHttpServerRequest& request, QTcpSocket* socket);
    void sendToFeed(QTcpSocket* socket, const QByteArray& bytes);
    void dropFeed(QTcpSocket* socket);
    void sweep();
    QByteArray stateBytes() const;

    ServerLimits limits_;
    QTcpServer* tcp_ = nullptr;
    quint16 port_ = 0;
    std::set<QString> allowedHosts_;
    QJsonObject document_;
    QHash<QTcpSocket*, Connection> connections_;
    QHash<QTcpSocket*, QPointer<QTcpSocket>> feeds_;
    QHash<QString, Bucket> buckets_;
    QTimer sweeper_;
};

}  // namespace live
