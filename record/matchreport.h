#pragma once

#include <functional>
#include <vector>

#include <QString>

#include "record/matchstats.h"
#include "record/recordstore.h"

class QPainter;
class QPagedPaintDevice;
class QRectF;

namespace record {

// A page more for the report, painted from the top of a fresh page; it may
// add pages of its own.
using ReportPage = std::function<void(QPainter&, QPagedPaintDevice&, const QRectF&)>;

// A printable match report as PDF: the heading, the teams and the final
// score, the chart, the player table and every event, then `pages`. False
// when the file cannot be written.
bool writeMatchReport(const QString& path, const QString& heading,
                      const std::vector<RecordedEvent>& events, const MatchStats& stats,
                      const std::vector<ReportPage>& pages = {});

}  // namespace record
