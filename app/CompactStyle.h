#pragma once
// GTK 3's default theme wants about 34 pixels of height for an entry, a choice or a
// button; the main window's layout gives them 21 to 28. This style sheet lets the
// window's controls shrink to their boxes without clipping their text. Elsewhere a no-op.
// GUI thread only.

class wxWindow;

namespace app {

/// Gives `control` the compact style (installing the style sheet on first use).
void UseCompactStyle(wxWindow* control);

}  // namespace app
