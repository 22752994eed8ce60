#include "scoresheet/sheetreport.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "scoresheet/qbjwriter.h"
#include "scoresheet/sheetbuilder.h"
#include "scoresheet/sheetstats.h"

namespace scoresheet {

namespace {

const QColor kGrid(120, 120, 120);
const QColor kOut(232, 232, 232);    // a player not on the lineup
const QColor kShade(245, 245, 240);  // every other row, for the eye
const QColor kHeader(220, 226, 236);

struct Column {
    enum Kind { Number, Player, Bonus, Total } kind;
    int team = 0;
    int player = 0;
    QString title;
};

void cell(QPainter& p, const QRectF& r, const QString& text, int flags = Qt::AlignCenter,
          const QColor& fill = Qt::transparent) {
    if (fill != Qt::transparent) p.fillRect(r, fill);
    p.setPen(kGrid);
    p.drawRect(r);
    p.setPen(Qt::black);
    p.drawText(r.adjusted(2, 0, -2, 0), flags | Qt::TextSingleLine,
               QFontMetricsF(p.font()).elidedText(text, Qt::ElideRight, r.width() - 4));
}

// A player's name whole, as the sheet's heading must carry it: wrapped at
// its spaces, and set smaller when even that does not fit the cell.
void nameCell(QPainter& p, const QRectF& r, const QString& text) {
    p.fillRect(r, kHeader);
    p.setPen(kGrid);
    p.drawRect(r);
    p.setPen(Qt::black);
    const QRectF inner = r.adjusted(2, 1, -2, -1);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    QFont f = p.font();
    for (double size = f.pointSizeF(); size > 4.0; size -= 0.5) {
        f.setPointSizeF(size);
        const QRectF needed = QFontMetricsF(f, p.device()).boundingRect(inner, flags, text);
        if (needed.width() <= inner.width() + 0.5 && needed.height() <= inner.height() + 0.5) break;
    }
    p.save();
    p.setFont(f);
    p.drawText(inner, flags, text);
    p.restore();
}

// A table of the stats; returns the height used.
double paintTable(QPainter& p, QPointF at, double width, const StatsTable& t) {
    const double h = QFontMetricsF(p.font()).height() * 1.4;
    const int n = static_cast<int>(t.heading.size());
    // The first column holds names; the others numbers.
    const double first = width * 0.28, other = (width - first) / std::max(1, n - 1);
    auto x = [&](int c) { return at.x() + (c == 0 ? 0 : first + (c - 1) * other); };
    auto w = [&](int c) { return c == 0 ? first : other; };
    for (int c = 0; c < n; ++c)
        cell(p, {x(c), at.y(), w(c), h}, t.heading[c], Qt::AlignCenter, kHeader);
    for (size_t r = 0; r < t.rows.size(); ++r)
        for (int c = 0; c < n; ++c)
            cell(p, {x(c), at.y() + h * (r + 1), w(c), h}, t.rows[r].value(c),
                 c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter,
                 r % 2 ? kShade : Qt::transparent);
    return h * (t.rows.size() + 1);
}

}  // namespace

void paintScoresheet(QPainter& p, QPagedPaintDevice& device, const QRectF& area,
                     const Sheet& whole) {
    const Sheet sheet = playedSheet(whole);
    const SheetStats stats = computeSheetStats(sheet);
    const int teams = static_cast<int>(sheet.teams.size());
    p.save();
    QFont font = p.font();
    font.setPointSizeF(11);
    p.setFont(font);
    double y = area.top();

    // Heading: the match's details and the final score.
    QStringList details;
    for (const QString& d : {sheet.tournament, sheet.round, sheet.room})
        if (!d.trimmed().isEmpty()) details << d.trimmed();
    if (sheet.started.isValid()) details << QLocale().toString(sheet.started, QLocale::ShortFormat);
    if (!sheet.moderator.trimmed().isEmpty())
        details << QStringLiteral("Moderator: ") + sheet.moderator.trimmed();
    font.setBold(true);
    p.setFont(font);
    QStringList score;
    for (const TeamStats& t : stats.teams)
        score << QStringLiteral("%1 %2").arg(t.name).arg(t.total);
    const double line = QFontMetricsF(font).height() * 1.3;
    p.drawText(QRectF(area.left(), y, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Scoresheet \u2014 ") + score.join(QStringLiteral(", ")));
    y += line;
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRectF(area.left(), y, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
               details.join(QStringLiteral("  \u00b7  ")) + QStringLiteral("  \u00b7  ") +
                   (sheet.rules.name.isEmpty() ? QStringLiteral("Plain") : sheet.rules.name));
    y += line * 1.2;

    // Columns: the toss-up number, then each team's players who played,
    // its bonus and its running total.
    std::vector<Column> columns{{Column::Number, 0, 0, QStringLiteral("TU")}};
    std::vector<std::pair<int, int>> teamSpan;  // first column, count
    for (int t = 0; t < teams; ++t) {
        const int first = static_cast<int>(columns.size());
        for (const PlayerStats& ps : stats.players)
            if (ps.team == t && ps.played())
                columns.push_back({Column::Player, t, ps.player, ps.name});
        if (sheet.rules.bonusParts > 0)
            columns.push_back({Column::Bonus, t, 0, QStringLiteral("Bonus")});
        columns.push_back({Column::Total, t, 0, QStringLiteral("Total")});
        teamSpan.push_back({first, static_cast<int>(columns.size()) - first});
    }
    double weights = 0;
    for (const Column& c : columns)
        weights += c.kind == Column::Number ? 0.6 : c.kind == Column::Player ? 1.0 : 0.9;
    const double unit = area.width() / weights;
    std::vector<double> xs{area.left()};
    for (const Column& c : columns)
        xs.push_back(xs.back() + unit * (c.kind == Column::Number   ? 0.6
                                         : c.kind == Column::Player ? 1.0
                                                                    : 0.9));

    // Rows as tall as the page allows for every toss-up and the foot, but
    // never taller than a written line.
    const int rows = static_cast<int>(sheet.tossups.size());
    const double rowHeight =
        std::clamp((area.bottom() - y - line * 4) / std::max(1, rows + 3), 9.0, line);
    font.setPointSizeF(std::clamp(rowHeight * 0.45, 6.0, 11.0));
    p.setFont(font);

    for (int t = 0; t < teams; ++t)
        cell(p,
             {xs[teamSpan[t].first], y,
              xs[teamSpan[t].first + teamSpan[t].second] - xs[teamSpan[t].first], rowHeight},
             stats.teams[t].name, Qt::AlignCenter, kHeader);
    y += rowHeight;
    // The players' names get two lines.
    for (size_t c = 0; c < columns.size(); ++c) {
        const QRectF r(xs[c], y, xs[c + 1] - xs[c], rowHeight * 2);
        if (columns[c].kind == Column::Player)
            nameCell(p, r, columns[c].title);
        else
            cell(p, r, columns[c].title, Qt::AlignCenter, kHeader);
    }
    y += rowHeight * 2;

    std::vector<int> running(teams, 0);
    for (int r = 0; r < rows; ++r) {
        const Tossup& tu = sheet.tossups[r];
        std::vector<int> gained(teams, 0), bonus(teams, -1);
        for (const Buzz& b : tu.buzzes)
            if (b.value && b.team >= 0 && b.team < teams) gained[b.team] += *b.value;
        if (tu.bonusTeam && *tu.bonusTeam >= 0 && *tu.bonusTeam < teams && !tu.bonusParts.empty()) {
            bonus[*tu.bonusTeam] = 0;
            for (int part : tu.bonusParts)
                bonus[*tu.bonusTeam] += part;
        }
        // What the other team took of the parts missed, in its own bonus column.
        std::vector<int> bounced(teams, 0);
        if (tu.bonusTeam && teams == 2 && !tu.bouncebackParts.empty())
            for (int part : tu.bouncebackParts)
                bounced[1 - *tu.bonusTeam] += part;
        const QColor rowFill = r % 2 ? kShade : QColor(Qt::transparent);
        for (size_t c = 0; c < columns.size(); ++c) {
            const Column& col = columns[c];
            const QRectF rect(xs[c], y, xs[c + 1] - xs[c], rowHeight);
            QString text;
            QColor fill = rowFill;
            switch (col.kind) {
            case Column::Number:
                text = QString::number(tu.number);
                if (sheet.rules.regulationTossups > 0 && tu.number > sheet.rules.regulationTossups)
                    text += QStringLiteral(" OT");
                break;
            case Column::Player: {
                const std::vector<int> lineup = lineupOf(sheet, tu, col.team);
                if (std::find(lineup.begin(), lineup.end(), col.player) == lineup.end())
                    fill = kOut;
                for (const Buzz& b : tu.buzzes)
                    if (b.team == col.team && b.player == col.player && b.value)
                        text = answerLabel(*b.value);
                break;
            }
            case Column::Bonus:
                if (bonus[col.team] >= 0) text = QString::number(bonus[col.team]);
                if (bounced[col.team] > 0) text = QStringLiteral("%1 bb").arg(bounced[col.team]);
                break;
            case Column::Total:
                running[col.team] +=
                    gained[col.team] + std::max(0, bonus[col.team]) + bounced[col.team];
                text = QString::number(running[col.team]);
                break;
            }
            cell(p, rect, text, Qt::AlignCenter, fill);
        }
        y += rowHeight;
    }

    // The foot: toss-ups heard and points under each player, totals.
    for (int footRow = 0; footRow < 2; ++footRow) {
        for (size_t c = 0; c < columns.size(); ++c) {
            const Column& col = columns[c];
            QString text;
            if (col.kind == Column::Number)
                text = footRow == 0 ? QStringLiteral("TUH") : QStringLiteral("Pts");
            for (const PlayerStats& ps : stats.players)
                if (col.kind == Column::Player && ps.team == col.team && ps.player == col.player)
                    text = QString::number(footRow == 0 ? ps.tossupsHeard : ps.points);
            if (footRow == 1 && col.kind == Column::Bonus)
                text = QString::number(stats.teams[col.team].bonusPoints +
                                       stats.teams[col.team].bouncebackPoints);
            if (footRow == 1 && col.kind == Column::Total)
                text = QString::number(stats.teams[col.team].total);
            cell(p, {xs[c], y, xs[c + 1] - xs[c], rowHeight}, text, Qt::AlignCenter, kHeader);
        }
        y += rowHeight;
    }

    // The stats tables, on the next page when they do not fit under it.
    font.setPointSizeF(9);
    p.setFont(font);
    const StatsTable players = playerTable(stats), teamsTable = teamTable(stats);
    const StatsTable points = buzzPointTable(sheet);
    const double tableLine = QFontMetricsF(font).height() * 1.4;
    const QStringList timeouts = timeoutNotes(sheet) + protestNotes(sheet);
    const double needed =
        tableLine * (players.rows.size() + teamsTable.rows.size() + timeouts.size() + 3);
    y += line * 0.5;
    if (y + needed > area.bottom()) {
        device.newPage();
        y = area.top();
    }
    y += paintTable(p, {area.left(), y}, area.width(), teamsTable) + tableLine * 0.6;
    if (!players.rows.empty())
        y += paintTable(p, {area.left(), y}, area.width(), players) + tableLine * 0.6;
    // Time-outs and protests, in words the tournament director can use.
    for (const QString& t : timeouts) {
        const QRectF box = p.boundingRect(QRectF(area.left(), y, area.width(), area.bottom() - y),
                                          Qt::AlignLeft | Qt::TextWordWrap, t);
        p.drawText(box, Qt::AlignLeft | Qt::TextWordWrap, t);
        y += std::max(box.height(), tableLine);
    }
    // The buzz points, toss-up by toss-up, where there is room, else on pages
    // of their own.
    if (!points.rows.empty()) {
        y += tableLine * 0.6;
        if (y + tableLine * double(points.rows.size() + 1) > area.bottom()) {
            device.newPage();
            y = area.top();
        }
        paintTable(p, {area.left(), y}, area.width(), points);
    }
    p.restore();
}

bool writeScoresheetPdf(const QString& path, const Sheet& sheet) {
    QPdfWriter pdf(path);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                  QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
    pdf.setResolution(96);
    pdf.setTitle(QStringLiteral("Scoresheet"));
    QPainter painter;
    if (!painter.begin(&pdf)) return false;
    paintScoresheet(painter, pdf, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())), sheet);
    return painter.end() && QFile(path).size() > 0;
}

}  // namespace scoresheet
