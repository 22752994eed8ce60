#include "live/livehub.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QTimer>

#include <utility>

#include "live/livestate.h"
#include "live/streamfiles.h"

namespace live {

// Lives on the live thread: the state, the server and the files.
class LiveWorker final : public QObject {
public:
    explicit LiveWorker(LiveHub& hub) : hub_(hub) {
        // While a count-down runs the files follow it second by second; the
        // page counts by itself.
        filesTimer_.setInterval(100);
        QObject::connect(&filesTimer_, &QTimer::timeout, this, [this] { writeFiles(); });
        // A buzz-in comes as a few events at once (the name, the timer
        // frozen, the decision); they go out together a little later, once
        // the play screen has drawn the name, not while it does.
        pushTimer_.setSingleShot(true);
        pushTimer_.setInterval(kPushDelayMs);
        QObject::connect(&pushTimer_, &QTimer::timeout, this, [this] { push(); });
    }

    void apply(record::EventKind kind, const QJsonObject& data, qint64 at) {
        if (state_.apply(kind, data, at)) changed();
    }
    void setTossUp(int number) {
        if (state_.setTossUp(number)) changed();
    }

    std::optional<QString> serve(const ServeChoice& choice) {
        server_.reset();
        auto server = std::make_unique<LiveServer>(choice.limits);
        const QHostAddress address =
            choice.localNetwork ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress::LocalHost;
        if (auto failed = server->start(address, choice.port)) return failed;
        QObject::connect(server.get(), &LiveServer::feedClientsChanged, &hub_,
                         &LiveHub::feedClientsChanged);
        server->publish(state_.document());
        server_ = std::move(server);
        return std::nullopt;
    }
    quint16 port() const { return server_ ? server_->port() : 0; }
    void stop() {
        server_.reset();
        emit hub_.feedClientsChanged(0);
    }

    void writeFilesTo(const QString& folder) {
        files_.reset();
        filesTimer_.stop();
        filesProblem_.clear();
        if (folder.isEmpty()) return;
        files_ = std::make_unique<StreamFiles>(folder);
        writeFiles();
    }

    QJsonObject document() const { return state_.document(); }

private:
    static constexpr int kPushDelayMs = 8;

    void changed() {
        if ((server_ || files_) && !pushTimer_.isActive()) pushTimer_.start();
    }
    void push() {
        if (server_) server_->publish(state_.document());
        if (files_) writeFiles();
    }

    void writeFiles() {
        const std::optional<QString> failed = files_->update(state_, liveClockMs());
        // Said once, not at every tick it goes on failing.
        const QString text = failed ? *failed : QString();
        if (text != filesProblem_) {
            filesProblem_ = text;
            if (failed)
                emit hub_.problem(
                    QStringLiteral("The stream files cannot be written: %1").arg(*failed));
        }
        const bool counting = state_.timer().running || state_.clock().running;
        if (counting && !filesTimer_.isActive()) filesTimer_.start();
        if (!counting) filesTimer_.stop();
    }

    LiveHub& hub_;
    LiveState state_;
    std::unique_ptr<LiveServer> server_;
    std::unique_ptr<StreamFiles> files_;
    // Children, so that they move to the live thread with the worker.
    QTimer filesTimer_{this};
    QTimer pushTimer_{this};
    QString filesProblem_;
};

LiveHub::LiveHub(QObject* parent) : QObject(parent), worker_(new LiveWorker(*this)) {
    thread_.setObjectName(QStringLiteral("live"));
    worker_->moveToThread(&thread_);
    thread_.start();
    // Where the two share a busy processor, the window thread goes first: a
    // page a few milliseconds late is nothing, a late name on the play screen
    // is. (Raising a thread's nice value needs no rights.)
    QMetaObject::invokeMethod(
        worker_, [] { setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5); },
        Qt::QueuedConnection);
}

LiveHub::~LiveHub() {
    // The server and its sockets are torn down on their own thread.
    QMetaObject::invokeMethod(
        worker_, [w = worker_] { delete w; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void LiveHub::record(record::EventKind kind, const QJsonObject& data) {
    pending_.push_back({kind, data, liveClockMs()});
    // Queued behind what the event's window has already asked for (its
    // repaint), so it runs after that.
    if (pending_.size() == 1)
        QMetaObject::invokeMethod(
            this, [this] { handOver(); }, Qt::QueuedConnection);
}

void LiveHub::handOver() {
    if (pending_.empty()) return;
    QMetaObject::invokeMethod(
        worker_,
        [w = worker_, batch = std::exchange(pending_, {})] {
            for (const Pending& e : batch)
                w->apply(e.kind, e.data, e.at);
        },
        Qt::QueuedConnection);
}

void LiveHub::setTossUp(int number) {
    handOver();
    QMetaObject::invokeMethod(
        worker_, [w = worker_, number] { w->setTossUp(number); }, Qt::QueuedConnection);
}

std::optional<QString> LiveHub::serve(const ServeChoice& choice) {
    std::optional<QString> failed;
    quint16 port = 0;
    QMetaObject::invokeMethod(
        worker_,
        [&, w = worker_] {
            failed = w->serve(choice);
            port = w->port();
        },
        Qt::BlockingQueuedConnection);
    port_ = port;
    if (!failed) choice_ = choice;
    return failed;
}

void LiveHub::stopServing() {
    QMetaObject::invokeMethod(
        worker_, [w = worker_] { w->stop(); }, Qt::BlockingQueuedConnection);
    port_ = 0;
}

void LiveHub::writeFilesTo(const QString& folder) {
    filesFolder_ = folder;
    QMetaObject::invokeMethod(
        worker_, [w = worker_, folder] { w->writeFilesTo(folder); }, Qt::QueuedConnection);
}

QJsonObject LiveHub::document() {
    handOver();
    QJsonObject document;
    QMetaObject::invokeMethod(
        worker_, [&, w = worker_] { document = w->document(); }, Qt::BlockingQueuedConnection);
    return document;
}

}  // namespace live
