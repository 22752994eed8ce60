#pragma once

#include <QLabel>
#include <QWidget>

#include "app/screenpair.h"
#include "play/playvariant.h"

class Program;

// The scoreboard the audience watches. One class serves all four screens;
// what differs between them comes from the variant table.
class PlayScreen final : public QWidget {
    Q_OBJECT

public:
    PlayScreen(Program& program, ScreenPair screen);

    void load();

    ScreenPair screen() const { return variant_.screen; }
    const PlayVariant& variant() const { return variant_; }

    // Puts the screen up for the audience.
    void showScreen();

    // The two colour settings: the background of the window and of the
    // labels that sit on it, and the text colour of the name and team.
    void setScreenBackColour(const QColor& colour);
    QColor screenBackColour() const;
    void setScreenTextColour(const QColor& colour);
    QColor screenTextColour() const;

    QLabel* namelabel;
    QLabel* Labelteam;
    QLabel* Labeltimerstate;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* clocklabel;

private:
    Program& program_;
    const PlayVariant& variant_;
};
