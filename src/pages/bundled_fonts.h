// The fonts that come with the program, for systems that lack the faces its pages are drawn in.
#pragma once

namespace saxolith
{

// Adds every font file in the "fonts" folder beside the program (the Windows package carries the book's
// and the report's faces there); nothing where there is no such folder, as on Linux, where the system has
// them. Needs the application object.
void loadBundledFonts();

} // namespace saxolith
