#pragma once

namespace pelmora {

// Registers the bundled Song-style font and makes it the face behind "宋体", the only family
// the form names, and the form's default font the application's. Call once, after the application
// object exists and before any widget does. Characters the bundled subset lacks (text a user
// pastes) still fall back to system fonts.
void installFonts();

} // namespace pelmora
