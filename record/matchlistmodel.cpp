#include "record/matchlistmodel.h"

#include <algorithm>
#include <utility>

#include <QDateTime>

namespace record {

QString finalScore(const QStringList& teams, const std::vector<int>& scores) {
    QStringList parts;
    for (int t = 0; t < int(scores.size()); ++t)
        parts << QStringLiteral("%1 %2").arg(teams.value(t)).arg(scores[std::size_t(t)]);
    return parts.join(QStringLiteral(", "));
}

MatchRow pastMatchRow(const MatchSummary& m) {
    return {m.id, m.startedMs, finalScore(m.names, m.scores), m.events,
            m.endedMs ? m.endHow : QStringLiteral("interrupted")};
}

void MatchListModel::setPast(std::vector<MatchRow> rows) {
    beginResetModel();
    past_ = std::move(rows);
    endResetModel();
}

void MatchListModel::setCurrent(std::optional<MatchRow> row) {
    const int at = int(past_.size());
    if (current_ && row) {
        current_ = std::move(row);
        emit dataChanged(index(at, 0), index(at, columnCount() - 1));
    } else if (current_) {
        beginRemoveRows({}, at, at);
        current_.reset();
        endRemoveRows();
    } else if (row) {
        beginInsertRows({}, at, at);
        current_ = std::move(row);
        endInsertRows();
    }
}

void MatchListModel::updateCurrent(const QString& score, qint64 events) {
    if (!current_) return;
    current_->score = score;
    current_->events = events;
    const int at = int(past_.size());
    emit dataChanged(index(at, 2), index(at, 3));
}

void MatchListModel::removeMatch(qint64 id) {
    const int row = rowOf(id);
    if (row < 0 || row >= int(past_.size())) return;
    beginRemoveRows({}, row, row);
    past_.erase(past_.begin() + row);
    endRemoveRows();
}

qint64 MatchListModel::matchAt(int row) const {
    const MatchRow* r = at(row);
    return r ? r->id : 0;
}

int MatchListModel::rowOf(qint64 id) const {
    // The file lists its matches in order of their numbers.
    const auto found = std::lower_bound(past_.begin(), past_.end(), id,
                                        [](const MatchRow& r, qint64 id) { return r.id < id; });
    if (found != past_.end() && found->id == id) return int(found - past_.begin());
    if (current_ && current_->id == id) return int(past_.size());
    return -1;
}

const MatchRow* MatchListModel::at(int row) const {
    if (row < 0) return nullptr;
    if (row < int(past_.size())) return &past_[std::size_t(row)];
    return row == int(past_.size()) && current_ ? &*current_ : nullptr;
}

int MatchListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(past_.size()) + (current_ ? 1 : 0);
}

int MatchListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 5;
}

QVariant MatchListModel::data(const QModelIndex& index, int role) const {
    const MatchRow* r = index.isValid() ? at(index.row()) : nullptr;
    if (!r) return {};
    if (role == Qt::UserRole) return r->id;
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case 0: return QString::number(r->id);
    case 1:
        return QDateTime::fromMSecsSinceEpoch(r->startedMs)
            .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    case 2: return r->score;
    case 3: return QString::number(r->events);
    default: return r->end;
    }
}

QVariant MatchListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[] = {"No.", "Started", "Final score", "Events", "End"};
    return section >= 0 && section < 5 ? QString::fromLatin1(kTitles[section]) : QVariant();
}

}  // namespace record
