#include "record/matchreport.h"

#include <algorithm>

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QTextOption>

#include "app/savefile.h"
#include "record/matchstate.h"
#include "record/scorechart.h"

namespace record {

namespace {

// A name in right-to-left script keeps its own direction inside a line of
// left-to-right text: isolated, the numbers and brackets that follow it are
// not drawn as part of it.
QString isolated(const QString& name) {
    const bool rtl = std::any_of(name.begin(), name.end(), [](QChar c) {
        return c.direction() == QChar::DirR || c.direction() == QChar::DirAL;
    });
    return rtl ? QChar(0x2068) + name + QChar(0x2069) : name;
}

RecordedEvent withIsolatedNames(RecordedEvent e) {
    if (e.data.contains(QLatin1String("name"))) {
        e.data.insert(QLatin1String("name"),
                      isolated(e.data.value(QLatin1String("name")).toString()));
    }
    return e;
}

}  // namespace

QString reportFinals(const MatchStats& stats) {
    QStringList finals;
    for (std::size_t t = 0; t < stats.series.size(); ++t) {
        const QString name = int(t) < stats.teams.size() ? stats.teams[int(t)]
                                                         : QStringLiteral("Team %1").arg(t + 1);
        finals << QStringLiteral("%1  %2")
                      .arg(isolated(name))
                      .arg(stats.series[t].empty() ? 0 : stats.series[t].back().score);
    }
    return finals.join(QStringLiteral("        "));
}

QStringList reportEvents(const std::vector<RecordedEvent>& events) {
    QStringList lines;
    QStringList teams;
    for (const RecordedEvent& e : events) {
        // Each event under the names in use when it happened.
        if (followNames(teams, nullptr, e)) {
            for (QString& t : teams)
                t = isolated(t);
        }
        lines << describe(withIsolatedNames(e), teams);
    }
    return lines;
}

namespace {

// The report as PDF bytes; false when the painter would not draw.
bool paintReport(QIODevice& file, const QString& heading, const std::vector<RecordedEvent>& events,
                 const MatchStats& stats, const std::vector<ReportPage>& pages,
                 const QStringList& summary) {
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
    // The heading is the report's own left-to-right text with names in it:
    // a name in right-to-left script at its start must not turn the whole
    // line around.
    auto headingLine = [&](const QRectF& box, Qt::Alignment align, const QString& s) {
        QTextOption option(align | Qt::AlignVCenter);
        option.setTextDirection(Qt::LeftToRight);
        p.drawText(box, s, option);
    };

    // Each page says what it belongs to and where it stands, for a report
    // of a long match printed and then dropped.
    const double footer = lineOf(body) * 1.5;
    auto finishPage = [&] {
        p.setFont(body);
        headingLine(QRectF(0, page.height() - lineOf(body), width, lineOf(body)), Qt::AlignRight,
                    QStringLiteral("%1 - page %2").arg(heading).arg(pageNumber));
    };

    text(title, 0, QStringLiteral("Match report"));
    y += lineOf(title);
    p.setFont(body);
    headingLine(QRectF(0, y, width, lineOf(body)), Qt::AlignLeft, heading);
    y += lineOf(body);
    for (const QString& line : summary) {
        headingLine(QRectF(0, y, width, lineOf(body)), Qt::AlignLeft, line);
        y += lineOf(body);
    }
    y += lineOf(body) * 0.5;

    text(big, 0, reportFinals(stats));
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
    const QStringList lines = reportEvents(events);
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (y + line > page.height() - footer) {
            finishPage();
            if (!pdf.newPage()) return false;
            ++pageNumber;
            y = 0;
        }
        p.drawText(QRectF(0, y, 0.12 * width, line), Qt::AlignLeft | Qt::AlignVCenter,
                   matchTimeText(events[i].matchTime));
        p.drawText(QRectF(0.12 * width, y, 0.88 * width, line), Qt::AlignLeft | Qt::AlignVCenter,
                   lines[qsizetype(i)]);
        y += line;
    }
    finishPage();
    for (const ReportPage& extra : pages) {
        if (!pdf.newPage()) return false;
        ++pageNumber;
        p.save();
        extra(p, pdf, QRectF(0, 0, width, page.height() - footer));
        p.restore();
        finishPage();
    }
    return p.end();
}

}  // namespace

bool writeMatchReport(const QString& path, const QString& heading,
                      const std::vector<RecordedEvent>& events, const MatchStats& stats,
                      const std::vector<ReportPage>& pages, QString* error,
                      const QStringList& summary) {
    // Drawn in memory, then saved whole: a full disk never leaves half a
    // report, nor costs an older one of the same name.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!paintReport(buffer, heading, events, stats, pages, summary)) {
        if (error) *error = QStringLiteral("the report could not be drawn");
        return false;
    }
    buffer.close();
    if (const auto failure = files::saveAtomically(path, bytes)) {
        if (error) *error = *failure;
        return false;
    }
    return true;
}

}  // namespace record
