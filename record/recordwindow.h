#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <QWidget>

#include "record/matchlistmodel.h"
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
class QTreeView;

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
    // The matches on this computer, the current one last.
    QTreeView* matchList;
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
    // The list of matches again: the current match's line at once, the past
    // matches read on the reading thread and put in once they are in.
    void refreshMatches();
    // True while the past matches asked for are being read.
    bool listing() const { return listing_; }
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
    void startReading();
    void readLoop(const QString& path);
    void pastMatchesRead(quint64 asked, std::vector<MatchRow> rows);
    // Asks for a file through the program's dialogs and writes it with
    // `write` (nothing on success, else why not); says where it went.
    void exportAsked(const QString& title, const QString& filter, const QString& suffix,
                     const QString& saved,
                     const std::function<std::optional<QString>(const QString&)>& write);
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
    MatchListModel* matches_;
    QTimer* statsTimer_;

    // The reading thread, started with the first list or past match asked
    // for: it reads the list asked for last and the match asked for last,
    // with its own connection to the file.
    std::thread readThread_;
    std::mutex readMutex_;
    std::condition_variable readWake_;
    qint64 readAsked_ = 0;   // under readMutex_: the match to read next
    quint64 listAsked_ = 0;  // under readMutex_: the list to read next, if not 0
    bool readStop_ = false;
    qint64 reading_ = 0;  // the window's: the match whose events are awaited
    QString readTitle_;
    quint64 listAskedLast_ = 0;  // the window's: the last list asked for
    bool listing_ = false;       // the window's: whether that list is awaited
};

}  // namespace record
