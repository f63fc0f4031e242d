#include "app/FrameWaveforms.h"

#include <wx/event.h>
#include <wx/textctrl.h>

#include "app/FrameControls.h"
#include "app/FrameJobs.h"
#include "app/FrameMenus.h"
#include "app/FrameSides.h"
#include "app/ImgPanel.h"
#include "app/StopHooks.h"
#include "app/WxText.h"
#include "settings/MenuSettings.h"
#include "waveview/CutEditing.h"
#include "waveview/Envelopes.h"
#include "waveview/ListenDialog.h"
#include "waveview/MyCanvas.h"

namespace {

// A new cut lands this many pixels right of the pointer.
constexpr int kAddCutShift = 4;

// The menus' settings (atomics, read by the audio callback) and the sides' peaks (read on
// the GUI thread when playback starts).
class FramePlaybackSettings : public PlaybackSettings {
  public:
    FramePlaybackSettings(const FrameMenus& menus, const FrameSides& sides)
        : m_menus(menus), m_sides(sides) {}
    ProcessingSettings Processing() const override { return m_menus.Processing(); }
    float PeakLevel(Side side) const override { return m_sides.At(side).peakLevel; }

  private:
    const FrameMenus& m_menus;
    const FrameSides& m_sides;
};

}  // namespace

FrameWaveforms::FrameWaveforms(wxWindow& frame, FrameControls& controls, FrameSides& sides,
                               const FrameMenus& menus, const FrameJobs& jobs, StopHooks& stopHooks)
    : frame_(frame),
      controls_(controls),
      sides_(sides),
      menus_(menus),
      jobs_(jobs),
      stopHooks_(stopHooks) {
    controls.m_canvas =
        new MyCanvas(&frame, [this](wxDC& dc, int W, int H, int half) { Draw(dc, W, H, half); });
    // The canvas lies over the panel: clicks on it are the panel's, and the panel's are ours.
    imgPanel* panel = controls.m_panel;
    controls.m_canvas->ForwardMouseTo(panel);
    panel->OnMouse([this](wxMouseEvent& event) { OnPanelMouse(event); });
}

FrameWaveforms::~FrameWaveforms() {
    controls_.m_panel->OnMouse(nullptr);
}

void FrameWaveforms::Draw(wxDC& dc, int W, int H, int half) {
    DrawSideEnvelopes(dc, sides_.All(), W, H, half);
}

bool FrameWaveforms::OpenListenDialog(Side side, float r) {
    if (!playbackSettings_) {
        playbackSettings_ = std::make_unique<FramePlaybackSettings>(menus_, sides_);
        // Closing the window while the dialog plays: silence first, then the dialog ends.
        stopHooks_.Add([this] {
            if (!listenDialog_) return;
            listenDialog_->StopPlayback();
            if (listenDialog_->IsModal()) listenDialog_->EndModal(wxID_CANCEL);
        });
    }
    ListenTarget target;
    target.side = side;
    target.state = &sides_.At(side);
    target.path = ToUtf8(controls_.SidePathField(side)->GetValue());
    target.settings = playbackSettings_.get();

    ListenDialog dialog(controls_.m_panel, target, r);
    listenDialog_ = &dialog;
    const int result = dialog.ShowModal();
    listenDialog_ = nullptr;
    return result == kListenOk;
}

void FrameWaveforms::OnPanelMouse(wxMouseEvent& event) {
    event.Skip();
    // A quick second click at the same place comes as a double click: it counts all the
    // same (two quick right clicks remove two cuts).
    const bool left = event.LeftDown() || event.LeftDClick();
    if (!left && !event.RightDown() && !event.RightDClick()) return;
    // A running job ("Draw waveforms" too) rewrites the cut lists: no edits meanwhile, and no
    // listen dialog over cuts that are about to change.
    if (jobs_.Running()) return;

    MyCanvas* canvas = controls_.m_canvas;
    const CanvasGeometry geometry = MeasureCanvas(frame_);
    // The canvas's place is in the frame's client pixels; the panel's own border moves its
    // client origin away from the frame's.
    const wxPoint at =
        frame_.ScreenToClient(controls_.m_panel->ClientToScreen(event.GetPosition()));
    const CanvasClick click = ClassifyClick(geometry, at.x, at.y);
    if (click.area == CanvasClick::Area::None) return;
    SideState& side = sides_.At(click.side);

    if (click.area == CanvasClick::Area::ListenBand) {
        if (side.cutCount == 0) return;
        if (OpenListenDialog(click.side, CanvasFraction(geometry, at.x))) canvas->Refresh(true);
        return;
    }
    if (side.levelCount == 0) return;
    if (left)
        AddCut(side, CanvasFraction(geometry, at.x, kAddCutShift));
    else
        RemoveNearestCut(side, CanvasFraction(geometry, at.x));
    canvas->Refresh(true);
}
