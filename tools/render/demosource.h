// The built-in demo as a source to render.
#pragma once

#include "demo.h"
#include "source.h"

#include <cstddef>
#include <cstdint>

class DemoSource : public Source {
public:
    DemoSource() : signal(demo::make()) {}

    int sampleRate() const override { return demo::kSampleRate; }
    std::int64_t frames() const override { return static_cast<std::int64_t>(signal.left.size()); }
    int read(float* left, float* right, int count) override;

private:
    demo::Signal signal;
    std::size_t position = 0;
};
