#pragma once

#include <QString>

class MainForm;

// The settings file: read once while the window is created, written on every confirmed close.
class SettingsStore {
public:
    explicit SettingsStore(MainForm &form) : form_(form) {}
    // $XDG_CONFIG_HOME/<executable base name>.ini
    static QString DefaultPath();
    // Reads every key into the window, then runs the first System query and "Calculate".
    void Load();
    // Writes every key; false (after the error box) when the file could not be written.
    bool Save();

private:
    MainForm &form_;
};
