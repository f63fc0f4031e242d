#include "app/LevelsDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>

#include "app/MeterBar.h"
#include "app/WxText.h"
#include "audio/InputCallback.h"
#include "audio/LevelMeter.h"
#include "audio/MeterScale.h"
#include "audio/Recorder.h"
#include "model/CutMethod.h"

namespace {

constexpr int kIdRecord = 1;
constexpr int kIdCancel = 2;
constexpr int kMeterPollMs = 40;  // faster than the meter's 0.1 s updates
constexpr int kGap = 8;
constexpr int kTextWidth = 400;  // the introduction wraps here
const wxSize kMeterSize(330, 14);
const wxSize kScaleSize(330, 14);

const char* const kIntroText =
    "Please adjust the input level on your sound card or sound card\ndrivers. It doesn't "
    "matter if the levels are a bit too low, because\nthe software can boost them when "
    "they're split.";

// "x1.00 (+0.0 dB)": the slider's gain; "silence" at 0.
wxString GainText(float gain) {
    if (gain <= 0) return "x0 (silence)";
    return wxString::Format("x%.2f (%+.1f dB)", gain, 20.0 * std::log10(gain) + 0.0);
}

}  // namespace

wxString app::CutMethodName(int cutsHowSelection) {
    switch (model::CutMethodOf(cutsHowSelection)) {
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
    : wxDialog(parent, wxID_ANY, "Adjust Levels", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "dialog"),
      m_state(state),
      m_cutsHow(cutsHowSelection),
      m_ask(ask ? std::move(ask)
                : Asker([](wxWindow* p, const wxString& text, const wxString& caption, long style) {
                      return wxMessageBox(text, caption, style, p);
                  })),
      m_changeFormat(std::move(changeFormat)),
      m_meterTimer(this) {
    const auto label = [this](const wxString& text) {
        return new wxStaticText(this, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0,
                                "staticText");
    };
    auto* top = new wxBoxSizer(wxVERTICAL);
    // One paragraph, broken where the dialog's width ends.
    wxString paragraph(kIntroText);
    paragraph.Replace("\n", " ");
    wxStaticText* intro = label(paragraph);
    intro->Wrap(kTextWidth);
    top->Add(intro, 0, wxALL, kGap);

    m_rows = new wxFlexGridSizer(2, kGap / 2, kGap);
    m_rows->AddGrowableCol(1);
    const auto row = [this](wxWindow* left, wxWindow* right) {
        m_rows->Add(left, 0, wxALIGN_CENTER_VERTICAL);
        m_rows->Add(right, 0, wxEXPAND | wxALIGN_CENTER_VERTICAL);
    };
    m_leftGauge = new MeterBar(this, "p_wxGauge3", "Left", wxDefaultPosition, kMeterSize);
    row(label("Left"), m_leftGauge);
    m_rightGauge = new MeterBar(this, "p_wxGauge4", "Right", wxDefaultPosition, kMeterSize);
    row(label("Right"), m_rightGauge);
    row(label(""), new MeterScaleBar(this, wxDefaultPosition, kScaleSize));
    // The slider at the height the theme needs for it and its value.
    m_gainSlider = new wxSlider(this, wxID_ANY, kGainSliderDefault, kGainSliderMin, kGainSliderMax,
                                wxDefaultPosition, wxSize(kMeterSize.x, -1),
                                wxSL_HORIZONTAL | wxSL_VALUE_LABEL, wxDefaultValidator, "slider");
    m_gainSlider->SetMinSize(wxSize(kMeterSize.x, m_gainSlider->GetBestSize().y));
    row(label("Gain"), m_gainSlider);
    m_gainText = label("");
    row(label(""), m_gainText);
    m_headroomLabel = label(kHeadroomInitialText);
    row(label(""), m_headroomLabel);
    m_format = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, 0,
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
    row(label("Format"), m_format);
    top->Add(m_rows, 0, wxEXPAND | wxLEFT | wxRIGHT, kGap);

    m_autoStop = new wxCheckBox(this, wxID_ANY, "Automatically stop recording.", wxDefaultPosition,
                                wxDefaultSize, 0, wxDefaultValidator, "autoStop");
    top->Add(m_autoStop, 0, wxALL, kGap);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    m_record = new wxButton(this, kIdRecord, "Record", wxDefaultPosition, wxDefaultSize, 0,
                            wxDefaultValidator, "button");
    m_cancel = new wxButton(this, kIdCancel, "Cancel", wxDefaultPosition, wxDefaultSize, 0,
                            wxDefaultValidator, "button");
    buttons->Add(m_record, 0);
    buttons->Add(m_cancel, 0, wxLEFT, kGap);
    top->Add(buttons, 0, wxALL, kGap);
    SetSizerAndFit(top);
    m_record->SetDefault();

    Bind(wxEVT_BUTTON, &LevelsDialog::OnButton, this, kIdRecord, kIdCancel);
    Bind(wxEVT_SLIDER, &LevelsDialog::OnSlider, this);
    Bind(wxEVT_CHOICE, &LevelsDialog::OnFormat, this);
    Bind(wxEVT_TIMER, &LevelsDialog::OnMeterTimer, this);

    ShowGain();
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
    return audio::SliderGain(m_gainSlider->GetValue());
}

void LevelsDialog::ShowGain() {
    m_gainText->SetLabel(GainText(Gain()));
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
    ShowGain();
}

void LevelsDialog::OnMeterTimer(wxTimerEvent&) {
    const std::uint32_t updates = m_state.meterUpdates.load(std::memory_order_acquire);
    if (updates == m_shownUpdates) return;
    m_shownUpdates = updates;
    const MeterReading reading =
        audio::UnpackMeterReading(m_state.meterReading.load(std::memory_order_relaxed));
    const std::uint32_t peaks = m_state.recentPeaks.load(std::memory_order_relaxed);
    const double now = app::MeterClock();
    m_leftGauge->SetValue(reading.left);
    m_rightGauge->SetValue(reading.right);
    m_leftGauge->Update(static_cast<std::int32_t>(peaks >> 16), now);
    m_rightGauge->Update(static_cast<std::int32_t>(peaks & 0xFFFF), now);
    m_headroomLabel->SetLabel(app::FromUtf8(audio::HeadroomText(
        std::max(m_leftGauge->Channel().Hold(), m_rightGauge->Channel().Hold()))));
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
            app::CutMethodName(m_cutsHow) + " when the recording has stopped?";
        m_autoSliceChosen = m_ask(this, text, "Automatic or Manual Slicing?",
                                  wxYES_NO | wxICON_INFORMATION) == wxYES;
    }
    EndModal(kRecordResult);
}
