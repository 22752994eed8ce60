#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
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
    // A past match: its events are read on a thread of the window's own and
    // shown once they are in (false when the file has no such match).
    bool showMatch(qint64 id);
    // True while a past match asked for is being read.
    bool reading() const { return reading_ != 0; }
    const std::vector<RecordedEvent>& events() const { return events_; }
    const MatchStats& stats() const { return stats_; }
    // Rows the event list shows under the present filter.
    int visibleEvents() const;
    void refreshMatches();
    // The chart and the player table follow live events a moment later;
    // this brings them up to date at once.
    // Given the stats when they were made elsewhere.
    void updateStats(std::optional<MatchStats> stats = std::nullopt);

    // The shown match to a file; false when it could not be written.
    // False, with the reason in `error`, when the file could not be
    // written whole; an older file of that name is then left as it was.
    bool exportCsv(const QString& path, QString* error = nullptr);
    bool exportPdf(const QString& path, QString* error = nullptr);
    // Through the program's export `index`; nothing on success, else why not.
    std::optional<QString> exportExtra(std::size_t index, const QString& path);

    // The file an export of these events is offered as: the day the match
    // began and its teams, "2026-12-08 Red Foxes v Blue Owls.pdf".
    static QString exportFileName(const std::vector<RecordedEvent>& events,
                                  const QString& extension);

    // The buttons' actions, asking through the program's dialogs; a file
    // written is named with its folder.
    void exportCsvAsked();
    void exportPdfAsked();
    void exportExtraAsked(std::size_t index);
    void deleteAsked();
    void openSelected();

private:
    void setEvents(std::vector<RecordedEvent> events, const QString& title,
                   std::optional<MatchStats> stats = std::nullopt);
    void readLoop(const QString& path);
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

    // The reading thread, started with the first past match asked for: it
    // reads the match asked for last, with its own connection to the file.
    std::thread readThread_;
    std::mutex readMutex_;
    std::condition_variable readWake_;
    qint64 readAsked_ = 0;  // under readMutex_: the match to read next
    bool readStop_ = false;
    qint64 reading_ = 0;  // the window's: the match whose events are awaited
    QString readTitle_;
};

}  // namespace record
