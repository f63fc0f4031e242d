#include "app/FrameAlbum.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <vector>

#include "album/CutListFile.h"
#include "app/FrameControls.h"
#include "app/FrameJobs.h"
#include "app/FrameSides.h"
#include "app/LastPath.h"
#include "app/Prompter.h"
#include "app/TrackTitlesDialog.h"
#include "app/WxText.h"
#include "model/CutMethod.h"
#include "model/TypedTimes.h"
#include "platform/Paths.h"
#include "slice/SliceWriter.h"
#include "waveview/MyCanvas.h"

namespace {

constexpr int kFileMenuPosition = 3;  // after "About...", "Open...", "Save..."
constexpr std::uint32_t kTenthsPerSecond = 10;
constexpr const char* kImportCaption = "Import cut list";
constexpr const char* kExportCaption = "Export cut list";

wxString Stem(const std::string& path) {
    std::string name = path.substr(path.find_last_of(platform::kPathSeparator) + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return app::FromUtf8(name);
}

// "Which side?": the buttons "Side 1" (wxID_YES), "Side 2" (wxID_NO) and "Cancel", in
// reading order; from the keyboard the keys 1 and 2 answer, Escape cancels, and Tab with
// Enter (or the space bar) reach every button.
class SideQuestion : public wxDialog {
  public:
    SideQuestion(wxWindow* parent, const wxString& question)
        : wxDialog(parent, wxID_ANY, "Which side?") {
        auto* top = new wxBoxSizer(wxVERTICAL);
        top->Add(new wxStaticText(this, wxID_ANY, question), 0, wxALL, 12);
        auto* buttons = new wxBoxSizer(wxHORIZONTAL);
        for (const auto& [id, label] : {std::pair<int, const char*>{wxID_YES, "Side 1"},
                                        {wxID_NO, "Side 2"},
                                        {wxID_CANCEL, "Cancel"}}) {
            auto* button = new wxButton(this, id, label);
            button->Bind(wxEVT_BUTTON, [this, id = id](wxCommandEvent&) { EndModal(id); });
            buttons->Add(button, 0, wxLEFT, 6);
        }
        top->Add(buttons, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 12);
        SetSizerAndFit(top);
        SetEscapeId(wxID_CANCEL);
        Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
            if (event.GetKeyCode() == '1')
                EndModal(wxID_YES);
            else if (event.GetKeyCode() == '2')
                EndModal(wxID_NO);
            else
                event.Skip();
        });
        CentreOnParent();
    }
};

}  // namespace

FrameAlbum::FrameAlbum(wxFrame& frame, wxMenu& fileMenu, const FrameControls& controls,
                       FrameSides& sides, const LastPath& lastPath, const FrameJobs& jobs,
                       Prompter& prompts, AlbumInfo& album)
    : frame_(frame),
      controls_(controls),
      sides_(sides),
      lastPath_(lastPath),
      jobs_(jobs),
      prompts_(prompts),
      album_(album) {
    int at = kFileMenuPosition;
    fileMenu.Insert(at++, kIdTrackTitles, "Track titles...\tCtrl+T", "Album and track titles");
    fileMenu.Insert(at++, kIdExportCutList, "Export cut list...\tCtrl+E",
                    "Save a side's cuts and titles as a CUE sheet or label file");
    fileMenu.Insert(at, kIdImportCutList, "Import cut list...\tCtrl+I",
                    "Set a side's cuts and titles from a CUE sheet or label file");
    frame.Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { EditTrackTitles(); }, kIdTrackTitles);
    frame.Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { ExportCutList(); }, kIdExportCutList);
    frame.Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { ImportCutList(); }, kIdImportCutList);
}

std::array<bool, 2> FrameAlbum::PresentSides() const {
    return {!controls_.i_textCtrl1->GetValue().empty(), !controls_.i_textCtrl2->GetValue().empty()};
}

std::string FrameAlbum::SidePath(Side side) const {
    return app::ToUtf8(controls_.SidePathField(side)->GetValue());
}

int FrameAlbum::SliceCount(Side side) const {
    const SideState& state = sides_.At(side);
    if (state.levelCount == 0) return 0;
    // The cuts as tenths on a "side" of levelCount tenths: the slices the markers give, of
    // as many cuts as the chosen method lets count (every one for Smart Sense).
    const CutMethod method = model::CutMethodOf(controls_.m_cutsHow->GetSelection());
    return static_cast<int>(slice::SliceBoundaries(state.cuts, kTenthsPerSecond, state.levelCount,
                                                   model::CutsConsidered(method))
                                .size() +
                            1);
}

void FrameAlbum::Tell(const wxString& text, const wxString& caption, long icon) {
    prompts_.Message(&frame_, text, caption, wxOK | icon);
}

std::optional<Side> FrameAlbum::ChooseSide(const wxString& question) {
    SideQuestion dialog(&frame_, question);
    const int answer = prompts_.RunModal(dialog);
    if (answer == wxID_YES) return Side::One;
    if (answer == wxID_NO) return Side::Two;
    return std::nullopt;
}

void FrameAlbum::EditTrackTitles() {
    TrackTitlesDialog dialog(&frame_, album_, {SliceCount(Side::One), SliceCount(Side::Two)});
    if (prompts_.RunModal(dialog) == wxID_OK) album_ = dialog.Album();
}

void FrameAlbum::ExportCutList() {
    const std::array<bool, 2> present = PresentSides();
    if (!present[0] && !present[1]) {
        Tell("A cut list belongs to a side's recording: please record or locate a side first.",
             kExportCaption, wxICON_INFORMATION);
        return;
    }
    const std::optional<Side> chosen =
        present[0] && present[1] ? ChooseSide("Export the cuts and titles of which side?")
                                 : std::optional<Side>(present[0] ? Side::One : Side::Two);
    if (!chosen) return;
    const Side side = *chosen;
    const std::string sidePath = SidePath(side);

    FileRequest request;
    request.message = kExportCaption;
    request.defaultDir = app::FromUtf8(platform::SplitDirectory(sidePath));
    request.defaultFile = Stem(sidePath) + ".cue";
    request.wildcard = "CUE sheet (*.cue)|*.cue|Audacity labels (*.txt)|*.txt";
    request.save = true;
    std::string path = app::ToUtf8(prompts_.ChooseFile(&frame_, request));
    if (path.empty()) return;
    // The file type chosen decides the format, and the name's extension follows it.
    const CutListFormat format =
        request.filterIndex == 1 ? CutListFormat::Labels : CutListFormat::Cue;
    path = album::WithCutListExtension(path, format);
    if (!app::MayReplace(prompts_, &frame_, app::FromUtf8(path))) return;

    const std::optional<SideLength> length = album::ReadSideLength(sidePath);
    if (!length) {
        Tell(app::FromUtf8("The recording \"" + sidePath + "\" cannot be read."),
             "Couldn't export!", wxICON_WARNING);
        return;
    }
    // The cuts the marker job would use: the typed times with "Typed Times (Below)".
    std::vector<std::int32_t> cuts;
    if (model::CutMethodOf(controls_.m_cutsHow->GetSelection()) == CutMethod::TypedTimes) {
        std::vector<std::string> fields;
        for (int n = 0; n < kTypedTimesPerSide; ++n)
            fields.push_back(app::ToUtf8(
                controls_.c_textCtrlTime[model::Index(side) * kTypedTimesPerSide + n]->GetValue()));
        if (const std::string bad = model::UnreadableTypedTimes(side, fields); !bad.empty()) {
            Tell(app::FromUtf8(bad), "Typed times", wxICON_WARNING);
            return;
        }
        for (const std::string& field : fields) cuts.push_back(model::ParseTypedTime(field));
    } else {
        const SideState& state = sides_.At(side);
        const auto inUse = std::min<std::size_t>(state.cutCount, state.cuts.size());
        cuts.assign(state.cuts.begin(), state.cuts.begin() + static_cast<std::ptrdiff_t>(inUse));
    }
    CutListData list = album::AlbumCutList(album_);
    list.sides.push_back(album::MakeCutListSide(album::RecordingNameFor(sidePath, path), cuts,
                                                album_.sides[model::Index(side)], length->frames,
                                                length->sampleRate));
    const std::string sidePaths[] = {SidePath(Side::One), SidePath(Side::Two)};
    if (const std::string error = album::WriteCutListFile(path, list, format, sidePaths);
        !error.empty()) {
        Tell(app::FromUtf8(error), "Couldn't export!", wxICON_WARNING);
        return;
    }
    frame_.SetStatusText(
        app::FromUtf8("Cut list of side " + model::NumberText(side) + " saved as " + path));
    if (const std::string leftOut = album::TracksLeftOut(list, format); !leftOut.empty())
        Tell(app::FromUtf8(leftOut), kExportCaption, wxICON_INFORMATION);
}

void FrameAlbum::ImportCutList() {
    if (jobs_.Running()) {
        Tell("Please wait until the running job has ended.", kImportCaption, wxICON_INFORMATION);
        return;
    }
    if (!sides_.WavesDrawn()) {
        Tell(
            "Please click on \"Draw waveforms\" first: a cut list's tracks become the markers "
            "of the waveforms, and drawing them later would replace the markers.",
            kImportCaption, wxICON_INFORMATION);
        return;
    }
    FileRequest request;
    request.message = kImportCaption;
    request.defaultDir = lastPath_.Folder();
    request.wildcard = "Cut lists (*.cue;*.txt)|*.cue;*.txt|All Files (*)|*";
    const std::string path = app::ToUtf8(prompts_.ChooseFile(&frame_, request));
    if (path.empty()) return;

    const CutListResult read = album::ReadCutListFile(path, album::CutListFormatOf(path));
    if (!read.error.empty()) {
        Tell(app::FromUtf8("The cut list cannot be read:\n" + read.error), "Couldn't import!",
             wxICON_WARNING);
        return;
    }
    const std::array<std::string, 2> paths = {SidePath(Side::One), SidePath(Side::Two)};
    std::vector<std::optional<Side>> match = album::MatchCutListSides(read.list, paths, {});
    std::vector<Side> order;
    for (const Side s : kSides)
        if (!paths[model::Index(s)].empty() &&
            std::find(match.begin(), match.end(), s) == match.end())
            order.push_back(s);
    const auto unmatched = std::count(match.begin(), match.end(), std::nullopt);
    if (unmatched == 1 && order.size() == 2) {
        const std::optional<Side> side =
            ChooseSide("Which side do the cuts of this list belong to?");
        if (!side) return;
        order = {*side};
    }
    if (unmatched > 0) match = album::MatchCutListSides(read.list, paths, order);

    // Every side is placed before any changes: a refused side leaves both as they were.
    std::vector<std::pair<Side, PlacedSide>> placed;
    std::string notices;
    for (std::size_t b = 0; b < match.size(); ++b) {
        if (!match[b]) continue;
        const Side side = *match[b];
        const std::optional<SideLength> length = album::ReadSideLength(paths[model::Index(side)]);
        if (!length) {
            Tell(app::FromUtf8("The recording \"" + paths[model::Index(side)] +
                               "\" cannot be read."),
                 "Couldn't import!", wxICON_WARNING);
            return;
        }
        PlacedSide one =
            album::PlaceCutListSide(read.list.sides[b], length->frames, length->sampleRate);
        if (!one.error.empty()) {
            Tell(app::FromUtf8(one.error + " Nothing was imported."), "Couldn't import!",
                 wxICON_WARNING);
            return;
        }
        const std::string notice = album::PlacementNotice(
            side, one,
            model::CutsConsidered(model::CutMethodOf(controls_.m_cutsHow->GetSelection())));
        if (!notice.empty()) notices += (notices.empty() ? "" : "\n") + notice;
        placed.emplace_back(side, std::move(one));
    }
    if (placed.empty()) {
        Tell("The cut list belongs to no side that is located now.", "Couldn't import!",
             wxICON_WARNING);
        return;
    }
    {
        const CutEdit edit(sides_);  // the list's cuts replace the markers: an undo step
        for (auto& [side, one] : placed) {
            SideState& state = sides_.At(side);
            state.cuts.fill(0);
            std::copy(one.cuts.begin(), one.cuts.end(), state.cuts.begin());
            state.cutCount = static_cast<std::uint32_t>(one.cuts.size());
            album_.sides[model::Index(side)] = album::MergeImportedTracks(
                album_.sides[model::Index(side)], one.tracks, album::CutListFormatOf(path));
        }
    }
    album::TakeAlbumFields(read.list, album_);
    controls_.m_canvas->Refresh(true);
    frame_.SetStatusText(app::FromUtf8("Cut list imported from " + path));
    if (!notices.empty()) Tell(app::FromUtf8(notices), kImportCaption, wxICON_INFORMATION);
}
