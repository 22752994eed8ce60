#include "menu/setupmenu.h"

#include <QTimer>

#include <QEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>

#include "app/program.h"
#include "app/windowplaces.h"
#include "menu/filecommands.h"
#include "menu/matchbox.h"
#include "menu/operatorkeys.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace {

// Holds the menu's fixed layout at its full size, and lets the window be
// smaller than that on a small or strongly scaled display, where the rest is
// scrolled to.
class ClientScroller final : public QScrollArea {
public:
    explicit ClientScroller(QWidget* parent) : QScrollArea(parent) {
        setObjectName(QStringLiteral("clientScroller"));
        setFrameShape(QFrame::NoFrame);
    }
    QSize sizeHint() const override {
        return widget() ? widget()->size() : QScrollArea::sizeHint();
    }
};

const SetupMenuVariant kMenu4{
    MenuKind::Players4,
    "4-PlayerSet-up Menu ",
    4,
    7800,
    "Torvanel",
    QRect(7200, 3360, 2415, 390),
    QRect(7200, 3840, 2415, 390),
    QRect(7680, 5280, 1695, 495),
    ScreenPair::P2_4,
    ScreenPair::P3_4,
    MenuKind::Players5,
    true,
    true,
    0,
    true,
    false,
    false,
    "&Extra Xmitter (RF only)",
    "&Receiver Codes (RF only)",
    "mnureccode",
    "mnuPlayers",
    "&4 Player per Team",
    "mnu5Players",
    "mnu1Player",
    "&Game Over",
    "&Background Color",
    "&Text Color",
};

const SetupMenuVariant kMenu5{
    MenuKind::Players5,
    "5-Player Set-up Menu",
    5,
    7785,
    "Torvanel Speaker",
    QRect(7440, 3240, 2295, 390),
    QRect(7440, 3600, 2295, 390),
    QRect(7560, 4920, 1695, 495),
    ScreenPair::P2_5,
    ScreenPair::P3_5,
    MenuKind::Players4,
    false,
    false,
    model::kWired,
    false,
    true,
    true,
    "&Extra Xmitter (RF Only)",
    "Receiver Codes",
    "mnuTimers",
    "mnuPlayersperTeam",
    "&4 Players per Team",
    "mnu5Player",
    "mnu1player",
    "& Game Over",
    "Background Color",
    "Text Color",
};

const char* const kRowCaptions[] = {
    "Team Name:", "Player One:", "Player Two:", "Player Three:", "Player Four:", "Player Five:"};

const char* const kDesignNames4[] = {"Alpha", "One",  "Two", "Three",  "Four",
                                     "Beta",  "Five", "Six", "Seven",  "Eight",
                                     "Gamma", "Nine", "Ten", "Eleven", "Twelve"};
const char* const kDesignNames5[] = {
    "Alpha", "One",  "Two", "Three", "Four",   "Five",   "Beta",     "Six",      "Seven",
    "Eight", "Nine", "Ten", "Gamma", "Eleven", "Twelve", "Thirteen", "Fourteen", "Fifteen"};

QRect px(const QRect& twips) {
    return twipsRect(twips.x(), twips.y(), twips.width(), twips.height());
}

QAction* addItem(QMenu* menu, const QString& caption, const QString& name) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

}  // namespace

const SetupMenuVariant& setupMenuVariant(MenuKind kind) {
    return kind == MenuKind::Players4 ? kMenu4 : kMenu5;
}

SetupMenu::SetupMenu(Program& program, MenuKind kind)
    : cd1test(setup::initialSetupDialog(program)),
      program_(program),
      variant_(setupMenuVariant(kind)) {
    setObjectName(menuName(kind));
    setWindowTitle(QString::fromLatin1(variant_.caption));
    setFont(programFont(QStringLiteral("Arial"), 12));
    buildWidgets();
    buildMenus();
}

void SetupMenu::buildWidgets() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twipsToPixels(11145), twipsToPixels(variant_.clientHeightTwips));
    auto* scroller = new ClientScroller(this);
    scroller->setWidget(client);
    setCentralWidget(scroller);

    const int players = variant_.playersPerTeam;
    const int blockTops[] = {360, 2880, 5400};
    for (int team = 0; team < 3; ++team) {
        for (int row = 0; row <= players; ++row) {
            const int top = blockTops[team] + row * 360;
            auto* caption = new QLabel(QString::fromLatin1(kRowCaptions[row]), client);
            caption->setGeometry(px(QRect(480, top, 1575, 375)));
            if (row == 0 && team == 0) LabelAlpha0 = caption;
            if (row == 0 && team == 1) LabelBeta0 = caption;
            if (row == 1 && team == 1) LabeBeta0 = caption;
            if (row == 0 && team == 2) LabelGamma0 = caption;

            const int index = team * stride() + row;
            auto* box = new QLineEdit(client);
            box->setObjectName(QStringLiteral("Text_%1").arg(index));
            box->setGeometry(px(QRect(2160, top, 2415, 375)));
            box->setText(
                QString::fromLatin1(players == 4 ? kDesignNames4[index] : kDesignNames5[index]));
            Text.add(index, box);
        }
    }
    LabelAlpha0->setObjectName(QStringLiteral("LabelAlpha0"));
    LabelBeta0->setObjectName(QStringLiteral("LabelBeta0"));
    LabeBeta0->setObjectName(QStringLiteral("LabeBeta0"));
    LabelGamma0->setObjectName(QStringLiteral("LabelGamma0"));

    // Each caption reaches to just short of its box. They start a little
    // left of the design's 5520, where "Number Teams:" would run into the
    // list at 7200.
    auto rightCaption = [client](const char* text, int top, int boxLeft) {
        auto* label = new QLabel(QString::fromLatin1(text), client);
        label->setGeometry(px(QRect(5460, top, boxLeft - 5460 - 45, 375)));
        return label;
    };

    struct TimerBox {
        int index;
        const char* caption;
        int top;
        int width;
        const char* value;
    };
    const TimerBox timers[] = {{6, "Match Timer:", 720, 855, "15:00"},
                               {7, "Toss-up Timer:", 1080, 615, "5"},
                               {8, "Bonus Timer:", 1440, 615, "10"},
                               {9, "Time-Out:", 1800, 615, "60"},
                               {10, "Auxillary:", 2160, 615, "60"}};
    for (const TimerBox& t : timers) {
        rightCaption(t.caption, t.top, 7440);
        auto* box = new QLineEdit(QString::fromLatin1(t.value), client);
        box->setObjectName(QStringLiteral("Texttimer_%1").arg(t.index));
        box->setGeometry(px(QRect(7440, t.top, t.width, 375)));
        Texttimer.add(t.index, box);
    }

    rightCaption("Score Increment:", 2760, 7440);
    auto* increment = new QLineEdit(QStringLiteral("1"), client);
    increment->setObjectName(QStringLiteral("textincrement_0"));
    increment->setGeometry(px(QRect(7440, 2760, 615, 375)));
    textincrement.add(0, increment);

    rightCaption("Number Teams:", variant_.teamsComboTwips.y(), variant_.teamsComboTwips.x());
    ComboTeams = new QComboBox(client);
    ComboTeams->setObjectName(QStringLiteral("ComboTeams"));
    ComboTeams->addItems({QStringLiteral("2 Teams"), QStringLiteral("3 Teams")});
    ComboTeams->setCurrentIndex(-1);
    ComboTeams->setGeometry(px(variant_.teamsComboTwips));

    rightCaption("Sound Source:", variant_.soundComboTwips.y(), variant_.soundComboTwips.x());
    ComboSound = new QComboBox(client);
    ComboSound->setObjectName(QStringLiteral("ComboSound"));
    ComboSound->addItems({QString::fromLatin1(variant_.speakerEntry), QStringLiteral("Sound Card"),
                          QStringLiteral("Both")});
    ComboSound->setCurrentIndex(-1);
    ComboSound->setGeometry(px(variant_.soundComboTwips));

    CommandSwitch = new QPushButton(QStringLiteral("Switch Sides"), client);
    CommandSwitch->setObjectName(QStringLiteral("CommandSwitch"));
    CommandSwitch->setGeometry(px(variant_.switchButtonTwips));

    CommandHide = new QPushButton(QStringLiteral("Hide Set-up Menu"), client);
    CommandHide->setObjectName(QStringLiteral("CommandHide"));
    CommandHide->setGeometry(px(QRect(7560, 6840, 2175, 615)));
}

void SetupMenu::buildMenus() {
    const SetupMenuVariant& v = variant_;
    QMenuBar* bar = menuBar();

    mnufile = bar->addMenu(QStringLiteral("&File"));
    mnufile->setObjectName(QStringLiteral("mnufile"));
    mnuOpen = addItem(mnufile, QStringLiteral("&Open Set-up File"), QStringLiteral("mnuOpen"));
    mnuSave = addItem(mnufile, QStringLiteral("&Save Set-up File"), QStringLiteral("mnuSave"));
    mnuSaveAs =
        addItem(mnufile, QStringLiteral("Save &As Set-up File"), QStringLiteral("mnuSaveAs"));
    mnuExit = addItem(mnufile, QStringLiteral("E&xit"), QStringLiteral("mnuExit"));

    mnuSetup = bar->addMenu(QStringLiteral("&Setup"));
    mnuSetup->setObjectName(QStringLiteral("mnuSetup"));
    mnuextraxmitter = addItem(mnuSetup, QString::fromLatin1(v.extraXmitterCaption),
                              QStringLiteral("mnuextraxmitter"));
    mnureccode = addItem(mnuSetup, QString::fromLatin1(v.receiverCodesCaption),
                         QString::fromLatin1(v.receiverCodesName));
    mnureccode->setEnabled(false);  // switched off in this version

    munOptions = bar->addMenu(QStringLiteral("&Options"));
    munOptions->setObjectName(QStringLiteral("munOptions"));
    mnuPlayers = munOptions->addMenu(QStringLiteral("&Players per Team"));
    mnuPlayers->setObjectName(QString::fromLatin1(v.playersName));
    mnu4Player = addItem(mnuPlayers, QString::fromLatin1(v.fourPlayersCaption),
                         QStringLiteral("mnu4Player"));
    mnu5Players = addItem(mnuPlayers, QStringLiteral("&5 Players per Team"),
                          QString::fromLatin1(v.fivePlayersName));
    mnu1Player =
        addItem(mnuPlayers, QStringLiteral("&Cut-Throat"), QString::fromLatin1(v.cutThroatName));
    mnu1Player->setEnabled(false);  // switched off in this version

    mnuSounds = munOptions->addMenu(QStringLiteral("&Sounds"));
    mnuSounds->setObjectName(QStringLiteral("mnuSounds"));
    menuAlphaSnd =
        addItem(mnuSounds, QStringLiteral("&Alpha Buzz-in"), QStringLiteral("menuAlphaSnd"));
    mnuBetaSnd = addItem(mnuSounds, QStringLiteral("&Beta Buzz-in"), QStringLiteral("mnuBetaSnd"));
    mnuGammaSnd =
        addItem(mnuSounds, QStringLiteral("&Gamma Buzz-in"), QStringLiteral("mnuGammaSnd"));
    mnuTimerSnd =
        addItem(mnuSounds, QStringLiteral("&Timer Expired"), QStringLiteral("mnuTimerSnd"));
    mnuGameSnd = addItem(mnuSounds, QString::fromLatin1(v.gameOverSoundCaption),
                         QStringLiteral("mnuGameSnd"));

    mnuColors = munOptions->addMenu(QStringLiteral("&Colors"));
    mnuColors->setObjectName(QStringLiteral("mnuColors"));
    mnubackgroundcolor = addItem(mnuColors, QString::fromLatin1(v.backgroundColourCaption),
                                 QStringLiteral("mnubackgroundcolor"));
    mnutextcolor = addItem(mnuColors, QString::fromLatin1(v.textColourCaption),
                           QStringLiteral("mnutextcolor"));

    mnuMoreOptions =
        addItem(munOptions, QStringLiteral("&More Options"), QStringLiteral("mnuMoreOptions"));

    // Present in the window's design but not part of this version.
    mnuQuestions = bar->addMenu(QStringLiteral("&Questions"));
    mnuQuestions->setObjectName(QStringLiteral("mnuQuestions"));
    mnuStatistics = bar->addMenu(QStringLiteral("&Statistics"));
    mnuStatistics->setObjectName(QStringLiteral("mnuStatistics"));
    for (const char* item : {"Individual", "Team", "Match"}) {
        mnuStatistics->addAction(QString::fromLatin1(item))->setEnabled(false);
    }
    mnuInternet = bar->addMenu(QStringLiteral("&Internet"));
    mnuInternet->setObjectName(QStringLiteral("mnuInternet"));
    for (QMenu* m : {mnuQuestions, mnuStatistics, mnuInternet}) {
        m->menuAction()->setVisible(false);
        m->menuAction()->setEnabled(false);
    }

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuVersionInfo =
        addItem(mnuHelp, QStringLiteral("&Version Info"), QStringLiteral("mnuVersionInfo"));
    mnuContactMarlowen =
        addItem(mnuHelp, QStringLiteral("&Contact Us"), QStringLiteral("mnuContactMarlowen"));
    // After the items the menu always had: every key of the play screen and
    // of the contestant panel in one window.
    mnuHelp->addSeparator();
    mnuOperatorKeys =
        addItem(mnuHelp, QStringLiteral("Operator &Keys"), QStringLiteral("mnuOperatorKeys"));
    connect(mnuOperatorKeys, &QAction::triggered, this,
            [this] { OperatorKeys::open(this, program_.keySections()); });

    buildMatchMenu();
    buildOperatorAids();
    connectHandlers();
}

// Aids for the operator that the menu's own design has no place for: the
// operator windows of the program's capabilities in the Match menu after
// the others (their help windows in Help after its own items), and the line at the foot of the
// window that says how the last buzz-in was decided.
void SetupMenu::buildOperatorAids() {
    mnuMatch->addSeparator();
    OperatorWindows& windows = program_.operatorWindows();
    for (const OperatorWindow& entry : windows.entries())
        addOperatorWindow(mnuMatch, entry);
    connect(&windows, &OperatorWindows::added, this,
            [this](const OperatorWindow& entry) { addOperatorWindow(mnuMatch, entry); });
    OperatorWindows& help = program_.helpWindows();
    for (const OperatorWindow& entry : help.entries())
        addOperatorWindow(mnuHelp, entry);
    connect(&help, &OperatorWindows::added, this,
            [this](const OperatorWindow& entry) { addOperatorWindow(mnuHelp, entry); });

    decisionLine = new QLabel(this);
    decisionLine->setObjectName(QStringLiteral("decisionLine"));
    // The line names players: their names are text, not markup.
    decisionLine->setTextFormat(Qt::PlainText);
    decisionLine->setText(program_.decision().text);
    statusBar()->addWidget(decisionLine, 1);
    connect(&program_.notifier(), &ProgramNotifier::decisionChanged, this,
            [this](const DecisionNote& note) { decisionLine->setText(note.text); });
    connect(&program_.notifier(), &ProgramNotifier::namesOffered, this,
            [this](const std::vector<TeamNames>& teams) { takeNames(teams); });
}

void SetupMenu::takeNames(const std::vector<TeamNames>& teams) {
    const int p = playersPerTeam();
    for (int t = 0; t < std::min(3, int(teams.size())); ++t) {
        teamNameBox(t)->setText(teams[std::size_t(t)].team);
        for (int seat = 0; seat < p; ++seat)
            playerNameBox(t * p + seat + 1)->setText(teams[std::size_t(t)].players.value(seat));
    }
}

void SetupMenu::addOperatorWindow(QMenu* menu, const OperatorWindow& entry) {
    QAction* item = addItem(menu, entry.text, entry.objectName);
    item->setShortcut(entry.shortcut);
    item->setStatusTip(entry.statusTip);
    connect(item, &QAction::triggered, this, [this, open = entry.open] { open(this); });
    if (entry.enabled) {
        auto follow = [item, enabled = entry.enabled] { item->setEnabled(enabled()); };
        follow();
        connect(menu, &QMenu::aboutToShow, item, follow);
    }
}

void SetupMenu::connectHandlers() {
    connect(ComboTeams, &QComboBox::currentIndexChanged, this, [this] { ComboTeams_Click(); });
    // Emitted only for the operator's choice, after the change itself.
    connect(ComboTeams, &QComboBox::activated, this, [this] { ComboTeams_Chosen(); });
    connect(ComboSound, &QComboBox::currentIndexChanged, this, [this] { ComboSound_Click(); });
    connect(Texttimer[6], &QLineEdit::textChanged, this, [this] {
        if (!parking_) ++matchTimeSerial_;
    });
    // The record hears a name once it has been typed: when the operator
    // leaves the box, or after a pause in the typing (names set by a setup
    // file or Switch Sides come the same way).
    namesTimer_ = new QTimer(this);
    namesTimer_->setSingleShot(true);
    namesTimer_->setInterval(1500);
    connect(namesTimer_, &QTimer::timeout, this, [this] { recordNames(); });
    for (const auto& [index, box] : Text) {
        connect(box, &QLineEdit::textChanged, this, [this] {
            Text_Change();
            namesTimer_->start();
        });
        connect(box, &QLineEdit::editingFinished, this, [this] { recordNames(); });
    }
    connect(CommandSwitch, &QPushButton::clicked, this, [this] { CommandSwitch_Click(); });
    connect(CommandHide, &QPushButton::clicked, this, [this] { CommandHide_Click(); });

    struct Item {
        QAction* action;
        void (SetupMenu::*handler)();
    };
    const Item items[] = {
        {mnuExit, &SetupMenu::mnuExit_Click},
        {mnuextraxmitter, &SetupMenu::mnuextraxmitter_Click},
        {mnu4Player, &SetupMenu::mnu4Player_Click},
        {mnu5Players, &SetupMenu::mnu5Players_Click},
        {menuAlphaSnd, &SetupMenu::menuAlphaSnd_Click},
        {mnuBetaSnd, &SetupMenu::mnuBetaSnd_Click},
        {mnuGammaSnd, &SetupMenu::mnuGammaSnd_Click},
        {mnuTimerSnd, &SetupMenu::mnuTimerSnd_Click},
        {mnuGameSnd, &SetupMenu::mnuGameSnd_Click},
        {mnubackgroundcolor, &SetupMenu::mnubackgroundcolor_Click},
        {mnutextcolor, &SetupMenu::mnutextcolor_Click},
        {mnuMoreOptions, &SetupMenu::mnuMoreOptions_Click},
        {mnuVersionInfo, &SetupMenu::mnuVersionInfo_Click},
        {mnuContactMarlowen, &SetupMenu::mnuContactMarlowen_Click},
    };
    for (const Item& item : items) {
        connect(item.action, &QAction::triggered, this, [this, h = item.handler] { (this->*h)(); });
    }
    // The record hears of a file only once it has been read or written.
    auto recordFile = [this](record::EventKind kind, const std::optional<QString>& file) {
        if (file) program_.recorder().record(kind, {{QStringLiteral("file"), *file}});
    };
    connect(mnuOpen, &QAction::triggered, this, [this, recordFile] {
        recordFile(record::EventKind::SetupOpened, setup::openSetupFile(program_, *this));
    });
    connect(mnuSave, &QAction::triggered, this, [this, recordFile] {
        recordFile(record::EventKind::SetupSaved, setup::saveSetupFile(program_, *this));
    });
    connect(mnuSaveAs, &QAction::triggered, this, [this, recordFile] {
        recordFile(record::EventKind::SetupSaved, setup::saveSetupFileAs(program_, *this));
    });
}

// --- Load and activation --------------------------------------------------------

void SetupMenu::load() {
    TitleForm& title = formsOf(program_).titleForm();
    if (title.TeamText->text() == QLatin1String("2")) ComboTeams->setCurrentIndex(0);
    if (title.TeamText->text() == QLatin1String("3")) ComboTeams->setCurrentIndex(1);
    if (ComboSound->currentIndex() == -1) ComboSound->setCurrentIndex(0);
    mnuSounds->setEnabled(ComboSound->currentIndex() != 0);

    // Where the operator left it last time; with one display and no place
    // yet, at the foot of the display on the left, below the play screen.
    places::markOperatorWindow(*this);
    adjustSize();
    if (!places::keepPlace(*this, program_, objectName()) && places::oneDisplay())
        places::placeAtFoot(*this, true);
    places::fitOnDisplay(*this);
}

bool SetupMenu::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::Show) {
        places::fitOnDisplay(*this);
        // A play screen placed beside the menu before it came up keeps
        // clear of it as it is now.
        for (ScreenPair s : {variant_.twoTeamScreen, variant_.threeTeamScreen}) {
            if (formsOf(program_).isLoaded(s))
                formsOf(program_).playScreen(s).fitBesideOperatorWindows();
        }
    }
    if (event->type() == QEvent::WindowActivate) Form_Activate();
    return handled;
}

void SetupMenu::Form_Activate() {
    // A message box shown from here runs an event loop of its own, in which
    // the menu may become active again; that must not start a second
    // activation inside this one.
    if (activating_) return;
    activating_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{activating_};

    Forms& forms = formsOf(program_);
    ProgramState& state = program_.state;
    TitleForm& title = forms.titleForm();
    const SetupMenuVariant& v = variant_;

    if (v.activationRefusesModel != 0 &&
        title.PlayerText->text() == QString::number(v.playersPerTeam) &&
        state.InterfaceModel == v.activationRefusesModel) {
        program_.dialogs.inform(
            QStringLiteral("The Torvanel interface model currently attached to the computer does "
                           "not support 5 players per team. Returning to 4-player setup"));
        title.PlayerText->setText(QStringLiteral("4"));
        SetupMenu& other = otherMenu();
        places::bringForward(other);
        return;
    }

    if (v.activationAppliesOptions) forms.formOptions().ApplyOptions();
    if (v.activationLocksUsbSound && state.InterfaceModel == model::kUsb) {
        // The USB interface has no speaker of its own.
        ComboSound->setCurrentIndex(1);
        ComboSound->setEnabled(false);
    }

    // While the menu is up its match box holds the clock's remaining time.
    const QString team = title.TeamText->text();
    if (team == QLatin1String("2") || team == QLatin1String("3")) {
        const ScreenPair screen = team == QLatin1String("3") ? v.threeTeamScreen : v.twoTeamScreen;
        parkClock(forms.playScreen(screen).clocklabel->text());
    }

    if (v.activationEnablesGamma && ComboTeams->currentIndex() == 1) setGammaBoxesEnabled(true);

    // A match box that ran down to nothing goes back to the configured match
    // length, in the other menu, for when that menu is used next. The
    // 4-player menu tests the other menu's box, and only while the match
    // clock is on; the 5-player menu tests its own.
    const bool matchTimerOff = checkValue(forms.formOptions().CheckDisableMatchTimer) == 1;
    if (!v.restoreNeedsMatchTimer || !matchTimerOff) {
        SetupMenu& other = otherMenu();
        const QLineEdit* tested = v.restoreNeedsMatchTimer ? other.Texttimer[6] : Texttimer[6];
        if (matchbox::readsAsZero(tested->text())) other.Texttimer[6]->setText(state.MatchTime);
    }

    if (v.activationDefaultsSound) {
        if (ComboSound->currentIndex() == -1) ComboSound->setCurrentIndex(0);
        mnuSounds->setEnabled(ComboSound->currentIndex() != 0);
    }
    updateMatchItems();
}

// --- Team count, sound source, names ------------------------------------------

bool SetupMenu::threeTeams() const {
    return formsOf(program_).titleForm().TeamText->text() == QLatin1String("3");
}

ScreenPair SetupMenu::currentScreen() const {
    return threeTeams() ? variant_.threeTeamScreen : variant_.twoTeamScreen;
}

void SetupMenu::parkClock(const QString& shown) {
    parking_ = true;
    Texttimer[6]->setText(shown);
    parking_ = false;
}

SetupMenu& SetupMenu::otherMenu() const { return formsOf(program_).setupMenu(variant_.otherMenu); }

void SetupMenu::ComboTeams_Click() {
    const int entry = ComboTeams->currentIndex();
    if (entry != 0 && entry != 1) return;
    // The three places the team count lives stay in step.
    otherMenu().ComboTeams->setCurrentIndex(entry);
    formsOf(program_).titleForm().TeamText->setText(entry == 1 ? QStringLiteral("3")
                                                               : QStringLiteral("2"));
    setGammaBoxesEnabled(entry == 1);
    // The match goes on on the other screen: its clock where this one's
    // was. A screen shown before would otherwise keep the time it had.
    const ScreenPair from = entry == 1 ? variant_.twoTeamScreen : variant_.threeTeamScreen;
    const ScreenPair to = entry == 1 ? variant_.threeTeamScreen : variant_.twoTeamScreen;
    Forms& forms = formsOf(program_);
    if (forms.isLoaded(from) && forms.isLoaded(to))
        forms.playScreen(to).takeClockFrom(forms.playScreen(from));
    updateMatchItems();
}

void SetupMenu::ComboTeams_Chosen() {
    const int entry = ComboTeams->currentIndex();
    if (entry != 0 && entry != 1) return;
    // The screen just left stays up behind until "Hide Set-up Menu".
    showScreenAndMenu(entry == 1 ? variant_.threeTeamScreen : variant_.twoTeamScreen);
}

void SetupMenu::ComboSound_Click() {
    // Without a sound card the interface's speaker is the only source,
    // whoever asks for another (an option, a setup file, the USB lockout).
    if (program_.state.soundCardMissing && ComboSound->currentIndex() != 0) {
        ComboSound->setCurrentIndex(0);
        return;
    }
    // With the interface speaker alone there are no sound-card sounds to pick.
    mnuSounds->setEnabled(ComboSound->currentIndex() != 0);
}

void SetupMenu::recordNames() {
    namesTimer_->stop();
    // Only the menu of the players per team in use names the match.
    if (formsOf(program_).titleForm().PlayerText->text() != QString::number(playersPerTeam()))
        return;
    if (formsOf(program_).isLoaded(currentScreen()))
        formsOf(program_).playScreen(currentScreen()).recordNames();
}

void SetupMenu::updateTeamLabels(PlayScreen& screen) const {
    screen.Labelalpha->setText(teamNameBox(0)->text());
    screen.LabelBeta->setText(teamNameBox(1)->text());
    if (screen.LabelGamma) screen.LabelGamma->setText(teamNameBox(2)->text());
}

void SetupMenu::Text_Change() {
    // Only the team names go to the screens; a player's name is read when
    // that player buzzes in.
    updateTeamLabels(formsOf(program_).playScreen(variant_.twoTeamScreen));
    updateTeamLabels(formsOf(program_).playScreen(variant_.threeTeamScreen));
    updateMatchItems();
}

void SetupMenu::showScreenAndMenu(ScreenPair pair) {
    PlayScreen& screen = formsOf(program_).playScreen(pair);
    // A screen made afresh after "Hide Set-up Menu" carries its design
    // captions until it is given the names.
    updateTeamLabels(screen);
    screen.showScreen();
    places::bringForward(*this);
}

// --- Switch Sides -------------------------------------------------------------

void SetupMenu::CommandSwitch_Click() {
    const int players = playersPerTeam();
    const int s = stride();
    PlayScreen& screen = formsOf(program_).playScreen(currentScreen());
    if (!threeTeams()) {
        for (int i = 0; i <= players; ++i) {
            const QString kept = Text[i]->text();
            Text[i]->setText(Text[i + s]->text());
            Text[i + s]->setText(kept);
        }
    } else {
        // Every team moves one place on: Alpha to Beta, Beta to Gamma, Gamma
        // to Alpha.
        for (int i = 0; i <= players; ++i) {
            const QString kept = Text[i]->text();
            Text[i]->setText(Text[i + 2 * s]->text());
            Text[i + 2 * s]->setText(Text[i + s]->text());
            Text[i + s]->setText(kept);
        }
    }
    // The boards go with the names.
    screen.switchSides();
    updateTeamLabels(screen);
}

// --- Hide Set-up Menu ---------------------------------------------------------

void SetupMenu::CommandHide_Click() {
    Forms& forms = formsOf(program_);
    TitleForm& title = forms.titleForm();
    // Back to the play screen of the screen pair in use. A menu of the other
    // player count may have been left up behind this one (players per team,
    // the refusal of five players); it goes away too, so that the operator
    // is left with the one screen the counts select.
    hide();
    if (forms.isLoaded(variant_.otherMenu)) otherMenu().hide();
    const ScreenPair pair = screenFor(title.TeamText->text() == QLatin1String("3") ? 3 : 2,
                                      title.PlayerText->text() == QLatin1String("5") ? 5 : 4);
    for (ScreenPair s : kAllScreens) {
        if (s != pair) forms.unload(s);
    }
    PlayScreen& screen = forms.playScreen(pair);
    forms.setupMenu(menuOf(pair)).updateTeamLabels(screen);
    screen.showScreen();
    screen.activateWindow();
}

// --- Players per team ---------------------------------------------------------

void SetupMenu::choosePlayers(int players) {
    TitleForm& title = formsOf(program_).titleForm();
    title.PlayerText->setText(QString::number(players));
    SetupMenu& target =
        formsOf(program_).setupMenu(players == 5 ? MenuKind::Players5 : MenuKind::Players4);
    const bool three = title.TeamText->text() == QLatin1String("3");
    // The menu chosen from stays up behind until "Hide Set-up Menu"; showing
    // the 5-player menu runs its activation, which may refuse.
    if (!three) target.setGammaBoxesEnabled(false);
    target.showScreenAndMenu(three ? target.variant_.threeTeamScreen
                                   : target.variant_.twoTeamScreen);
}

void SetupMenu::mnu4Player_Click() { choosePlayers(4); }

void SetupMenu::mnu5Players_Click() { choosePlayers(5); }

// --- Setup and options windows ------------------------------------------------

void SetupMenu::mnuextraxmitter_Click() {
    // The list keeps its selection in either menu: players 1 to 12 and
    // "None" are all it offers.
    Formextrax& extrax = formsOf(program_).formextrax();
    places::bringForward(extrax);
}

void SetupMenu::mnuMoreOptions_Click() {
    FormOptions& options = formsOf(program_).formOptions();
    places::bringForward(options);
}

// --- Sounds -------------------------------------------------------------------

void SetupMenu::menuAlphaSnd_Click() {
    chooseSound(QStringLiteral("Alpha Team Buzz-in Sound"), &ProgramState::AlphaSound, true);
}

void SetupMenu::mnuBetaSnd_Click() {
    chooseSound(QStringLiteral("Beta Team Buzz-in Sound"), &ProgramState::BetaSound, true);
}

void SetupMenu::mnuGammaSnd_Click() {
    chooseSound(QStringLiteral("Gamma Team Buzz-in Sound"), &ProgramState::GammaSound, true);
}

void SetupMenu::mnuTimerSnd_Click() {
    chooseSound(QStringLiteral("Time-Up Sound"), &ProgramState::TimerSound, false);
}

void SetupMenu::mnuGameSnd_Click() {
    chooseSound(QStringLiteral("Game-Over Sound"), &ProgramState::GameOverSound, false);
}

void SetupMenu::chooseSound(const QString& title, QString ProgramState::*sound, bool teamSound) {
    for (;;) {
        const QString soundFilter = QStringLiteral("Sound Files|*.wav");
        // The team sounds start where the sounds ship; the others where the
        // dialog was last used for a sound, or there too when it was last
        // used for a set-up file (those start at the start-up file, in the
        // configuration folder, which holds no sounds).
        if (teamSound || cd1test.filter != soundFilter) {
            cd1test.folder = program_.paths.programFolder;
            cd1test.fileName.clear();
        }
        cd1test.filter = soundFilter;
        // Cancelling the dialog ends the choice; the sound stays as it was.
        const std::optional<QString> chosen = program_.dialogs.openFile(cd1test);
        if (!chosen || chosen->isEmpty()) return;
        const QFileInfo file(*chosen);
        cd1test.fileName = *chosen;
        cd1test.folder = file.absolutePath();

        if (!file.isFile() || !file.isReadable()) {
            const QString why = file.exists() ? QStringLiteral("Permission denied")
                                              : QStringLiteral("File not found");
            program_.dialogs.inform(QStringLiteral("An error occured opening the sound file.  "
                                                   "Program will continue with current sound.") +
                                    u'\n' + why + u'\n');
            return;
        }

        // The preview plays while the question is up and stops with the
        // answer.
        program_.sound.play(*chosen);
        const Dialogs::Answer answer =
            program_.dialogs.message(QStringLiteral("Like this sound?"), title, Dialogs::Icon::None,
                                     Dialogs::Buttons::YesNoCancel);
        program_.sound.stop();
        if (answer == Dialogs::Answer::Yes) {
            program_.state.*sound = *chosen;
            return;
        }
        if (answer != Dialogs::Answer::No) return;
    }
}

// --- Colours ------------------------------------------------------------------

void SetupMenu::mnubackgroundcolor_Click() { chooseColour(true); }

void SetupMenu::mnutextcolor_Click() { chooseColour(false); }

void SetupMenu::chooseColour(bool background) {
    // Cancelling the dialog leaves every colour as it is.
    const std::optional<QColor> colour = program_.dialogs.chooseColour(cd1testColour);
    if (!colour || !colour->isValid()) return;
    cd1testColour = *colour;
    for (ScreenPair s : kAllScreens) {
        PlayScreen& screen = formsOf(program_).playScreen(s);
        if (background) {
            screen.setScreenBackColour(*colour);
        } else {
            screen.setScreenTextColour(*colour);
        }
    }
}

// --- Help and exit --------------------------------------------------------------

void SetupMenu::mnuVersionInfo_Click() {
    program_.dialogs.message(QStringLiteral(" Software Version 10.1, from Kestrane 02/05/05"),
                             QStringLiteral("Software Version Information"),
                             Dialogs::Icon::Information, Dialogs::Buttons::Ok);
}

void SetupMenu::mnuContactMarlowen_Click() {
    const int m = program_.state.InterfaceModel;
    // The second-series boxes are looked after by their maker, everything
    // else by the software's publisher.
    if (m == model::kWireless2 || m == model::kWired2) {
        program_.dialogs.message(QStringLiteral("Marlowen Tech.\n"
                                                "1200 Example Parkway, Suite 4\n"
                                                "Springfield, ST 00000\n"
                                                "Telephone: 555-0142\n"
                                                "www.marlowen.example"),
                                 QStringLiteral("Marlowen Tech."), Dialogs::Icon::Information,
                                 Dialogs::Buttons::Ok);
    } else {
        program_.dialogs.message(QStringLiteral("Kestrane\n"
                                                "P.O. Box 0000\n"
                                                "Rivertown, ST 00000\n"
                                                "Telephone: 555-0187"),
                                 QStringLiteral("Kestrane"), Dialogs::Icon::Information,
                                 Dialogs::Buttons::Ok);
    }
}

void SetupMenu::mnuExit_Click() {
    // Nothing is asked and nothing saved: settings last only through "Save".
    Forms& f = formsOf(program_);
    for (ScreenPair s : kAllScreens)
        f.unload(s);
    f.unloadTitleForm();
    f.unload(MenuKind::Players5);
    f.unload(MenuKind::Players4);
    program_.recorder().record(record::EventKind::ProgramEnded,
                               {{QStringLiteral("how"), QStringLiteral("exit")}});
    program_.endProgram();
}

// --- Name boxes -----------------------------------------------------------------

QLineEdit* SetupMenu::playerNameBox(int player) const {
    const int p = playersPerTeam();
    const int team = (player - 1) / p;
    return Text[player + team];
}

QLineEdit* SetupMenu::teamNameBox(int team) const { return Text[team * stride()]; }

void SetupMenu::setGammaBoxesEnabled(bool enabled) {
    for (int i = 2 * stride(); i < 3 * stride(); ++i)
        Text[i]->setEnabled(enabled);
}
