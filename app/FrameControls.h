#pragma once
// The main window's controls, by the names its layout gives them, and the code that makes
// them at their places. GUI thread only; the toolkit owns the windows.

#include <wx/gdicmn.h>
#include <wx/string.h>

#include <array>

#include "model/Side.h"
#include "model/SideState.h"

class BackdropPanel;
class imgPanel;
class MeterBar;
class MyCanvas;
class RulerWindow;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxGauge;
class wxPanel;
class wxScrollBar;
class wxStaticText;
class wxTextCtrl;

constexpr int kTypedTimeFields = 2 * kTypedTimesPerSide;

// Button command ids.
constexpr int kIdLocateSide1 = 726;
constexpr int kIdLocateSide2 = 727;
constexpr int kIdRecordSide1 = 728;
constexpr int kIdRecordSide2 = 729;
constexpr int kIdLocateEncoder = 730;
constexpr int kIdSliceAutoOrTyped = 731;
constexpr int kIdDrawWaveforms = 732;
constexpr int kIdSliceMarkers = 733;

/// Where the transport lies, and the recording display in its place while a side records:
/// between the gauges and the Start buttons, dialog units.
namespace transport_du {
constexpr int kLeft = 97;
constexpr int kTop = 131;
constexpr int kWidth = 125;
constexpr int kHeight = 48;
}  // namespace transport_du

struct FrameControls {
    imgPanel* m_panel = nullptr;        ///< the background panel, parent of the rest
    wxButton* i_button3 = nullptr;      ///< "Rec..." side 1
    wxButton* i_button4 = nullptr;      ///< "Rec..." side 2
    wxTextCtrl* i_textCtrl1 = nullptr;  ///< side 1's WAV path (read-only)
    wxTextCtrl* i_textCtrl2 = nullptr;  ///< side 2's WAV path (read-only)
    wxButton* i_button1 = nullptr;      ///< "Locate..." side 1
    wxButton* i_button2 = nullptr;      ///< "Locate..." side 2
    wxChoice* m_cutsHow = nullptr;      ///< cut method: CutMethod order
    wxTextCtrl* c_textCtrl1 = nullptr;  ///< auto-sense silence length, seconds
    std::array<wxTextCtrl*, kTypedTimeFields> c_textCtrlTime{};  ///< 0..9 side 1, 10..19 side 2
    wxCheckBox* m_checkBox3 = nullptr;  ///< delete wave slices when finished
    wxCheckBox* w_checkBox1 = nullptr;  ///< voice message after slicing
    wxCheckBox* m_checkBox1 = nullptr;  ///< create MP3 (or Ogg) files
    wxButton* m_button1 = nullptr;      ///< "Locate encoder..."
    wxChoice* m_choice1 = nullptr;      ///< encoder kind (EncoderKind order)
    wxTextCtrl* m_textCtrl1 = nullptr;  ///< encoder path (read-only)
    wxCheckBox* m_checkBox2 = nullptr;  ///< voice message after encoding
    wxGauge* p_wxGauge1 = nullptr;      ///< slicing progress, 0..100
    wxGauge* p_wxGauge2 = nullptr;      ///< encoding progress, 0..100
    wxButton* e_button2 = nullptr;      ///< "Draw waveforms"
    wxButton* e_button3 = nullptr;      ///< "Slice using waveform markers"
    wxButton* e_button1 = nullptr;      ///< "Slice using auto sense or typed times"
    /// The waveform canvas (10,199 540x100 DU), a child of the frame over the panel.
    MyCanvas* m_canvas = nullptr;

    // --- Made by the parts that work them, as children of the frame over the panel ---
    // The transport (FrameTransport), at 97,131 DU between the gauges and the Start buttons.
    BackdropPanel* m_transportPanel = nullptr;
    wxButton* m_play = nullptr;         ///< "Play"
    wxButton* m_pause = nullptr;        ///< "Pause"
    wxButton* m_stop = nullptr;         ///< "Stop"
    wxButton* m_previousCut = nullptr;  ///< play from the previous cut
    wxButton* m_nextCut = nullptr;      ///< play from the next cut
    wxButton* m_zoomOut = nullptr;
    wxButton* m_zoomIn = nullptr;
    wxButton* m_zoomFit = nullptr;
    wxStaticText* m_playheadText = nullptr;  ///< the playhead's side and time
    // The waveform view's strips (FrameWaveforms): the scroll bar above side 1's ruler,
    // side 2's ruler below the canvas.
    wxPanel* m_scrollStrip = nullptr;
    wxScrollBar* m_scrollBar = nullptr;
    std::array<RulerWindow*, 2> m_rulers{};
    // The recording display (FrameRecording), where the transport is, while a side records.
    BackdropPanel* m_recordingPanel = nullptr;
    wxStaticText* m_recordingText = nullptr;      ///< side and elapsed time
    wxStaticText* m_recordingFileText = nullptr;  ///< the file's size, the disk's room left
    MeterBar* m_recordLeft = nullptr;
    MeterBar* m_recordRight = nullptr;

    /// i_textCtrl1 for side 1, i_textCtrl2 for side 2.
    wxTextCtrl* SidePathField(Side side) const {
        return side == Side::Two ? i_textCtrl2 : i_textCtrl1;
    }
    /// i_button3 for side 1, i_button4 for side 2.
    wxButton* RecButton(Side side) const { return side == Side::Two ? i_button4 : i_button3; }
};

namespace app {

/// Makes every control but the canvas on `controls.m_panel`, at its place in dialog units,
/// with the window's starting values.
void BuildFrameControls(FrameControls& controls);

/// A button as the main window's are: the window's button colour and the compact style.
wxButton* MakeFrameButton(wxWindow* parent, int id, const wxString& label, const wxString& name,
                          const wxPoint& at, const wxSize& size);

}  // namespace app
