#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "app/matchrecorder.h"

class QPainter;
class QPagedPaintDevice;
class QRectF;

// What capabilities add to the record window for any recorded match, past
// or current: files to export it to beside CSV and PDF, tables to show
// beside the player table, and pages for the PDF report. The record window
// hands each the match's events; it knows nothing of what they make.
struct MatchEvent {
    record::EventKind kind = record::EventKind::ProgramStarted;
    double matchTime = 0.0;
    qint64 wallMs = 0;
    QJsonObject data;
};
using MatchEvents = std::vector<MatchEvent>;

struct MatchTable {
    QString title;  // the tab's name
    QStringList heading;
    std::vector<QStringList> rows;
};

class MatchExtras {
public:
    struct Export {
        QString button;  // "Export &QBJ..."
        QString filter;  // "QBJ Files|*.qbj", as the dialogs take it
        QString suffix;  // "qbj"
        // Nothing on success, else why the file could not be written.
        std::function<std::optional<QString>(const QString& path, const MatchEvents&)> write;
    };
    struct Section {
        // Lines for the report's first page, under its heading (where and
        // when the match was played); may be unset.
        std::function<QStringList(const MatchEvents&)> summary;
        std::function<std::vector<MatchTable>(const MatchEvents&)> tables;
        // Paints from the top of a fresh page of the report; may add pages.
        std::function<void(QPainter&, QPagedPaintDevice&, const QRectF&, const MatchEvents&)> paint;
    };

    void addExport(Export e) { exports_.push_back(std::move(e)); }
    void addSection(Section s) { sections_.push_back(std::move(s)); }
    const std::vector<Export>& exports() const { return exports_; }
    const std::vector<Section>& sections() const { return sections_; }

private:
    std::vector<Export> exports_;
    std::vector<Section> sections_;
};
