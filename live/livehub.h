#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QHostAddress>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QThread>

#include "app/matchrecorder.h"
#include "live/liveserver.h"

namespace live {

class LiveWorker;

// Where the live page is served.
struct ServeChoice {
    quint16 port = kDefaultPort;
    // Off: this machine only (the loopback address). On: every IPv4 address
    // of this machine, for phones and other rooms on the local network: the
    // addresses the Live Page window lists, and no others.
    bool localNetwork = false;
    ServerLimits limits;
};

// The live match off the machine: watches the match as one more recorder of
// its events, and keeps the page's server and the stream files on a thread
// of their own. From the window thread an event costs a copy of its data
// and a message to that thread; nothing the window thread does waits for a
// client or a disk.
class LiveHub final : public QObject, public record::MatchRecorder {
    Q_OBJECT
public:
    explicit LiveHub(QObject* parent = nullptr);
    ~LiveHub() override;

    // An event of the match (called on the window thread, after the windows
    // acted).
    void record(record::EventKind kind, const QJsonObject& data) override;

    // The toss-up in play while a scoresheet is kept; 0 when none is.
    void setTossUp(int number);

    // Starts serving, or serves elsewhere; waits for the live thread's
    // answer. Nothing on success; otherwise the operator's explanation.
    std::optional<QString> serve(const ServeChoice& choice);
    void stopServing();
    bool serving() const { return port_ != 0; }
    quint16 port() const { return port_; }
    const ServeChoice& choice() const { return choice_; }

    // The stream files' folder; empty switches them off. The files are
    // written at once; a problem comes back through problem().
    void writeFilesTo(const QString& folder);
    const QString& filesFolder() const { return filesFolder_; }

    // The state document with every event so far (waits for the live
    // thread).
    QJsonObject document();

signals:
    // From the live thread, delivered on the receiver's thread.
    void feedClientsChanged(int count);
    void problem(const QString& text);

private:
    struct Pending {
        record::EventKind kind;
        QJsonObject data;
        qint64 at;
    };
    void handOver();

    // The events of the window thread's current turn, handed to the live
    // thread once that turn is over: the play screen draws a buzz-in before
    // anything else wakes up for it.
    std::vector<Pending> pending_;
    QThread thread_;
    LiveWorker* worker_;
    quint16 port_ = 0;
    ServeChoice choice_;
    QString filesFolder_;
};

}  // namespace live
