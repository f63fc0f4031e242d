#pragma once
// "Adjust Levels": shown while a side's input is monitored, before it is recorded. A meter
// per channel shows its peak in dBFS ten times a second, with a peak hold and a clip lamp
// that stays lit until the meter is clicked; a slider sets the gain (its value shown, and
// the gain it stands for); a label shows the headroom, the dB below full scale of the
// loudest recent peak; a check box asks for the automatic stop, and with it the question
// whether slicing should start once the recording has stopped; "Format" chooses the
// recording's sample rate and bits. The controls stand in a sizer's rows.
//
// GUI thread only. The meter itself runs in the audio callback (InputCallback, Monitoring)
// and publishes its readings in RecordingState; a timer of the dialog polls them, so no
// control is ever touched from the callback.

#include <wx/dialog.h>
#include <wx/timer.h>

#include <functional>

#include "sidefile/SideFormat.h"

struct RecordingState;
class MeterBar;
class wxButton;
class wxCheckBox;
class wxFlexGridSizer;
class wxChoice;
class wxGauge;
class wxSlider;
class wxStaticText;

namespace app {

/// The name of the cut method an m_cutsHow selection stands for (CutMethodOf), as the
/// question words it.
wxString CutMethodName(int cutsHowSelection);

}  // namespace app

class LevelsDialog : public wxDialog {
  public:
    /// Asks a Yes/No question as wxMessageBox does; returns wxYES or wxNO.
    using Asker = std::function<int(wxWindow* parent, const wxString& text, const wxString& caption,
                                    long style)>;
    /// Re-opens the monitored stream in the format chosen under "Format"; false when the
    /// input cannot record it (the choice then goes back).
    using FormatChanger = std::function<bool(const SideFormat& format)>;
    static constexpr int kRecordResult = 1;  ///< modal result of "Record"
    static constexpr int kCancelResult = 0;  ///< modal result of "Cancel"

    /// Builds the dialog and starts the meter on `state` (which must outlive the dialog).
    /// `cutsHowSelection`: the main window's cut method, named in the question. `ask`:
    /// null uses wxMessageBox. The Format choice starts at state.format; without
    /// `changeFormat` it cannot be changed.
    LevelsDialog(wxWindow* parent, RecordingState& state, int cutsHowSelection, Asker ask = nullptr,
                 FormatChanger changeFormat = nullptr);
    /// Stops the meter before any control goes.
    ~LevelsDialog() override;

    bool AutoStop() const { return m_autoStopChosen; }    ///< after the dialog ended
    bool AutoSlice() const { return m_autoSliceChosen; }  ///< after the dialog ended
    /// The gain the slider sets now (the recording applies it).
    float Gain() const;
    /// The format the stream is monitored (and will be recorded) in.
    SideFormat Format() const;

    wxButton* m_record = nullptr;
    wxButton* m_cancel = nullptr;
    wxCheckBox* m_autoStop = nullptr;
    MeterBar* m_leftGauge = nullptr;   ///< "p_wxGauge3"
    MeterBar* m_rightGauge = nullptr;  ///< "p_wxGauge4"
    wxSlider* m_gainSlider = nullptr;
    wxStaticText* m_gainText = nullptr;  ///< the slider's gain as a factor and in dB
    wxStaticText* m_headroomLabel = nullptr;
    wxChoice* m_format = nullptr;  ///< "Format": kRecordingFormats

  private:
    void OnButton(wxCommandEvent& event);
    void OnSlider(wxCommandEvent& event);
    void OnMeterTimer(wxTimerEvent& event);
    void ShowGain();
    void OnFormat(wxCommandEvent& event);

    RecordingState& m_state;
    int m_cutsHow;
    Asker m_ask;
    wxFlexGridSizer* m_rows = nullptr;  ///< label and control, row by row
    FormatChanger m_changeFormat;
    int m_formatShown = 0;  ///< the Format item the stream runs in
    wxTimer m_meterTimer;
    std::uint32_t m_shownUpdates = 0;
    bool m_autoStopChosen = false;
    bool m_autoSliceChosen = false;
};
