#include "WindowPixels.h"

// After the framework: the X headers define names such as None and Status as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

juce::Image windowPixels (juce::Component& window)
{
    juce::Image image (juce::Image::RGB, window.getWidth(), window.getHeight(), true);
    auto* display = XOpenDisplay (nullptr);
    if (display == nullptr)
        return image;

    const auto handle = (::Window) (juce::pointer_sized_uint) window.getWindowHandle();
    if (auto* shown = XGetImage (display, handle, 0, 0, (unsigned) image.getWidth(), (unsigned) image.getHeight(),
                                 AllPlanes, ZPixmap))
    {
        for (int y = 0; y < image.getHeight(); ++y)
        {
            for (int x = 0; x < image.getWidth(); ++x)
            {
                const auto pixel = XGetPixel (shown, x, y);
                image.setPixelAt (x, y, juce::Colour ((juce::uint8) (pixel >> 16), (juce::uint8) (pixel >> 8),
                                                      (juce::uint8) pixel));
            }
        }
        XDestroyImage (shown);
    }

    XCloseDisplay (display);
    return image;
}
