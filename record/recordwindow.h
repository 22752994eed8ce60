#pragma once

#include <optional>
#include <vector>

#include <QWidget>

#include "record/matchstats.h"
#include "record/recordstore.h"

class Program;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTimer;
class QTreeWidget;

namespace record {

class EventModel;
class ScoreChart;
class StoreRecorder;

// The operator's record window: the current match's events as they happen
// (or a past match's), filterable by kind, the score chart, the player
// table, and the past matches on this machine to open, export or delete.
class RecordWindow final : public QWidget {
    Q_OBJECT
public:
    // Without a store (the record is not kept) there is nothing to show.
    RecordWindow(Program& program, StoreRecorder* store, QWidget* parent = nullptr);
    ~RecordWindow() override;

    Program& program() const { return program_; }

    QLabel* heading;
    QComboBox* kindFilter;  // "All events", then each kind
    QTableView* eventList;
    ScoreChart* chart;
    QTableWidget* playerTable;
    // The player table, then a tab for each table the capabilities add.
    QTabWidget* tables;
    QTreeWidget* matchList;
    QPushButton* currentButton;
    QPushButton* openButton;
    QPushButton* csvButton;
    QPushButton* pdfButton;
    QPushButton* deleteButton;
    // One for each export the capabilities add, such as QBJ.
    std::vector<QPushButton*> extraExportButtons;

    // What is shown: the current match (0) or a past one.
    qint64 shownMatch() const { return shown_; }
    void showCurrent();
    bool showMatch(qint64 id);
    const std::vector<RecordedEvent>& events() const { return events_; }
    const MatchStats& stats() const { return stats_; }
    // Rows the event list shows under the present filter.
    int visibleEvents() const;
    void refreshMatches();
    // The chart and the player table follow live events a moment later;
    // this brings them up to date at once.
    void updateStats();

    // The shown match to a file; false when it could not be written.
    bool exportCsv(const QString& path);
    bool exportPdf(const QString& path);
    // Through the program's export `index`; nothing on success, else why not.
    std::optional<QString> exportExtra(std::size_t index, const QString& path);

    // The buttons' actions, asking through the program's dialogs.
    void exportCsvAsked();
    void exportPdfAsked();
    void exportExtraAsked(std::size_t index);
    void deleteAsked();
    void openSelected();

private:
    void setEvents(std::vector<RecordedEvent> events, const QString& title);
    void eventRecorded(const RecordedEvent& event);
    void updateButtons();
    qint64 selectedMatch() const;
    QString matchTitle(const MatchSummary& m) const;

    Program& program_;
    StoreRecorder* store_;
    RecordStore reader_;
    qint64 shown_ = 0;
    QString title_;
    std::vector<RecordedEvent> events_;
    MatchStats stats_;
    EventModel* model_;
    QTimer* statsTimer_;
};

}  // namespace record
