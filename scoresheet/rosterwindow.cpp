#include "scoresheet/rosterwindow.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPromise>
#include <QPushButton>
#include <QThreadPool>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/dialogs.h"

namespace scoresheet {

RosterWindow::RosterWindow(Dialogs& dialogs, int teams, Use use, QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), teams_(teams), use_(std::move(use)) {
    setObjectName(QStringLiteral("RosterWindow"));
    setWindowTitle(QStringLiteral("Teams from a QBJ File"));
    setAttribute(Qt::WA_DeleteOnClose);

    openButton = new QPushButton(QStringLiteral("&Open QBJ File..."), this);
    teamList = new QTreeWidget(this);
    teamList->setObjectName(QStringLiteral("teamList"));
    teamList->setHeaderLabels({QStringLiteral("Team / players")});
    teamList->header()->hide();
    status = new QLabel(this);
    status->setWordWrap(true);
    status->setTextFormat(Qt::PlainText);
    useButton = new QPushButton(QStringLiteral("&Use the Checked Teams"), this);
    auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(openButton);
    buttons->addStretch(1);
    buttons->addWidget(useButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(teamList, 1);
    layout->addWidget(status);
    layout->addLayout(buttons);
    resize(440, 520);

    connect(openButton, &QPushButton::clicked, this, &RosterWindow::openAsked);
    connect(useButton, &QPushButton::clicked, this, &RosterWindow::useChecked);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(teamList, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (item->parent()) return;
        const int index = teamList->indexOfTopLevelItem(item);
        std::erase(checkedOrder_, index);
        if (item->checkState(0) == Qt::Checked) checkedOrder_.push_back(index);
        updateButtons();
    });
    updateButtons();
}

bool RosterWindow::openFile(const QString& path) { return showRoster(path, readRosterFile(path)); }

bool RosterWindow::showRoster(const QString& path, Roster roster) {
    if (!roster.ok()) {
        dialogs_.inform(roster.error, QStringLiteral("Teams from a QBJ File"),
                        Dialogs::Icon::Warning);
        return false;
    }
    roster_ = std::move(roster.teams);
    checkedOrder_.clear();
    const QSignalBlocker quiet(teamList);
    teamList->clear();
    for (const RosterTeam& t : roster_) {
        auto* item = new QTreeWidgetItem(
            teamList, {QStringLiteral("%1 (%2 players)").arg(t.name).arg(t.players.size())});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        for (const QString& p : t.players)
            new QTreeWidgetItem(item, {p});
    }
    setWindowTitle(QStringLiteral("Teams from %1").arg(QFileInfo(path).fileName()));
    updateButtons();
    return true;
}

void RosterWindow::openAsked() {
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Open QBJ File");
    request.filter = QStringLiteral("QBJ Files|*.qbj;*.json|All Files|*.*");
    const auto path = dialogs_.openFile(request);
    if (!path || reading_) return;
    // The read runs on the pool; its result comes back through the watcher
    // on this thread. A window closed meanwhile takes the watcher with it,
    // and the result is dropped with the promise.
    auto promise = std::make_shared<QPromise<Roster>>();
    auto* watcher = new QFutureWatcher<Roster>(this);
    reading_ = watcher;
    connect(watcher, &QFutureWatcher<Roster>::finished, this, [this, watcher, file = *path] {
        reading_ = nullptr;
        watcher->deleteLater();
        openButton->setEnabled(true);
        Roster roster = watcher->future().resultCount() > 0
                            ? watcher->future().result()
                            : Roster{{}, QStringLiteral("The file could not be read.")};
        const bool ok = showRoster(file, std::move(roster));
        if (!ok) updateButtons();
        emit readFinished(ok);
    });
    watcher->setFuture(promise->future());
    openButton->setEnabled(false);
    status->setText(QStringLiteral("Reading %1 ...").arg(QFileInfo(*path).fileName()));
    QThreadPool::globalInstance()->start([promise, file = *path] {
        promise->start();
        promise->addResult(readRosterFile(file));
        promise->finish();
    });
}

std::vector<RosterTeam> RosterWindow::checkedTeams() const {
    std::vector<RosterTeam> teams;
    for (int i : checkedOrder_)
        teams.push_back(roster_[i]);
    return teams;
}

void RosterWindow::useChecked() {
    if (static_cast<int>(checkedOrder_.size()) != teams_) return;
    if (use_) use_(checkedTeams());
    close();
}

void RosterWindow::updateButtons() {
    const int checked = static_cast<int>(checkedOrder_.size());
    useButton->setEnabled(checked == teams_);
    if (roster_.empty())
        status->setText(
            QStringLiteral("Open a tournament or registration file (.qbj) to list its teams."));
    else
        status->setText(
            QStringLiteral("Check %1 teams in the order they sit, left to right (%2 checked). "
                           "The first players of each fill the set-up menu; the rest are "
                           "offered as substitutes on the scoresheet.")
                .arg(teams_)
                .arg(checked));
}

}  // namespace scoresheet
