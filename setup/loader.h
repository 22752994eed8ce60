#pragma once

class Program;

namespace setup {

// The values that hold when no setup file, or a bad one, is read: the five
// shipped wave files, the eight stored option boxes cleared and no extra
// transmitter. Everything else keeps the windows' design values.
void applyLoaderDefaults(Program& program);

}  // namespace setup
