#pragma once

#include "app/screenpair.h"

// What differs between the four play screens, read by the one PlayScreen
// class.
struct PlayVariant {
    ScreenPair screen;
    const char* caption;
    int clientWidthTwips;
    int clientHeightTwips;
    int teams;
    int playersPerTeam;
};

const PlayVariant& playVariant(ScreenPair screen);
