#include "menu/operatorkeys.h"

#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

struct KeyRow {
    const char* keys;
    const char* does;
};

const KeyRow kPlayScreenKeys[] = {
    {"Space", "Clear: empties the display and lets the buttons buzz in again"},
    {"F1 / F2", "Alpha's score up / down by the score increment"},
    {"F3 / F4", "Beta's score up / down by the score increment"},
    {"F11 / F12", "Gamma's score up / down (three-team screens)"},
    {"F5", "Start the match clock"},
    {"F6", "Time-out: stops the match clock and counts the time-out"},
    {"F7", "Auxiliary timer (shown as \"Toss Up\")"},
    {"F8", "Time-out, then the set-up menu"},
    {"F9", "Toss-up timer, when no name is on the display"},
    {"F10", "Bonus timer"},
    {"Ctrl+Z", "Take back the last score change (also in the set-up menu)"},
    {"Ctrl+Shift+Z", "Make a score change taken back again"},
    {"Alt+Return", "Full screen on or off"},
    {"Escape", "Leave full screen"},
};

const KeyRow kPanelKeys[] = {
    {"1 2 3 4 5", "Alpha's players, first to fifth"},
    {"Q W E R T", "Beta's players, first to fifth"},
    {"A S D F G", "Gamma's players, first to fifth"},
    {"X", "The extra transmitter (wireless models)"},
    {"Ctrl",
     "Hold it while pressing players' keys or buttons to gather them; let go "
     "and they press together"},
};

void addSection(QTreeWidget* list, const QString& heading, const KeyRow* rows, int count) {
    auto* section = new QTreeWidgetItem(list, {heading});
    section->setFirstColumnSpanned(true);
    QFont bold = section->font(0);
    bold.setBold(true);
    section->setFont(0, bold);
    for (int i = 0; i < count; ++i) {
        new QTreeWidgetItem(section,
                            {QString::fromLatin1(rows[i].keys), QString::fromLatin1(rows[i].does)});
    }
    section->setExpanded(true);
}

}  // namespace

OperatorKeys* OperatorKeys::open(QWidget* parent) {
    OperatorKeys* window =
        parent ? parent->findChild<OperatorKeys*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!window) window = new OperatorKeys(parent);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

OperatorKeys::OperatorKeys(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("OperatorKeys"));
    setWindowTitle(QStringLiteral("Operator Keys"));

    Listkeys = new QTreeWidget(this);
    Listkeys->setObjectName(QStringLiteral("Listkeys"));
    Listkeys->setColumnCount(2);
    Listkeys->setHeaderLabels({QStringLiteral("Key"), QStringLiteral("What it does")});
    Listkeys->setRootIsDecorated(false);
    Listkeys->setSelectionMode(QAbstractItemView::NoSelection);
    Listkeys->setFocusPolicy(Qt::NoFocus);
    addSection(Listkeys,
               QStringLiteral("Play screen (click it first: its keys work while it is the "
                              "active window)"),
               kPlayScreenKeys, int(std::size(kPlayScreenKeys)));
    addSection(Listkeys,
               QStringLiteral("Contestant panel of the simulated interface (while a play "
                              "screen or Check Buttons is the active window)"),
               kPanelKeys, int(std::size(kPanelKeys)));
    Listkeys->resizeColumnToContents(0);
    Listkeys->header()->setStretchLastSection(true);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Listkeys);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(640, 560);
}

QStringList OperatorKeys::keyNames() const {
    static const QRegularExpression separators(QStringLiteral("[ /]+"));
    QStringList names;
    for (int s = 0; s < Listkeys->topLevelItemCount(); ++s) {
        const QTreeWidgetItem* section = Listkeys->topLevelItem(s);
        for (int r = 0; r < section->childCount(); ++r)
            names << section->child(r)->text(0).split(separators, Qt::SkipEmptyParts);
    }
    return names;
}
