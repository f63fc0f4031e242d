#pragma once
// Smart Sense in the window: its items in the cut-method choice m_cutsHow ("Smart Sense",
// selection 2, and "Smart Sense settings...", which opens the Smart Sense dialog and then
// selects Smart Sense, so it is never left selected), and the choices that dialog takes:
// the songs per side, the shortest song and the trim of lead-in and run-out. No settings
// file holds those; they last as long as the window.

#include <atomic>
#include <optional>

#include "model/Side.h"

class Prompter;
class wxChoice;
class wxCommandEvent;
class wxWindow;

class SmartSenseChoice {
  public:
    /// The item that opens the dialog (what m_cutsHow's selection would be while it is open).
    static constexpr int kSettingsItem = 3;

    /// Appends the two items to `cutsHow` (m_cutsHow) and handles its choices; the dialog
    /// opens over `parent` through `prompts`. GUI thread.
    SmartSenseChoice(wxWindow& parent, wxChoice& cutsHow, Prompter& prompts);
    /// Stops handling m_cutsHow's choices (the window's controls outlive this object).
    ~SmartSenseChoice();
    SmartSenseChoice(const SmartSenseChoice&) = delete;
    SmartSenseChoice& operator=(const SmartSenseChoice&) = delete;

    /// Songs on side 1 or 2 when given. Any thread (the worker reads it).
    std::optional<int> SongCount(Side side) const;
    /// The shortest song in seconds. Any thread.
    double MinSongSeconds() const { return minSongSeconds_.load(); }
    /// Leave the lead-in and run-out out of the slices. Any thread.
    bool Trim() const { return trim_.load(); }
    /// Takes the dialog's choices (0 songs = not known). GUI thread.
    void Set(int side1Songs, int side2Songs, int minSongSeconds, bool trim = false);

  private:
    void OnChoice(wxCommandEvent& event);

    wxWindow& parent_;
    wxChoice& cutsHow_;
    Prompter& prompts_;
    int shown_ = 0;  // the selection before the settings item was chosen
    std::atomic<int> songs_[2] = {0, 0};
    std::atomic<int> minSongSeconds_;
    std::atomic<bool> trim_{false};
};
