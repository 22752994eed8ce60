#pragma once

#include <optional>
#include <span>

#include "app/screenpair.h"
#include "link/decoders.h"

namespace buzzlink {

// The decoders a poll runs, in order, on a code read from the box of
// `model` on `screen`. Model 200 on the 2-team 5-player and 3-team 4-player
// screens goes through both wireless decoders on the same code. A model
// without a decoder (an unknown code, or 199 away from the USB screen) gets
// none: the code is read and nothing happens.
std::span<const Decoder> pollDecoders(int model, ScreenPair screen);

// Model 199 is polled through the USB module instead of the parallel port,
// and only on the 2-team 4-player screen.
bool usesUsbPoll(int model, ScreenPair screen);

// The decoder that shows a held second-place respondent when the operator
// clears, if the model has one on this screen.
std::optional<Decoder> releaseDecoder(int model, ScreenPair screen);

}  // namespace buzzlink
