#include "app/FrameTransport.h"

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cmath>

#include "app/AccessibleNames.h"
#include "app/BackdropPanel.h"
#include "app/FrameControls.h"
#include "app/FramePlaybackSettings.h"
#include "app/StopHooks.h"
#include "app/WxText.h"
#include "model/TypedTimes.h"
#include "waveview/CutEditing.h"

namespace {

constexpr int kFollowMs = 40;
constexpr std::int32_t kPreviousCutSlack = 10;  // tenths: a second press steps back again
constexpr double kZoomStep = 2.0;

// The rows of buttons in the transport's panel, dialog units.
constexpr int kRow = 16, kButtonHeight = 13;

enum ButtonId {
    kButtonPlay = 740,
    kButtonPause,
    kButtonStop,
    kButtonPreviousCut,
    kButtonNextCut,
    kButtonZoomOut,
    kButtonZoomIn,
    kButtonZoomFit,
};

struct ButtonRow {
    int id;
    const char* label;
    const char* name;        // window name; also the accessible name
    const char* accessible;  // when the label is not words
    const char* tip;
    int x, row, width;  // dialog units in the panel
};

constexpr ButtonRow kButtons[] = {
    {kButtonPlay, "Play", "Play", nullptr, "Play from the playhead (space bar)", 0, 0, 40},
    {kButtonPause, "Pause", "Pause", nullptr, "Pause here (space bar)", 42, 0, 40},
    {kButtonStop, "Stop", "Stop", nullptr, "Stop, back to where playing started", 84, 0, 40},
    {kButtonPreviousCut, "|\u25C0 Previous cut", "previousCut", "Play from the previous cut",
     "Play from the previous cut ([ key)", 0, 1, 61},
    {kButtonNextCut, "Next cut \u25B6|", "nextCut", "Play from the next cut",
     "Play from the next cut (] key)", 63, 1, 61},
    {kButtonZoomOut, "\u2212", "zoomOut", "Zoom out", "Zoom out (- key)", 63, 2, 19},
    {kButtonZoomIn, "+", "zoomIn", "Zoom in", "Zoom in (+ key, or Ctrl and the mouse wheel)", 84, 2,
     19},
    {kButtonZoomFit, "Fit", "zoomFit", "Zoom to fit", "Zoom to fit (0 key)", 105, 2, 19},
};

}  // namespace

FrameTransport::FrameTransport(wxFrame& frame, FrameControls& controls, const FrameSides& sides,
                               const FrameMenus& menus, Playhead& playhead, StopHooks& stopHooks)
    : frame_(frame),
      controls_(controls),
      sides_(sides),
      playhead_(playhead),
      settings_(std::make_unique<FramePlaybackSettings>(menus, sides)),
      player_(*settings_) {
    BuildControls();
    frame.Bind(wxEVT_BUTTON, &FrameTransport::OnButton, this, kButtonPlay, kButtonZoomFit);
    playhead.OnMoved([this](Playhead::Cause cause) {
        ShowPlace();
        // A click elsewhere while playing: playing goes on from there.
        if (cause == Playhead::Cause::User && IsPlaying()) StartAt(*playhead_.Place());
    });
    stopHooks.Add([this] { Halt(); });
}

FrameTransport::~FrameTransport() {
    timer_.Stop();
    player_.Stop();
}

void FrameTransport::BuildControls() {
    auto px = [this](int x, int y) { return frame_.ConvertDialogToPixels(wxPoint(x, y)); };
    auto size = [this](int w, int h) { return frame_.ConvertDialogToPixels(wxSize(w, h)); };
    auto* panel = new BackdropPanel(&frame_, *controls_.m_panel,
                                    wxRect(px(transport_du::kLeft, transport_du::kTop),
                                           size(transport_du::kWidth, transport_du::kHeight)),
                                    "transport");
    controls_.m_transportPanel = panel;
    wxButton** const slots[] = {
        &controls_.m_play,    &controls_.m_pause,   &controls_.m_stop,   &controls_.m_previousCut,
        &controls_.m_nextCut, &controls_.m_zoomOut, &controls_.m_zoomIn, &controls_.m_zoomFit};
    for (std::size_t i = 0; i < std::size(kButtons); ++i) {
        const ButtonRow& row = kButtons[i];
        wxButton* button =
            app::MakeFrameButton(panel, row.id, wxString::FromUTF8(row.label), row.name,
                                 px(row.x, 1 + row.row * kRow), size(row.width, kButtonHeight));
        button->SetToolTip(row.tip);
        if (row.accessible) app::SetAccessibleName(*button, row.accessible);
        *slots[i] = button;
    }
    controls_.m_playheadText = new wxStaticText(panel, wxID_ANY, "", px(0, 4 + 2 * kRow),
                                                size(61, 10), wxST_NO_AUTORESIZE, "playhead");
    controls_.m_playheadText->SetForegroundColour(*wxWHITE);
    controls_.m_playheadText->SetFont(
        wxFont(8, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    ShowPlace();
}

void FrameTransport::OnButton(wxCommandEvent& event) {
    switch (event.GetId()) {
        case kButtonPlay:
            Play();
            break;
        case kButtonPause:
            Pause();
            break;
        case kButtonStop:
            Stop();
            break;
        case kButtonPreviousCut:
            PlayFromPreviousCut();
            break;
        case kButtonNextCut:
            PlayFromNextCut();
            break;
        case kButtonZoomOut:
            if (zoom) zoom(1 / kZoomStep);
            break;
        case kButtonZoomIn:
            if (zoom) zoom(kZoomStep);
            break;
        case kButtonZoomFit:
            if (zoomToFit) zoomToFit();
            break;
        default:
            break;
    }
}

PlayheadPlace FrameTransport::PlaceOrStart() const {
    if (playhead_.Place()) return *playhead_.Place();
    const bool one = !controls_.SidePathField(Side::One)->GetValue().empty();
    const bool two = !controls_.SidePathField(Side::Two)->GetValue().empty();
    return {!one && two ? Side::Two : Side::One, 0};
}

void FrameTransport::Play() {
    if (IsPlaying()) return;
    const PlayheadPlace place = PlaceOrStart();
    playedFrom_ = place;
    StartAt(place);
}

void FrameTransport::StartAt(const PlayheadPlace& place) {
    const std::string path = app::ToUtf8(controls_.SidePathField(place.side)->GetValue());
    if (path.empty()) {
        frame_.SetStatusText(wxString::Format(
            "Side %d has no recording yet: record or locate it first.", model::Number(place.side)));
        return;
    }
    if (!player_.Play(path, place.seconds, place.side)) {
        timer_.Stop();
        frame_.SetStatusText(
            wxString::Format("Side %d could not be played.", model::Number(place.side)));
        return;
    }
    if (!playhead_.Place() || playhead_.Place()->side != place.side ||
        playhead_.Place()->seconds != place.seconds)
        playhead_.Set(place, Playhead::Cause::Playback);
    timer_.Start(kFollowMs);
}

void FrameTransport::Follow() {
    if (!IsPlaying() || !playhead_.Place()) {
        timer_.Stop();
        return;
    }
    if (player_.ReachedEnd()) {
        Stop();
        return;
    }
    playhead_.Set({playhead_.Place()->side, player_.PositionSeconds()}, Playhead::Cause::Playback);
}

void FrameTransport::Pause() {
    if (!IsPlaying()) return;
    const Side side = playhead_.Place() ? playhead_.Place()->side : Side::One;
    Halt();
    playhead_.Set({side, player_.PositionSeconds()}, Playhead::Cause::Playback);
}

void FrameTransport::Stop() {
    Halt();
    if (playedFrom_) playhead_.Set(*playedFrom_, Playhead::Cause::Playback);
}

void FrameTransport::Halt() {
    timer_.Stop();
    player_.Stop();
}

void FrameTransport::PlayPause() {
    if (IsPlaying())
        Pause();
    else
        Play();
}

void FrameTransport::PlayFromPreviousCut() {
    const PlayheadPlace place = PlaceOrStart();
    const auto tenths = static_cast<std::int32_t>(std::lround(place.seconds * 10));
    const std::int32_t cut =
        waveview::PreviousCutBefore(sides_.At(place.side), tenths, kPreviousCutSlack);
    playhead_.Set({place.side, cut / 10.0}, Playhead::Cause::User);
    if (!IsPlaying()) Play();
}

void FrameTransport::PlayFromNextCut() {
    const PlayheadPlace place = PlaceOrStart();
    const auto tenths = static_cast<std::int32_t>(std::lround(place.seconds * 10));
    const std::optional<std::int32_t> cut = waveview::NextCutAfter(sides_.At(place.side), tenths);
    if (!cut) {
        frame_.SetStatusText(
            wxString::Format("Side %d has no cut after the playhead.", model::Number(place.side)));
        return;
    }
    playhead_.Set({place.side, *cut / 10.0}, Playhead::Cause::User);
    if (!IsPlaying()) Play();
}

void FrameTransport::ShowPlace() {
    const std::optional<PlayheadPlace>& place = playhead_.Place();
    controls_.m_playheadText->SetLabel(
        place ? wxString::Format(
                    "Side %d  %s", model::Number(place->side),
                    app::FromUtf8(model::FormatTenths(std::llround(place->seconds * 10))))
              : wxString("Side 1  0:00.0"));
}
