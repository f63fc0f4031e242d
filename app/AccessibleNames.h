#pragma once
// Names for assistive technologies (screen readers) where a control's visible text is not
// its own: the main window's check boxes, whose captions are painted on the panel beside
// them, and controls drawn by the program. Set through the toolkit's accessibility layer
// (ATK under GTK), so nothing on the screen changes. GUI thread only.

#include <wx/string.h>

class wxWindow;

namespace app {

/// Gives `window` the accessible name (and description) `name`.
void SetAccessibleName(wxWindow& window, const wxString& name);
/// The accessible name `window` has now ("" where the toolkit keeps none).
wxString AccessibleName(wxWindow& window);

}  // namespace app
