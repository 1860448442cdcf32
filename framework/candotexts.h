// The canDo texts of the interface: what an effect may ask a host about (canHostDo) and what a
// host may ask an effect about (effCanDo). Reference data only: canHostDo passes any text on
// unchanged, and nothing in the framework looks a text up here.
#pragma once

#include <array>
#include <cstddef>

constexpr std::size_t kNumHostCanDoTexts = 14;
constexpr std::size_t kNumEffectCanDoTexts = 8;

// Abilities of a host, in the interface's order. A text that also names an ability of an effect
// is the very same array in both lists, so the two lists can be compared by address.
extern const std::array<const char*, kNumHostCanDoTexts> hostCanDoTexts;
// Abilities of an effect, in the interface's order.
extern const std::array<const char*, kNumEffectCanDoTexts> effectCanDoTexts;
