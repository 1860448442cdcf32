// A host's threads at once: one processes blocks while others move both parameters (in range and
// out of it) and read values and display texts. Run under ThreadSanitizer by the tsan preset; in
// every build the output must stay finite and bounded.

#include "recordinghost.h"
#include "slopecrushmodule.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace {

TEST(Threads, ProcessingWhileOtherThreadsSetAndReadParameters) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    effect.start();
    std::atomic<bool> done{false};
    const float values[] = {0.0f,
                            0.25f,
                            0.5f,
                            0.95f,
                            1.0f,
                            -1.0f,
                            2.0f,
                            std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity()};

    auto automate = [&](VstInt32 index) {
        for (unsigned i = 0; !done.load(); ++i) {
            effect.setParameter(index, values[i % 9]);
            (void)effect.getParameter(index);
            (void)effect.getParameter(1 - index);
        }
    };
    auto display = [&] {
        while (!done.load()) {
            for (VstInt32 index : {0, 1}) {
                char text[9];
                effect.dispatch(effGetParamDisplay, index, 0, text);
            }
        }
    };
    std::thread gain(automate, 0);
    std::thread pitch(automate, 1);
    std::thread texts(display);

    std::vector<float> left(512);
    std::vector<float> right(512);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = std::sin(static_cast<float>(i) * 0.05f);
        right[i] = -left[i];
    }
    bool bounded = true;
    for (int block = 0; block < 400 && bounded; ++block)
        for (float v : effect.process(left, right, 128 + block % 300))
            bounded = bounded && std::isfinite(v) && v >= -1.03125f && v <= 1.0f;
    done = true;
    gain.join();
    pitch.join();
    texts.join();
    EXPECT_TRUE(bounded);
}

} // namespace
