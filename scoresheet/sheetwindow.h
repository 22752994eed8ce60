#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include "scoresheet/sheetmodel.h"

class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;

namespace scoresheet {

// The sheet as a table: a row per toss-up; for each team a column per
// player on its roster, then its bonus and its running total.
class SheetTable final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SheetTable(const SheetModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // What a column shows: a team's player (roster index), its bonus or its
    // total.
    enum class Kind { Player, Bonus, Total };
    struct Column {
        int team;
        Kind kind;
        int player;
    };
    Column column(int c) const { return columns_[std::size_t(c)]; }

    // The sheet has changed: rows and columns follow, the cells are redrawn.
    void refresh();

private:
    void layoutColumns();

    const SheetModel& model_;
    std::vector<Column> columns_;
    int rows_ = 0;
};

// The scoresheet window of the "&Match" menu: the sheet, laid out like the
// paper one; the rules; the lineups; the ruling keys work here as on the
// play screen, and a click on a cell corrects it.
class SheetWindow final : public QWidget {
    Q_OBJECT
public:
    // `chooseRules` is called with the operator's new choice.
    SheetWindow(SheetModel& model, std::function<void(const ScoringRules&)> chooseRules,
                QWidget* parent = nullptr);

    QTableView* table;
    QComboBox* rulesBox;
    QLabel* totalsLabel;
    // The time-outs each team has called, and whether open protests could
    // change the result.
    QLabel* matchNotesLabel;
    QPushButton* nextButton;
    QPushButton* undoButton;
    QPushButton* lineupButton;
    QPushButton* protestButton;
    QLabel* keysLabel;

    // The choices a click on the cell offers; nullptr for a cell that has
    // nothing to correct. The caller owns the menu.
    QMenu* correctionMenu(const QModelIndex& index);
    // Lineup dialog of one team.
    void editLineup(int team);
    // The protest dialog: the team, the toss-up or bonus part, the answer
    // given and the reason; the match goes on meanwhile.
    void lodgeProtest();
    // Lodging a protest, and upholding or denying each open one. The caller
    // owns the menu.
    QMenu* protestMenu();

    void refresh();

    // What the sheet's keys do here; unset, the model's own action.
    void setSheetKeys(std::function<bool(int, int)> act) { sheetKeys_ = std::move(act); }
    // Where Space and F1 to F12 go: to the play screen, which takes them as
    // its own keys, so that the operator can work the match from here.
    void setScreenKeys(std::function<void(QKeyEvent*)> send) { screenKeys_ = std::move(send); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillRules();
    void cellClicked(const QModelIndex& index);

    SheetModel& model_;
    SheetTable* tableModel_;
    bool screenKey(QKeyEvent* event);

    std::function<void(const ScoringRules&)> chooseRules_;
    std::function<void(QKeyEvent*)> screenKeys_;
    std::function<bool(int, int)> sheetKeys_;
    bool sheetKey(int key, int modifiers) {
        return sheetKeys_ ? sheetKeys_(key, modifiers) : model_.key(key, modifiers);
    }
    int shownRows_ = -1;
};

// Help's list of the scoresheet's keys: a window of its own, closed with the
// usual button; deleted when closed.
QWidget* openSheetKeys(QWidget* parent);

}  // namespace scoresheet
