#include "demosource.h"

#include <algorithm>

int DemoSource::read(float* left, float* right, int count) {
    const std::size_t n = std::min(static_cast<std::size_t>(count), signal.left.size() - position);
    std::copy_n(signal.left.begin() + static_cast<std::ptrdiff_t>(position), n, left);
    std::copy_n(signal.right.begin() + static_cast<std::ptrdiff_t>(position), n, right);
    position += n;
    return static_cast<int>(n);
}
