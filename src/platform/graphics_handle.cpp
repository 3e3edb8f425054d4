#include "platform/graphics_handle.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace plat {

void deleteGraphicsObject(void* handle) {
#ifdef _WIN32
    if (handle)
        DeleteObject(static_cast<HGDIOBJ>(handle));
#else
    (void)handle;
#endif
}

} // namespace plat
