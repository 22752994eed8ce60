#pragma once

#include <memory>

#include "scoresheet/sheetmodel.h"

class Program;
class QKeyEvent;
class QWidget;

namespace scoresheet {

class SheetWindow;

// The scoresheet in the running program: the sheet of the match being
// played, kept from what the program records; the ruling keys on the play
// screen; the operator's choice of rules; the window.
class Scoresheet {
public:
    explicit Scoresheet(Program& program);
    ~Scoresheet();

    Scoresheet(const Scoresheet&) = delete;
    Scoresheet& operator=(const Scoresheet&) = delete;

    SheetModel& model() { return *model_; }
    // Opens the window (made on first use) and brings it forward.
    void openWindow();
    SheetWindow* window() const { return window_.get(); }

    // A key on the play screen or in the window: the sheet's action, or a
    // word beside the set-up menu when the rules have no such answer.
    bool key(int key, int modifiers);
    // A key in an operator's window that works the match: the sheet's keys
    // as above; Space and F1 to F12 handed to the play screen in use as if
    // typed there. False for any other key.
    bool windowKey(QKeyEvent* event);
    void sendToScreen(QKeyEvent* event);

    // The operator's choice from the window: kept for the next start, and
    // played from now on. Changing the rules of a match with buzzes on the
    // sheet is asked first.
    void chooseRules(const ScoringRules& rules);

private:
    // Hears the match for the sheet: a name typed over a player who has
    // buzzed is asked about before the sheet takes it.
    class Watch final : public record::MatchRecorder {
    public:
        explicit Watch(Scoresheet& sheet) : sheet_(sheet) {}
        void record(record::EventKind kind, const QJsonObject& data) override;

    private:
        Scoresheet& sheet_;
    };
    void namesChanged(const QJsonObject& data);
    // Asks which team called the time-out just started, and records it.
    void askTimeout();
    // The set-up menu's boxes name who sits at each button after a lineup
    // changed, so that every window names the player who came in.
    void showLineups();

    // The boards of whichever screen is in use when a ruling is made.
    class Boards final : public ScoreBoard {
    public:
        explicit Boards(Program& program) : program_(program) {}
        void moveScore(int team, int points, const QString& how) override;
        bool undoBoard() override;
        bool redoBoard() override;
        void historyChanged() override;

    private:
        Program& program_;
    };

    Program& program_;
    Boards boards_;
    std::unique_ptr<SheetModel> model_;
    Watch watch_{*this};
    bool lineupChanged_ = false;
    int announcedTossup_ = 0;
    std::unique_ptr<SheetWindow> window_;
};

// Puts the scoresheet into the program for as long as it runs: its window in
// the "&Match" menu, its keys in Help, the ruling keys on the play screen,
// the sheet watching the match. The caller keeps it while the program runs.
std::unique_ptr<Scoresheet> installScoresheet(Program& program);

}  // namespace scoresheet
