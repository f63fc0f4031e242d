#include "app/CompactStyle.h"

#include <wx/window.h>

#ifdef __WXGTK3__
#include <gtk/gtk.h>

namespace {

constexpr const char* kClass = "velvane-compact";

// Small vertical padding and no minimum heights; the fonts stay the theme's.
constexpr const char* kStyleSheet = R"css(
entry.velvane-compact { min-height: 0; padding-top: 0; padding-bottom: 0; }
button.velvane-compact { min-height: 0; padding: 0 4px; }
combobox.velvane-compact button { min-height: 0; padding: 0 1px 0 3px; font-size: 8pt; }
combobox.velvane-compact arrow { min-height: 0; min-width: 10px; }
progressbar.velvane-compact trough, progressbar.velvane-compact progress { min-height: 0; }
)css";

void InstallStyleSheetOnce() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kStyleSheet, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

}  // namespace

void app::UseCompactStyle(wxWindow* control) {
    InstallStyleSheetOnce();
    auto* widget = static_cast<GtkWidget*>(control->GetHandle());
    if (widget) gtk_style_context_add_class(gtk_widget_get_style_context(widget), kClass);
}

#else

void app::UseCompactStyle(wxWindow*) {}

#endif
