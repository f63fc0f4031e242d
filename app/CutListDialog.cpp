#include "app/CutListDialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/FrameJobs.h"
#include "app/FrameSides.h"
#include "app/WxText.h"
#include "model/TypedTimes.h"
#include "waveview/CutListRows.h"

namespace {

constexpr int kGap = 6;
const wxSize kListSize(330, 200);

}  // namespace

CutListDialog::CutListDialog(wxWindow* parent, FrameSides& sides, const FrameJobs& jobs,
                             Playhead& playhead)
    : wxDialog(parent, wxID_ANY, "Cut list", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER, "cutList"),
      m_sides(sides),
      m_jobs(jobs),
      m_playhead(playhead) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* sideRow = new wxBoxSizer(wxHORIZONTAL);
    sideRow->Add(new wxStaticText(this, wxID_ANY, "&Side:"), 0, wxALIGN_CENTER_VERTICAL);
    const wxString sideNames[] = {"Side 1", "Side 2"};
    m_side = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 2, sideNames);
    m_side->SetSelection(0);
    sideRow->Add(m_side, 0, wxLEFT, kGap);
    top->Add(sideRow, 0, wxALL, kGap);

    m_list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, kListSize,
                            wxLC_REPORT | wxLC_SINGLE_SEL, wxDefaultValidator, "cuts");
    m_list->AppendColumn("Cut");
    m_list->AppendColumn("At", wxLIST_FORMAT_RIGHT);
    m_list->AppendColumn("Song before it", wxLIST_FORMAT_RIGHT);
    m_list->SetColumnWidth(0, 80);
    m_list->SetColumnWidth(1, 100);
    m_list->SetColumnWidth(2, 120);
    top->Add(m_list, 1, wxEXPAND | wxLEFT | wxRIGHT, kGap);

    auto* editRow = new wxBoxSizer(wxHORIZONTAL);
    editRow->Add(new wxStaticText(this, wxID_ANY, "&Time:"), 0, wxALIGN_CENTER_VERTICAL);
    m_time = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                            wxTE_PROCESS_ENTER, wxDefaultValidator, "time");
    m_time->SetHint("m:ss.d");
    m_time->SetToolTip(wxString::FromUTF8(std::string(kTypedTimeForms)));
    editRow->Add(m_time, 1, wxLEFT | wxALIGN_CENTER_VERTICAL, kGap);
    m_add = new wxButton(this, wxID_ADD, "&Add");
    m_change = new wxButton(this, wxID_ANY, "C&hange");
    m_remove = new wxButton(this, wxID_REMOVE, "&Remove");
    for (wxButton* button : {m_add, m_change, m_remove}) editRow->Add(button, 0, wxLEFT, kGap);
    top->Add(editRow, 0, wxEXPAND | wxALL, kGap);
    m_message = new wxStaticText(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                                 wxST_NO_AUTORESIZE, "message");
    top->Add(m_message, 0, wxEXPAND | wxLEFT | wxRIGHT, kGap);
    top->Add(CreateButtonSizer(wxCLOSE), 0, wxEXPAND | wxALL, kGap);
    SetSizerAndFit(top);
    SetEscapeId(wxID_CLOSE);

    m_side->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { Reload(); });
    m_list->Bind(wxEVT_LIST_ITEM_SELECTED, &CutListDialog::OnChosen, this);
    m_list->Bind(wxEVT_LIST_KEY_DOWN, [this](wxListEvent& event) {
        if (event.GetKeyCode() == WXK_DELETE)
            RemoveChosen();
        else
            event.Skip();
    });
    m_time->Bind(wxEVT_TEXT_ENTER, &CutListDialog::OnTimeEnter, this);
    m_add->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { AddTyped(); });
    m_change->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ChangeChosen(); });
    m_remove->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { RemoveChosen(); });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); }, wxID_CLOSE);
    Reload();
}

Side CutListDialog::CurrentSide() const {
    return model::SideOfIndex(static_cast<std::size_t>(std::max(0, m_side->GetSelection())));
}

int CutListDialog::ChosenCut() const {
    const long row = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (row < 0) return -1;
    return static_cast<int>(m_list->GetItemData(row));
}

void CutListDialog::ShowSide(Side side) {
    m_side->SetSelection(static_cast<int>(model::Index(side)));
    Reload();
}

void CutListDialog::Reload() {
    const int chosen = ChosenCut();
    m_reloading = true;
    m_list->DeleteAllItems();
    long index = 0;
    for (const CutRow& row : waveview::CutRows(m_sides.At(CurrentSide()))) {
        m_list->InsertItem(index, app::FromUtf8(row.name));
        m_list->SetItem(index, 1, app::FromUtf8(row.at));
        m_list->SetItem(index, 2, app::FromUtf8(row.length));
        m_list->SetItemData(index, row.cutIndex);
        if (chosen >= 0 && row.cutIndex == chosen)
            m_list->SetItemState(index, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                 wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        ++index;
    }
    m_reloading = false;
}

void CutListDialog::OnChosen(wxListEvent& event) {
    if (m_reloading) return;
    const SideState& side = m_sides.At(CurrentSide());
    const int cut = static_cast<int>(event.GetData());
    const std::int64_t tenths = cut >= 0 ? side.cuts[cut] : side.levelCount;
    m_time->ChangeValue(app::FromUtf8(model::FormatTenths(tenths)));
    m_message->SetLabel("");
    // The waveform follows: the chosen cut becomes the playhead.
    if (cut >= 0) m_playhead.Set({CurrentSide(), tenths / 10.0}, Playhead::Cause::User);
}

void CutListDialog::OnTimeEnter(wxCommandEvent&) {
    if (ChosenCut() >= 0)
        ChangeChosen();
    else
        AddTyped();
}

void CutListDialog::Edit(const std::function<std::string()>& edit) {
    if (m_jobs.Running()) {
        m_message->SetLabel("Please wait until the running job has ended.");
        return;
    }
    std::string refused;
    {
        const CutEdit step(m_sides);
        refused = edit();
    }
    m_message->SetLabel(app::FromUtf8(refused));
}

void CutListDialog::AddTyped() {
    Edit([this] {
        const TypedTime time = model::ReadTypedTime(app::ToUtf8(m_time->GetValue()));
        if (time.kind != TypedTimeKind::Time)
            return model::NotATimeText(app::ToUtf8(m_time->GetValue()));
        SideState& side = m_sides.At(CurrentSide());
        return waveview::CutListEditText(waveview::AddCutAt(side, time.tenths), side);
    });
}

void CutListDialog::ChangeChosen() {
    Edit([this] {
        const TypedTime time = model::ReadTypedTime(app::ToUtf8(m_time->GetValue()));
        if (time.kind != TypedTimeKind::Time)
            return model::NotATimeText(app::ToUtf8(m_time->GetValue()));
        SideState& side = m_sides.At(CurrentSide());
        return waveview::CutListEditText(waveview::MoveCutTo(side, ChosenCut(), time.tenths), side);
    });
}

void CutListDialog::RemoveChosen() {
    Edit([this] {
        SideState& side = m_sides.At(CurrentSide());
        return waveview::RemoveCutAt(side, ChosenCut())
                   ? std::string()
                   : waveview::CutListEditText(CutListEdit::NoSuchCut, side);
    });
}
