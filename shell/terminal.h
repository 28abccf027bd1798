#pragma once

#include <QString>

namespace shell {

class Ui;
struct Workspace;
struct TEdiConfig;

// Window of the PC-banking terminal, centred on a screen of the given size.
struct TerminalPlacement
{
    int x = 0;
    int y = 0;
    int cx = 669;
    int cy = 567;
};
TerminalPlacement PlaceTerminal(int cx, int cy, int screenWidth, int screenHeight);

// The terminal's profile "Tessrun.ini" in the platform's profile folder
// (platform::DefaultProfileFile), not the settings file beside it.
QString TerminalProfilePath();

// Centres the terminal through its profile: reads its size, writes the
// screen size and the position. False when the profile cannot be written.
bool WriteTerminalProfile(int screenWidth, int screenHeight);

// Centres, starts the workspace's terminal and waits for it to end; tells
// the user when it could not be started.
bool StartTerminal(Ui& ui, const Workspace& ws, int screenWidth, int screenHeight);

// Copies the link's port, speed, login ID and readable password into the
// terminal's own settings file in the workspace.
bool WriteTerminalLinkSettings(const Workspace& ws, const TEdiConfig& settings);

} // namespace shell
