#pragma once
// The window's album commands: "Track titles..." edits the album fields and track titles
// the user typed (kept by the window while it runs, and read by the jobs); and the cut
// lists that carry them to and from other tools (File > "Export cut list..." / "Import cut
// list..."). The settings file never holds any of it. GUI thread only.

#include <wx/string.h>

#include <array>
#include <optional>
#include <string>

#include "album/Album.h"
#include "model/Side.h"

struct FrameControls;
class FrameJobs;
class FrameSides;
class LastPath;
class Prompter;
class wxFrame;
class wxMenu;

// File menu ids of the album commands.
constexpr int kIdTrackTitles = 104;
constexpr int kIdExportCutList = 105;
constexpr int kIdImportCutList = 106;

class FrameAlbum {
  public:
    /// Adds the three commands to `fileMenu`, after "Save...", and binds them on `frame`.
    /// `album` is what they edit; an import needs no job running in `jobs`.
    FrameAlbum(wxFrame& frame, wxMenu& fileMenu, const FrameControls& controls, FrameSides& sides,
               const LastPath& lastPath, const FrameJobs& jobs, Prompter& prompts,
               AlbumInfo& album);

    const AlbumInfo& Album() const { return album_; }

    /// "Track titles...": the dialog with the album; OK keeps what it holds.
    void EditTrackTitles();
    /// "Export cut list...": one side's cuts, titles and album fields as a CUE sheet, or as
    /// an Audacity label file when the chosen name ends in ".txt".
    void ExportCutList();
    /// "Import cut list...": a CUE sheet or label file becomes the markers and titles of
    /// the side it belongs to (and the album fields a sheet gives). Needs the waveforms
    /// drawn and no job running; nothing changes when the file cannot be used.
    void ImportCutList();

  private:
    /// The side chosen in a small dialog; nullopt when cancelled.
    std::optional<Side> ChooseSide(const wxString& question);
    /// The sides whose path field is not empty (by Index).
    std::array<bool, 2> PresentSides() const;
    std::string SidePath(Side side) const;
    /// The side's slices as the waveform view shows its cuts; 0 before "Draw waveforms".
    int SliceCount(Side side) const;
    void Tell(const wxString& text, const wxString& caption, long icon);

    wxFrame& frame_;
    const FrameControls& controls_;
    FrameSides& sides_;
    const LastPath& lastPath_;
    const FrameJobs& jobs_;
    Prompter& prompts_;
    AlbumInfo& album_;
};
