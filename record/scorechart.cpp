#include "record/scorechart.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPainterPath>

namespace record {

QColor teamColour(int team) {
    static const QColor kColours[] = {QColor(0x1f, 0x5f, 0xbf), QColor(0xc0, 0x30, 0x30),
                                      QColor(0x20, 0x90, 0x40)};
    return kColours[std::clamp(team, 0, 2)];
}

namespace {

// A step of 1, 2 or 5 times a power of ten that gives about `ticks` ticks.
double niceStep(double range, int ticks) {
    const double raw = std::max(range / ticks, 1e-9);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * power) return m * power;
    return 10 * power;
}

}  // namespace

void paintScoreChart(QPainter& p, const QRectF& area, const MatchStats& stats) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF fm(p.font());
    const double left = area.left() + fm.horizontalAdvance(QStringLiteral("-00000")) + 6;
    const double bottom = area.bottom() - fm.height() * 2.4;
    const double top = area.top() + fm.height() * 0.6;
    const double right = area.right() - 8;
    const QRectF plot(QPointF(left, top), QPointF(right, bottom));

    double minScore = 0, maxScore = 10;
    for (const auto& series : stats.series)
        for (const ScorePoint& pt : series) {
            minScore = std::min(minScore, double(pt.score));
            maxScore = std::max(maxScore, double(pt.score));
        }
    const double endTime = std::max(stats.endTime, 60.0);
    const double yStep = niceStep(maxScore - minScore, 5);
    minScore = std::floor(minScore / yStep) * yStep;
    maxScore = std::ceil(maxScore / yStep) * yStep;
    const double xStep = niceStep(endTime / 60.0, 8) * 60.0;

    auto x = [&](double t) { return plot.left() + plot.width() * std::max(0.0, t) / endTime; };
    auto y = [&](double s) {
        return plot.bottom() - plot.height() * (s - minScore) / (maxScore - minScore);
    };

    p.setPen(QPen(QColor(0xd0, 0xd0, 0xd0), 0));
    for (double s = minScore; s <= maxScore + 1e-9; s += yStep) {
        p.drawLine(QPointF(plot.left(), y(s)), QPointF(plot.right(), y(s)));
    }
    p.setPen(QPen(Qt::black, 0));
    for (double s = minScore; s <= maxScore + 1e-9; s += yStep) {
        p.drawText(QRectF(area.left(), y(s) - fm.height() / 2, left - area.left() - 4, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(s, 'g', 6));
    }
    for (double t = 0; t <= endTime + 1e-9; t += xStep) {
        p.drawLine(QPointF(x(t), plot.bottom()), QPointF(x(t), plot.bottom() + 3));
        p.drawText(QRectF(x(t) - 30, plot.bottom() + 3, 60, fm.height()), Qt::AlignHCenter,
                   QString::number(t / 60.0, 'g', 4));
    }
    p.drawRect(plot);
    p.drawText(QRectF(plot.left(), plot.bottom() + fm.height(), plot.width(), fm.height()),
               Qt::AlignHCenter, QStringLiteral("match minutes"));

    for (std::size_t team = 0; team < stats.series.size(); ++team) {
        const auto& series = stats.series[team];
        if (series.empty()) continue;
        QPainterPath path(QPointF(x(series.front().time), y(series.front().score)));
        for (std::size_t i = 1; i < series.size(); ++i) {
            path.lineTo(x(series[i].time), y(series[i - 1].score));
            path.lineTo(x(series[i].time), y(series[i].score));
        }
        p.setPen(QPen(teamColour(int(team)), 2));
        p.drawPath(path);
    }

    // The key, top left inside the plot.
    double keyX = plot.left() + 8;
    for (std::size_t team = 0; team < stats.series.size(); ++team) {
        const QString name = int(team) < stats.teams.size()
                                 ? stats.teams[int(team)]
                                 : QStringLiteral("Team %1").arg(team + 1);
        const double ky = plot.top() + 4 + fm.height() / 2;
        p.setPen(QPen(teamColour(int(team)), 3));
        p.drawLine(QPointF(keyX, ky), QPointF(keyX + 16, ky));
        p.setPen(QPen(Qt::black, 0));
        p.drawText(QPointF(keyX + 20, ky + fm.ascent() / 2 - 1), name);
        keyX += 32 + fm.horizontalAdvance(name);
    }
    p.restore();
}

ScoreChart::ScoreChart(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(160);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void ScoreChart::setStats(const MatchStats* stats) {
    stats_ = stats;
    update();
}

void ScoreChart::paintEvent(QPaintEvent*) {
    if (!stats_) return;
    QPainter p(this);
    paintScoreChart(p, QRectF(rect()).adjusted(4, 4, -4, -4), *stats_);
}

}  // namespace record
