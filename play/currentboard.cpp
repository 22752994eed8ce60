#include "play/currentboard.h"

#include "app/program.h"
#include "play/playscreen.h"
#include "title/titleform.h"

void CurrentBoard::moveScore(int team, int points, const QString& how) {
    // The title form's hidden boxes say which screen pair is in use.
    const TitleForm& title = program_.forms.titleForm();
    const ScreenPair screen =
        screenFor(title.TeamText->text().toInt(), title.PlayerText->text().toInt());
    program_.forms.playScreen(screen).moveScore(team, points, how);
}
