#pragma once

#include <QRectF>
#include <QString>

#include "scoresheet/sheet.h"

class QPainter;
class QPagedPaintDevice;

// The match on paper: the scoresheet in the grid scorekeepers know (a row a
// toss-up, a column for each player of each team, the bonus and the running
// total), and the stats tables under it.
namespace scoresheet {

// Paints the scoresheet grid and the stats into `area` of the current page,
// starting new pages of `device` when the stats do not fit.
void paintScoresheet(QPainter& painter, QPagedPaintDevice& device, const QRectF& area,
                     const Sheet& sheet);

// The scoresheet on its own, as a landscape PDF. False when the file cannot
// be written.
bool writeScoresheetPdf(const QString& path, const Sheet& sheet);

}  // namespace scoresheet
