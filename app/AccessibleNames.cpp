#include "app/AccessibleNames.h"

#include <wx/window.h>

#ifdef __WXGTK3__
#include <gtk/gtk.h>

namespace {

AtkObject* AccessibleOf(wxWindow& window) {
    auto* widget = static_cast<GtkWidget*>(window.GetHandle());
    return widget ? gtk_widget_get_accessible(widget) : nullptr;
}

}  // namespace

void app::SetAccessibleName(wxWindow& window, const wxString& name) {
    if (AtkObject* accessible = AccessibleOf(window)) {
        atk_object_set_name(accessible, name.utf8_str());
        atk_object_set_description(accessible, name.utf8_str());
    }
}

wxString app::AccessibleName(wxWindow& window) {
    AtkObject* accessible = AccessibleOf(window);
    const char* name = accessible ? atk_object_get_name(accessible) : nullptr;
    return name ? wxString::FromUTF8(name) : wxString();
}

#else

void app::SetAccessibleName(wxWindow&, const wxString&) {}
wxString app::AccessibleName(wxWindow&) {
    return {};
}

#endif
