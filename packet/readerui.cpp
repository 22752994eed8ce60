#include "packet/readerui.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPromise>
#include <QPushButton>
#include <QThreadPool>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/program.h"
#include "app/savefile.h"
#include "app/windowplaces.h"
#include "packet/packetjson.h"
#include "packet/readerwindow.h"

namespace packet {

namespace {

const QString kTitle = QStringLiteral("Packet");

}  // namespace

QWidget* showPacketWarnings(const QString& packetName, const QStringList& problems,
                            const QStringList& warnings, QWidget* parent) {
    if (problems.isEmpty() && warnings.isEmpty()) return nullptr;
    auto* w = new QWidget(parent, Qt::Window);
    w->setObjectName(QStringLiteral("PacketWarnings"));
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowTitle(QStringLiteral("Packet Warnings \u2014 %1").arg(packetName));
    auto* intro = new QLabel(
        QStringLiteral("The packet can be read from; before the match, look at what is said "
                       "about it:"),
        w);
    intro->setWordWrap(true);
    auto* list = new QPlainTextEdit(w);
    list->setObjectName(QStringLiteral("warningList"));
    list->setReadOnly(true);
    QString text;
    if (!problems.isEmpty()) {
        text += QStringLiteral("Left out (could not be read):\n");
        for (const QString& p : problems)
            text += QStringLiteral("  \u2022 ") + p + u'\n';
        text += u'\n';
    }
    if (!warnings.isEmpty()) {
        text += QStringLiteral("Warnings:\n");
        for (const QString& p : warnings)
            text += QStringLiteral("  \u2022 ") + p + u'\n';
    }
    list->setPlainText(text.trimmed());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, w);
    QObject::connect(buttons, &QDialogButtonBox::rejected, w, &QWidget::close);
    auto* layout = new QVBoxLayout(w);
    layout->addWidget(intro);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    w->resize(560, 360);
    places::markOperatorWindow(*w);
    w->show();
    return w;
}

void openPacketFile(const QString& path, Dialogs& dialogs, const PacketExpectations& expect,
                    QObject* context, PacketChosen chosen, std::function<void(bool)> finished) {
    // The read runs on the pool; its result comes back through the watcher
    // on the context's thread. A context gone meanwhile takes the watcher
    // with it, and the result is dropped with the promise.
    auto promise = std::make_shared<QPromise<PacketRead>>();
    auto* watcher = new QFutureWatcher<PacketRead>(context);
    QObject::connect(
        watcher, &QFutureWatcher<PacketRead>::finished, context,
        [watcher, path, &dialogs, expect, chosen = std::move(chosen),
         finished = std::move(finished)] {
            watcher->deleteLater();
            PacketRead read =
                watcher->future().resultCount() > 0
                    ? watcher->future().result()
                    : PacketRead{{}, QStringLiteral("The file could not be read."), {}};
            if (!read.packet) {
                dialogs.inform(QStringLiteral("The packet %1 could not be used.\n\n%2")
                                   .arg(QFileInfo(path).fileName(), read.error),
                               kTitle, Dialogs::Icon::Warning);
                if (finished) finished(false);
                return;
            }
            auto packet = std::make_shared<const Packet>(std::move(*read.packet));
            const QString name = packet->name.isEmpty() ? QFileInfo(path).fileName() : packet->name;
            showPacketWarnings(name, read.problems, packetWarnings(*packet, expect));
            if (chosen) chosen(packet, path);
            if (finished) finished(true);
        });
    watcher->setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, path] {
        promise->start();
        promise->addResult(readPacketFile(path));
        promise->finish();
    });
}

bool savePacketAsJson(const Packet& packet, const QString& packetPath, Dialogs& dialogs) {
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Save Packet as JSON");
    request.filter = QStringLiteral("Packet JSON|*.json|All Files|*.*");
    request.defaultSuffix = QStringLiteral("json");
    request.confirmOverwrite = true;
    if (!packetPath.isEmpty()) {
        const QFileInfo info(packetPath);
        request.folder = info.absolutePath();
        request.fileName = info.completeBaseName() + QStringLiteral(".json");
    }
    const std::optional<QString> path = dialogs.saveFile(request);
    if (!path) return false;
    if (QFileInfo(*path).absoluteFilePath() == QFileInfo(packetPath).absoluteFilePath()) {
        dialogs.inform(QStringLiteral("%1 is the packet's own file; choose another name.")
                           .arg(QFileInfo(*path).fileName()),
                       kTitle, Dialogs::Icon::Warning);
        return false;
    }
    if (const auto error = files::saveReplacingLinks(*path, writePacketJson(packet))) {
        dialogs.inform(QStringLiteral("The packet could not be saved as %1: %2").arg(*path, *error),
                       kTitle, Dialogs::Icon::Warning);
        return false;
    }
    return true;
}

Reader::Reader(Program& program)
    : program_(program), window_(std::make_unique<ReaderWindow>(places::settingsFile(program))) {
    places::markOperatorWindow(*window_);
    placed_ = places::keepPlace(*window_, program_, window_->objectName());
}

Reader::~Reader() = default;

PacketExpectations Reader::expectations() const {
    return expectations_ ? expectations_() : PacketExpectations{};
}

void Reader::openAsked() {
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Open Packet");
    request.filter = QStringLiteral(
        "Packets|*.docx;*.json|Word Documents|*.docx|Packet JSON|*.json|All "
        "Files|*.*");
    if (!path_.isEmpty()) request.folder = QFileInfo(path_).absolutePath();
    if (const std::optional<QString> path = program_.dialogs.openFile(request)) openPacket(*path);
}

void Reader::openPacket(const QString& path, std::function<void(bool)> finished) {
    ++reading_;
    openPacketFile(
        path, program_.dialogs, expectations(), window_.get(),
        [this](std::shared_ptr<const Packet> packet, QString file) {
            choosePacket(std::move(packet), file);
        },
        [this, finished = std::move(finished)](bool ok) {
            --reading_;
            if (finished) finished(ok);
        });
}

void Reader::choosePacket(std::shared_ptr<const Packet> packet, const QString& path) {
    packet_ = std::move(packet);
    path_ = path;
    if (chosen_) {
        chosen_(packet_, path_);
        return;
    }
    ReaderPage page;
    page.packet = packet_;
    page.showing = ReaderPage::Showing::Tossup;
    page.questionNumber = 1;
    page.tossupIndex = packet_->tossups.empty() ? -1 : 0;
    showPage(page);
}

void Reader::showPage(const ReaderPage& page) {
    window_->show(page);
    if (!window_->isVisible()) openWindow();
}

void Reader::openWindow() {
    // The first time, with one display, above the Scoresheet beside the play
    // screen, which makes room for it.
    if (!placed_ && places::oneDisplay())
        places::placeInColumn(*window_, places::Column::Upper, places::playScreenDesign(program_));
    placed_ = true;
    places::fitOnDisplay(*window_);
    window_->show();
    places::refitPlayScreens(program_);
    window_->raise();
}

bool Reader::saveAsJson() {
    if (!packet_) return false;
    return savePacketAsJson(*packet_, path_, program_.dialogs);
}

std::unique_ptr<Reader> installReader(Program& program) {
    auto owned = std::make_unique<Reader>(program);
    Reader* reader = owned.get();
    program.operatorWindows().add({QStringLiteral("Pac&ket..."), QKeySequence(),
                                   [reader](QWidget*) { reader->openAsked(); },
                                   QStringLiteral("mnuPacket"),
                                   QStringLiteral("Opens a packet (.docx or .json) to read from"),
                                   [reader] { return !reader->reading(); }});
    program.operatorWindows().add({QStringLiteral("Pa&cket Reader..."), QKeySequence(),
                                   [reader](QWidget*) { reader->openWindow(); },
                                   QStringLiteral("mnuReader")});
    program.operatorWindows().add({QStringLiteral("Save Packet as &JSON..."), QKeySequence(),
                                   [reader](QWidget*) { reader->saveAsJson(); },
                                   QStringLiteral("mnuSavePacketJson"),
                                   QStringLiteral("Writes the packet as the field's packet JSON"),
                                   [reader] { return reader->packet() != nullptr; }});
    Program::KeySection keys{
        QStringLiteral("Packet reader window"),
        {{QStringLiteral("Left, Right"), QStringLiteral("Move the buzz's mark a word back or on")},
         {QStringLiteral("Click on a word"), QStringLiteral("Put the buzz's mark on that word")},
         {QStringLiteral("Ctrl+Plus, Ctrl+Minus"), QStringLiteral("Larger or smaller type")},
         {QStringLiteral("Ctrl+T"), QStringLiteral("Throw out the question being read")}}};
    program.keySections().push_back(std::move(keys));
    return owned;
}

}  // namespace packet
