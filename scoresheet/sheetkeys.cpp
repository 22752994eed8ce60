#include "scoresheet/sheetkeys.h"

#include <Qt>

namespace scoresheet {

std::optional<SheetKey> sheetKeyFor(int key, int modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
    switch (key) {
    case Qt::Key_P: return SheetKey{SheetAction::Power};
    case Qt::Key_O: return SheetKey{SheetAction::SecondPower};
    case Qt::Key_B: return SheetKey{SheetAction::BounceBack};
    case Qt::Key_C: return SheetKey{SheetAction::Correct};
    case Qt::Key_N: return SheetKey{SheetAction::Neg};
    case Qt::Key_W: return SheetKey{SheetAction::NoPenalty};
    case Qt::Key_T: return SheetKey{SheetAction::NextTossup};
    default: break;
    }
    if (key >= Qt::Key_1 && key <= Qt::Key_9)
        return SheetKey{SheetAction::BonusPart, key - Qt::Key_1};
    return std::nullopt;
}

bool isScreenKey(int key) {
    return key == Qt::Key_Space || (key >= Qt::Key_F1 && key <= Qt::Key_F12);
}

std::vector<KeyHelp> sheetKeyHelp() {
    return {
        {QStringLiteral("P"), QStringLiteral("power"),
         QStringLiteral("Power: the buzz was right, early enough for the highest power")},
        {QStringLiteral("O"), QStringLiteral("next power"),
         QStringLiteral("The next power level down, under rules with two (e.g. 20 / 15 / 10)")},
        {QStringLiteral("C"), QStringLiteral("correct"),
         QStringLiteral("Correct: the buzz was right")},
        {QStringLiteral("N"), QStringLiteral("neg"),
         QStringLiteral("Neg: wrong, while the question was still read")},
        {QStringLiteral("W"), QStringLiteral("wrong, no penalty"),
         QStringLiteral("Wrong, no penalty")},
        {QStringLiteral("1 to 9"), QStringLiteral("bonus parts"),
         QStringLiteral("Bonus part 1, 2, ...: converted, or not (press again)")},
        {QStringLiteral("B, 1 to 9"), QStringLiteral("bounce-back"),
         QStringLiteral("Under rules with bounce-backs: the bonus part the controlling team missed "
                        "goes to the other team (again: taken back)")},
        {QStringLiteral("T"), QStringLiteral("next toss-up"),
         QStringLiteral("Next toss-up (a dead toss-up: nobody answered)")},
        {QStringLiteral("Space"), QStringLiteral("clear"),
         QStringLiteral("After a right answer or every team's buzz: the next toss-up begins; "
                        "after a neg the same toss-up goes on for the other team")},
    };
}

}  // namespace scoresheet
