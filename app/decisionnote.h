#pragma once

#include <QJsonObject>
#include <QString>

// A note on how the last buzz-in was decided, for the operator: a tie the
// program broke at random, a respondent held for second place, or what
// another part of the program has to say about the same buzz-in (who
// pressed next, and how much later). It is shown on the line at the foot of
// the set-up menus until the next clear, and kept as a Decision event of the
// match record.
struct DecisionNote {
    // The line the operator reads.
    QString text;
    // The event's data in the match record; the text is added to it under
    // "text".
    QJsonObject details;

    bool operator==(const DecisionNote&) const = default;
};
