#include "title/titleform.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include "app/controls.h"
#include "app/program.h"
#include "app/windowplaces.h"
#include "menu/loader.h"
#include "menu/setupmenu.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "title/forms.h"

namespace {

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, double points,
                  const QString& family = QStringLiteral("Arial")) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(programFont(family, points));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// The title picture: three lockout lamps over a console, drawn here so the
// program needs no image file.
QPixmap titlePicture() {
    QPixmap pixmap(360, 120);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 48));
    p.drawRoundedRect(QRectF(10, 70, 340, 40), 10, 10);
    const QColor lamps[] = {QColor(192, 0, 0), QColor(0, 0, 255), QColor(255, 170, 0)};
    for (int i = 0; i < 3; ++i) {
        const QPointF centre(70 + i * 110, 50);
        p.setBrush(QColor(70, 70, 80));
        p.drawRect(QRectF(centre.x() - 8, centre.y(), 16, 30));
        p.setBrush(lamps[i]);
        p.drawEllipse(centre, 34, 34);
        p.setBrush(QColor(255, 255, 255, 90));
        p.drawEllipse(centre + QPointF(-10, -12), 10, 8);
    }
    return pixmap;
}

}  // namespace

TitleForm::TitleForm(Program& program) : program_(program) {
    setObjectName(QStringLiteral("TitleForm"));
    setWindowTitle(QStringLiteral("Title Screen"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 24, 40, 24);
    layout->setSpacing(6);

    LabelTitle = makeLabel(this, QStringLiteral("LabelTitle"), QStringLiteral("Torvanel"), 36);
    LabelTitle->setFont(programFont(QStringLiteral("Arial"), 36, true));
    Picture = new QLabel(this);
    Picture->setObjectName(QStringLiteral("Picture"));
    Picture->setPixmap(titlePicture());
    Picture->setAlignment(Qt::AlignCenter);
    Labelstatus = makeLabel(this, QStringLiteral("Labelstatus"),
                            QStringLiteral("Checking Communications...."), 14);
    LabelInterface = makeLabel(this, QStringLiteral("LabelInterface"), QString(), 11);
    Label2 = makeLabel(this, QStringLiteral("Label2"), QString(), 10);
    Label6 = makeLabel(this, QStringLiteral("Label6"), QString(), 10);
    Label3 = makeLabel(this, QStringLiteral("Label3"), QString(), 10);
    Label4 = makeLabel(this, QStringLiteral("Label4"), QString(), 10);
    Label5 = makeLabel(this, QStringLiteral("Label5"), QString(), 10);
    Label1 = makeLabel(this, QStringLiteral("Label1"), QString(), 10);
    Label7 = makeLabel(this, QStringLiteral("Label7"), QString(), 12);
    LabelKestrane = makeLabel(this, QStringLiteral("LabelKestrane"), QString(), 12);
    Label8 = makeLabel(this, QStringLiteral("Label8"), QString(), 10);

    TeamText = new QLineEdit(QStringLiteral("2"), this);
    TeamText->setObjectName(QStringLiteral("TeamText"));
    TeamText->hide();
    PlayerText = new QLineEdit(QStringLiteral("4"), this);
    PlayerText->setObjectName(QStringLiteral("PlayerText"));
    PlayerText->hide();

    layout->addWidget(LabelTitle);
    layout->addWidget(Picture);
    layout->addWidget(Labelstatus);
    layout->addWidget(LabelInterface);
    layout->addSpacing(8);
    for (QLabel* l :
         {Label2, Label6, Label3, Label4, Label5, Label1, Label7, LabelKestrane, Label8}) {
        layout->addWidget(l);
    }
    setMinimumWidth(520);
}

void TitleForm::repaintNow() {
    // Detection busy-waits; let the window system draw what we have so far.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TitleForm::startUp() {
    ProgramState& s = program_.state;

    program_.recorder().record(record::EventKind::ProgramStarted,
                               {{QStringLiteral("interface"), program_.interfaceDescription()},
                                {QStringLiteral("simulated"), program_.simulatedInterface()}});

    // 1. The title screen stays up while the interface is being found, and
    // says what the program runs on: the simulation, buttons on input
    // devices, a parallel port.
    if (!program_.interfaceDescription().isEmpty()) {
        LabelInterface->setText(program_.interfaceDescription());
    } else {
        LabelInterface->hide();
    }
    show();
    repaintNow();

    // 2, 3.
    Label2->setText(QStringLiteral("NTPort Version:  %1").arg(program_.port.version()));
    Label6->setText(QStringLiteral("Testing for Torvanel Interface..."));
    repaintNow();

    // 4. Returns only with an interface, or the program has ended.
    handshake();
    if (!found_) return false;

    // 5.
    program_.dialogs.message(QStringLiteral("All systems go"),
                             QStringLiteral("Initializtion Completed"), Dialogs::Icon::Information,
                             Dialogs::Buttons::Ok);

    // 6.
    formsOf(program_).formextrax().Comboxmitter->setCurrentIndex(12);

    // 7.
    hide();

    // 8, 9.
    setupfile();
    SoundCardTest();

    // 10. The wired models have no second-place lock-up and no extra
    // transmitter.
    if (model::isWired(s.InterfaceModel)) {
        FormOptions& options = formsOf(program_).formOptions();
        setCheckValue(options.CheckPlayerWaiting, 0);
        options.CheckPlayerWaiting->setEnabled(false);
        formsOf(program_).setupMenu(MenuKind::Players4).mnuextraxmitter->setEnabled(false);
    }

    // 11. The match begins with the screen pair in front of the operator.
    showScreenPair(program_).recordMatchStarted(QStringLiteral("start-up"));
    return true;
}

void TitleForm::handshake() {
    found_ = handshake::findInterface(program_.port, program_.clock, program_.state, *this);
    if (found_) return;
    program_.recorder().record(record::EventKind::ProgramEnded,
                               {{QStringLiteral("how"), QStringLiteral("cancel")}});
    program_.endProgram();
}

void TitleForm::setupfile() {
    Label8->setText(QStringLiteral("Loading set-up preferences..."));
    setup::applyLoaderDefaults(program_);
    setup::loadStartupSetupFile(program_);
}

void TitleForm::SoundCardTest() {
    if (program_.sound.available()) {
        program_.sound.play(program_.state.AlphaSound);
        return;
    }
    program_.dialogs.inform(QStringLiteral("Sound card is not available."));
    program_.state.soundCardMissing = true;
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = formsOf(program_).setupMenu(m);
        menu.ComboSound->setCurrentIndex(0);
        menu.ComboSound->setEnabled(false);
    }
}

void TitleForm::showPortAddress(std::uint16_t address) {
    Label3->setText(QStringLiteral("LPT Port Address:  %1").arg(address));
    repaintNow();
}

void TitleForm::showOperatingSystem(bool isNt) {
    Label4->setText(QStringLiteral("NT Operating System?  %1")
                        .arg(isNt ? QStringLiteral("True") : QStringLiteral("False")));
}

void TitleForm::showLibraryState(const QString& state) {
    Label5->setText(QStringLiteral("Call to NTPort successful?  ") + state.left(kLastStateLength));
    repaintNow();
}

void TitleForm::showCode(int code) { Label1->setText(QString::number(code)); }

void TitleForm::showModel(int model) {
    Label7->setText(QStringLiteral("Torvanel Model:  %1").arg(model));
    LabelKestrane->setText(handshake::makerCaption(model));
    repaintNow();
}

bool TitleForm::askRetry() {
    const Dialogs::Answer answer = program_.dialogs.message(
        QStringLiteral("Can't continue until interface problem is corrected.  Check power and "
                       "cable between Torvanel and computer.  Reset the Torvanel by turning the "
                       "power to the unit off and back on. If you are using an older Torvanel, "
                       "you must use the special cable and manually reset the interface."),
        QStringLiteral("Torvanel Interface not found."), Dialogs::Icon::Critical,
        Dialogs::Buttons::RetryCancel);
    return answer == Dialogs::Answer::Retry;
}

PlayScreen& showScreenPair(Program& program) {
    TitleForm& title = formsOf(program).titleForm();
    // A hand-edited file may say anything; the program must still end up
    // with a play screen and a menu in front of the operator. Counts that no
    // screen pair has give two teams of four, with the team lists and the
    // Gamma boxes of both menus saying so.
    const QString teams = title.TeamText->text();
    const QString players = title.PlayerText->text();
    const bool knownPair = (teams == QLatin1String("2") || teams == QLatin1String("3")) &&
                           (players == QLatin1String("4") || players == QLatin1String("5"));
    if (!knownPair) {
        title.TeamText->setText(QStringLiteral("2"));
        title.PlayerText->setText(QStringLiteral("4"));
        for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
            SetupMenu& menu = formsOf(program).setupMenu(m);
            menu.ComboTeams->setCurrentIndex(0);
            menu.setGammaBoxesEnabled(false);
        }
    }
    const ScreenPair pair =
        screenFor(title.TeamText->text().toInt(), title.PlayerText->text().toInt());
    PlayScreen& screen = formsOf(program).playScreen(pair);
    SetupMenu& menu = formsOf(program).setupMenu(menuOf(pair));
    menu.updateTeamLabels(screen);
    screen.showScreen();
    places::bringForward(menu);
    if (pair == ScreenPair::P2_4) {
        for (int i = 10; i <= 14; ++i)
            menu.Text[i]->setEnabled(false);
    }
    return screen;
}
