// The start-up dialog: a picture, four check boxes, "KickAss!" and "No".
#pragma once

struct StartupSettings;

// Shows the dialog in a window of its own and changes the settings as its check boxes
// are clicked. Returns false when the user chose "No" (or closed the dialog).
bool RunStartupDialog(StartupSettings& settings);
