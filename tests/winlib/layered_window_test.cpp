// LayeredWindowApi and LayeredWindow: the run-time bound calls reach a real layered window.
#include <gtest/gtest.h>

#include <new>

#include "window.h"
#include "wrapper_fixtures.h"

namespace {

// Reaches the bound entry points, and puts them back as they were however the test ends.
struct BoundEntryPoints : LayeredWindowApi {
    using LayeredWindowApi::setAttributes;
    using LayeredWindowApi::update;
};

class EntryPointsRestored {
public:
    EntryPointsRestored()
        : setAttributes(BoundEntryPoints::setAttributes), update(BoundEntryPoints::update) {}
    ~EntryPointsRestored() {
        BoundEntryPoints::setAttributes = setAttributes;
        BoundEntryPoints::update = update;
    }

private:
    SetLayeredWindowAttributesProc setAttributes;
    UpdateLayeredWindowProc update;
};

struct Attributes {
    COLORREF key;
    BYTE alpha;
    DWORD flags;
};

Attributes AttributesOf(HWND window) {
    Attributes attributes = {0xDEAD, 0, 0xDEAD};
    GetLayeredWindowAttributes(window, &attributes.key, &attributes.alpha, &attributes.flags);
    return attributes;
}

// A 32-bit image to give UpdateLayeredWindow, with its memory device context.
class Image {
public:
    Image(int width, int height) : dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous = SelectObject(dc, bitmap);
    }
    ~Image() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    HDC dc;

private:
    HBITMAP bitmap;
    HGDIOBJ previous;
};

const DWORD kLayeredPopup = WS_POPUP;

}  // namespace

TEST(LayeredWindowApi, BothEntryPointsAreBoundOnThisPlatform) {
    EXPECT_EQ(1, LayeredWindowApi::IsAvailable());
    EXPECT_NE(nullptr, BoundEntryPoints::setAttributes);
    EXPECT_NE(nullptr, BoundEntryPoints::update);
}

TEST(LayeredWindowApi, AttributesReachTheWindowUnchanged) {
    TestWindow window(kLayeredPopup, nullptr, TestWindow::Standard, WS_EX_LAYERED);
    LayeredWindow wrapper(window.Handle());
    EXPECT_NE(0, wrapper.SetLayeredWindowAttributes(RGB(1, 2, 3), 77, LWA_ALPHA | LWA_COLORKEY));
    Attributes set = AttributesOf(window.Handle());
    EXPECT_EQ(RGB(1, 2, 3), set.key);
    EXPECT_EQ(77, set.alpha);
    EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA | LWA_COLORKEY), set.flags);

    EXPECT_NE(0, LayeredWindowApi::SetLayeredWindowAttributes(window.Handle(), 0, 200, LWA_ALPHA));
    EXPECT_EQ(200, AttributesOf(window.Handle()).alpha);

    // The platform's refusal comes back as it is.
    TestWindow plain(kLayeredPopup);
    EXPECT_EQ(0, LayeredWindow(plain.Handle()).SetLayeredWindowAttributes(0, 10, LWA_ALPHA));
}

TEST(LayeredWindowApi, UpdatePlacesTheWindowWhereAndAsLargeAsAsked) {
    TestWindow window(kLayeredPopup, nullptr, TestWindow::Standard, WS_EX_LAYERED);
    LayeredWindow wrapper(window.Handle());
    Image image(40, 30);
    POINT destination = {210, 150};
    SIZE size = {40, 30};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_NE(0, wrapper.UpdateLayeredWindow(nullptr, &destination, &size, image.dc, &source, 0,
                                             &blend, ULW_ALPHA));
    RECT rect;
    GetWindowRect(window.Handle(), &rect);
    EXPECT_EQ(210, rect.left);
    EXPECT_EQ(150, rect.top);
    EXPECT_EQ(250, rect.right);
    EXPECT_EQ(180, rect.bottom);
}

TEST(LayeredWindowApi, MissingEntryPointAnswersZeroAndCallsNothing) {
    EntryPointsRestored restore;
    TestWindow window(kLayeredPopup, nullptr, TestWindow::Standard, WS_EX_LAYERED);
    LayeredWindow wrapper(window.Handle());
    ASSERT_NE(0, wrapper.SetLayeredWindowAttributes(RGB(4, 5, 6), 99, LWA_ALPHA));

    BoundEntryPoints::setAttributes = nullptr;
    EXPECT_EQ(0, wrapper.SetLayeredWindowAttributes(RGB(7, 8, 9), 11, LWA_COLORKEY));
    EXPECT_EQ(0, LayeredWindowApi::SetLayeredWindowAttributes(window.Handle(), 0, 12, LWA_ALPHA));
    Attributes kept = AttributesOf(window.Handle());
    EXPECT_EQ(RGB(4, 5, 6), kept.key);
    EXPECT_EQ(99, kept.alpha);
    EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), kept.flags);

    // Each call looks at its own entry point only.
    TestWindow fresh(kLayeredPopup, nullptr, TestWindow::Standard, WS_EX_LAYERED);
    Image image(20, 10);
    POINT destination = {300, 200};
    SIZE size = {20, 10};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_NE(0, LayeredWindow(fresh.Handle())
                     .UpdateLayeredWindow(nullptr, &destination, &size, image.dc, &source, 0,
                                          &blend, ULW_ALPHA));

    BoundEntryPoints::update = nullptr;
    POINT elsewhere = {5, 6};
    EXPECT_EQ(0, LayeredWindow(fresh.Handle())
                     .UpdateLayeredWindow(nullptr, &elsewhere, &size, image.dc, &source, 0, &blend,
                                          ULW_ALPHA));
    EXPECT_EQ(0, LayeredWindowApi::UpdateLayeredWindow(fresh.Handle(), nullptr, &elsewhere, &size,
                                                       image.dc, &source, 0, &blend, ULW_ALPHA));
    RECT rect;
    GetWindowRect(fresh.Handle(), &rect);
    EXPECT_EQ(300, rect.left) << "the window did not move";
    EXPECT_EQ(1, LayeredWindowApi::IsAvailable()) << "availability is the start-up finding";
}

TEST(LayeredWindowApi, ReleasedBindingIsNoLongerAvailable) {
    LayeredWindowBinding.~LayeredWindowApi();
    EXPECT_EQ(0, LayeredWindowApi::IsAvailable());
    // The entry points stay bound: the program itself keeps the library loaded.
    TestWindow window(kLayeredPopup, nullptr, TestWindow::Standard, WS_EX_LAYERED);
    EXPECT_NE(0, LayeredWindowApi::SetLayeredWindowAttributes(window.Handle(), 0, 50, LWA_ALPHA));
    new (&LayeredWindowBinding) LayeredWindowApi();
    EXPECT_EQ(1, LayeredWindowApi::IsAvailable());
}

TEST(LayeredWindow, AnimateWindowShowsAndHidesThroughThePlatform) {
    TestWindow window(kLayeredPopup);
    LayeredWindow wrapper(window.Handle());
    EXPECT_NE(0, wrapper.AnimateWindow(10, AW_BLEND));
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
    EXPECT_EQ(0, wrapper.AnimateWindow(10, AW_BLEND)) << "already shown";
    EXPECT_NE(0, wrapper.AnimateWindow(10, AW_BLEND | AW_HIDE));
    EXPECT_FALSE(IsWindowVisible(window.Handle()));
}
