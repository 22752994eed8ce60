#include "play/playscreen.h"

#include "app/controls.h"
#include "app/program.h"

PlayScreen::PlayScreen(Program& program, ScreenPair screen)
    : program_(program), variant_(playVariant(screen)) {
    setObjectName(screenName(screen));
    setWindowTitle(QString::fromLatin1(variant_.caption));
    setBackColour(this, QColor(0, 0, 255));
    resize(twipsToPixels(variant_.clientWidthTwips), twipsToPixels(variant_.clientHeightTwips));
}

void PlayScreen::load() {}

void PlayScreen::showScreen() {
    show();
    raise();
}
