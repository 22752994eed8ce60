#pragma once

#include <vector>

#include <QString>

#include "record/matchstats.h"
#include "record/recordstore.h"

namespace record {

// A printable match report as PDF: the heading, the teams and the final
// score, the chart, the player table and every event. False, and `error`
// says why, when the file cannot be written; an older file there is then
// left as it was.
bool writeMatchReport(const QString& path, const QString& heading,
                      const std::vector<RecordedEvent>& events, const MatchStats& stats,
                      QString* error = nullptr);

}  // namespace record
