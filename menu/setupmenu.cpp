#include "menu/setupmenu.h"

#include <QMenuBar>

#include "app/program.h"
#include "app/titleform.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "setup/filecommands.h"

namespace {

const SetupMenuVariant kMenu4{
    MenuKind::Players4,
    "4-PlayerSet-up Menu ",
    4,
    7800,
    "Torvanel",
    QRect(7200, 3360, 2415, 390),
    QRect(7200, 3840, 2415, 390),
    QRect(7680, 5280, 1695, 495),
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

const char* const kRowCaptions[] = {"Team Name:",    "Player One:",  "Player Two:",
                                    "Player Three:", "Player Four:", "Player Five:"};

const char* const kDesignNames4[] = {"Alpha", "One",  "Two",   "Three", "Four",
                                     "Beta",  "Five", "Six",   "Seven", "Eight",
                                     "Gamma", "Nine", "Ten",   "Eleven", "Twelve"};
const char* const kDesignNames5[] = {"Alpha",  "One",    "Two",      "Three",    "Four",    "Five",
                                     "Beta",   "Six",    "Seven",    "Eight",    "Nine",    "Ten",
                                     "Gamma",  "Eleven", "Twelve",   "Thirteen", "Fourteen",
                                     "Fifteen"};

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
    setCentralWidget(client);

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
            box->setText(QString::fromLatin1(players == 4 ? kDesignNames4[index]
                                                          : kDesignNames5[index]));
            Text.add(index, box);
        }
    }
    LabelAlpha0->setObjectName(QStringLiteral("LabelAlpha0"));
    LabelBeta0->setObjectName(QStringLiteral("LabelBeta0"));
    LabeBeta0->setObjectName(QStringLiteral("LabeBeta0"));
    LabelGamma0->setObjectName(QStringLiteral("LabelGamma0"));

    auto rightCaption = [client](const char* text, int top) {
        auto* label = new QLabel(QString::fromLatin1(text), client);
        label->setGeometry(px(QRect(5520, top, 1900, 375)));
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
        rightCaption(t.caption, t.top);
        auto* box = new QLineEdit(QString::fromLatin1(t.value), client);
        box->setObjectName(QStringLiteral("Texttimer_%1").arg(t.index));
        box->setGeometry(px(QRect(7440, t.top, t.width, 375)));
        Texttimer.add(t.index, box);
    }

    rightCaption("Score Increment:", 2760);
    auto* increment = new QLineEdit(QStringLiteral("1"), client);
    increment->setObjectName(QStringLiteral("textincrement_0"));
    increment->setGeometry(px(QRect(7440, 2760, 615, 375)));
    textincrement.add(0, increment);

    rightCaption("Number Teams:", variant_.teamsComboTwips.y());
    ComboTeams = new QComboBox(client);
    ComboTeams->setObjectName(QStringLiteral("ComboTeams"));
    ComboTeams->addItems({QStringLiteral("2 Teams"), QStringLiteral("3 Teams")});
    ComboTeams->setCurrentIndex(-1);
    ComboTeams->setGeometry(px(variant_.teamsComboTwips));

    rightCaption("Sound Source:", variant_.soundComboTwips.y());
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

    connect(ComboSound, &QComboBox::currentIndexChanged, this, [this] { ComboSound_Click(); });
}

void SetupMenu::buildMenus() {
    const SetupMenuVariant& v = variant_;
    QMenuBar* bar = menuBar();

    mnufile = bar->addMenu(QStringLiteral("&File"));
    mnufile->setObjectName(QStringLiteral("mnufile"));
    mnuOpen = addItem(mnufile, QStringLiteral("&Open Set-up File"), QStringLiteral("mnuOpen"));
    mnuSave = addItem(mnufile, QStringLiteral("&Save Set-up File"), QStringLiteral("mnuSave"));
    mnuSaveAs = addItem(mnufile, QStringLiteral("Save &As Set-up File"), QStringLiteral("mnuSaveAs"));
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
    mnu1Player = addItem(mnuPlayers, QStringLiteral("&Cut-Throat"), QString::fromLatin1(v.cutThroatName));
    mnu1Player->setEnabled(false);  // switched off in this version

    mnuSounds = munOptions->addMenu(QStringLiteral("&Sounds"));
    mnuSounds->setObjectName(QStringLiteral("mnuSounds"));
    menuAlphaSnd = addItem(mnuSounds, QStringLiteral("&Alpha Buzz-in"), QStringLiteral("menuAlphaSnd"));
    mnuBetaSnd = addItem(mnuSounds, QStringLiteral("&Beta Buzz-in"), QStringLiteral("mnuBetaSnd"));
    mnuGammaSnd = addItem(mnuSounds, QStringLiteral("&Gamma Buzz-in"), QStringLiteral("mnuGammaSnd"));
    mnuTimerSnd = addItem(mnuSounds, QStringLiteral("&Timer Expired"), QStringLiteral("mnuTimerSnd"));
    mnuGameSnd = addItem(mnuSounds, QString::fromLatin1(v.gameOverSoundCaption),
                         QStringLiteral("mnuGameSnd"));

    mnuColors = munOptions->addMenu(QStringLiteral("&Colors"));
    mnuColors->setObjectName(QStringLiteral("mnuColors"));
    mnubackgroundcolor = addItem(mnuColors, QString::fromLatin1(v.backgroundColourCaption),
                                 QStringLiteral("mnubackgroundcolor"));
    mnutextcolor = addItem(mnuColors, QString::fromLatin1(v.textColourCaption),
                           QStringLiteral("mnutextcolor"));

    mnuMoreOptions = addItem(munOptions, QStringLiteral("&More Options"), QStringLiteral("mnuMoreOptions"));

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
    mnuVersionInfo = addItem(mnuHelp, QStringLiteral("&Version Info"), QStringLiteral("mnuVersionInfo"));
    mnuContactMarlowen = addItem(mnuHelp, QStringLiteral("&Contact Us"),
                                 QStringLiteral("mnuContactMarlowen"));

    // Items whose commands this build does not carry yet stay greyed rather
    // than doing nothing when chosen.
    for (QAction* a : {mnu4Player, mnu5Players, menuAlphaSnd,
                       mnuBetaSnd, mnuGammaSnd, mnuTimerSnd, mnuGameSnd, mnubackgroundcolor,
                       mnutextcolor, mnuContactMarlowen}) {
        a->setEnabled(false);
    }

    connect(mnuOpen, &QAction::triggered, this, [this] { setup::openSetupFile(program_, *this); });
    connect(mnuSave, &QAction::triggered, this, [this] { setup::saveSetupFile(program_, *this); });
    connect(mnuSaveAs, &QAction::triggered, this,
            [this] { setup::saveSetupFileAs(program_, *this); });
    connect(mnuExit, &QAction::triggered, this, [this] {
        Forms& f = program_.forms;
        for (ScreenPair s : {ScreenPair::P2_4, ScreenPair::P3_4, ScreenPair::P2_5, ScreenPair::P3_5}) {
            f.unload(s);
        }
        f.unloadTitleForm();
        f.unload(MenuKind::Players5);
        f.unload(MenuKind::Players4);
        program_.endProgram();
    });
    connect(mnuextraxmitter, &QAction::triggered, this, [this] {
        Formextrax& extrax = program_.forms.formextrax();
        extrax.show();
        extrax.raise();
        extrax.activateWindow();
    });
    connect(mnuMoreOptions, &QAction::triggered, this, [this] {
        FormOptions& options = program_.forms.formOptions();
        options.show();
        options.raise();
        options.activateWindow();
    });
    connect(mnuVersionInfo, &QAction::triggered, this, [this] {
        program_.dialogs.message(QStringLiteral(" Software Version 10.1, from Kestrane 02/05/05"),
                                 QStringLiteral("Software Version Information"),
                                 Dialogs::Icon::Information, Dialogs::Buttons::Ok);
    });
}

void SetupMenu::load() {
    TitleForm& title = program_.forms.titleForm();
    if (title.TeamText->text() == QLatin1String("2")) ComboTeams->setCurrentIndex(0);
    if (title.TeamText->text() == QLatin1String("3")) ComboTeams->setCurrentIndex(1);
    setGammaBoxesEnabled(ComboTeams->currentIndex() == 1);
    if (ComboSound->currentIndex() == -1) ComboSound->setCurrentIndex(0);
    mnuSounds->setEnabled(ComboSound->currentIndex() != 0);
}

void SetupMenu::ComboSound_Click() {
    // With the interface speaker alone there are no sound-card sounds to pick.
    mnuSounds->setEnabled(ComboSound->currentIndex() != 0);
}

QLineEdit* SetupMenu::playerNameBox(int player) const {
    const int p = playersPerTeam();
    const int team = (player - 1) / p;
    return Text[player + team];
}

QLineEdit* SetupMenu::teamNameBox(int team) const { return Text[team * stride()]; }

void SetupMenu::setGammaBoxesEnabled(bool enabled) {
    for (int i = 2 * stride(); i < 3 * stride(); ++i) Text[i]->setEnabled(enabled);
}
