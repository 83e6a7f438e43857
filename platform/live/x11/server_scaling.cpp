// server_scaling.cpp: the picture of a scaled full-screen window, scaled by the X server.
#include "platform/live/x11/server_scaling_local.h"
#include "platform/live/scaled_picture_local.h"

#include "platform/gl.h"
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrender.h>

#include <cstdlib>
#include <cstring>

namespace {

// Errors of the requests made while opening are caught here, so that a server that
// refuses one ends in the GL path instead of in Xlib's handler, which exits.
int openErrors = 0;
int CountError(Display*, XErrorEvent*) {
    ++openErrors;
    return 0;
}

bool SoftwareRenderer() {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!renderer) return false;
    for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

bool Wanted() {
    const char* setting = std::getenv("KELVO_SERVER_SCALING");
    if (setting && *setting) return std::strcmp(setting, "0") != 0;
    return SoftwareRenderer();
}

// RENDER 0.10 brought the padding repeat that keeps the picture's edges from fading into
// black; filters and transforms are older.
bool RenderUsable(Display* display) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    return XRenderQueryExtension(display, &eventBase, &errorBase) &&
           XRenderQueryVersion(display, &major, &minor) && (major > 0 || minor >= 10);
}

// The picture goes to the server as 32-bit pixels with blue in the low byte, which is
// what a 24-bit visual with these masks takes. GLX may give the window a DirectColor
// visual; its pixels are laid out the same, and GL's own presentation writes the same values.
bool VisualTakesPixels(const XWindowAttributes& attributes) {
    const Visual* visual = attributes.visual;
    return attributes.depth == 24 && visual &&
           (visual->c_class == TrueColor || visual->c_class == DirectColor) &&
           visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 &&
           visual->blue_mask == 0xff;
}

}  // namespace

namespace live {

void ServerScalerDeleter::operator()(ServerScaler* scaler) const { delete scaler; }

ServerScalerPointer MakeServerScaler(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    return ServerScalerPointer(new ServerScaler);
}

ServerScaler::~ServerScaler() { Close(); }

bool ServerScaler::Present(SDL_Window* window, int pictureWidth, int pictureHeight,
                           const SDL_Rect& fit, int targetWidth, int targetHeight) {
    if (state_ == State::kUntried)
        state_ = Open(window, pictureWidth, pictureHeight) ? State::kOpen : State::kUnavailable;
    if (state_ != State::kOpen || pictureWidth != pictureWidth_ || pictureHeight != pictureHeight_)
        return false;
    Display* display = static_cast<Display*>(display_);

    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
    glReadPixels(0, 0, pictureWidth_, pictureHeight_, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
                 readBack_.data());
    glPopClientAttrib();
    ExpandRgb565(readBack_.data(), pixels_.data(), pixels_.size());

    // The server has finished the previous picture before this one goes out, so that at
    // most one frame waits in the connection.
    XSync(display, False);
    XPutImage(display, pixmap_, static_cast<GC>(gc_), static_cast<XImage*>(image_), 0, 0, 0, 0,
              pictureWidth_, pictureHeight_);
    if (!SDL_RectEquals(&fit, &transformFit_)) SetTransform(fit);
    const XRenderColor black = {0, 0, 0, 0xffff};
    for (const SDL_Rect& bar : BarsAround(fit, targetWidth, targetHeight))
        XRenderFillRectangle(display, PictOpSrc, target_, &black, bar.x, bar.y, bar.w, bar.h);
    XRenderComposite(display, PictOpSrc, source_, None, target_, 0, 0, 0, 0, fit.x, fit.y, fit.w,
                     fit.h);
    XFlush(display);
    return true;
}

bool ServerScaler::Open(SDL_Window* window, int pictureWidth, int pictureHeight) {
    if (!Wanted() || pictureWidth <= 0 || pictureHeight <= 0) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    Display* display = info.info.x11.display;
    ::Window xwindow = info.info.x11.window;
    XWindowAttributes attributes;
    if (!RenderUsable(display) || !XGetWindowAttributes(display, xwindow, &attributes) ||
        !VisualTakesPixels(attributes))
        return false;
    XRenderPictFormat* format = XRenderFindVisualFormat(display, attributes.visual);
    if (!format) return false;

    readBack_.assign(static_cast<std::size_t>(pictureWidth) * pictureHeight, 0);
    pixels_.assign(readBack_.size(), 0);
    XImage* image = XCreateImage(display, attributes.visual, 24, ZPixmap, 0,
                                 reinterpret_cast<char*>(pixels_.data()), pictureWidth,
                                 pictureHeight, 32, pictureWidth * 4);
    if (!image) return false;
    // 32 bits a pixel in the machine's byte order, whatever the server's own pixmap layout
    // and byte order are; Xlib converts where they differ.
    image->bits_per_pixel = 32;
    image->byte_order = SDL_BYTEORDER == SDL_LIL_ENDIAN ? LSBFirst : MSBFirst;
    if (!XInitImage(image)) {
        image->data = nullptr;
        XDestroyImage(image);
        return false;
    }

    XSync(display, False);
    openErrors = 0;
    XErrorHandler previous = XSetErrorHandler(CountError);
    display_ = display;
    image_ = image;
    pictureWidth_ = pictureWidth;
    pictureHeight_ = pictureHeight;
    pixmap_ = XCreatePixmap(display, xwindow, pictureWidth, pictureHeight, 24);
    gc_ = XCreateGC(display, pixmap_, 0, nullptr);
    XRenderPictureAttributes padded = {};
    padded.repeat = RepeatPad;
    source_ = XRenderCreatePicture(display, pixmap_, format, CPRepeat, &padded);
    XRenderSetPictureFilter(display, source_, FilterBilinear, nullptr, 0);
    target_ = XRenderCreatePicture(display, xwindow, format, 0, nullptr);
    XSync(display, False);
    bool opened = openErrors == 0;
    if (!opened) {
        Close();  // freeing what was refused is refused too, and counted
        XSync(display, False);
    }
    XSetErrorHandler(previous);
    return opened;
}

// The transform takes each point of the target rectangle, relative to its corner, to the
// point of the picture it shows: scaled, and upside down, since GL's rows run bottom up.
void ServerScaler::SetTransform(const SDL_Rect& fit) {
    double scaleX = static_cast<double>(pictureWidth_) / fit.w;
    double scaleY = static_cast<double>(pictureHeight_) / fit.h;
    XTransform transform = {{{XDoubleToFixed(scaleX), 0, 0},
                             {0, XDoubleToFixed(-scaleY), XDoubleToFixed(pictureHeight_)},
                             {0, 0, XDoubleToFixed(1.0)}}};
    XRenderSetPictureTransform(static_cast<Display*>(display_), source_, &transform);
    transformFit_ = fit;
}

void ServerScaler::Close() {
    Display* display = static_cast<Display*>(display_);
    if (display) {
        if (target_) XRenderFreePicture(display, target_);
        if (source_) XRenderFreePicture(display, source_);
        if (gc_) XFreeGC(display, static_cast<GC>(gc_));
        if (pixmap_) XFreePixmap(display, pixmap_);
        XFlush(display);
    }
    if (image_) {
        XImage* image = static_cast<XImage*>(image_);
        image->data = nullptr;  // the pixels belong to pixels_
        XDestroyImage(image);
    }
    display_ = nullptr;
    image_ = nullptr;
    gc_ = nullptr;
    pixmap_ = source_ = target_ = 0;
    readBack_.clear();
    pixels_.clear();
    transformFit_ = {0, 0, 0, 0};
    if (state_ == State::kOpen) state_ = State::kUnavailable;
}

}  // namespace live
