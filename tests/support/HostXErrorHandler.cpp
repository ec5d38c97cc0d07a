// Hosts install an X error handler; a plug-in's windowing code relies on it to survive
// requests that a bare X server without a window manager rejects. The tests are the
// host here, so they install one too, before any window exists.
#include <X11/Xlib.h>

namespace
{
int ignoreError (Display*, XErrorEvent*)
{
    return 0;
}

const auto installed = XSetErrorHandler (ignoreError);
}
