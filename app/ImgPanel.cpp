#include "app/ImgPanel.h"

#include <wx/dcclient.h>
#include <wx/image.h>

#include <memory>

#include "app/ImageFile.h"
#include "app/ResourceFiles.h"
#include "waveview/MyCanvas.h"

const Caption kCaptions[] = {
    {"Input", 11, 10, 7},
    {"or", 8, 259, 22},
    {"or", 8, 259, 39},
    {"Side 1", 8, 314, 22},
    {"Side 2", 8, 314, 39},
    {"MP3 and Ogg", 11, 10, 60},
    {"Create MP3 (or Ogg) files from wave slices", 8, 23, 78},
    {"Voice message when MP3 (or Ogg) files have been created", 8, 23, 123},
    {"Wave slices", 11, 232, 60},
    {"Delete all wave slices when finished", 8, 245, 78},
    {"Voice message when sides have been sliced", 8, 245, 89},
    {"Cuts", 11, 400, 7},
    {"Side 1 (min.sec.dsec)", 8, 400, 42},
    {"Side 2 (min.sec.dsec)", 8, 477, 42},
    {"seconds", 8, 502, 23},
    {"Progress", 11, 10, 137},
    {"Start", 11, 232, 117},
};
const int kCaptionCount = sizeof(kCaptions) / sizeof(kCaptions[0]);

const wxColour kBackgroundFill(24, 20, 52);

imgPanel::imgPanel(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size,
                   long style, const wxString& name)
    : wxPanel(parent, id, position, size, style, name) {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_JPEG)) wxImage::AddHandler(new wxJPEGHandler);
    const wxImage picture =
        app::LoadImageFile(resource::Path(resource::kBackground), wxBITMAP_TYPE_JPEG);
    if (picture.IsOk()) m_background = wxBitmap(picture);
    Bind(wxEVT_ERASE_BACKGROUND, &imgPanel::OnEraseBackground, this);
    for (const auto& type : kMouseEventTypes) Bind(type, &imgPanel::HandleMouse, this);
}

void imgPanel::PaintBackground(wxDC& dc) {
    dc.SetBackground(wxBrush(kBackgroundFill));
    dc.Clear();
    if (m_background.IsOk()) {
        const wxSize size = GetClientSize();
        if (size.x <= m_background.GetWidth() && size.y <= m_background.GetHeight()) {
            dc.DrawBitmap(m_background, 0, 0, false);
        } else {
            if (!m_stretched.IsOk() || m_stretched.GetSize() != size)
                m_stretched = wxBitmap(
                    m_background.ConvertToImage().Scale(size.x, size.y, wxIMAGE_QUALITY_BILINEAR));
            dc.DrawBitmap(m_stretched, 0, 0, false);
        }
    }
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(*wxWHITE);
    for (int i = 0; i < kCaptionCount; ++i) {
        const Caption& caption = kCaptions[i];
        dc.SetFont(
            wxFont(caption.points, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
        dc.DrawRotatedText(caption.text,
                           GetParent()->ConvertDialogToPixels(wxPoint(caption.x, caption.y)), 0);
    }
}

void imgPanel::OnEraseBackground(wxEraseEvent& event) {
    if (wxDC* dc = event.GetDC()) {
        PaintBackground(*dc);
        return;
    }
    wxClientDC dc(this);
    PaintBackground(dc);
}

void imgPanel::HandleMouse(wxMouseEvent& event) {
    if (m_onMouse)
        m_onMouse(event);
    else
        event.Skip();
}
