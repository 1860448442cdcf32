// A small CLAP host for the tests: loads the built SlopeCrush.clap through its clap_entry, as a
// host does, and drives instances only through the records the module hands out.
#pragma once

#include "clap.h"

#include <cstdint>
#include <string>
#include <vector>

// The entry, initialised once per process and kept, as hosts keep a module they use.
const clap_plugin_entry& clapEntry();
const clap_plugin_factory& clapFactory();

// A host record whose every function counts its calls: a plug-in without a GUI needs none but
// request_process, which it may call after a state is loaded while active (counted apart).
clap_host testHost(clap_version version = {1, 2, 0});
int hostCallCount();
int processRequestCount();

// Input events for one call: parameter values, or any header (other types and spaces).
class EventList {
public:
    EventList& value(std::uint32_t time, std::uint32_t id, double value,
                     std::uint16_t space = CLAP_CORE_EVENT_SPACE_ID);
    EventList& other(std::uint32_t time, std::uint16_t type);
    const clap_input_events* list() const {
        record.ctx = const_cast<EventList*>(this); // lists are copied
        return &record;
    }

private:
    static std::uint32_t CLAP_ABI size(const clap_input_events* list);
    static const clap_event_header* CLAP_ABI get(const clap_input_events* list,
                                                 std::uint32_t index);
    std::vector<clap_event_param_value> events;
    mutable clap_input_events record{nullptr, size, get};
};

// One instance made by the factory; init, activate and start_processing on construction, the
// reverse and destroy on destruction.
class ClapInstance {
public:
    explicit ClapInstance(double sampleRate = 44100.0);
    ~ClapInstance();
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    const clap_host host = testHost(); // lives as long as the instance, as hosts keep theirs
    const clap_plugin* plugin = nullptr;
    const clap_plugin_params* params = nullptr;
    const clap_plugin_state* state = nullptr;

    // One process call over separate or shared (in-place) stereo buffers.
    std::int32_t process(const float* left, const float* right, float* out0, float* out1,
                         std::uint32_t frames, const EventList* events = nullptr) const;
    // Blocks of blockSize frames, each with the events of its index; returns the left output
    // and checks that the right one equals it.
    std::vector<float> render(const std::vector<float>& left, const std::vector<float>& right,
                              std::uint32_t blockSize,
                              const std::vector<EventList>& blockEvents = {}) const;
    void flush(const EventList& events) const;
    double value(std::uint32_t id) const;
    std::string text(std::uint32_t id, double value) const;

    // The state through streams that move at most `step` bytes per call.
    std::vector<unsigned char> save(std::size_t step) const;
    bool load(const std::vector<unsigned char>& bytes, std::size_t step) const;
};
