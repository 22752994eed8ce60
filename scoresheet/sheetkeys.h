#pragma once

#include <optional>
#include <vector>

#include <QString>

// The scoresheet's keys. They work on the play screen and in the scoresheet
// window alike, and are chosen among the keys the play screen has no use
// for: letters and digits, without Ctrl or Alt.
namespace scoresheet {

enum class SheetAction {
    Power,
    SecondPower,
    Correct,
    Neg,
    NoPenalty,
    BonusPart,
    NextTossup,
    BounceBack
};

struct SheetKey {
    SheetAction action;
    int part = 0;  // BonusPart: 0-based
};

// The action of a key (a Qt::Key with its Qt::KeyboardModifiers); none for
// any other key. Shift makes no difference, as on the play screen.
std::optional<SheetKey> sheetKeyFor(int key, int modifiers);

// Space and F1 to F12: the play screen's own keys, which the operator's
// windows that work the match (the Scoresheet window, the reader) hand on to
// the play screen in use.
bool isScreenKey(int key);

// The keys as Help lists them: the key and what it does.
struct KeyHelp {
    QString key;
    QString brief;  // a word or two, for a legend
    QString does;
};
std::vector<KeyHelp> sheetKeyHelp();

}  // namespace scoresheet
