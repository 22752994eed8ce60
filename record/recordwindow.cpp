#include "record/recordwindow.h"

#include <algorithm>
#include <utility>

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/matchextras.h"
#include "app/program.h"
#include "app/savefile.h"
#include "record/matchreport.h"
#include "record/matchstate.h"
#include "record/scorechart.h"
#include "record/storerecorder.h"

namespace record {

namespace {

// The events as the capabilities take them.
MatchEvents matchEvents(const std::vector<RecordedEvent>& events) {
    MatchEvents out;
    out.reserve(events.size());
    for (const RecordedEvent& e : events)
        out.push_back({e.kind, e.matchTime, e.wallMs, e.data});
    return out;
}

}  // namespace

// The event list's rows: the shown events that pass the kind filter.
class EventModel final : public QAbstractTableModel {
public:
    explicit EventModel(QObject* parent) : QAbstractTableModel(parent) {}

    void reset(const std::vector<RecordedEvent>* events) {
        beginResetModel();
        events_ = events;
        teams_.clear();
        rows_.clear();
        for (std::size_t i = 0; i < events_->size(); ++i)
            take(i);
        endResetModel();
    }
    // The last event of the list was just added.
    void appended() {
        const std::size_t i = events_->size() - 1;
        if (!passes((*events_)[i])) {
            noteTeams((*events_)[i]);
            return;
        }
        beginInsertRows({}, int(rows_.size()), int(rows_.size()));
        take(i);
        endInsertRows();
    }
    void setFilter(std::optional<EventKind> kind) {
        filter_ = kind;
        if (events_) reset(events_);
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 3;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) return {};
        const Row& row = rows_[std::size_t(index.row())];
        const RecordedEvent& e = (*events_)[row.event];
        switch (index.column()) {
        case 0: return matchTimeText(e.matchTime);
        case 1: return kindName(e.kind);
        default: return describe(e, teams_[row.teams]);
        }
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
        static const char* const kTitles[] = {"Time", "Kind", "What happened"};
        return QString::fromLatin1(kTitles[section]);
    }

private:
    struct Row {
        std::size_t event;
        std::size_t teams;  // the team names in force
    };
    bool passes(const RecordedEvent& e) const { return !filter_ || *filter_ == e.kind; }
    // Each event is described under the names in use when it happened.
    void noteTeams(const RecordedEvent& e) {
        QStringList names = teams_.empty() ? QStringList() : teams_.back();
        if (followNames(names, nullptr, e) || teams_.empty()) teams_.push_back(names);
    }
    void take(std::size_t i) {
        noteTeams((*events_)[i]);
        if (passes((*events_)[i])) rows_.push_back({i, teams_.size() - 1});
    }

    const std::vector<RecordedEvent>* events_ = nullptr;
    std::optional<EventKind> filter_;
    std::vector<QStringList> teams_;
    std::vector<Row> rows_;
};

RecordWindow::RecordWindow(Program& program, StoreRecorder* store, QWidget* parent)
    : QWidget(parent, Qt::Window), program_(program), store_(store) {
    setObjectName(QStringLiteral("RecordWindow"));
    setWindowTitle(QStringLiteral("Match Record"));
    resize(1100, 760);

    heading = new QLabel(this);
    heading->setTextFormat(Qt::PlainText);  // the match's team names
    QFont f = heading->font();
    f.setBold(true);
    heading->setFont(f);
    kindFilter = new QComboBox(this);
    kindFilter->addItem(QStringLiteral("All events"));
    // Every kind the record can hold, the scoresheet's last ones included.
    for (const record::KindFormat& f : record::kKindFormats)
        kindFilter->addItem(QLatin1String(f.name), int(f.kind));

    model_ = new EventModel(this);
    eventList = new QTableView(this);
    eventList->setModel(model_);
    eventList->setSelectionBehavior(QAbstractItemView::SelectRows);
    eventList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    eventList->verticalHeader()->hide();
    // Fixed row heights and column widths: a long match lists at once.
    eventList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    eventList->verticalHeader()->setDefaultSectionSize(eventList->fontMetrics().height() + 4);
    eventList->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    eventList->horizontalHeader()->setStretchLastSection(true);
    eventList->setColumnWidth(0, 80);
    eventList->setColumnWidth(1, 150);

    chart = new ScoreChart(this);
    playerTable = new QTableWidget(0, 6, this);
    playerTable->setHorizontalHeaderLabels(
        {QStringLiteral("Player"), QStringLiteral("Team"), QStringLiteral("Buzz-ins"),
         QStringLiteral("Ties drawn for"), QStringLiteral("Ties won"),
         QStringLiteral("Points on the floor")});
    playerTable->verticalHeader()->hide();
    playerTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    playerTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    playerTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    playerTable->verticalHeader()->setDefaultSectionSize(playerTable->fontMetrics().height() + 4);

    matches_ = new MatchListModel(this);
    matchList = new QTreeView(this);
    matchList->setModel(matches_);
    matchList->setRootIsDecorated(false);
    matchList->setUniformRowHeights(true);
    matchList->setSelectionBehavior(QAbstractItemView::SelectRows);
    matchList->setSelectionMode(QAbstractItemView::SingleSelection);
    matchList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Widths from the font, not from the rows: thousands of matches list at
    // once. The score gets room for two teams of medium names.
    {
        const QFontMetrics fm = matchList->fontMetrics();
        const int pad = 2 * fm.averageCharWidth() + 8;
        const char* const widest[] = {"00000", "0000-00-00 00:00", "Abcdefghi 000, Abcdefghi 000",
                                      "000000", "interrupted"};
        for (int c = 0; c < 5; ++c) {
            const int text = fm.horizontalAdvance(QLatin1String(widest[c]));
            const int title = fm.horizontalAdvance(
                matches_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
            matchList->setColumnWidth(c, std::max(text, title) + pad);
        }
        // On a narrow window the score gives up the room it was given for
        // long names, and how each match ended stays in view.
        matchList->header()->setStretchLastSection(false);
        matchList->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    }
    currentButton = new QPushButton(QStringLiteral("&Current Match"), this);
    openButton = new QPushButton(QStringLiteral("&Open"), this);
    csvButton = new QPushButton(QStringLiteral("Export &CSV..."), this);
    pdfButton = new QPushButton(QStringLiteral("Export &PDF Report..."), this);
    deleteButton = new QPushButton(QStringLiteral("&Delete"), this);
    for (const MatchExtras::Export& e : program_.matchExtras().exports())
        extraExportButtons.push_back(new QPushButton(e.button, this));

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(new QLabel(QStringLiteral("Matches on this computer:"), left));
    leftLayout->addWidget(matchList);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {currentButton, openButton, deleteButton})
        buttons->addWidget(b);
    leftLayout->addLayout(buttons);
    auto* exports = new QHBoxLayout;
    exports->addWidget(csvButton);
    exports->addWidget(pdfButton);
    for (QPushButton* b : extraExportButtons)
        exports->addWidget(b);
    leftLayout->addLayout(exports);

    auto* right = new QSplitter(Qt::Vertical, this);
    auto* top = new QWidget(right);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(heading, 1);
    filterRow->addWidget(new QLabel(QStringLiteral("Show:"), top));
    filterRow->addWidget(kindFilter);
    topLayout->addLayout(filterRow);
    topLayout->addWidget(eventList);
    right->addWidget(top);
    right->addWidget(chart);
    tables = new QTabWidget(right);
    tables->addTab(playerTable, QStringLiteral("Players"));
    right->addWidget(tables);
    // Room for ten players; a three-team screen of fifteen scrolls.
    const int tableHeight = playerTable->horizontalHeader()->sizeHint().height() +
                            10 * playerTable->verticalHeader()->defaultSectionSize() + 4;
    right->setSizes({height() - tableHeight - 220, 220, tableHeight});
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 2);
    right->setStretchFactor(2, 1);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split);

    statsTimer_ = new QTimer(this);
    statsTimer_->setSingleShot(true);
    statsTimer_->setInterval(250);
    connect(statsTimer_, &QTimer::timeout, this, [this] { updateStats(); });

    connect(kindFilter, &QComboBox::currentIndexChanged, this, [this](int index) {
        model_->setFilter(index <= 0
                              ? std::nullopt
                              : std::optional(EventKind(kindFilter->itemData(index).toInt())));
        eventList->scrollToBottom();
    });
    connect(currentButton, &QPushButton::clicked, this, &RecordWindow::showCurrent);
    connect(openButton, &QPushButton::clicked, this, &RecordWindow::openSelected);
    connect(matchList, &QAbstractItemView::doubleClicked, this, &RecordWindow::openSelected);
    connect(matchList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RecordWindow::updateButtons);
    connect(csvButton, &QPushButton::clicked, this, &RecordWindow::exportCsvAsked);
    connect(pdfButton, &QPushButton::clicked, this, &RecordWindow::exportPdfAsked);
    connect(deleteButton, &QPushButton::clicked, this, &RecordWindow::deleteAsked);
    for (std::size_t i = 0; i < extraExportButtons.size(); ++i)
        connect(extraExportButtons[i], &QPushButton::clicked, this,
                [this, i] { exportExtraAsked(i); });

    if (store_) {
        if (store_->problem().isEmpty()) reader_.open(store_->filePath());
        store_->setListener([this](const RecordedEvent& e) { eventRecorded(e); });
    }
    refreshMatches();
    showCurrent();
    // Every column of the list in view, how each match ended included.
    int listWidth = matchList->frameWidth() * 2 + 4;
    for (int c = 0; c < matches_->columnCount(); ++c)
        listWidth += matchList->columnWidth(c);
    listWidth = std::clamp(listWidth, 280, width() / 2);
    split->setSizes({listWidth, width() - listWidth});
}

RecordWindow::~RecordWindow() {
    if (store_) store_->setListener(nullptr);
    if (readThread_.joinable()) {
        {
            std::lock_guard lock(readMutex_);
            readStop_ = true;
        }
        readWake_.notify_one();
        readThread_.join();
    }
}

QString RecordWindow::matchTitle(const MatchSummary& m) const {
    return QStringLiteral("Match %1, %2 (%3)")
        .arg(m.id)
        .arg(QDateTime::fromMSecsSinceEpoch(m.startedMs)
                 .toString(QStringLiteral("yyyy-MM-dd HH:mm")),
             m.teams.join(QStringLiteral(", ")));
}

namespace {

// The score line of a match from its events.
QString scoreNow(const std::vector<RecordedEvent>& events) {
    const MatchState state = replay(events);
    return finalScore(state.teams, state.scores);
}

}  // namespace

void RecordWindow::refreshMatches() {
    const qint64 current = store_ ? store_->currentMatch() : 0;
    // Listed from memory before the file has numbered it, as soon as it has begun.
    std::optional<MatchRow> now;
    if (store_ && (current != 0 || !store_->currentEvents().empty())) {
        const std::vector<RecordedEvent>& events = store_->currentEvents();
        const auto start = std::find_if(events.begin(), events.end(), [](const RecordedEvent& e) {
            return e.kind == EventKind::MatchStarted;
        });
        now = MatchRow{current,
                       start != events.end() ? start->wallMs
                       : events.empty()      ? 0
                                             : events.front().wallMs,
                       scoreNow(events), qint64(events.size()), QStringLiteral("current")};
    }
    matches_->setCurrent(std::move(now));
    // A match resumed is no longer a past one.
    if (current != 0) matches_->removeMatch(current);
    // Each past match as the file sums it up, read on the reading thread:
    // the lines shown so far stay until the new ones are in.
    if (!reader_.isOpen()) {
        listing_ = false;
        matches_->setPast({});
    } else {
        listing_ = true;
        {
            std::lock_guard lock(readMutex_);
            listAsked_ = ++listAskedLast_;
        }
        startReading();
    }
    updateButtons();
}

void RecordWindow::pastMatchesRead(quint64 asked, std::vector<MatchRow> rows) {
    // A newer list was asked for meanwhile: that one is awaited.
    if (asked != listAskedLast_) return;
    listing_ = false;
    // The current match from memory: the file may not have all of it yet.
    const qint64 current = store_ ? store_->currentMatch() : 0;
    if (current != 0)
        rows.erase(std::remove_if(rows.begin(), rows.end(),
                                  [current](const MatchRow& r) { return r.id == current; }),
                   rows.end());
    const qint64 selected = selectedMatch();
    matches_->setPast(std::move(rows));
    if (const int row = selected ? matches_->rowOf(selected) : -1; row >= 0)
        matchList->setCurrentIndex(matches_->index(row, 0));
    updateButtons();
}

void RecordWindow::setEvents(std::vector<RecordedEvent> events, const QString& title,
                             std::optional<MatchStats> stats) {
    events_ = std::move(events);
    title_ = title;
    heading->setText(title);
    model_->reset(&events_);
    updateStats(std::move(stats));
    eventList->scrollToBottom();
    updateButtons();
}

void RecordWindow::showCurrent() {
    shown_ = 0;
    reading_ = 0;
    std::vector<RecordedEvent> events;
    if (store_) events = store_->currentEvents();
    QString title = QStringLiteral("The match record is not being kept.");
    if (store_) {
        // Named as the list of matches names it, from its start.
        title = QStringLiteral("Current match");
        const auto start = std::find_if(events.begin(), events.end(), [](const RecordedEvent& e) {
            return e.kind == EventKind::MatchStarted;
        });
        if (start != events.end()) {
            MatchSummary m;
            m.id = store_->currentMatch();
            m.startedMs = start->wallMs;
            // Named as the teams are named now.
            m.teams = replay(events).teams;
            title = QStringLiteral("Current match: ") + matchTitle(m);
        }
    }
    setEvents(std::move(events), title);
}

bool RecordWindow::showMatch(qint64 id) {
    const std::optional<MatchSummary> m = reader_.match(id);
    if (!m) return false;
    if (store_ && id == store_->currentMatch()) {
        showCurrent();
        return true;
    }
    // Named as the teams were named at its end.
    MatchSummary named = *m;
    if (!m->names.isEmpty()) named.teams = m->names;
    // Shown before its events are in: the current match's line in the list
    // follows only the current match's events.
    shown_ = id;
    reading_ = id;
    readTitle_ = matchTitle(named);
    setEvents({}, QStringLiteral("%1: reading its %2 events...").arg(readTitle_).arg(m->events));
    {
        std::lock_guard lock(readMutex_);
        readAsked_ = id;
    }
    startReading();
    return true;
}

void RecordWindow::startReading() {
    if (!readThread_.joinable()) {
        readThread_ = std::thread([this, path = reader_.path()] { readLoop(path); });
    } else {
        readWake_.notify_one();
    }
}

// The reading thread: the list of past matches and a long match's events
// (and what the chart and the player table make of them) are read here, so
// that the window's thread, which polls the interface, never waits for them.
void RecordWindow::readLoop(const QString& path) {
    RecordStore store;
    for (;;) {
        qint64 id = 0;
        quint64 list = 0;
        {
            std::unique_lock lock(readMutex_);
            readWake_.wait(lock,
                           [this] { return readStop_ || readAsked_ != 0 || listAsked_ != 0; });
            if (readStop_) return;
            id = std::exchange(readAsked_, 0);
            list = std::exchange(listAsked_, 0);
        }
        if (!store.isOpen()) store.open(path);
        if (list != 0) {
            std::vector<MatchRow> rows;
            for (const MatchSummary& m : store.matches())
                rows.push_back(pastMatchRow(m));
            QMetaObject::invokeMethod(
                this,
                [this, list, rows = std::move(rows)]() mutable {
                    pastMatchesRead(list, std::move(rows));
                },
                Qt::QueuedConnection);
        }
        if (id == 0) continue;
        std::vector<RecordedEvent> events = store.events(id);
        MatchStats stats = computeStats(events);
        QMetaObject::invokeMethod(
            this,
            [this, id, events = std::move(events), stats = std::move(stats)]() mutable {
                // Another match was asked for meanwhile, or the current one.
                if (reading_ != id) return;
                reading_ = 0;
                setEvents(std::move(events), readTitle_, std::move(stats));
            },
            Qt::QueuedConnection);
    }
}

void RecordWindow::eventRecorded(const RecordedEvent& e) {
    if (e.kind == EventKind::MatchStarted || e.kind == EventKind::MatchResumed) {
        // A match begins or comes back: the list too.
        refreshMatches();
    }
    if (shown_ != 0) return;
    if (e.kind == EventKind::MatchStarted || e.kind == EventKind::MatchResumed) {
        showCurrent();
        return;
    }
    QScrollBar* bar = eventList->verticalScrollBar();
    const bool atBottom = bar->value() >= bar->maximum();
    events_.push_back(e);
    model_->appended();
    if (atBottom) eventList->scrollToBottom();
    // The chart and the table follow within a moment, not at every event.
    if (!statsTimer_->isActive()) statsTimer_->start();
}

void RecordWindow::updateStats(std::optional<MatchStats> stats) {
    stats_ = stats ? std::move(*stats) : computeStats(events_);
    // The current match's line in the list keeps up with its score.
    if (shown_ == 0 && store_)
        matches_->updateCurrent(finalScore(stats_.teams, stats_.scores), qint64(events_.size()));
    chart->setStats(&stats_);
    playerTable->setRowCount(int(stats_.players.size()));
    int row = 0;
    for (const PlayerLine& p : stats_.players) {
        const QStringList cells = playerCells(stats_, p);
        for (int c = 0; c < 6; ++c)
            playerTable->setItem(row, c, new QTableWidgetItem(cells[c]));
        ++row;
    }
    // What the capabilities make of the match, a tab for each table.
    while (tables->count() > 1) {
        QWidget* w = tables->widget(1);
        tables->removeTab(1);
        delete w;
    }
    const std::vector<MatchExtras::Section>& sections = program_.matchExtras().sections();
    if (sections.empty()) return;
    const MatchEvents events = matchEvents(events_);
    for (const MatchExtras::Section& section : sections) {
        if (!section.tables) continue;
        for (const MatchTable& t : section.tables(events)) {
            auto* table = new QTableWidget(int(t.rows.size()), int(t.heading.size()), tables);
            table->setHorizontalHeaderLabels(t.heading);
            table->verticalHeader()->hide();
            table->setEditTriggers(QAbstractItemView::NoEditTriggers);
            table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
            for (int r = 0; r < int(t.rows.size()); ++r)
                for (int c = 0; c < t.rows[std::size_t(r)].size(); ++c)
                    table->setItem(r, c, new QTableWidgetItem(t.rows[std::size_t(r)][c]));
            tables->addTab(table, t.title);
        }
    }
}

int RecordWindow::visibleEvents() const { return model_->rowCount(); }

qint64 RecordWindow::selectedMatch() const {
    const QModelIndexList rows = matchList->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : matches_->matchAt(rows.front().row());
}

void RecordWindow::updateButtons() {
    const qint64 selected = selectedMatch();
    const qint64 current = store_ ? store_->currentMatch() : 0;
    openButton->setEnabled(selected != 0);
    deleteButton->setEnabled(selected != 0 && selected != current);
    csvButton->setEnabled(!events_.empty());
    pdfButton->setEnabled(!events_.empty());
    for (QPushButton* b : extraExportButtons)
        b->setEnabled(!events_.empty());
}

void RecordWindow::openSelected() {
    if (const qint64 id = selectedMatch()) showMatch(id);
}

bool RecordWindow::exportCsv(const QString& path, QString* error) {
    if (const auto failure = files::saveAtomically(path, toCsv(events_))) {
        if (error) *error = *failure;
        return false;
    }
    return true;
}

bool RecordWindow::exportPdf(const QString& path, QString* error) {
    if (statsTimer_->isActive()) updateStats();
    std::vector<ReportPage> pages;
    const std::vector<MatchExtras::Section>& sections = program_.matchExtras().sections();
    const MatchEvents events = sections.empty() ? MatchEvents() : matchEvents(events_);
    for (const MatchExtras::Section& section : sections)
        if (section.paint)
            pages.push_back(
                [&section, &events](QPainter& p, QPagedPaintDevice& d, const QRectF& area) {
                    section.paint(p, d, area, events);
                });
    QStringList summary;
    for (const MatchExtras::Section& section : sections)
        if (section.summary) summary << section.summary(events);
    return writeMatchReport(path, title_, events_, stats_, pages, error, summary);
}

std::optional<QString> RecordWindow::exportExtra(std::size_t index, const QString& path) {
    const auto& exports = program_.matchExtras().exports();
    if (index >= exports.size()) return QStringLiteral("no such export");
    return exports[index].write(path, matchEvents(events_));
}

QString RecordWindow::exportFileName(const std::vector<RecordedEvent>& events,
                                     const QString& extension) {
    const auto started = std::find_if(events.begin(), events.end(), [](const RecordedEvent& e) {
        return e.kind == EventKind::MatchStarted;
    });
    const RecordedEvent* first = started != events.end() ? &*started
                                 : events.empty()        ? nullptr
                                                         : &events.front();
    QString name;
    if (first) {
        name = QDateTime::fromMSecsSinceEpoch(first->wallMs).toString(QStringLiteral("yyyy-MM-dd"));
    }
    // Named as the teams were named at the end, as the report and the
    // result file name them, whatever was typed in the boxes at the start.
    QStringList teams;
    if (started != events.end()) {
        for (const QString& name : replay(events).teams) {
            const QString team = name.simplified();
            if (!team.isEmpty()) teams << team;
        }
    }
    const QString what =
        teams.isEmpty() ? QStringLiteral("match") : teams.join(QStringLiteral(" v "));
    name = name.isEmpty() ? what : name + u' ' + what;
    // Team names are typed by the operator; the file may go to a memory
    // stick whose file system refuses these characters.
    static const QRegularExpression refused(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    name.replace(refused, QStringLiteral("-"));
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    return name + u'.' + extension;
}

namespace {

// Where a file was written, for the operator to find it.
QString savedText(const QString& what, const QString& path) {
    const QFileInfo file(path);
    return QStringLiteral("%1 saved as \"%2\" in the folder %3.")
        .arg(what, file.fileName(), QDir::toNativeSeparators(file.absolutePath()));
}

}  // namespace

void RecordWindow::exportAsked(const QString& title, const QString& filter, const QString& suffix,
                               const QString& saved,
                               const std::function<std::optional<QString>(const QString&)>& write) {
    const auto path =
        program_.dialogs.saveFile({title, QDir::homePath(), filter, exportFileName(events_, suffix),
                                   suffix, true, QStringList()});
    if (!path) return;
    if (const auto error = write(*path)) {
        program_.dialogs.inform(QStringLiteral("Could not write %1: %2").arg(*path, *error),
                                QString(), Dialogs::Icon::Warning);
        return;
    }
    program_.dialogs.inform(savedText(saved, *path), title, Dialogs::Icon::Information);
}

namespace {

// A writer's answer as exportAsked takes it.
std::optional<QString> failure(bool written, const QString& error) {
    return written ? std::nullopt : std::optional(error);
}

}  // namespace

void RecordWindow::exportCsvAsked() {
    exportAsked(QStringLiteral("Export Match as CSV"),
                QStringLiteral("CSV Files|*.csv|All Files|*.*"), QStringLiteral("csv"),
                QStringLiteral("The match's events were"), [this](const QString& path) {
                    QString error;
                    return failure(exportCsv(path, &error), error);
                });
}

void RecordWindow::exportPdfAsked() {
    exportAsked(QStringLiteral("Export Match Report"),
                QStringLiteral("PDF Files|*.pdf|All Files|*.*"), QStringLiteral("pdf"),
                QStringLiteral("The match report was"), [this](const QString& path) {
                    QString error;
                    return failure(exportPdf(path, &error), error);
                });
}

void RecordWindow::exportExtraAsked(std::size_t index) {
    const auto& exports = program_.matchExtras().exports();
    if (index >= exports.size()) return;
    const MatchExtras::Export& e = exports[index];
    QString title = e.button;
    title.remove(QLatin1Char('&'));
    title.remove(QStringLiteral("..."));
    exportAsked(title, e.filter, e.suffix, QStringLiteral("The file was"),
                [this, index](const QString& path) { return exportExtra(index, path); });
}

void RecordWindow::deleteAsked() {
    const qint64 id = selectedMatch();
    if (id == 0 || (store_ && id == store_->currentMatch())) return;
    const std::optional<MatchSummary> m = reader_.match(id);
    if (!m) return;
    if (program_.dialogs.message(QStringLiteral("Delete %1 and its %2 events from the record?")
                                     .arg(matchTitle(*m))
                                     .arg(m->events),
                                 QStringLiteral("Delete Match"), Dialogs::Icon::Question,
                                 Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes) {
        return;
    }
    if (reader_.deleteMatch(id)) {
        matches_->removeMatch(id);
    } else {
        program_.dialogs.inform(
            QStringLiteral("The match could not be deleted: %1").arg(reader_.problem()), QString(),
            Dialogs::Icon::Warning);
    }
    if (shown_ == id) showCurrent();
    refreshMatches();
}

}  // namespace record
