// The plug-in's editor in a real X window, opened and closed through the binary interface as a
// host does it: the host makes a window, hands it over with effEditOpen and keeps calling
// effEditIdle, which is when the plug-in paints on Linux. Needs an X server (CI runs the tests
// under Xvfb); without DISPLAY the tests skip.
//
// With KIV_SCREENSHOT_OUT set to a file name, the screenshot of the freshly opened editor
// (default program) is written there as a PNG.

#include "PluginFixture.h"

#if KIV_HAVE_X11

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>

namespace
{
constexpr int editorWidth = 520;
constexpr int editorHeight = 480;

struct Rgb
{
    int r;
    int g;
    int b;
};

// A captured or decoded picture, row by row.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;

    const Rgb& at(int x, int y) const { return pixels[std::size_t(y * width + x)]; }
};

bool loadPng(const char* path, Picture& picture)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path))
        return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr))
        return false;
    picture.width = int(image.width);
    picture.height = int(image.height);
    picture.pixels.resize(std::size_t(picture.width * picture.height));
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    return true;
}

bool savePng(const char* path, const Picture& picture)
{
    std::vector<png_byte> bytes;
    bytes.reserve(picture.pixels.size() * 3);
    for (const auto& p : picture.pixels)
    {
        bytes.push_back(png_byte(p.r));
        bytes.push_back(png_byte(p.g));
        bytes.push_back(png_byte(p.b));
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(picture.width);
    image.height = png_uint_32(picture.height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path, 0, bytes.data(), 0, nullptr) != 0;
}

// Brings an 8-bit channel out of a pixel value by its mask (a 24-bit server has 0xff0000,
// 0xff00 and 0xff).
int channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
        ++shift;
    const unsigned long maxValue = mask >> shift;
    return int(((pixel & mask) >> shift) * 255u / maxValue);
}

std::size_t distinctColours(const Picture& picture)
{
    std::set<int> colours;
    for (const auto& p : picture.pixels)
        colours.insert((p.r << 16) | (p.g << 8) | p.b);
    return colours.size();
}

// Share of pixels that differ from the reference by at most `tolerance` in every channel.
double matchingShare(const Picture& shot, const Picture& reference, int tolerance)
{
    std::size_t matching = 0;
    for (std::size_t i = 0; i < shot.pixels.size(); ++i)
    {
        const auto& a = shot.pixels[i];
        const auto& b = reference.pixels[i];
        if (std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
            std::abs(a.b - b.b) <= tolerance)
            ++matching;
    }
    return double(matching) / double(shot.pixels.size());
}
} // namespace

class EditorWindowTest : public PluginFixture
{
protected:
    void SetUp() override
    {
        const char* displayName = std::getenv("DISPLAY");
        if (displayName == nullptr || *displayName == '\0')
            GTEST_SKIP() << "no X display (run under xvfb-run)";

        // As a real host does before anything else touches Xlib: the plug-in talks to the
        // server from its own message thread too, and in a plug-in the framework leaves the
        // process-wide error handler to the host. Without a window manager the editor's
        // requests for window-manager properties fail harmlessly; Xlib's default handler
        // would end the process for them.
        XInitThreads();
        previousErrorHandler = XSetErrorHandler(ignoreXError);

        PluginFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;

        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "cannot open the X display " << displayName;

        const int screen = DefaultScreen(display);
        window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, editorWidth,
                                     editorHeight, 0, BlackPixel(display, screen),
                                     BlackPixel(display, screen));
        XStoreName(display, window, "KIV-Filter editor test");
        XSelectInput(display, window, ExposureMask | StructureNotifyMask);
        XMapWindow(display, window);
        XSync(display, False);
        waitFor([this] { return isMapped(window); });
    }

    void TearDown() override
    {
        if (host != nullptr)
            host->closeEditor();
        if (display != nullptr)
        {
            if (window != 0)
                XDestroyWindow(display, window);
            XCloseDisplay(display);
        }
        PluginFixture::TearDown();
        if (previousErrorHandler != nullptr)
            XSetErrorHandler(previousErrorHandler);
    }

    static int ignoreXError(Display*, XErrorEvent*) { return 0; }

    // Lets the plug-in run its GUI work and drains our own X queue until `done` holds, for
    // at most a few seconds (a fault shows as a failed check afterwards, not as a hang).
    template <typename Condition> bool waitFor(Condition done)
    {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < giveUp)
        {
            if (host != nullptr && host->isEditorOpen())
                host->idle();
            while (XPending(display) > 0)
            {
                XEvent event;
                XNextEvent(display, &event);
            }
            XSync(display, False);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    bool isMapped(Window w)
    {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display, w, &attributes) != 0 &&
               attributes.map_state == IsViewable;
    }

    std::vector<Window> childWindows()
    {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        std::vector<Window> result;
        if (XQueryTree(display, window, &root, &parent, &children, &count) != 0)
        {
            result.assign(children, children + count);
            if (children != nullptr)
                XFree(children);
        }
        return result;
    }

    Picture capture()
    {
        Picture picture;
        XImage* image =
            XGetImage(display, window, 0, 0, editorWidth, editorHeight, AllPlanes, ZPixmap);
        if (image == nullptr)
            return picture;
        picture.width = editorWidth;
        picture.height = editorHeight;
        picture.pixels.reserve(std::size_t(editorWidth * editorHeight));
        for (int y = 0; y < editorHeight; ++y)
            for (int x = 0; x < editorWidth; ++x)
            {
                const unsigned long p = XGetPixel(image, x, y);
                picture.pixels.push_back({channel(p, image->red_mask),
                                          channel(p, image->green_mask),
                                          channel(p, image->blue_mask)});
            }
        XDestroyImage(image);
        return picture;
    }

    // Opens the editor into our window and waits until it shows the panel artwork.
    Picture openAndCapture()
    {
        Picture shot;
        EXPECT_TRUE(host->openEditor(reinterpret_cast<void*>(window)));
        const bool painted = waitFor(
            [&]
            {
                const auto children = childWindows();
                if (children.empty() || !isMapped(children.front()))
                    return false;
                shot = capture();
                return distinctColours(shot) > 200;
            });
        EXPECT_TRUE(painted) << "the editor did not paint its artwork";
        return shot;
    }

    Display* display = nullptr;
    Window window = 0;
    XErrorHandler previousErrorHandler = nullptr;
};

TEST_F(EditorWindowTest, OpensAtItsSizeAndShowsTheArtwork)
{
    int width = 0;
    int height = 0;
    ASSERT_TRUE(host->editorRect(width, height));
    EXPECT_EQ(width, editorWidth);
    EXPECT_EQ(height, editorHeight);

    const Picture shot = openAndCapture();
    ASSERT_EQ(shot.width, editorWidth);

    // The editor is one child window of the host's window, exactly 520 x 480 at its corner.
    const auto children = childWindows();
    ASSERT_EQ(children.size(), 1u);
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(display, children.front(), &attributes), 0);
    EXPECT_EQ(attributes.x, 0);
    EXPECT_EQ(attributes.y, 0);
    EXPECT_EQ(attributes.width, editorWidth);
    EXPECT_EQ(attributes.height, editorHeight);

    // Most of the window is the background picture itself; the rest are the controls on it.
    Picture background;
    ASSERT_TRUE(loadPng(KIV_EDITOR_BACKGROUND_PNG, background));
    ASSERT_EQ(background.width, editorWidth);
    ASSERT_EQ(background.height, editorHeight);
    EXPECT_GT(matchingShare(shot, background, 6), 0.75);
    // ... but not all of it: the knobs, lists and buttons are drawn over it.
    EXPECT_LT(matchingShare(shot, background, 0), 0.97);

    if (const char* out = std::getenv("KIV_SCREENSHOT_OUT"); out != nullptr && *out != '\0')
    {
        EXPECT_TRUE(savePng(out, shot)) << "cannot write " << out;
    }

    host->closeEditor();
    EXPECT_TRUE(waitFor([this] { return childWindows().empty(); }))
        << "the editor's window outlived effEditClose";
}

TEST_F(EditorWindowTest, OpensAndClosesTenTimesInARow)
{
    for (int round = 0; round < 10; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        const Picture shot = openAndCapture();
        EXPECT_GT(distinctColours(shot), 200u);
        ASSERT_EQ(childWindows().size(), 1u) << "one editor window at a time";

        host->closeEditor();
        ASSERT_TRUE(waitFor([this] { return childWindows().empty(); }))
            << "the editor's window outlived effEditClose";
    }

    // The instance still works after all that.
    std::vector<float> left(2048, 0.1f);
    std::vector<float> right(2048, 0.1f);
    host->processStereo(left, right, blockSize);
    for (const float s : left)
        ASSERT_TRUE(std::isfinite(s));
}

#else

TEST(EditorWindowTest, NeedsXlibAndLibpng)
{
    GTEST_SKIP() << "built without Xlib or libpng";
}

#endif
