#pragma once

// Names the running program to Qt: its name and version, for the command
// line and the settings paths. No display name is given: Qt would add it to
// every window title, and the windows' titles are their captions alone.
void nameApplication();
