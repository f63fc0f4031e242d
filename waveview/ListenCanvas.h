#pragma once
// The picture in the listen dialog: ten seconds of a side around a cut, one column per
// 711 frames, with the marker the user places by clicking. The audio is loaded at the
// first paint (or the first listen button) and kept for the dialog's life.
// GUI thread only.

#include <wx/scrolwin.h>

#include <string>

#include "model/Side.h"
#include "waveview/ListenWindow.h"

class wxDC;
class wxMouseEvent;
class wxPaintEvent;

extern const char* const kLoadingText;     ///< "Loading Audio - Please Wait"
extern const char* const kCannotOpenText;  ///< "The wave file could not be opened!"

/// What the canvas shows: which side, which cut, from where in which file.
struct ListenView {
    Side side = Side::One;  ///< the waveform's colour
    int cutIndex = 0;       ///< the cut of the side's list the window is around
    int songA = 1;          ///< the songs the cut separates, for the header
    int songB = 2;
    std::string path;              ///< the side's WAV file (UTF-8)
    std::uint32_t startFrame = 0;  ///< first frame of the side in the window
    int repairLevel = 0;           ///< Repair as the dialog opened (0 off .. 3 strong)
};

class ListenCanvas : public wxScrolledWindow {
  public:
    static constexpr int kWidth = 620;
    static constexpr int kHeight = 190;

    ListenCanvas(wxWindow* owner, const wxPoint& position, ListenView view);

    /// Loads the window unless done already. False when the file could not be read (the
    /// samples are silence then).
    bool Load();
    /// The window's samples: loaded first if needed; silence where nothing was read.
    const ListenAudio& Audio();

    /// The whole picture onto `dc` at its origin, loading the audio first if needed.
    void PaintListen(wxDC& dc);

    Side side() const { return m_view.side; }
    int cutIndex() const { return m_view.cutIndex; }
    int markerX() const { return m_markerX; }
    /// Moves the marker by `columns` (held to the picture), as the arrow keys do.
    void MoveMarker(int columns);
    bool IsLoaded() const { return m_loaded; }

  private:
    void OnPaint(wxPaintEvent& event);
    void OnMouse(wxMouseEvent& event);

    ListenView m_view;
    ListenAudio m_audio;
    bool m_loaded = false;      ///< loading was tried
    bool m_loadFailed = false;  ///< and failed: every paint shows kCannotOpenText
    int m_markerX = kListenCentreColumn;
};
