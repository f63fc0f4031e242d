#include "app/ImageFile.h"

#include <wx/log.h>
#include <wx/mstream.h>

#include <fstream>
#include <iterator>
#include <vector>

wxImage app::LoadImageFile(const std::string& path, wxBitmapType type) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return wxImage();
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    if (bytes.empty()) return wxImage();
    wxLogNull quiet;  // a damaged picture is simply not shown
    wxMemoryInputStream stream(bytes.data(), bytes.size());
    wxImage image;
    if (!image.LoadFile(stream, type)) return wxImage();
    return image;
}
