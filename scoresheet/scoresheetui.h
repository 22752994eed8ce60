#pragma once

#include <memory>

#include "record/matchrecorder.h"
#include "scoresheet/resultfiles.h"
#include "scoresheet/sheetmodel.h"

class Program;
class QWidget;

namespace scoresheet {

class SheetWindow;

// The scoresheet in the running program: the sheet of the match being
// played, kept from what the program records; the ruling keys on the play
// screen; the operator's choice of rules; the window; the result files for
// the stats room (a partial file kept current while a match is played, the
// result file when it ends).
class Scoresheet {
public:
    // `resultFolder`: where result files go until the operator sets a folder
    // in Match Details.
    explicit Scoresheet(Program& program, const QString& resultFolder = defaultResultFolder());
    ~Scoresheet();

    Scoresheet(const Scoresheet&) = delete;
    Scoresheet& operator=(const Scoresheet&) = delete;

    SheetModel& model() { return *model_; }
    // Opens the window (made on first use) and brings it forward.
    void openWindow(QWidget* parent = nullptr);
    SheetWindow* window() const { return window_.get(); }

    // The operator's choice from the window: kept for the next start, and
    // played from now on. Changing the rules of a match with buzzes on the
    // sheet is asked first.
    void chooseRules(const ScoringRules& rules);

    // The operator's End Match: the result file is written now.
    void endMatch() { model_->endMatch(); }
    // Match Details: tournament, round, room, moderator, result folder.
    void openDetails(QWidget* parent = nullptr);
    const MatchDetails& details() const { return details_; }
    ResultFiles& results() { return *results_; }
    // Help's list of the keys.
    void openKeys(QWidget* parent = nullptr);

private:
    // Hands each event to the recorder the program had and then to the sheet.
    class Tee final : public record::MatchRecorder {
    public:
        Tee(record::MatchRecorder& first, record::MatchRecorder& second)
            : first_(first), second_(second) {}
        void record(record::EventKind kind, const QJsonObject& data) override {
            first_.record(kind, data);
            second_.record(kind, data);
        }

    private:
        record::MatchRecorder& first_;
        record::MatchRecorder& second_;
    };

    // The boards of whichever screen is in use when a ruling is made.
    class Boards final : public ScoreBoard {
    public:
        explicit Boards(Program& program) : program_(program) {}
        void moveScore(int team, int points, const QString& how) override;

    private:
        Program& program_;
    };

    Program& program_;
    record::MatchRecorder& recorder_;
    Boards boards_;
    std::unique_ptr<SheetModel> model_;
    std::unique_ptr<Tee> tee_;
    std::unique_ptr<SheetWindow> window_;
    QString detailsPath_;
    MatchDetails details_;
    std::unique_ptr<ResultFiles> results_;
    std::unique_ptr<QWidget> detailsWindow_;
};

}  // namespace scoresheet
