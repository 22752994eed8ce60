#pragma once

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

#include "packet/packet.h"
#include "packet/readerpage.h"

class Dialogs;
class Program;
class QObject;
class QWidget;

namespace packet {

class ReaderWindow;

// The packet a file gave, and the file.
using PacketChosen = std::function<void(std::shared_ptr<const Packet> packet, QString path)>;

// The questions of a packet that could not be read and what the field's
// moderator app would warn about, in a window of their own that waits beside
// the others (not modal) until it is closed; deleted then. Nothing shown,
// and nullptr, when both lists are empty.
QWidget* showPacketWarnings(const QString& packetName, const QStringList& problems,
                            const QStringList& warnings, QWidget* parent = nullptr);

// Reads a packet file (JSON or Word) off the window thread: a Word file can
// be large, and a share slow. Back on the window thread, a file that gives
// no packet is explained in a message; a packet goes to `chosen`, after its
// problems and warnings (under `expect`) were put up in the warnings window.
// `finished` follows either way, with whether a packet came. Nothing happens
// once `context` is gone.
void openPacketFile(const QString& path, Dialogs& dialogs, const PacketExpectations& expect,
                    QObject* context, PacketChosen chosen, std::function<void(bool)> finished = {});

// Asks where, and writes the packet there as the field's packet JSON (a link
// of that name is replaced, never written through). False when nothing was
// written; a failure is explained.
bool savePacketAsJson(const Packet& packet, const QString& packetPath, Dialogs& dialogs);

// The packet in the running program: Match > Packet... and Save Packet as
// JSON..., the reader window, and the packet given on the command line.
class Reader {
public:
    explicit Reader(Program& program);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Asks for a packet file and opens it.
    void openAsked();
    // Reads the file off the window thread and chooses its packet.
    void openPacket(const QString& path, std::function<void(bool)> finished = {});
    bool reading() const { return reading_ > 0; }

    // The packet the match is read from. Handed to the packet-chosen
    // handler; without one, the reader shows its first toss-up.
    void choosePacket(std::shared_ptr<const Packet> packet, const QString& path);
    const std::shared_ptr<const Packet>& packet() const { return packet_; }
    const QString& packetPath() const { return path_; }
    void setPacketChosen(PacketChosen handler) { chosen_ = std::move(handler); }
    // What the match's rules expect of a packet, for its warnings.
    void setExpectations(std::function<PacketExpectations()> expectations) {
        expectations_ = std::move(expectations);
    }

    // Shows the page in the reader window, which comes up if it was not on
    // show.
    void showPage(const ReaderPage& page);
    void openWindow();
    // Made with the reader; its signals ask the match side for a mark moved
    // or a question thrown out.
    ReaderWindow& window() { return *window_; }

    bool saveAsJson();

private:
    PacketExpectations expectations() const;

    Program& program_;
    std::unique_ptr<ReaderWindow> window_;
    std::shared_ptr<const Packet> packet_;
    QString path_;
    PacketChosen chosen_;
    std::function<PacketExpectations()> expectations_;
    int reading_ = 0;
    bool placed_ = false;  // the window has a place, kept or given
};

// Puts the reader into the program: its items in the "&Match" menu, its
// keys (the scoresheet's, and the play screen's Space and F1 to F12, work in
// its window as in the Scoresheet window). The caller keeps it while the
// program runs, and gives its window the keys (ReaderWindow::setKeyHandler).
std::unique_ptr<Reader> installReader(Program& program);

}  // namespace packet
