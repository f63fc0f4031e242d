#include "app/LevelsDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/msgdlg.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include "audio/InputCallback.h"
#include "audio/LevelMeter.h"
#include "audio/Recorder.h"
#include "model/CutMethod.h"

namespace {

constexpr int kIdRecord = 1;
constexpr int kIdCancel = 2;
constexpr int kMeterPollMs = 40;  // faster than the meter's 0.1 s updates

const char* const kIntroText =
    "Please adjust the input level on your sound card or sound card\ndrivers. It doesn't "
    "matter if the levels are a bit too low, because\nthe software can boost them when "
    "they're split.";

}  // namespace

wxString CutMethodName(int cutsHowSelection) {
    switch (CutMethodOf(cutsHowSelection)) {
        case CutMethod::TypedTimes:
            return "Typed Times";
        case CutMethod::SmartSense:
            return "Smart Sense";
        case CutMethod::AutoSense:
            break;
    }
    return "Auto Sense";
}

LevelsDialog::LevelsDialog(wxWindow* parent, RecordingState& state, int cutsHowSelection, Asker ask,
                           FormatChanger changeFormat)
    : wxDialog(parent, wxID_ANY, "Adjust Levels", wxDefaultPosition, wxSize(340, 310),
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "dialog"),
      m_state(state),
      m_cutsHow(cutsHowSelection),
      m_ask(ask ? std::move(ask)
                : Asker([](wxWindow* p, const wxString& text, const wxString& caption, long style) {
                      return wxMessageBox(text, caption, style, p);
                  })),
      m_changeFormat(std::move(changeFormat)),
      m_meterTimer(this) {
    const auto label = [this](const wxString& text, wxPoint at, wxSize size) {
        return new wxStaticText(this, wxID_ANY, text, at, size, 0, "staticText");
    };
    const auto gauge = [this](const char* name, wxPoint at) {
        return new wxGauge(this, wxID_ANY, kGaugeRange, at, wxSize(290, 10), wxGA_HORIZONTAL,
                           wxDefaultValidator, name);
    };
    label(kIntroText, {10, 7}, {480, 60});
    label("Left", {10, 60}, {90, 15});
    m_leftGauge = gauge("p_wxGauge3", {10, 80});
    label("Right", {10, 95}, {90, 15});
    m_rightGauge = gauge("p_wxGauge4", {10, 115});
    label("Gain", {10, 130}, {90, 15});
    m_gainSlider =
        new wxSlider(this, wxID_ANY, kGainSliderDefault, kGainSliderMin, kGainSliderMax, {10, 150},
                     {290, 20}, wxSL_HORIZONTAL | wxSL_VALUE_LABEL, wxDefaultValidator, "slider");
    m_headroomLabel = label(kHeadroomInitialText, {10, 180}, {80, 15});
    label("Format", {130, 182}, {45, 15});
    m_format = new wxChoice(this, wxID_ANY, {180, 176}, {150, 24}, 0, nullptr, 0,
                            wxDefaultValidator, "format");
    for (const SideFormat& format : kRecordingFormats) {
        if (format == m_state.format) m_formatShown = static_cast<int>(m_format->GetCount());
        m_format->Append(format.Text());
    }
    if (m_formatShown == 0 && !(m_state.format == kRecordingFormats[0])) {
        m_formatShown = static_cast<int>(m_format->GetCount());
        m_format->Append(m_state.format.Text());  // a format of a settings file or option
    }
    m_format->SetSelection(m_formatShown);
    m_format->Enable(static_cast<bool>(m_changeFormat));
    m_autoStop = new wxCheckBox(this, wxID_ANY, "Automatically stop recording.", {10, 210},
                                wxDefaultSize, 0, wxDefaultValidator, "autoStop");
    m_record = new wxButton(this, kIdRecord, "Record", {10, 240}, {75, 24}, 0, wxDefaultValidator,
                            "button");
    m_cancel = new wxButton(this, kIdCancel, "Cancel", {95, 240}, {75, 24}, 0, wxDefaultValidator,
                            "button");

    Bind(wxEVT_BUTTON, &LevelsDialog::OnButton, this, kIdRecord, kIdCancel);
    Bind(wxEVT_SLIDER, &LevelsDialog::OnSlider, this);
    Bind(wxEVT_CHOICE, &LevelsDialog::OnFormat, this);
    Bind(wxEVT_TIMER, &LevelsDialog::OnMeterTimer, this);

    m_state.sliderValue.store(kGainSliderDefault);
    m_shownUpdates = m_state.meterUpdates.load();
    m_state.meterShown.store(true, std::memory_order_release);
    m_meterTimer.Start(kMeterPollMs);
}

LevelsDialog::~LevelsDialog() {
    m_state.meterShown.store(false, std::memory_order_release);
    m_meterTimer.Stop();
}

float LevelsDialog::Gain() const {
    return SliderGain(m_gainSlider->GetValue());
}

SideFormat LevelsDialog::Format() const {
    return m_state.format;
}

void LevelsDialog::OnFormat(wxCommandEvent&) {
    const int chosen = m_format->GetSelection();
    if (chosen == m_formatShown || chosen < 0 ||
        chosen >= static_cast<int>(std::size(kRecordingFormats)) || !m_changeFormat)
        return;
    if (m_changeFormat(kRecordingFormats[chosen])) {
        m_formatShown = chosen;
        return;
    }
    m_format->SetSelection(m_formatShown);
    m_ask(this, "The input cannot record " + kRecordingFormats[chosen].Text() + ".",
          "Format not available", wxOK | wxICON_INFORMATION);
}

void LevelsDialog::OnSlider(wxCommandEvent&) {
    m_state.sliderValue.store(m_gainSlider->GetValue(), std::memory_order_relaxed);
}

void LevelsDialog::OnMeterTimer(wxTimerEvent&) {
    const std::uint32_t updates = m_state.meterUpdates.load(std::memory_order_acquire);
    if (updates == m_shownUpdates) return;
    m_shownUpdates = updates;
    const MeterReading reading =
        UnpackMeterReading(m_state.meterReading.load(std::memory_order_relaxed));
    m_leftGauge->SetValue(reading.left);
    m_rightGauge->SetValue(reading.right);
    m_headroomLabel->SetLabel(HeadroomText(reading));
}

void LevelsDialog::OnButton(wxCommandEvent& event) {
    m_autoStopChosen = m_autoStop->GetValue();
    if (event.GetId() != kIdRecord) {
        EndModal(kCancelResult);
        return;
    }
    m_autoSliceChosen = false;
    if (m_autoStopChosen) {
        const wxString text =
            "You selected \"Automatically Stop Recording\".\n Should the software start "
            "slicing using " +
            CutMethodName(m_cutsHow) + " when the recording has stopped?";
        m_autoSliceChosen = m_ask(this, text, "Automatic or Manual Slicing?",
                                  wxYES_NO | wxICON_INFORMATION) == wxYES;
    }
    EndModal(kRecordResult);
}
