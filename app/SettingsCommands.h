#pragma once
// File > Open... and File > Save...: the controls and menus to and from a settings file.
// GUI thread only.

#include <string>

#include "settings/SettingsFile.h"

class MyFrame;
class wxCommandEvent;

class SettingsCommands {
  public:
    /// Binds Open... and Save... of the File menu on `frame`.
    explicit SettingsCommands(MyFrame& frame);

    /// The values the settings file stores, as the controls and menus hold them now.
    SettingsFields Collect() const;
    /// Puts the values into controls and menus in file order and re-tunes the filter.
    void Apply(const SettingsFields& fields);
    /// Reads and applies a settings file; on failure shows "Couldn't open!" and changes
    /// nothing. False on failure.
    bool Load(const std::string& path);

  private:
    void OnOpen(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);

    MyFrame& frame_;
};
