#pragma once
// The level meters of the levels dialog and of the main window while it records, one look
// for both: a bar per channel in dBFS (green, then yellow from -12 dB, red from -3 dB) with
// a peak-hold line and a clip lamp that stays lit until the bar is clicked, and a scale of
// dB marks under the bars. GUI thread only; fed with the peaks the audio callback publishes.

#include <wx/window.h>

#include "audio/MeterScale.h"

class wxMouseEvent;
class wxPaintEvent;

/// Pixels at a meter's right end for the clip lamp; the bar and the scale leave them out.
constexpr int kClipLampWidth = 34;

class MeterBar : public wxWindow {
  public:
    /// `name` is the window's name; `label` its accessible name ("Left", "Right").
    MeterBar(wxWindow* parent, const wxString& name, const wxString& label, const wxPoint& at,
             const wxSize& size);

    /// A new reading at `seconds` (a steady clock): the channel's gained peak, 0 .. 32767.
    void Update(std::int32_t peak, double seconds);
    const MeterChannel& Channel() const { return m_channel; }
    /// Puts the clip lamp out (as a click on the bar does).
    void ResetClip();

    /// The reading as a gauge gave it: percent of full scale after the gain, 0 .. 100.
    void SetValue(int percent) { m_percent = percent; }
    int GetValue() const { return m_percent; }
    int GetRange() const { return 100; }

  private:
    void OnPaint(wxPaintEvent& event);
    void OnClick(wxMouseEvent& event);

    MeterChannel m_channel;
    int m_percent = 0;
};

/// The dB marks under a pair of bars, as wide as they are.
class MeterScaleBar : public wxWindow {
  public:
    MeterScaleBar(wxWindow* parent, const wxPoint& at, const wxSize& size);

  private:
    void OnPaint(wxPaintEvent& event);
};

namespace app {

/// Seconds of a steady clock, for Update.
double MeterClock();

}  // namespace app
