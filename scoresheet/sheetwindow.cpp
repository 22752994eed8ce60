#include "scoresheet/sheetwindow.h"

#include <QBrush>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <memory>

#include "scoresheet/qbjwriter.h"
#include "scoresheet/rules.h"
#include "scoresheet/sheetstats.h"

namespace scoresheet {

namespace {

// Paper and pencil: white sheet, the row being played in a marker's yellow,
// players sitting out greyed, each team's columns tinted apart.
const QColor kCurrentRow(255, 236, 140);
const QColor kSittingOut(225, 225, 225);
const QColor kTeamTint[] = {QColor(255, 244, 240), QColor(240, 246, 255), QColor(242, 255, 240)};
const QColor kNeg(176, 0, 0);

QString valueText(const std::optional<int>& value) {
    if (!value) return QStringLiteral("?");
    return QString::number(*value);
}

bool seated(const Tossup& t, int team, int player) {
    if (team >= int(t.lineups.size())) return true;
    const auto& l = t.lineups[std::size_t(team)];
    return std::find(l.begin(), l.end(), player) != l.end();
}

}  // namespace

// --- The table --------------------------------------------------------------

SheetTable::SheetTable(const SheetModel& model, QObject* parent)
    : QAbstractTableModel(parent), model_(model) {
    layoutColumns();
    rows_ = int(model_.sheet().tossups.size());
}

void SheetTable::layoutColumns() {
    columns_.clear();
    const Sheet& s = model_.sheet();
    for (int team = 0; team < int(s.teams.size()); ++team) {
        for (int p = 0; p < s.teams[std::size_t(team)].players.size(); ++p)
            columns_.push_back({team, Kind::Player, p});
        if (s.rules.bonusParts > 0) columns_.push_back({team, Kind::Bonus, -1});
        columns_.push_back({team, Kind::Total, -1});
    }
}

void SheetTable::refresh() {
    const Sheet& s = model_.sheet();
    int players = 0;
    for (const SheetTeam& t : s.teams)
        players += int(t.players.size());
    const int wanted = players + int(s.teams.size()) * (s.rules.bonusParts > 0 ? 2 : 1);
    const int rows = int(s.tossups.size());
    if (wanted != int(columns_.size()) || rows < rows_) {
        // Another match, other rules or a new player: laid out afresh.
        beginResetModel();
        layoutColumns();
        rows_ = rows;
        endResetModel();
        return;
    }
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }
    // Running totals below a corrected row change too; the view redraws
    // what is in sight when it next paints.
    if (rows_ > 0 && !columns_.empty())
        emit dataChanged(index(0, 0), index(rows_ - 1, int(columns_.size()) - 1));
    emit headerDataChanged(Qt::Horizontal, 0, int(columns_.size()) - 1);
}

int SheetTable::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int SheetTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant SheetTable::data(const QModelIndex& index, int role) const {
    const Sheet& s = model_.sheet();
    if (!index.isValid() || index.row() >= int(s.tossups.size())) return {};
    const Tossup& t = s.tossups[std::size_t(index.row())];
    const Column c = columns_[std::size_t(index.column())];
    const bool current = index.row() == int(s.tossups.size()) - 1;
    switch (role) {
    case Qt::DisplayRole:
        switch (c.kind) {
        case Kind::Player: {
            const Buzz* b = buzzOf(t, c.team);
            if (!b || b->player != c.player) return QString();
            // With a packet, the word the buzz came on beside its value.
            return b->word ? QStringLiteral("%1 @%2").arg(valueText(b->value)).arg(*b->word)
                           : valueText(b->value);
        }
        case Kind::Bonus: {
            if (!t.bonusTeam) return QString();
            QString marks;
            if (t.bonusTeam != c.team) {
                // The other team's: what it took on the bounce-back.
                if (t.bouncebackParts.empty() || bonusPoints(t, c.team) == 0) return QString();
                for (int p : t.bouncebackParts)
                    marks += p ? QChar(0x2713) : QChar(0x00B7);
                return QStringLiteral("%1 bb  %2").arg(bonusPoints(t, c.team)).arg(marks);
            }
            for (int p : t.bonusParts)
                marks += p ? QChar(0x2713) : QChar(0x00B7);
            return QStringLiteral("%1  %2").arg(bonusPoints(t, c.team)).arg(marks);
        }
        case Kind::Total: {
            int sum = 0;
            for (int r = 0; r <= index.row(); ++r)
                sum += tossupPoints(s.tossups[std::size_t(r)], c.team);
            return sum;
        }
        }
        break;
    case Qt::ToolTipRole: {
        const Buzz* b = c.kind == Kind::Player ? buzzOf(t, c.team) : nullptr;
        if (!b || b->player != c.player || !b->word) break;
        return QStringLiteral("Buzzed on word %1 of %2%3")
            .arg(*b->word)
            .arg(t.questionWords)
            .arg(b->wordConfirmed ? QString()
                                  : QStringLiteral(" (proposed; the ruling confirms it)"));
    }
    case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
    case Qt::BackgroundRole:
        if (current) return QBrush(kCurrentRow);
        if (c.kind == Kind::Player && !seated(t, c.team, c.player)) return QBrush(kSittingOut);
        return QBrush(kTeamTint[c.team % 3]);
    case Qt::ForegroundRole: {
        const Buzz* b = c.kind == Kind::Player ? buzzOf(t, c.team) : nullptr;
        if (b && b->player == c.player && b->value.value_or(0) < 0) return QBrush(kNeg);
        break;
    }
    case Qt::FontRole:
        if (c.kind == Kind::Total) {
            QFont f;
            f.setBold(true);
            return f;
        }
        break;
    default: break;
    }
    return {};
}

QVariant SheetTable::headerData(int section, Qt::Orientation orientation, int role) const {
    const Sheet& s = model_.sheet();
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical) {
        const bool overtime = s.rules.regulationTossups > 0 && section >= s.rules.regulationTossups;
        return overtime ? QStringLiteral("OT %1").arg(section + 1) : QString::number(section + 1);
    }
    if (section < 0 || section >= int(columns_.size())) return {};
    const Column c = columns_[std::size_t(section)];
    const SheetTeam& team = s.teams[std::size_t(c.team)];
    switch (c.kind) {
    case Kind::Player: return QStringLiteral("%1\n%2").arg(team.name, team.players[c.player]);
    case Kind::Bonus: return QStringLiteral("%1\nBonus").arg(team.name);
    case Kind::Total: return QStringLiteral("%1\nTotal").arg(team.name);
    }
    return {};
}

// --- The window -------------------------------------------------------------

SheetWindow::SheetWindow(SheetModel& model, std::function<void(const ScoringRules&)> chooseRules,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model), chooseRules_(std::move(chooseRules)) {
    setObjectName(QStringLiteral("SheetWindow"));
    setWindowTitle(QStringLiteral("Scoresheet"));
    resize(1000, 640);

    rulesBox = new QComboBox(this);
    rulesBox->setObjectName(QStringLiteral("rulesBox"));
    // The keys belong to the sheet: nothing here takes the focus from the
    // table, which passes them on.
    rulesBox->setFocusPolicy(Qt::NoFocus);
    totalsLabel = new QLabel(this);
    totalsLabel->setObjectName(QStringLiteral("totalsLabel"));
    // Team names come from the keyboard and from QBJ files: shown, never
    // rendered as markup (an image tag could read any file).
    totalsLabel->setTextFormat(Qt::PlainText);
    QFont big = totalsLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    totalsLabel->setFont(big);
    matchNotesLabel = new QLabel(this);
    matchNotesLabel->setObjectName(QStringLiteral("matchNotesLabel"));
    matchNotesLabel->setTextFormat(Qt::PlainText);

    tableModel_ = new SheetTable(model_, this);
    table = new QTableView(this);
    table->setObjectName(QStringLiteral("sheetTable"));
    table->setModel(tableModel_);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setGridStyle(Qt::SolidLine);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    table->installEventFilter(this);
    connect(table, &QTableView::clicked, this, &SheetWindow::cellClicked);

    nextButton = new QPushButton(QStringLiteral("Next Toss-up (T)"), this);
    undoButton = new QPushButton(QStringLiteral("Undo Sheet Change"), this);
    lineupButton = new QPushButton(QStringLiteral("Lineups..."), this);
    protestButton = new QPushButton(QStringLiteral("Protests..."), this);
    for (QPushButton* b : {nextButton, undoButton, lineupButton, protestButton})
        b->setFocusPolicy(Qt::NoFocus);
    connect(protestButton, &QPushButton::clicked, this, [this] {
        std::unique_ptr<QMenu> menu(protestMenu());
        menu->exec(protestButton->mapToGlobal(QPoint(0, protestButton->height())));
    });
    connect(nextButton, &QPushButton::clicked, this, [this] { model_.nextTossup(); });
    connect(undoButton, &QPushButton::clicked, this, [this] { model_.undo(); });
    connect(lineupButton, &QPushButton::clicked, this, [this] {
        QMenu menu;
        for (int team = 0; team < int(model_.sheet().teams.size()); ++team)
            menu.addAction(model_.sheet().teams[std::size_t(team)].name,
                           [this, team] { editLineup(team); });
        menu.exec(lineupButton->mapToGlobal(QPoint(0, lineupButton->height())));
    });

    QStringList keys;
    for (const KeyHelp& k : sheetKeyHelp())
        keys << QStringLiteral("<b>%1</b> %2").arg(k.key, k.brief);
    keysLabel = new QLabel(keys.join(QStringLiteral(" &nbsp;·&nbsp; ")), this);
    keysLabel->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Rules:"), this));
    top->addWidget(rulesBox);
    top->addSpacing(24);
    top->addWidget(totalsLabel, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(nextButton);
    buttons->addWidget(undoButton);
    buttons->addWidget(lineupButton);
    buttons->addWidget(protestButton);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(matchNotesLabel);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    layout->addWidget(keysLabel);

    fillRules();
    connect(rulesBox, &QComboBox::activated, this, [this](int i) {
        const std::vector<ScoringRules> presets = presetRules();
        if (i >= 0 && i < int(presets.size()) && chooseRules_)
            chooseRules_(presets[std::size_t(i)]);
        fillRules();
    });
    model_.addChangeHandler([this] {
        if (isVisible()) refresh();
    });
    refresh();
}

void SheetWindow::fillRules() {
    rulesBox->clear();
    int chosen = -1;
    const std::vector<ScoringRules> presets = presetRules();
    for (int i = 0; i < int(presets.size()); ++i) {
        rulesBox->addItem(presets[std::size_t(i)].name);
        if (rulesToJson(presets[std::size_t(i)]) == rulesToJson(model_.chosenRules())) chosen = i;
    }
    if (chosen < 0) {
        rulesBox->addItem(model_.chosenRules().name);
        chosen = rulesBox->count() - 1;
    }
    rulesBox->setCurrentIndex(chosen);
}

void SheetWindow::refresh() {
    tableModel_->refresh();
    const Sheet& s = model_.sheet();
    QStringList parts;
    for (int team = 0; team < int(s.teams.size()); ++team) {
        const int total = teamTotal(s, team);
        const int board = s.teams[std::size_t(team)].points;
        QString text = QStringLiteral("%1 %2").arg(s.teams[std::size_t(team)].name).arg(total);
        // Points given with the function keys are on the board, not on the sheet.
        if (board != total) text += QStringLiteral(" (board %1)").arg(board);
        parts << text;
    }
    totalsLabel->setText(parts.join(QStringLiteral("   —   ")));
    QStringList notes = timeoutNotes(s);
    if (const QString outlook = protestOutlook(s); !outlook.isEmpty()) notes << outlook;
    matchNotesLabel->setText(notes.join(QLatin1Char('\n')));
    matchNotesLabel->setVisible(!notes.isEmpty());
    protestButton->setEnabled(!s.rules.plain() && !s.tossups.empty());
    if (rulesBox->currentText() != model_.chosenRules().name) fillRules();
    undoButton->setEnabled(model_.canUndo());
    nextButton->setEnabled(!s.rules.plain());
    lineupButton->setEnabled(!s.rules.plain() && !s.teams.empty());
    const int rows = int(s.tossups.size());
    if (rows != shownRows_ && rows > 0) {
        table->scrollTo(tableModel_->index(rows - 1, 0));
        shownRows_ = rows;
    }
}

QMenu* SheetWindow::correctionMenu(const QModelIndex& index) {
    if (!index.isValid()) return nullptr;
    const SheetTable::Column c = tableModel_->column(index.column());
    const int row = index.row();
    const Sheet& s = model_.sheet();
    const Tossup& t = s.tossups[std::size_t(row)];
    auto* menu = new QMenu(this);
    if (c.kind == SheetTable::Kind::Player) {
        const QString who = s.teams[std::size_t(c.team)].players[c.player];
        menu->setTitle(QStringLiteral("Toss-up %1, %2").arg(t.number).arg(who));
        std::vector<int> values = s.rules.answerValues;
        values.push_back(0);
        const int levels = powerLevels(s.rules);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int v = values[i];
            const QString label = v == 0            ? QStringLiteral("0  wrong, no penalty")
                                  : v < 0           ? QStringLiteral("%1  neg").arg(v)
                                  : int(i) < levels ? QStringLiteral("%1  power").arg(v)
                                                    : QStringLiteral("%1  correct").arg(v);
            menu->addAction(label, this,
                            [this, row, c, v] { model_.correctBuzz(row, c.team, c.player, v); });
        }
        menu->addSeparator();
        menu->addAction(
            QStringLiteral("No buzz by %1").arg(s.teams[std::size_t(c.team)].name), this,
            [this, row, c] { model_.correctBuzz(row, c.team, std::nullopt, std::nullopt); });
    } else if (c.kind == SheetTable::Kind::Bonus && t.bonusTeam == c.team) {
        for (int part = 0; part < int(t.bonusParts.size()); ++part) {
            QAction* a = menu->addAction(QStringLiteral("Part %1 converted").arg(part + 1));
            a->setCheckable(true);
            a->setChecked(t.bonusParts[std::size_t(part)] != 0);
            connect(a, &QAction::triggered, this, [this, row, part](bool on) {
                std::vector<int> parts = model_.sheet().tossups[std::size_t(row)].bonusParts;
                parts[std::size_t(part)] = on ? model_.sheet().rules.pointsPerBonusPart : 0;
                model_.correctBonus(row, parts);
            });
        }
    } else if (c.kind == SheetTable::Kind::Bonus && t.bonusTeam && !t.bouncebackParts.empty()) {
        // The other team's cell: the parts it took on the bounce-back.
        for (int part = 0; part < int(t.bouncebackParts.size()); ++part) {
            QAction* a = menu->addAction(QStringLiteral("Part %1 taken on the bounce-back by %2")
                                             .arg(part + 1)
                                             .arg(s.teams[std::size_t(c.team)].name));
            a->setCheckable(true);
            a->setChecked(t.bouncebackParts[std::size_t(part)] != 0);
            a->setEnabled(t.bonusParts[std::size_t(part)] == 0);
            connect(a, &QAction::triggered, this, [this, row, part](bool on) {
                std::vector<int> parts = model_.sheet().tossups[std::size_t(row)].bouncebackParts;
                parts[std::size_t(part)] = on ? model_.sheet().rules.pointsPerBonusPart : 0;
                model_.correctBounceback(row, parts);
            });
        }
    } else {
        delete menu;
        return nullptr;
    }
    return menu;
}

void SheetWindow::cellClicked(const QModelIndex& index) {
    QMenu* menu = correctionMenu(index);
    if (!menu) return;
    menu->exec(QCursor::pos());
    menu->deleteLater();
}

QMenu* SheetWindow::protestMenu() {
    auto* menu = new QMenu(this);
    menu->addAction(QStringLiteral("Lodge a Protest..."), this, [this] { lodgeProtest(); });
    const Sheet& s = model_.sheet();
    for (int i = 0; i < int(s.protests.size()); ++i) {
        const Protest& p = s.protests[std::size_t(i)];
        if (p.state != Protest::State::Open) continue;
        QMenu* sub = menu->addMenu(
            QStringLiteral("Protest %1: %2 on toss-up %3%4")
                .arg(i + 1)
                .arg(teamName(s, p.team))
                .arg(p.tossup)
                .arg(p.part >= 0 ? QStringLiteral(", bonus part %1").arg(p.part + 1) : QString()));
        sub->addAction(QStringLiteral("Upheld: the answer counts"), this,
                       [this, i] { model_.resolveProtest(i, true); });
        sub->addAction(QStringLiteral("Denied: the ruling stands"), this,
                       [this, i] { model_.resolveProtest(i, false); });
    }
    return menu;
}

void SheetWindow::lodgeProtest() {
    const Sheet& s = model_.sheet();
    if (s.tossups.empty() || s.teams.empty()) return;
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("ProtestDialog"));
    dialog.setWindowTitle(QStringLiteral("Protest"));
    auto* form = new QFormLayout(&dialog);
    auto* team = new QComboBox(&dialog);
    team->setObjectName(QStringLiteral("protestTeam"));
    for (int t = 0; t < int(s.teams.size()); ++t)
        team->addItem(teamName(s, t));
    auto* tossup = new QComboBox(&dialog);
    tossup->setObjectName(QStringLiteral("protestTossup"));
    for (const Tossup& t : s.tossups)
        tossup->addItem(QString::number(t.number));
    // The toss-up (or bonus) just played, most likely.
    const int bonus = model_.bonusTarget();
    tossup->setCurrentIndex(bonus >= 0 ? bonus
                            : s.tossups.back().heard || s.tossups.size() < 2
                                ? int(s.tossups.size()) - 1
                                : int(s.tossups.size()) - 2);
    auto* part = new QComboBox(&dialog);
    part->setObjectName(QStringLiteral("protestPart"));
    part->addItem(QStringLiteral("The toss-up"));
    for (int i = 0; i < s.rules.bonusParts; ++i)
        part->addItem(QStringLiteral("Bonus part %1").arg(i + 1));
    auto* answer = new QLineEdit(&dialog);
    answer->setObjectName(QStringLiteral("protestAnswer"));
    auto* reason = new QLineEdit(&dialog);
    reason->setObjectName(QStringLiteral("protestReason"));
    form->addRow(QStringLiteral("Team protesting"), team);
    form->addRow(QStringLiteral("Toss-up"), tossup);
    form->addRow(QStringLiteral("On"), part);
    form->addRow(QStringLiteral("Answer given"), answer);
    form->addRow(QStringLiteral("Reason"), reason);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return;
    model_.fileProtest(tossup->currentIndex(), team->currentIndex(), part->currentIndex() - 1,
                       answer->text().trimmed(), reason->text().trimmed());
}

void SheetWindow::editLineup(int team) {
    const Sheet& s = model_.sheet();
    if (team < 0 || team >= int(s.teams.size())) return;
    const QStringList roster = s.teams[std::size_t(team)].players;
    const std::vector<int>& seats = model_.builder().seats(team);
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Lineup: %1").arg(s.teams[std::size_t(team)].name));
    auto* form = new QFormLayout(&dialog);
    form->addRow(new QLabel(QStringLiteral("Who sits at each button (type a name to bring in a "
                                           "substitute):"),
                            &dialog));
    std::vector<QComboBox*> boxes;
    for (std::size_t seat = 0; seat < seats.size(); ++seat) {
        auto* box = new QComboBox(&dialog);
        box->setEditable(true);
        box->addItems(roster);
        box->setCurrentIndex(seats[seat]);
        form->addRow(QStringLiteral("Button %1").arg(seat + 1), box);
        boxes.push_back(box);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return;
    QStringList names = roster;
    std::vector<int> chosen;
    for (QComboBox* box : boxes) {
        const QString name = box->currentText().trimmed();
        if (name.isEmpty()) return;
        if (!names.contains(name)) names.append(name);
        chosen.push_back(int(names.indexOf(name)));
    }
    model_.setLineup(team, names, chosen);
}

bool SheetWindow::screenKey(QKeyEvent* event) {
    const int k = event->key();
    if (!screenKeys_ || !isScreenKey(k)) return false;
    screenKeys_(event);
    return true;
}

void SheetWindow::keyPressEvent(QKeyEvent* event) {
    if (sheetKey(event->key(), int(event->modifiers()))) return;
    if (screenKey(event)) return;
    QWidget::keyPressEvent(event);
}

bool SheetWindow::eventFilter(QObject* watched, QEvent* event) {
    // The table would take letters and digits for finding a row, and Space
    // for choosing one.
    if (watched == table && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (sheetKeyFor(key->key(), int(key->modifiers()))) {
            sheetKey(key->key(), int(key->modifiers()));
            return true;
        }
        if (screenKey(key)) return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SheetWindow::showEvent(QShowEvent* event) {
    shownRows_ = -1;
    refresh();
    QWidget::showEvent(event);
}

QWidget* openSheetKeys(QWidget* parent) {
    auto* w = new QWidget(parent, Qt::Window);
    w->setObjectName(QStringLiteral("SheetKeys"));
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowTitle(QStringLiteral("Scoresheet Keys"));
    QString html = QStringLiteral(
        "<p>Under scoring rules other than <i>Plain</i> (chosen in the Scoresheet window), these "
        "keys work on the play screen and in the Scoresheet window. A buzz-in goes on the "
        "scoresheet by itself; the operator rules it:</p><table cellspacing=6>");
    for (const KeyHelp& k : sheetKeyHelp())
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(k.key.toHtmlEscaped(), k.does.toHtmlEscaped());
    html += QStringLiteral(
        "</table><p>A ruling moves the team's board by its points, as F1 to F4 do; F1 to F4 "
        "stay as they were, and Undo Score Change takes back a board's last change. A click on a "
        "cell of the scoresheet corrects it; Undo Sheet Change takes back the sheet's last "
        "ruling, bonus part or correction, boards included.</p>");
    auto* text = new QLabel(html, w);
    text->setWordWrap(true);
    text->setTextFormat(Qt::RichText);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, w);
    QObject::connect(close, &QDialogButtonBox::rejected, w, &QWidget::close);
    auto* layout = new QVBoxLayout(w);
    layout->addWidget(text);
    layout->addWidget(close);
    w->resize(560, w->sizeHint().height());
    w->show();
    return w;
}

}  // namespace scoresheet
