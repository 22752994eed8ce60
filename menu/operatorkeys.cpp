#include "menu/operatorkeys.h"
#include "app/windowplaces.h"

#include <algorithm>

#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
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

void addSection(QTreeWidget* list, const QString& heading,
                const std::vector<std::pair<QString, QString>>& rows) {
    auto* section = new QTreeWidgetItem(list, {heading});
    section->setFirstColumnSpanned(true);
    QFont bold = section->font(0);
    bold.setBold(true);
    section->setFont(0, bold);
    for (const auto& [keys, does] : rows)
        new QTreeWidgetItem(section, {keys, does});
    section->setExpanded(true);
}

template <std::size_t N>
std::vector<std::pair<QString, QString>> rowsOf(const KeyRow (&rows)[N]) {
    std::vector<std::pair<QString, QString>> out;
    for (const KeyRow& r : rows)
        out.emplace_back(QString::fromLatin1(r.keys), QString::fromLatin1(r.does));
    return out;
}

}  // namespace

OperatorKeys* OperatorKeys::open(QWidget* parent, const std::vector<Program::KeySection>& more) {
    OperatorKeys* window =
        parent ? parent->findChild<OperatorKeys*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!window) window = new OperatorKeys(parent, more);
    places::bringForward(*window);
    return window;
}

OperatorKeys::OperatorKeys(QWidget* parent, const std::vector<Program::KeySection>& more)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("OperatorKeys"));
    setWindowTitle(QStringLiteral("Operator Keys"));

    Listkeys = new QTreeWidget(this);
    Listkeys->setObjectName(QStringLiteral("Listkeys"));
    Listkeys->setColumnCount(2);
    Listkeys->setHeaderLabels({QStringLiteral("Key"), QStringLiteral("What it does")});
    Listkeys->setRootIsDecorated(false);
    Listkeys->setSelectionMode(QAbstractItemView::NoSelection);
    Listkeys->setFocusPolicy(Qt::NoFocus);
    // Every line whole, none cut short with "...": the window is made as
    // wide as its longest line.
    Listkeys->setTextElideMode(Qt::ElideNone);
    addSection(Listkeys,
               QStringLiteral("Play screen (click it first: its keys work while it is the "
                              "active window)"),
               rowsOf(kPlayScreenKeys));
    addSection(Listkeys,
               QStringLiteral("Contestant panel of the simulated interface (while a play "
                              "screen or Check Buttons is the active window)"),
               rowsOf(kPanelKeys));
    for (const Program::KeySection& section : more)
        addSection(Listkeys, section.heading, section.keys);
    // The keys' column as wide as its widest key (the headings span both
    // columns and would make it as wide as themselves), the other as wide as
    // its longest line, the list as wide as both or its longest heading.
    const QFontMetrics metrics = Listkeys->fontMetrics();
    int keysWidth = 0, doesWidth = 0, headingWidth = 0;
    for (int i = 0; i < Listkeys->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* section = Listkeys->topLevelItem(i);
        headingWidth = std::max(headingWidth,
                                QFontMetrics(section->font(0)).horizontalAdvance(section->text(0)));
        for (int r = 0; r < section->childCount(); ++r) {
            keysWidth = std::max(keysWidth, metrics.horizontalAdvance(section->child(r)->text(0)));
            doesWidth = std::max(doesWidth, metrics.horizontalAdvance(section->child(r)->text(1)));
        }
    }
    constexpr int kPadding = 24;
    Listkeys->setColumnWidth(0, keysWidth + kPadding);
    Listkeys->header()->setStretchLastSection(true);
    const int frame =
        2 * Listkeys->frameWidth() + Listkeys->verticalScrollBar()->sizeHint().width();
    Listkeys->setMinimumWidth(
        std::max(keysWidth + doesWidth + 2 * kPadding, headingWidth + kPadding) + frame);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Listkeys);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(minimumSizeHint().width(), 760);
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
