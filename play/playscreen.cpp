#include "play/playscreen.h"

#include "app/controls.h"
#include "app/program.h"

PlayScreen::PlayScreen(Program& program, ScreenPair screen)
    : program_(program), variant_(playVariant(screen)) {
    setObjectName(screenName(screen));
    setWindowTitle(QString::fromLatin1(variant_.caption));
    resize(twipsToPixels(variant_.clientWidthTwips), twipsToPixels(variant_.clientHeightTwips));

    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    namelabel = label("namelabel", QStringLiteral("Torvanel"));
    Labelteam = label("Labelteam", QString());
    Labeltimerstate = label("Labeltimerstate", QString());
    Label2 = label("Label2", QStringLiteral("Response Timer"));
    Label3 = label("Label3", QStringLiteral("Match Timer"));
    clocklabel = label("clocklabel", QStringLiteral("15:00"));

    setScreenBackColour(QColor(0, 0, 255));
    setScreenTextColour(QColor(192, 0, 0));
    setForeColour(Labelteam, buttonFaceColour());
}

void PlayScreen::load() {}

void PlayScreen::showScreen() {
    show();
    raise();
}

void PlayScreen::setScreenBackColour(const QColor& colour) {
    setBackColour(this, colour);
    for (QLabel* l : {Labelteam, Labeltimerstate, Label2, Label3}) setBackColour(l, colour);
}

QColor PlayScreen::screenBackColour() const { return backColour(this); }

void PlayScreen::setScreenTextColour(const QColor& colour) {
    setForeColour(namelabel, colour);
    setForeColour(Labelteam, colour);
}

QColor PlayScreen::screenTextColour() const { return foreColour(namelabel); }
