// GDI objects (bitmaps, palettes) as the portable core sees them: opaque
// handles that only the Windows shell creates.
#pragma once

namespace plat {

// DeleteObject on Windows; nothing elsewhere, where no such object exists.
void deleteGraphicsObject(void* handle);

} // namespace plat
