#pragma once

#include <optional>
#include <vector>

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include "record/recordstore.h"

namespace record {

// One line of the list of matches, its texts made when the line is made.
struct MatchRow {
    qint64 id = 0;
    qint64 startedMs = 0;
    QString score;  // "Red Foxes 20, Beta 10"
    qint64 events = 0;
    QString end;  // how it ended, "interrupted" or "current"
};

// "Red Foxes 20, Beta 10": the teams as named at the end, with their scores.
QString finalScore(const QStringList& teams, const std::vector<int>& scores);
// A past match's line, from its summary in the file.
MatchRow pastMatchRow(const MatchSummary& m);

// The record window's list of matches: the past ones as the file sums them
// up, then the current one (kept from memory). The texts of a line are
// made when the line is made, the start's date only when it is drawn: a
// record of thousands of matches goes in at once.
class MatchListModel final : public QAbstractTableModel {
public:
    explicit MatchListModel(QObject* parent) : QAbstractTableModel(parent) {}

    // The past matches, in place of those listed so far.
    void setPast(std::vector<MatchRow> rows);
    // The current match's line at the bottom; none takes it away.
    void setCurrent(std::optional<MatchRow> row);
    // The current match's score and number of events, when it is listed.
    void updateCurrent(const QString& score, qint64 events);
    // Takes a past match's line away.
    void removeMatch(qint64 id);

    qint64 matchAt(int row) const;
    // The line of match `id`, or -1.
    int rowOf(qint64 id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

private:
    const MatchRow* at(int row) const;

    std::vector<MatchRow> past_;
    std::optional<MatchRow> current_;
};

}  // namespace record
