#pragma once

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

private:
    Program& program_;
    const PlayVariant& variant_;
};
