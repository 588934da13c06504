#pragma once

class WindowServices;

// The Options command and saving the settings it and the window keep.
class OptionsPart {
public:
    explicit OptionsPart(WindowServices& window) : window_(window) {}

    void showOptions();
    // Saves the general settings and the instance INI file; a refused registry write is
    // reported and the INI file is still saved.
    void saveSettings();

private:
    WindowServices& window_;
};
