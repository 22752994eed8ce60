#include "live/liveserver.h"

#include <chrono>
#include <functional>
#include <utility>

#include <sys/socket.h>

#include <QEvent>
#include <QHostInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QNetworkInterface>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

#include "live/livepage.h"

namespace live {

qint64 liveClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {

using Status = QHttpServerResponder::StatusCode;

// Only what the page itself carries: no script, style, font or picture from
// anywhere else, and the feed from this server only.
constexpr char kPagePolicy[] =
    "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
    "img-src data:; connect-src 'self'; base-uri 'none'; form-action 'none'";

// Accepts connections up to a number, and up to a smaller number from any
// one address so that one client cannot lock the others out, and hands the
// server sockets whose arriving bytes are counted before the server reads
// them.
class CountingTcpServer final : public QTcpServer {
public:
    CountingTcpServer(int maxConnections, int maxPerAddress,
                      std::function<void(QTcpSocket*)> opened, QObject* parent)
        : QTcpServer(parent),
          max_(maxConnections),
          maxPerAddress_(maxPerAddress),
          opened_(std::move(opened)) {}

    int open() const { return open_; }

protected:
    void incomingConnection(qintptr handle) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(handle)) {
            delete socket;
            return;
        }
        const QString address = socket->peerAddress().toString();
        int& fromAddress = perAddress_[address];
        if (open_ >= max_ || fromAddress >= maxPerAddress_) {
            // Refused before a byte is read: the client sees the
            // connection closed.
            if (fromAddress == 0) perAddress_.remove(address);
            socket->abort();
            socket->deleteLater();
            return;
        }
        ++open_;
        ++fromAddress;
        connect(socket, &QObject::destroyed, this, [this, address] {
            --open_;
            if (--perAddress_[address] <= 0) perAddress_.remove(address);
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        watchForHalfClose(socket);
        opened_(socket);
        addPendingConnection(socket);
    }

    // A client may send its request and then shut its sending side (a
    // half-close: `nc -N`, scripts, some proxies). QTcpSocket takes the end
    // of what arrives for the end of the connection and closes the socket
    // there and then, throwing away an answer it has not yet handed to the
    // system. So the socket's read notifier is watched: when what is waiting
    // is the client's end and an answer is still going out, the socket is
    // closed the graceful way instead (no more reading, the answer sent,
    // then closed), and QTcpSocket never reads that end.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::SockAct) return false;
        auto* socket =
            qobject_cast<QTcpSocket*>(watched->parent() ? watched->parent()->parent() : nullptr);
        if (!socket || socket->bytesToWrite() == 0 ||
            socket->state() != QAbstractSocket::ConnectedState)
            return false;
        char next = 0;
        if (::recv(static_cast<int>(socket->socketDescriptor()), &next, 1,
                   MSG_PEEK | MSG_DONTWAIT) != 0)
            return false;  // bytes to read, or nothing yet: QTcpSocket reads as ever
        socket->disconnectFromHost();
        return true;
    }

private:
    // The read notifier belongs to the socket's engine, a child of the
    // socket; one without it is left as it is.
    void watchForHalfClose(QTcpSocket* socket) {
        for (QSocketNotifier* n : socket->findChildren<QSocketNotifier*>()) {
            if (n->type() == QSocketNotifier::Read && n->parent() &&
                n->parent()->parent() == socket)
                n->installEventFilter(this);
        }
    }

    int max_;
    int maxPerAddress_;
    int open_ = 0;
    QHash<QString, int> perAddress_;
    std::function<void(QTcpSocket*)> opened_;
};

// A short reply that ends the connection: refusals and errors.
void refuse(QTcpSocket* socket, QHttpServerResponder& responder, Status status,
            const QByteArray& text, const QByteArray& extraName = {},
            const QByteArray& extraValue = {}) {
    const QByteArray body = text + '\n';
    responder.writeStatusLine(status);
    responder.writeHeader("Content-Type", "text/plain; charset=utf-8");
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Connection", "close");
    if (!extraName.isEmpty()) responder.writeHeader(extraName, extraValue);
    responder.writeBody(body);
    socket->disconnectFromHost();
}

void send(QHttpServerResponder& responder, const QByteArray& body, const QByteArray& type) {
    responder.writeStatusLine(Status::Ok);
    responder.writeHeader("Content-Type", type);
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    responder.writeHeader("Content-Security-Policy", kPagePolicy);
    responder.writeBody(body);
}

QByteArray header(const QHttpServerRequest& request, const char* name) {
    for (const auto& [key, value] : request.headers()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    }
    return {};
}

bool hasHeader(const QHttpServerRequest& request, const char* name) {
    for (const auto& [key, value] : request.headers()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

}  // namespace

LiveServer::LiveServer(ServerLimits limits, QObject* parent)
    : QAbstractHttpServer(parent), limits_(limits) {
    sweeper_.setInterval(1000);
    connect(&sweeper_, &QTimer::timeout, this, &LiveServer::sweep);
}

LiveServer::~LiveServer() {
    // The sockets go with the TCP server; the feed list must not outlive
    // them in a signal.
    for (const QPointer<QTcpSocket>& socket : std::as_const(feeds_)) {
        if (socket) socket->disconnect(this);
    }
}

int LiveServer::openConnections() const {
    return tcp_ ? static_cast<const CountingTcpServer*>(tcp_)->open() : 0;
}

QString LiveServer::hostOf(const QByteArray& hostHeader) {
    QString host = QString::fromLatin1(hostHeader.trimmed()).toLower();
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype end = host.indexOf(QLatin1Char(']'));
        if (end < 0) return {};
        const QString rest = host.mid(end + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':'))) return {};
        return host.mid(1, end - 1);
    }
    // One colon separates a port; a bare IPv6 address has several and is
    // not a valid Host header.
    if (host.count(QLatin1Char(':')) > 1) return {};
    const qsizetype colon = host.indexOf(QLatin1Char(':'));
    if (colon >= 0) host.truncate(colon);
    if (host.endsWith(QLatin1Char('.'))) host.chop(1);
    return host;
}

std::optional<QString> LiveServer::start(const QHostAddress& address, quint16 port) {
    auto* tcp = new CountingTcpServer(
        limits_.maxConnections, limits_.maxConnectionsPerAddress,
        [this](QTcpSocket* s) { connectionOpened(s); }, this);
    if (!tcp->listen(address, port)) {
        const QAbstractSocket::SocketError error = tcp->serverError();
        const QString detail = tcp->errorString();
        delete tcp;
        if (error == QAbstractSocket::AddressInUseError) {
            return QStringLiteral(
                       "Port %1 is already in use by another program (perhaps another "
                       "Torvanel). Pick another port here, or start Torvanel with "
                       "--live-port and a free port, or close the program that uses it.")
                .arg(port);
        }
        if (error == QAbstractSocket::SocketAccessError) {
            return QStringLiteral("Port %1 needs administrator rights. Pick a port above 1023.")
                .arg(port);
        }
        return QStringLiteral("The live page cannot listen on port %1: %2").arg(port).arg(detail);
    }
    tcp_ = tcp;
    port_ = tcp->serverPort();
    bind(tcp);

    allowedHosts_ = {QStringLiteral("localhost"), QStringLiteral("127.0.0.1"),
                     QStringLiteral("::1")};
    const QString name = QHostInfo::localHostName().toLower();
    if (!name.isEmpty()) {
        allowedHosts_.insert(name);
        allowedHosts_.insert(name + QStringLiteral(".local"));
    }
    const bool everywhere = address == QHostAddress::Any || address == QHostAddress::AnyIPv4 ||
                            address == QHostAddress::AnyIPv6;
    if (everywhere) {
        for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
            QHostAddress plain = a;
            plain.setScopeId(QString());
            allowedHosts_.insert(plain.toString().toLower());
        }
    } else {
        allowedHosts_.insert(address.toString().toLower());
    }
    sweeper_.start();
    return std::nullopt;
}

void LiveServer::connectionOpened(QTcpSocket* socket) {
    connections_.insert(socket, Connection{liveClockMs(), 0, 0, false});
    // Connected before the server's own reader, so the bytes are counted
    // before it takes them.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { bytesArrived(socket); });
    connect(socket, &QObject::destroyed, this, [this, socket] {
        connections_.remove(socket);
        if (feeds_.remove(socket) > 0) emit feedClientsChanged(feedClients());
    });
}

void LiveServer::bytesArrived(QTcpSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    it->requestBytes += socket->bytesAvailable();
    if (it->requestBytes > limits_.maxRequestBytes) {
        // Too much for any request of ours. Answered without the parser
        // (which has not seen the whole request), then dropped.
        socket->write(
            "HTTP/1.1 413 Payload Too Large\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
        socket->readAll();
        connections_.erase(it);
    }
}

bool LiveServer::takeToken(const QHostAddress& peer) {
    const qint64 now = liveClockMs();
    Bucket& b = buckets_[peer.toString()];
    if (b.last == 0) b.tokens = limits_.requestBurst;
    b.tokens = std::min(limits_.requestBurst,
                        b.tokens + double(now - b.last) / 1000.0 * limits_.requestsPerSecond);
    b.last = now;
    if (b.tokens < 1.0) return false;
    b.tokens -= 1.0;
    return true;
}

bool LiveServer::hostAllowed(const QHttpServerRequest& request) const {
    if (!allowedHosts_.count(hostOf(header(request, "Host")))) return false;
    // A browser names the page that asks; a page of another site may not
    // use this one's feed, even when it reached this machine by its address.
    if (hasHeader(request, "Origin")) {
        const QUrl origin(QString::fromLatin1(header(request, "Origin")));
        if (!allowedHosts_.count(origin.host().toLower())) return false;
    }
    return true;
}

QByteArray LiveServer::stateBytes() const {
    QJsonObject document = document_;
    document.insert(QStringLiteral("now"), liveClockMs());
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

bool LiveServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    auto it = connections_.find(socket);
    if (it != connections_.end()) {
        it->requestBytes = 0;
        it->lastActive = liveClockMs();
        it->asked = true;
    }
    QHttpServerResponder responder = makeResponder(request, socket);
    // Two Host headers are read one way here and another by whatever stands
    // in between: neither is believed.
    int hosts = 0;
    for (const auto& [key, value] : request.headers())
        hosts += key.compare("Host", Qt::CaseInsensitive) == 0 ? 1 : 0;
    if (hosts > 1) {
        refuse(socket, responder, Status::BadRequest, "One Host header, please.");
        return true;
    }
    if (!takeToken(socket->peerAddress())) {
        refuse(socket, responder, Status::TooManyRequests, "Too many requests; try again shortly.",
               "Retry-After", "2");
        return true;
    }
    if (!hostAllowed(request)) {
        refuse(socket, responder, Status::Forbidden,
               "This page is served to this machine's own names and addresses only.");
        return true;
    }
    if (request.method() != QHttpServerRequest::Method::Get) {
        refuse(socket, responder, Status::MethodNotAllowed, "Only GET is served here.", "Allow",
               "GET");
        return true;
    }
    const QString path = request.url().path();
    if (path == QLatin1String("/") || path == QLatin1String("/overlay") ||
        path == QLatin1String("/big")) {
        send(responder, pageHtml(), "text/html; charset=utf-8");
    } else if (path == QLatin1String("/state")) {
        send(responder, stateBytes(), "application/json");
    } else if (path == QLatin1String("/events")) {
        openFeed(request, socket);
    } else {
        refuse(socket, responder, Status::NotFound, "Not found.");
    }
    return true;
}

void LiveServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    refuse(socket, responder, Status::NotFound, "Not found.");
}

void LiveServer::openFeed(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(Status::Ok);
    responder.writeHeader("Content-Type", "text/event-stream; charset=utf-8");
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    // The stream ends when either side closes it.
    responder.writeHeader("Connection", "close");
    // A dropped feed is taken up again by the browser after this long.
    responder.writeBody(QByteArrayLiteral("retry: 2000\n\n"));
    feeds_.insert(socket, socket);
    sendToFeed(socket, "event: state\ndata: " + stateBytes() + "\n\n");
    emit feedClientsChanged(feedClients());
}

void LiveServer::sendToFeed(QTcpSocket* socket, const QByteArray& bytes) {
    // A client that has stopped reading would make the program hold an
    // ever longer queue for it; it is dropped instead (a browser comes back
    // on its own and is sent the whole state).
    if (socket->bytesToWrite() > limits_.maxQueuedBytes) {
        dropFeed(socket);
        return;
    }
    socket->write(bytes);
    auto it = connections_.find(socket);
    if (it != connections_.end()) it->lastWrite = liveClockMs();
}

void LiveServer::dropFeed(QTcpSocket* socket) {
    feeds_.remove(socket);
    socket->abort();
    socket->deleteLater();
    emit feedClientsChanged(feedClients());
}

void LiveServer::publish(const QJsonObject& document) {
    document_ = document;
    if (feeds_.isEmpty()) return;
    const QByteArray message = "event: state\ndata: " + stateBytes() + "\n\n";
    const QList<QPointer<QTcpSocket>> feeds = feeds_.values();
    for (const QPointer<QTcpSocket>& socket : feeds) {
        if (socket) sendToFeed(socket, message);
    }
}

void LiveServer::sweep() {
    const qint64 now = liveClockMs();
    const QList<QTcpSocket*> sockets = connections_.keys();
    for (QTcpSocket* socket : sockets) {
        const Connection c = connections_.value(socket);
        if (feeds_.contains(socket)) {
            if (now - c.lastWrite >= qint64(limits_.keepAliveSeconds) * 1000)
                sendToFeed(socket, QByteArrayLiteral(": alive\n\n"));
        } else if (now - c.lastActive >= qint64(limits_.idleSeconds) * 1000 ||
                   (!c.asked && now - c.lastActive >= qint64(limits_.firstRequestSeconds) * 1000)) {
            // Idle, or too slow with its first request (a slowloris holds
            // connections open that way, sending a byte now and then).
            socket->abort();
            socket->deleteLater();
            connections_.remove(socket);
        }
    }
    // Forget the addresses that have been quiet long enough to have a full
    // bucket again.
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        if (now - it->last > 60'000) {
            it = buckets_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace live
