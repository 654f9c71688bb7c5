// The plug-in's life as hosts lead it: many instances at once in one process, instances made
// and thrown away again and again, switched off and on between blocks, and editors opened and
// closed while the instance runs. Each instance must stay on its own, each new one must start
// from the factory state, and nothing may be left behind (the sanitizer build checks the
// memory side of that).

#include "PluginFixture.h"
#include "SeededRender.h"

#include <cstdlib>
#include <string>

#if KIV_HAVE_X11
#include <X11/Xlib.h>

#include <chrono>
#include <thread>
#endif

namespace
{
constexpr int numPrograms = 10;
constexpr int cutoffIndex = 1;
constexpr int resonanceIndex = 2;
constexpr int midiLearnIndex = 13;

// Factory programs whose LFO is a table waveform (sine, triangle, saw, square); the others
// draw from the shared random source, so two instances could not be compared sample by sample.
constexpr int tableLfoPrograms[] = {0, 1, 2, 3, 5, 7, 9};

double rms(const std::vector<float>& samples)
{
    double sum = 0.0;
    for (const float s : samples)
        sum += static_cast<double>(s) * s;
    return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

std::unique_ptr<Vst2Host> loadPlugin()
{
    std::string error;
    auto instance = Vst2Host::load(KIV_PLUGIN_PATH, error);
    EXPECT_NE(instance, nullptr) << error;
    return instance;
}
} // namespace

TEST(LifecycleTest, SixteenInstancesAtOnceStayApart)
{
    constexpr int numInstances = 16;
    constexpr int blockFrames = 256;
    constexpr std::size_t numFrames = 40 * blockFrames;

    // Instance i: its own program, cutoff and input, all processing block by block in turn.
    const auto settingsOf = [](int i, Vst2Host& instance)
    {
        instance.resume();
        instance.setProgram(tableLfoPrograms[i % std::size(tableLfoPrograms)]);
        instance.setParameter(cutoffIndex, 0.3f + 0.04f * static_cast<float>(i));
        instance.setParameter(resonanceIndex, 0.05f * static_cast<float>(i));
    };

    std::vector<std::unique_ptr<Vst2Host>> instances;
    std::vector<std::vector<float>> left(numInstances), right(numInstances);
    for (int i = 0; i < numInstances; ++i)
    {
        instances.push_back(loadPlugin());
        ASSERT_NE(instances.back(), nullptr);
        settingsOf(i, *instances.back());
        SeededRender::Noise source(static_cast<uint32_t>(100 + i));
        left[i] = source.block(numFrames, 0.25f);
        right[i] = source.block(numFrames, 0.25f);
    }
    const std::vector<std::vector<float>> inputLeft = left, inputRight = right;

    for (std::size_t start = 0; start < numFrames; start += blockFrames)
    {
        for (int i = 0; i < numInstances; ++i)
        {
            float* channels[2] = {left[i].data() + start, right[i].data() + start};
            instances[i]->process(channels, channels, blockFrames);
        }
    }

    // Each against the same instance rendered alone. Only the dither differs, since the
    // instances drew their dither from one random source in turn: about 1e-8 at the input,
    // which the resonant filters raise to 1.5e-5 at worst. Instances that shared any state
    // would differ by the size of the signal, around 0.1.
    constexpr float tolerance = 1e-3f;
    for (int i = 0; i < numInstances; ++i)
    {
        SCOPED_TRACE("instance " + std::to_string(i));
        instances[i].reset();
        auto alone = loadPlugin();
        ASSERT_NE(alone, nullptr);
        settingsOf(i, *alone);
        std::vector<float> soloLeft = inputLeft[i], soloRight = inputRight[i];
        alone->processStereo(soloLeft, soloRight, blockFrames);

        float worst = 0.0f;
        for (std::size_t n = 0; n < numFrames; ++n)
            worst = std::max({worst, std::fabs(left[i][n] - soloLeft[n]),
                              std::fabs(right[i][n] - soloRight[n])});
        EXPECT_LT(worst, tolerance);
        EXPECT_GT(rms(soloLeft), 0.005) << "the comparison needs sound";
    }
}

TEST(LifecycleTest, AHundredInstancesMadeAndDestroyedEachStartFromTheFactoryState)
{
    std::vector<uint8_t> factoryState;
    {
        auto first = loadPlugin();
        ASSERT_NE(first, nullptr);
        factoryState = first->getChunk();
    }
    ASSERT_FALSE(factoryState.empty());

    std::unique_ptr<Vst2Host> previous;
    for (int round = 0; round < 100; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        auto instance = loadPlugin();
        ASSERT_NE(instance, nullptr);
        ASSERT_EQ(instance->getChunk(), factoryState);
        ASSERT_EQ(instance->program(), 0);

        // Leave it far from where it started: another program, moved parameters, a renamed
        // program and a learned controller, in the middle of processing.
        instance->resume();
        instance->setProgram(round % numPrograms);
        char name[] = "round";
        instance->dispatch(effSetProgramName, 0, 0, name);
        instance->setParameter(midiLearnIndex, 1.0f);
        instance->setParameter(cutoffIndex, 0.123f);
        instance->queueMidi(0, 0xb0, static_cast<uint8_t>(1 + round % 100), 5);
        std::vector<float> left(1024, 0.1f), right(1024, -0.1f);
        instance->processStereo(left, right, 512);
        EXPECT_NE(instance->getChunk(), factoryState);

        // Some are switched off first, some not; some outlive the next one's start.
        if (round % 2 == 0)
            instance->suspend();
        if (round % 3 == 0)
            previous = std::move(instance);
    }
}

TEST(LifecycleTest, SwitchingOffAndOnBetweenBlocksChangesNothing)
{
    constexpr int program = 3;
    constexpr std::size_t numFrames = 20000;
    std::vector<float> reference;
    {
        auto instance = SeededRender::freshInstance(KIV_PLUGIN_PATH, program);
        ASSERT_NE(instance, nullptr);
        reference = SeededRender::render(*instance, numFrames, {512});
    }

    struct Row
    {
        const char* name;
        void (*between)(Vst2Host&);
    };
    const Row rows[] = {
        {"mains off and on",
         [](Vst2Host& instance)
         {
             instance.suspend();
             instance.resume();
         }},
        {"mains off, the same rate and block size again, on",
         [](Vst2Host& instance)
         {
             instance.suspend();
             instance.setSampleRate(SeededRender::sampleRate);
             instance.setBlockSize(SeededRender::largestBlock);
             instance.resume();
         }},
        {"processing stopped and started only",
         [](Vst2Host& instance)
         {
             instance.dispatch(effStopProcess);
             instance.dispatch(effStartProcess);
         }},
        {"mains on again while on",
         [](Vst2Host& instance) { instance.dispatch(effMainsChanged, 0, 1); }},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        auto instance = SeededRender::freshInstance(KIV_PLUGIN_PATH, program);
        ASSERT_NE(instance, nullptr);
        const std::vector<float> output = SeededRender::render(
            *instance, numFrames, {512}, [&row](Vst2Host& i, std::size_t) { row.between(i); });
        const std::size_t difference = SeededRender::firstDifference(output, reference);
        EXPECT_EQ(difference, reference.size())
            << "first difference at frame " << difference % numFrames;
    }
}

#if KIV_HAVE_X11

namespace
{
/** As a real host does before anything else touches Xlib: the plug-in talks to the server
    from its own message thread too, and in a plug-in the framework leaves the process-wide
    error handler to the host. Without a window manager the editor's requests for
    window-manager properties fail harmlessly; Xlib's default handler would end the process. */
class HostXlibSetup
{
public:
    HostXlibSetup()
    {
        XInitThreads();
        previous = XSetErrorHandler(ignoreError);
    }
    ~HostXlibSetup() { XSetErrorHandler(previous); }
    HostXlibSetup(const HostXlibSetup&) = delete;
    HostXlibSetup& operator=(const HostXlibSetup&) = delete;

private:
    static int ignoreError(Display*, XErrorEvent*) { return 0; }
    XErrorHandler previous = nullptr;
};

/** A top-level X window that stands in for the host's editor frame. */
class HostWindow
{
public:
    HostWindow()
    {
        display = XOpenDisplay(nullptr);
        if (display == nullptr)
            return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 520, 480, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
    }

    ~HostWindow()
    {
        if (display == nullptr)
            return;
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }

    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    bool isOpen() const { return display != nullptr; }
    void* handle() const { return reinterpret_cast<void*>(window); }

    int numChildren() const
    {
        XSync(display, False);
        ::Window root = 0, parent = 0;
        ::Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) == 0)
            return -1;
        if (children != nullptr)
            XFree(children);
        return static_cast<int>(count);
    }

private:
    Display* display = nullptr;
    ::Window window = 0;
};

/** Calls idle on every instance until the condition holds; false after about ten seconds.
    The plug-ins' window work happens only inside idle while an editor exists. */
template <typename Condition>
bool idleUntil(const std::vector<Vst2Host*>& instances, Condition condition)
{
    for (int attempt = 0; attempt < 1000; ++attempt)
    {
        if (condition())
            return true;
        for (Vst2Host* instance : instances)
            instance->idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

bool needsDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display == nullptr || *display == '\0';
}
} // namespace

TEST(LifecycleTest, EditorsOpenAndCloseWhileTheirInstancesProcess)
{
    if (needsDisplay())
        GTEST_SKIP() << "no X display (the test suite runs under Xvfb)";
    const HostXlibSetup xlib;

    // Four instances, each with its own host window; their editors are opened and closed in
    // turn, for some rounds all four at once, while every instance keeps processing and its
    // parameters keep moving.
    constexpr int numInstances = 4;
    constexpr int numRounds = 12;
    std::vector<std::unique_ptr<Vst2Host>> instances;
    std::vector<std::unique_ptr<HostWindow>> windows;
    std::vector<Vst2Host*> all;
    for (int i = 0; i < numInstances; ++i)
    {
        instances.push_back(loadPlugin());
        ASSERT_NE(instances.back(), nullptr);
        instances.back()->resume();
        all.push_back(instances.back().get());
        windows.push_back(std::make_unique<HostWindow>());
        ASSERT_TRUE(windows.back()->isOpen()) << "cannot open the X display";
    }

    std::vector<float> left(512), right(512);
    const auto processAll = [&](int step)
    {
        for (int i = 0; i < numInstances; ++i)
        {
            instances[i]->setParameter(cutoffIndex, static_cast<float>((step + i) % 10) / 10.0f);
            std::fill(left.begin(), left.end(), 0.1f);
            std::fill(right.begin(), right.end(), -0.1f);
            instances[i]->processStereo(left, right, 512);
            for (std::size_t n = 0; n < left.size(); ++n)
                ASSERT_TRUE(std::isfinite(left[n]) && std::isfinite(right[n]));
        }
    };

    for (int round = 0; round < numRounds; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        // Odd rounds open one editor, even rounds all of them.
        const int first = round % 2 == 1 ? round / 2 % numInstances : 0;
        const int last = round % 2 == 1 ? first + 1 : numInstances;
        for (int i = first; i < last; ++i)
        {
            ASSERT_TRUE(instances[i]->openEditor(windows[i]->handle()));
            ASSERT_TRUE(idleUntil(all, [&] { return windows[i]->numChildren() == 1; }))
                << "editor " << i << " has no window in the host's window";
        }
        for (int step = 0; step < 10; ++step)
        {
            processAll(step);
            for (Vst2Host* instance : all)
                instance->idle();
        }
        for (int i = first; i < last; ++i)
        {
            instances[i]->closeEditor();
            ASSERT_TRUE(idleUntil(all, [&] { return windows[i]->numChildren() == 0; }))
                << "editor " << i << " outlived effEditClose";
        }
        processAll(round);
    }
}

TEST(LifecycleTest, InstancesDestroyedWithTheirEditorOpen)
{
    if (needsDisplay())
        GTEST_SKIP() << "no X display (the test suite runs under Xvfb)";
    const HostXlibSetup xlib;

    HostWindow window;
    ASSERT_TRUE(window.isOpen()) << "cannot open the X display";
    for (int round = 0; round < 10; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        auto instance = loadPlugin();
        ASSERT_NE(instance, nullptr);
        instance->resume();
        ASSERT_TRUE(instance->openEditor(window.handle()));
        ASSERT_TRUE(idleUntil({instance.get()}, [&] { return window.numChildren() == 1; }));
        instance->setProgram(round % numPrograms);
        instance->idle();
        // The host closes the instance as it is: the editor goes first, then the instance.
        instance.reset();
        EXPECT_EQ(window.numChildren(), 0);
    }
}

#else

TEST(LifecycleTest, EditorsNeedXlib)
{
    GTEST_SKIP() << "built without Xlib: the editor life-cycle tests are left out";
}

#endif
