#pragma once

#include <QRectF>
#include <QWidget>

#include "record/matchstats.h"

class QPainter;

namespace record {

// The teams' colours on the chart and in the report.
QColor teamColour(int team);

// Every team's score over match time, drawn into `area`: axes with match
// minutes and points, one stepped line per team, and a key of team names.
void paintScoreChart(QPainter& painter, const QRectF& area, const MatchStats& stats);

class ScoreChart final : public QWidget {
    Q_OBJECT
public:
    explicit ScoreChart(QWidget* parent = nullptr);
    void setStats(const MatchStats* stats);
    QSize sizeHint() const override { return {480, 220}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const MatchStats* stats_ = nullptr;
};

}  // namespace record
