#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "link/handshake.h"

class Program;
class PlayScreen;

// The title screen. It is on show while the interface is being found, then
// stays loaded and hidden: its two hidden boxes hold the number of teams and
// players per team for the whole run.
class TitleForm final : public QWidget, private HandshakeView {
    Q_OBJECT

public:
    explicit TitleForm(Program& program);

    // The load handler; the window's state is set up in the constructor.
    void load() {}

    // The start-up road, run once by main: detection, the setup file, the
    // sound check, the options the model allows, then the screen pair.
    // Returns false when the operator gave up on a missing interface (the
    // program has then been ended).
    bool startUp();

    void handshake();
    void setupfile();
    void SoundCardTest();

    QLabel* LabelTitle;
    QLabel* Labelstatus;
    QLabel* Label2;
    QLabel* Label6;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label1;
    QLabel* Label7;
    QLabel* LabelKestrane;
    QLabel* Label8;
    // Says which interface backend is in use ("Simulated interface ...").
    QLabel* LabelInterface;
    QLabel* Picture;

    QLineEdit* TeamText;
    QLineEdit* PlayerText;

private:
    // HandshakeView
    void showPortAddress(std::uint16_t address) override;
    void showOperatingSystem(bool isNt) override;
    void showLibraryState(const QString& state) override;
    void showCode(int code) override;
    void showModel(int model) override;
    bool askRetry() override;

    // Lets the title screen paint while detection blocks the event loop.
    void repaintNow();

    Program& program_;
    bool found_ = false;
};

// Shows the play screen and set-up menu that TeamText and PlayerText select,
// the menu in front. A count outside the four pairs is taken as 2 teams of 4.
// Returns the play screen shown.
PlayScreen& showScreenPair(Program& program);
