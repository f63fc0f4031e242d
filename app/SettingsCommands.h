#pragma once
// File > Open... and File > Save...: the controls and menus to and from a settings file.
// GUI thread only.

#include <functional>
#include <string>

#include "settings/SettingsFile.h"

struct FrameControls;
class FrameMenus;
class LastPath;
class Prompter;
class wxCommandEvent;
class wxFrame;

class SettingsCommands {
  public:
    /// Binds Open... and Save... of the File menu on `frame`. The values live in
    /// `controls`, `menus` and `lastPath`; `eqApplied` runs after the EQ group was set
    /// from a file (the filter follows it).
    SettingsCommands(wxFrame& frame, const FrameControls& controls, FrameMenus& menus,
                     LastPath& lastPath, Prompter& prompts, std::function<void()> eqApplied);

    /// The values the settings file stores, as the controls and menus hold them now.
    SettingsFields Collect() const;
    /// Puts the values into controls and menus in file order, then runs eqApplied.
    void Apply(const SettingsFields& fields);
    /// Reads and applies a settings file; on failure shows "Couldn't open!" and changes
    /// nothing. False on failure.
    bool Load(const std::string& path);

  private:
    void OnOpen(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);

    wxFrame& frame_;
    const FrameControls& controls_;
    FrameMenus& menus_;
    LastPath& lastPath_;
    Prompter& prompts_;
    std::function<void()> eqApplied_;
};
