// The live page's server as a client on this machine sees it: what it
// serves, what it refuses, and the feed following the match.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include "live/livehub.h"
#include "live/liveserver.h"

namespace {

bool waitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

struct Reply {
    int status = 0;  // 0: the connection was closed without an answer
    QByteArray head;
    QByteArray body;
};

// Sends `request` as it is and reads one answer (until its length is there
// or the server closes).
Reply ask(quint16 port, const QByteArray& request) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!waitFor([&] { return s.state() == QAbstractSocket::ConnectedState; })) return {};
    s.write(request);
    QByteArray in;
    Reply r;
    waitFor([&] {
        in += s.readAll();
        const qsizetype end = in.indexOf("\r\n\r\n");
        if (end >= 0) {
            r.head = in.left(end);
            const QByteArray lower = r.head.toLower();
            const qsizetype at = lower.indexOf("content-length:");
            const qint64 length =
                at < 0 ? 0 : lower.mid(at + 15).split('\r').first().trimmed().toLongLong();
            if (in.size() - end - 4 >= length) {
                r.body = in.mid(end + 4, length);
                return true;
            }
        }
        return s.state() == QAbstractSocket::UnconnectedState;
    });
    if (r.head.startsWith("HTTP/1.1 ")) r.status = r.head.mid(9, 3).toInt();
    return r;
}

QByteArray get(const QByteArray& path, const QByteArray& host, const QByteArray& extra = {}) {
    return "GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\n" + extra + "\r\n";
}

struct RequestCase {
    const char* what;
    QByteArray request;  // "PORT" is replaced by the server's port
    int status;
};

TEST(LiveServer, ServesThisMachineOnlyAndOnlyGet) {
    live::LiveServer server;
    ASSERT_FALSE(server.start(QHostAddress::LocalHost, 0));
    server.publish(QJsonObject{{QStringLiteral("version"), 3}, {QStringLiteral("format"), 1}});
    const QByteArray port = QByteArray::number(server.port());
    const RequestCase cases[] = {
        {"the page", get("/", "127.0.0.1:PORT"), 200},
        {"the overlay", get("/?overlay", "localhost:PORT"), 200},
        {"the big board", get("/big", "[::1]:PORT"), 200},
        {"the state", get("/state", "localhost"), 200},
        {"a foreign name", get("/state", "attacker.example"), 403},
        {"a foreign name with our port", get("/", "attacker.example:PORT"), 403},
        {"a name ending in ours", get("/", "127.0.0.1.attacker.example"), 403},
        {"no Host at all", "GET /state HTTP/1.0\r\n\r\n", 403},
        {"two Hosts, ours first", get("/state", "127.0.0.1", "Host: attacker.example\r\n"), 400},
        {"two Hosts, ours twice", get("/state", "127.0.0.1", "Host: 127.0.0.1\r\n"), 400},
        {"a page of another site",
         get("/state", "127.0.0.1", "Origin: http://attacker.example\r\n"), 403},
        {"our own page", get("/state", "127.0.0.1", "Origin: http://127.0.0.1:PORT\r\n"), 200},
        {"POST", "POST /state HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 2\r\n\r\n{}", 405},
        {"PUT", "PUT / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\n\r\n", 405},
        {"DELETE", "DELETE /state HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", 405},
        {"OPTIONS", "OPTIONS / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", 405},
        {"elsewhere", get("/../etc/passwd", "127.0.0.1"), 404},
        {"huge headers", get("/", "127.0.0.1", "X-Fill: " + QByteArray(20000, 'a') + "\r\n"), 413},
    };
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Reply r = ask(server.port(), QByteArray(c.request).replace("PORT", port));
        EXPECT_EQ(r.status, c.status) << r.head.toStdString();
        EXPECT_FALSE(r.head.toLower().contains("access-control-allow-origin"));
        if (c.status == 200 && c.request.startsWith("GET /state")) {
            const QJsonObject doc = QJsonDocument::fromJson(r.body).object();
            EXPECT_EQ(doc.value(QStringLiteral("version")).toInt(), 3);
            EXPECT_TRUE(doc.contains(QStringLiteral("now")));
        } else if (c.status == 200) {
            EXPECT_TRUE(r.body.contains("<title>Torvanel live</title>"));
            // Nothing is fetched from elsewhere, and the browser is told so.
            EXPECT_FALSE(r.body.contains("http://"));
            EXPECT_FALSE(r.body.contains("https://"));
            EXPECT_TRUE(r.head.contains("Content-Security-Policy: default-src 'none'"));
        }
    }
}

TEST(LiveServer, BoundsConnectionsAndRequestRate) {
    live::ServerLimits limits;
    limits.maxConnections = 3;
    limits.requestBurst = 4;
    limits.requestsPerSecond = 0.01;
    live::LiveServer server(limits);
    ASSERT_FALSE(server.start(QHostAddress::LocalHost, 0));

    QTcpSocket held[3];
    for (QTcpSocket& s : held)
        s.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(waitFor([&] { return server.openConnections() == 3; }));
    QTcpSocket extra;
    extra.connectToHost(QHostAddress::LocalHost, server.port());
    // Accepted by the system, closed by the server at once.
    EXPECT_TRUE(waitFor([&] { return extra.state() == QAbstractSocket::UnconnectedState; }));
    for (QTcpSocket& s : held)
        s.abort();
    ASSERT_TRUE(waitFor([&] { return server.openConnections() == 0; }));

    std::vector<int> statuses;
    for (int i = 0; i < 6; ++i)
        statuses.push_back(ask(server.port(), get("/state", "127.0.0.1")).status);
    EXPECT_EQ(statuses, (std::vector<int>{200, 200, 200, 200, 429, 429}));
}

TEST(LiveServer, PortInUseIsSaidPlainly) {
    live::LiveServer first;
    ASSERT_FALSE(first.start(QHostAddress::LocalHost, 0));
    live::LiveServer second;
    const std::optional<QString> failed = second.start(QHostAddress::LocalHost, first.port());
    ASSERT_TRUE(failed);
    EXPECT_TRUE(failed->contains(QStringLiteral("Port %1 is already in use").arg(first.port())));
    EXPECT_TRUE(failed->contains(QStringLiteral("--live-port")));
}

TEST(LiveServer, HostNamesAreReadLikeBrowsersWriteThem) {
    const std::pair<const char*, const char*> cases[] = {{"127.0.0.1:8471", "127.0.0.1"},
                                                         {"LocalHost", "localhost"},
                                                         {"[::1]:80", "::1"},
                                                         {"[::1]", "::1"},
                                                         {"example.org.", "example.org"},
                                                         {"::1", ""},
                                                         {"[::1]x", ""}};
    for (const auto& [header, host] : cases)
        EXPECT_EQ(live::LiveServer::hostOf(header), QString::fromLatin1(host)) << header;
}

// A feed client reads the events of the match as they happen; a client
// that stops reading is dropped without holding the others up.
class Feed {
public:
    explicit Feed(quint16 port) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.write(get("/events", "127.0.0.1"));
    }
    // The next state event's document.
    QJsonObject next(int ms = 5000) {
        QJsonObject doc;
        waitFor(
            [&] {
                buffer += socket.readAll();
                const qsizetype at = buffer.indexOf("event: state\ndata: ");
                const qsizetype end = buffer.indexOf("\n\n", at);
                if (at < 0 || end < 0) return false;
                doc = QJsonDocument::fromJson(buffer.mid(at + 19, end - at - 19)).object();
                buffer.remove(0, end + 2);
                return true;
            },
            ms);
        return doc;
    }
    QTcpSocket socket;
    QByteArray buffer;
};

TEST(LiveHub, PushesEveryChangeFromItsOwnThread) {
    live::LiveHub hub;
    QTemporaryDir files;
    hub.writeFilesTo(files.path());
    live::ServeChoice choice;
    choice.port = 0;
    ASSERT_FALSE(hub.serve(choice));
    ASSERT_NE(hub.port(), 0);
    Feed feed(hub.port());
    const QJsonObject first = feed.next();
    ASSERT_TRUE(first.contains(QStringLiteral("version")));

    hub.record(record::EventKind::MatchStarted,
               QJsonObject{{QStringLiteral("teams"),
                            QJsonArray{QStringLiteral("Owls"), QStringLiteral("Larks")}},
                           {QStringLiteral("scores"), QJsonArray{0, 0}},
                           {QStringLiteral("clock"), 600}});
    const QJsonObject started = feed.next();
    EXPECT_EQ(started.value(QStringLiteral("version")).toInt(),
              first.value(QStringLiteral("version")).toInt() + 1);
    EXPECT_EQ(started[QStringLiteral("teams")][1][QStringLiteral("name")].toString(),
              QStringLiteral("Larks"));

    hub.record(record::EventKind::Decision,
               QJsonObject{{QStringLiteral("text"), QStringLiteral("x")}});
    hub.record(record::EventKind::BuzzIn,
               QJsonObject{{QStringLiteral("player"), 6},
                           {QStringLiteral("name"), QStringLiteral("Ada")},
                           {QStringLiteral("team"), 1},
                           {QStringLiteral("teamName"), QStringLiteral("Larks")}});
    // Nothing is sent for what the audience does not see.
    const QJsonObject buzzed = feed.next();
    EXPECT_EQ(buzzed.value(QStringLiteral("version")).toInt(),
              started.value(QStringLiteral("version")).toInt() + 1);
    EXPECT_EQ(buzzed[QStringLiteral("buzz")][QStringLiteral("name")].toString(),
              QStringLiteral("Ada"));
    EXPECT_EQ(hub.document().value(QStringLiteral("version")),
              buzzed.value(QStringLiteral("version")));
    // The stream files follow too.
    EXPECT_TRUE(waitFor([&] {
        QFile f(QDir(files.path()).filePath(QStringLiteral("buzzer.txt")));
        return f.open(QIODevice::ReadOnly) && f.readAll() == "Ada";
    }));

    // Off again: the port is closed.
    const quint16 port = hub.port();
    hub.stopServing();
    QTcpSocket late;
    late.connectToHost(QHostAddress::LocalHost, port);
    EXPECT_TRUE(waitFor([&] { return late.state() == QAbstractSocket::UnconnectedState; }));
}

TEST(LiveServer, DropsAFeedClientThatStopsReading) {
    live::ServerLimits limits;
    limits.maxQueuedBytes = 64 * 1024;
    live::LiveServer server(limits);
    ASSERT_FALSE(server.start(QHostAddress::LocalHost, 0));
    Feed stalled(server.port());
    stalled.socket.setReadBufferSize(1);  // reads (almost) nothing
    Feed reader(server.port());
    ASSERT_TRUE(waitFor([&] { return server.feedClients() == 2; }));
    reader.next();
    const QString big(20000, QLatin1Char('x'));
    int sent = 0;
    QElapsedTimer t;
    t.start();
    while (server.feedClients() == 2 && t.elapsed() < 20000) {
        server.publish(
            QJsonObject{{QStringLiteral("version"), ++sent}, {QStringLiteral("fill"), big}});
        QCoreApplication::processEvents();
        reader.socket.readAll();
    }
    EXPECT_EQ(server.feedClients(), 1) << sent << " sent";
    server.publish(QJsonObject{{QStringLiteral("version"), 999999}});
    bool seen = false;
    waitFor([&] {
        const QJsonObject doc = reader.next(100);
        seen = doc.value(QStringLiteral("version")).toInt() == 999999;
        return seen;
    });
    EXPECT_TRUE(seen);
}

}  // namespace

// A client that sends its request and shuts its sending side (as `nc -N`,
// `curl` through some proxies, and scripts do) is still answered.
TEST(LiveServer, AnswersAClientThatHalfClosesAfterItsRequest) {
    live::LiveServer server;
    ASSERT_FALSE(server.start(QHostAddress::LocalHost, 0));
    for (const auto& [path, status] :
         {std::pair{"/state", "200"}, std::pair{"/", "200"}, std::pair{"/nothing", "404"}}) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(fd, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(server.port());
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        // The system completes a loopback connection itself.
        ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
        const QByteArray request = get(path, "127.0.0.1");
        ASSERT_EQ(::send(fd, request.constData(), request.size(), MSG_NOSIGNAL), request.size());
        ASSERT_EQ(::shutdown(fd, SHUT_WR), 0);
        ASSERT_EQ(::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK), 0);
        QByteArray in;
        bool closed = false;
        waitFor([&] {
            char buffer[4096];
            ssize_t n = 0;
            while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
                in.append(buffer, n);
            closed = n == 0;
            return closed;
        });
        ::close(fd);
        EXPECT_TRUE(in.startsWith(QByteArray("HTTP/1.1 ") + status)) << path << ": " << in.data();
        // Nothing more can come from the client: the server closes its side
        // once it has answered.
        EXPECT_TRUE(closed) << path;
    }
}

namespace {

// A client on its own loopback address (127.0.0.2, ...), as a second
// machine on the network would be.
void connectFrom(QTcpSocket& s, const char* address, quint16 port) {
    s.bind(QHostAddress(QString::fromLatin1(address)));
    s.connectToHost(QHostAddress::LocalHost, port);
}

}  // namespace

// One address cannot take every connection: its own are refused beyond its
// share, and others are still served; a connection that has not sent its
// request in time is closed (slowloris).
TEST(LiveServer, OneAddressCannotLockOthersOut) {
    live::ServerLimits limits;
    limits.maxConnections = 8;
    limits.maxConnectionsPerAddress = 3;
    limits.firstRequestSeconds = 1;
    live::LiveServer server(limits);
    ASSERT_FALSE(server.start(QHostAddress::LocalHost, 0));

    QTcpSocket held[4];
    for (QTcpSocket& s : held)
        connectFrom(s, "127.0.0.2", server.port());
    ASSERT_TRUE(waitFor([&] { return server.openConnections() == 3; }));
    // The fourth from that address is closed at once.
    EXPECT_TRUE(waitFor([&] {
        return std::count_if(std::begin(held), std::end(held), [](const QTcpSocket& s) {
                   return s.state() == QAbstractSocket::UnconnectedState;
               }) == 1;
    }));
    EXPECT_EQ(server.openConnections(), 3);
    // Others are served meanwhile, from their own addresses.
    for (const char* other : {"127.0.0.3", "127.0.0.4"}) {
        QTcpSocket s;
        connectFrom(s, other, server.port());
        ASSERT_TRUE(waitFor([&] { return s.state() == QAbstractSocket::ConnectedState; }));
        s.write(get("/state", "127.0.0.1"));
        QByteArray in;
        EXPECT_TRUE(waitFor([&] {
            in += s.readAll();
            return in.startsWith("HTTP/1.1 200");
        })) << other;
    }
    // Half a request line, and nothing more: closed, well before the idle
    // time of a connection that has been served.
    held[0].write("GET /state HTTP/1.1\r\nHo");
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, 10000));
}

// "On the local network" serves the addresses the Live Page window lists
// (this machine's IPv4 addresses) and not, unseen, its IPv6 ones.
TEST(LiveHub, OnTheLocalNetworkServesWhatTheWindowShows) {
    live::LiveHub hub;
    live::ServeChoice choice;
    choice.port = 0;
    choice.localNetwork = true;
    ASSERT_FALSE(hub.serve(choice));
    QTcpSocket v4;
    v4.connectToHost(QHostAddress::LocalHost, hub.port());
    EXPECT_TRUE(waitFor([&] { return v4.state() == QAbstractSocket::ConnectedState; }));
    QTcpSocket v6;
    v6.connectToHost(QHostAddress::LocalHostIPv6, hub.port());
    EXPECT_TRUE(waitFor([&] { return v6.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(v6.error(), QAbstractSocket::ConnectionRefusedError);
}
