// The frame's part of the listen dialog: opening it for a side, the settings its preview
// playback reads, and stopping that playback when the window closes under the dialog.

#include "app/ImgPanel.h"
#include "app/MyFrame.h"
#include "app/WxText.h"
#include "engine/MenuSettings.h"
#include "waveview/ListenDialog.h"

#include <wx/textctrl.h>

namespace {

// The menus' settings (atomics, read by the audio callback) and the sides' peaks (read on
// the GUI thread when playback starts).
class FramePlaybackSettings : public PlaybackSettings {
  public:
    explicit FramePlaybackSettings(const MyFrame& frame) : m_frame(frame) {}
    int FadeId() const override { return m_frame.SelectedFadeId(); }
    bool Normalize() const override { return m_frame.SelectedVolumeId() == menu::kVolumeNormalize; }
    float TrebleLevel() const override { return m_frame.TrebleBoostLevel(); }
    float PeakLevel(int side) const override { return m_frame.m_sides[side].peakLevel; }

  private:
    const MyFrame& m_frame;
};

}  // namespace

bool MyFrame::OpenListenDialog(int side, float r) {
    if (!m_playbackSettings) {
        m_playbackSettings = std::make_unique<FramePlaybackSettings>(*this);
        // Closing the window while the dialog plays: silence first, then the dialog ends.
        AddStopHook([this] {
            if (!m_listenDialog) return;
            m_listenDialog->StopPlayback();
            if (m_listenDialog->IsModal()) m_listenDialog->EndModal(wxID_CANCEL);
        });
    }
    ListenTarget target;
    target.side = side;
    target.state = &m_sides[side];
    target.path = ToUtf8((side == 0 ? i_textCtrl1 : i_textCtrl2)->GetValue());
    target.settings = m_playbackSettings.get();

    ListenDialog dialog(m_panel, target, r);
    m_listenDialog = &dialog;
    const int result = dialog.ShowModal();
    m_listenDialog = nullptr;
    return result == kListenOk;
}
