#pragma once

#include <functional>
#include <vector>

#include <QString>
#include <QStringList>

#include "record/matchstats.h"
#include "record/recordstore.h"

class QPainter;
class QPagedPaintDevice;
class QRectF;

namespace record {

// A page more for the report, painted from the top of a fresh page; it may
// add pages of its own.
using ReportPage = std::function<void(QPainter&, QPagedPaintDevice&, const QRectF&)>;

// The report's text: the final scores in one line, and each event under
// the names in use when it happened. A name in right-to-left script is set
// apart (Unicode isolates) so it keeps its own direction in a line of
// left-to-right text.
QString reportFinals(const MatchStats& stats);
QStringList reportEvents(const std::vector<RecordedEvent>& events);

// A printable match report as PDF: the heading and `summary` (lines of
// where the match was played), the teams and the final score, the chart, the
// player table and every event, then `pages`. False, and `error` says why,
// when the file cannot be written; an older file there is then left as it
// was.
bool writeMatchReport(const QString& path, const QString& heading,
                      const std::vector<RecordedEvent>& events, const MatchStats& stats,
                      const std::vector<ReportPage>& pages = {}, QString* error = nullptr,
                      const QStringList& summary = {});

}  // namespace record
