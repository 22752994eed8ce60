#pragma once

class Program;

// Wires the program's capabilities to it: each offers its operator windows
// (the "&Match" menu lists them in this order) and subscribes to what it
// watches. Called once, before the first window is made.
void installCapabilities(Program& program);
