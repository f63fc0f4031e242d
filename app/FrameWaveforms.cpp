#include "app/FrameWaveforms.h"

#include <wx/event.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>

#include "app/FrameControls.h"
#include "app/FrameJobs.h"
#include "app/FrameMenus.h"
#include "app/FramePlaybackSettings.h"
#include "app/FrameSides.h"
#include "app/ImgPanel.h"
#include "app/StopHooks.h"
#include "app/WxText.h"
#include "waveview/CutEditing.h"
#include "waveview/Envelopes.h"
#include "waveview/ListenDialog.h"
#include "waveview/MyCanvas.h"
#include "waveview/RulerWindow.h"

namespace {

// A new cut lands this many pixels right of the pointer.
constexpr int kAddCutShift = 4;
// The scroll bar counts the side in this many steps.
constexpr int kScrollRange = 1000000;
// One notch of the wheel: zoom by this factor with Ctrl, else scroll a tenth of the width.
constexpr double kWheelZoom = 1.5;
constexpr double kWheelScroll = 0.1;

}  // namespace

FrameWaveforms::FrameWaveforms(wxWindow& frame, FrameControls& controls, FrameSides& sides,
                               const FrameMenus& menus, const FrameJobs& jobs, Playhead& playhead,
                               StopHooks& stopHooks)
    : frame_(frame),
      controls_(controls),
      sides_(sides),
      menus_(menus),
      jobs_(jobs),
      playhead_(playhead),
      stopHooks_(stopHooks) {
    controls.m_canvas =
        new MyCanvas(&frame, [this](wxDC& dc, int W, int H, int half) { Draw(dc, W, H, half); });
    // The canvas lies over the panel: clicks on it are the panel's, and the panel's are ours.
    imgPanel* panel = controls.m_panel;
    controls.m_canvas->ForwardMouseTo(panel);
    panel->OnMouse([this](wxMouseEvent& event) { OnPanelMouse(event); });

    for (const Side side : kSides) {
        controls.m_rulers[model::Index(side)] = new RulerWindow(
            &frame, side,
            [this, side] {
                RulerWindow::Content content;
                content.side = &sides_.At(side);
                content.view = view_;
                if (playhead_.Place() && playhead_.Place()->side == side)
                    content.playheadSeconds = playhead_.Place()->seconds;
                return content;
            },
            [this, side](double f) {
                playhead_.Set({side, f * sides_.At(side).levelCount / 10.0}, Playhead::Cause::User);
            });
        controls.m_rulers[model::Index(side)]->SetToolTip(
            "Click to put the playhead here (Play starts from it)");
    }
    // A native scroll bar draws in its parent's window: it gets a strip of its own over the
    // panel.
    controls.m_scrollStrip =
        new wxPanel(&frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "scrollStrip");
    controls.m_scrollBar =
        new wxScrollBar(controls.m_scrollStrip, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                        wxSB_HORIZONTAL, wxDefaultValidator, "scrollBar");
    controls.m_scrollBar->Bind(wxEVT_SCROLL_THUMBTRACK, &FrameWaveforms::OnScroll, this);
    controls.m_scrollBar->Bind(wxEVT_SCROLL_CHANGED, &FrameWaveforms::OnScroll, this);
    for (const auto type : {wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP,
                            wxEVT_SCROLL_PAGEDOWN, wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM})
        controls.m_scrollBar->Bind(type, &FrameWaveforms::OnScroll, this);

    sides.OnChanged([this] { Refresh(); });
    playhead.OnMoved([this](Playhead::Cause cause) { OnPlayheadMoved(cause); });
    Layout();
    ShowScrollBar();
}

FrameWaveforms::~FrameWaveforms() {
    controls_.m_panel->OnMouse(nullptr);
}

void FrameWaveforms::Layout() {
    const CanvasGeometry g = waveview::MeasureCanvas(frame_);
    const int scrollTop = frame_.ConvertDialogToPixels(wxPoint(0, canvas_du::kScrollBarTop)).y;
    const int strip = frame_.ConvertDialogToPixels(wxSize(0, canvas_du::kStrip)).y;
    controls_.m_canvas->SetSize(g.cx, g.cy, g.width, g.height);
    controls_.m_scrollStrip->SetSize(g.cx, scrollTop, g.width, strip);
    controls_.m_scrollBar->SetSize(0, 0, g.width, strip);
    controls_.m_rulers[0]->SetSize(g.cx, scrollTop + strip, g.width, g.cy - scrollTop - strip);
    controls_.m_rulers[1]->SetSize(g.cx, g.cy + g.height, g.width, strip);
    Refresh();
}

void FrameWaveforms::Refresh() {
    controls_.m_canvas->Refresh(true);
    for (RulerWindow* ruler : controls_.m_rulers) ruler->Refresh(false);
}

double FrameWaveforms::LongestSeconds() const {
    return std::max(sides_.At(Side::One).levelCount, sides_.At(Side::Two).levelCount) / 10.0;
}

std::optional<double> FrameWaveforms::PlayheadColumn() const {
    const std::optional<PlayheadPlace>& place = playhead_.Place();
    if (!place) return std::nullopt;
    const std::uint32_t count = sides_.At(place->side).levelCount;
    if (count == 0) return std::nullopt;
    return waveview::ColumnOf(view_, place->seconds * 10 / count,
                              waveview::MeasureCanvas(frame_).width);
}

void FrameWaveforms::Draw(wxDC& dc, int W, int H, int half) {
    if (view_.Fitted())
        waveview::DrawSideEnvelopes(dc, sides_.All(), W, H, half);
    else
        waveview::DrawZoomedSides(dc, sides_.All(), view_, W, H, half);
    if (const std::optional<double> x = PlayheadColumn(); x && *x >= 0 && *x < W)
        waveview::DrawPlayhead(dc, playhead_.Place()->side, static_cast<int>(*x), H, half);
}

void FrameWaveforms::SetView(const TimeView& view) {
    if (view == view_) return;
    view_ = view;
    ShowScrollBar();
    Refresh();
}

void FrameWaveforms::ShowScrollBar() {
    const int thumb = std::max(1, static_cast<int>(std::lround(view_.span * kScrollRange)));
    controls_.m_scrollBar->SetScrollbar(static_cast<int>(std::lround(view_.start * kScrollRange)),
                                        thumb, kScrollRange, thumb);
}

void FrameWaveforms::OnScroll(wxScrollEvent& event) {
    SetView(waveview::ScrollTo(view_, static_cast<double>(event.GetPosition()) / kScrollRange));
}

void FrameWaveforms::Zoom(double factor) {
    const CanvasGeometry g = waveview::MeasureCanvas(frame_);
    const wxPoint pointer = frame_.ScreenToClient(wxGetMousePosition());
    const wxRect canvas(g.cx, g.cy, g.width, g.height);
    double x = g.width / 2.0;
    if (canvas.Contains(pointer))
        x = pointer.x - g.cx;
    else if (const std::optional<double> playhead = PlayheadColumn();
             playhead && *playhead >= 0 && *playhead < g.width)
        x = *playhead;
    ZoomAround(factor, x);
}

void FrameWaveforms::ZoomAround(double factor, double x) {
    SetView(waveview::ZoomAround(view_, factor, x, waveview::MeasureCanvas(frame_).width,
                                 LongestSeconds()));
}

void FrameWaveforms::ZoomToFit() {
    SetView(TimeView{});
}

void FrameWaveforms::ScrollBy(double columns) {
    SetView(waveview::ScrollBy(view_, columns, waveview::MeasureCanvas(frame_).width));
}

void FrameWaveforms::OnPlayheadMoved(Playhead::Cause cause) {
    // While playing, a zoomed view keeps the playhead in sight.
    const std::optional<PlayheadPlace>& place = playhead_.Place();
    if (cause == Playhead::Cause::Playback && place && !view_.Fitted()) {
        const std::uint32_t count = sides_.At(place->side).levelCount;
        if (count > 0) SetView(waveview::Reveal(view_, place->seconds * 10 / count));
    }
    Refresh();
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
    if (beforeListening) beforeListening();
    ListenTarget target;
    target.side = side;
    target.state = &sides_.At(side);
    target.path = app::ToUtf8(controls_.SidePathField(side)->GetValue());
    target.settings = playbackSettings_.get();

    const CutEdit edit(sides_);  // OK may move a cut: an undo step
    ListenDialog dialog(controls_.m_panel, target, r);
    listenDialog_ = &dialog;
    const int result = dialog.ShowModal();
    listenDialog_ = nullptr;
    return result == kListenOk;
}

void FrameWaveforms::OnPanelMouse(wxMouseEvent& event) {
    event.Skip();
    const CanvasGeometry geometry = waveview::MeasureCanvas(frame_);
    // The canvas's place is in the frame's client pixels; the panel's own border moves its
    // client origin away from the frame's.
    const wxPoint at =
        frame_.ScreenToClient(controls_.m_panel->ClientToScreen(event.GetPosition()));
    if (event.GetEventType() == wxEVT_MOUSEWHEEL) {
        if (wxRect(geometry.cx, geometry.cy, geometry.width, geometry.height).Contains(at))
            OnWheel(event, at.x - geometry.cx);
        return;
    }
    // A quick second click at the same place comes as a double click: it counts all the
    // same (two quick right clicks remove two cuts).
    const bool left = event.LeftDown() || event.LeftDClick();
    if (!left && !event.RightDown() && !event.RightDClick()) return;
    // A running job ("Draw waveforms" too) rewrites the cut lists: no edits meanwhile, and no
    // listen dialog over cuts that are about to change.
    if (jobs_.Running()) return;

    MyCanvas* canvas = controls_.m_canvas;
    const CanvasClick click = waveview::ClassifyClick(geometry, at.x, at.y);
    if (click.area == CanvasClick::Area::None) return;
    SideState& side = sides_.At(click.side);
    // Where the click is, across the canvas and (through the view) along the side.
    const auto along = [&](int shift) {
        return waveview::SideFraction(view_, waveview::CanvasFraction(geometry, at.x, shift));
    };

    if (click.area == CanvasClick::Area::ListenBand) {
        if (side.cutCount == 0) return;
        if (OpenListenDialog(click.side, along(0))) canvas->Refresh(true);
        return;
    }
    if (side.levelCount == 0) return;
    if (left && event.ShiftDown()) {
        playhead_.Set({click.side, std::clamp(along(0), 0.0f, 1.0f) * side.levelCount / 10.0},
                      Playhead::Cause::User);
        return;
    }
    {
        const CutEdit edit(sides_);
        if (left)
            waveview::AddCut(side, along(kAddCutShift));
        else
            waveview::RemoveNearestCut(side, along(0));
    }
    canvas->Refresh(true);
}

void FrameWaveforms::OnWheel(wxMouseEvent& event, double x) {
    const double notches =
        static_cast<double>(event.GetWheelRotation()) / std::max(1, event.GetWheelDelta());
    const int width = waveview::MeasureCanvas(frame_).width;
    if (event.GetWheelAxis() == wxMOUSE_WHEEL_HORIZONTAL)
        ScrollBy(notches * kWheelScroll * width);
    else if (event.ControlDown())
        ZoomAround(std::pow(kWheelZoom, notches), x);
    else
        ScrollBy(-notches * kWheelScroll * width);
}
