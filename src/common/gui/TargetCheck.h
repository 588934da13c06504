#pragma once

class CommandTarget;
class WindowServices;

// Whether a command's target still holds in the window's lists; when it does not, the user is
// told why and the command must write nothing.
bool targetStillHolds(WindowServices& window, const CommandTarget& target);
