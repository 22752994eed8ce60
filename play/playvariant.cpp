#include "play/playvariant.h"

namespace {
const PlayVariant kVariants[] = {
    {ScreenPair::P2_4, "Play Screen 2_4", 15240, 10935, 2, 4},
    {ScreenPair::P2_5, "Play Screen 2_5", 15240, 10935, 2, 5},
    {ScreenPair::P3_4, "Play Screen 3_4", 15240, 10935, 3, 4},
    {ScreenPair::P3_5, "Play Screen 3_5", 15210, 10905, 3, 5},
};
}  // namespace

const PlayVariant& playVariant(ScreenPair screen) {
    for (const PlayVariant& v : kVariants) {
        if (v.screen == screen) return v;
    }
    return kVariants[0];
}
