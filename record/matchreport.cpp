#include "record/matchreport.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>

#include "record/matchstate.h"
#include "record/scorechart.h"

namespace record {

bool writeMatchReport(const QString& path, const QString& heading,
                      const std::vector<RecordedEvent>& events, const MatchStats& stats) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QPdfWriter pdf(&file);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    pdf.setResolution(150);
    pdf.setTitle(heading);
    pdf.setCreator(QStringLiteral("Torvanel"));

    QPainter p;
    if (!p.begin(&pdf)) return false;
    const QRect page = p.viewport();
    const double width = page.width();
    QFont body(QStringLiteral("Liberation Sans"), 9);
    QFont bold = body;
    bold.setBold(true);
    QFont title = bold;
    title.setPointSize(16);
    QFont big = bold;
    big.setPointSize(13);

    double y = 0;
    int pageNumber = 1;
    auto lineOf = [&](const QFont& f) { return QFontMetricsF(f, &pdf).height() * 1.15; };
    auto text = [&](const QFont& f, double x, const QString& s, double w = -1) {
        p.setFont(f);
        const double h = lineOf(f);
        p.drawText(QRectF(x, y, w < 0 ? width - x : w, h), Qt::AlignLeft | Qt::AlignVCenter, s);
    };

    // Each page says what it belongs to and where it stands, for a report
    // of a long match printed and then dropped.
    const double footer = lineOf(body) * 1.5;
    auto finishPage = [&] {
        p.setFont(body);
        p.drawText(QRectF(0, page.height() - lineOf(body), width, lineOf(body)),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("%1 - page %2").arg(heading).arg(pageNumber));
    };

    text(title, 0, QStringLiteral("Match report"));
    y += lineOf(title);
    text(body, 0, heading);
    y += lineOf(body) * 1.5;

    QStringList finals;
    for (std::size_t t = 0; t < stats.series.size(); ++t) {
        const QString name = int(t) < stats.teams.size() ? stats.teams[int(t)]
                                                         : QStringLiteral("Team %1").arg(t + 1);
        finals << QStringLiteral("%1  %2").arg(name).arg(
            stats.series[t].empty() ? 0 : stats.series[t].back().score);
    }
    text(big, 0, finals.join(QStringLiteral("        ")));
    y += lineOf(big) * 1.5;

    p.setFont(body);
    paintScoreChart(p, QRectF(0, y, width, 420), stats);
    y += 440;

    // The player table.
    const double cols[] = {0, 0.26, 0.44, 0.56, 0.71, 0.82};
    const QString headers[] = {QStringLiteral("Player"),   QStringLiteral("Team"),
                               QStringLiteral("Buzz-ins"), QStringLiteral("Ties drawn for"),
                               QStringLiteral("Ties won"), QStringLiteral("Points on floor")};
    for (int c = 0; c < 6; ++c)
        text(bold, cols[c] * width, headers[c]);
    y += lineOf(bold);
    for (const PlayerLine& pl : stats.players) {
        const QStringList cells = playerCells(stats, pl);
        for (int c = 0; c < 6; ++c)
            text(body, cols[c] * width, cells[c]);
        y += lineOf(body);
    }
    y += lineOf(body);

    // Every event, page after page.
    text(bold, 0, QStringLiteral("Events"));
    y += lineOf(bold);
    const double line = lineOf(body);
    p.setFont(body);
    QStringList teams;
    for (const RecordedEvent& e : events) {
        // Each event under the names in use when it happened.
        followNames(teams, nullptr, e);
        if (y + line > page.height() - footer) {
            finishPage();
            if (!pdf.newPage()) return false;
            ++pageNumber;
            y = 0;
        }
        p.drawText(QRectF(0, y, 0.12 * width, line), Qt::AlignLeft | Qt::AlignVCenter,
                   matchTimeText(e.matchTime));
        p.drawText(QRectF(0.12 * width, y, 0.88 * width, line), Qt::AlignLeft | Qt::AlignVCenter,
                   describe(e, teams));
        y += line;
    }
    finishPage();
    return p.end() && file.error() == QFileDevice::NoError;
}

}  // namespace record
