// Fuzzes the CLAP edition the way a careless or hostile host would: states of any bytes, loaded
// active or not, lists of any events (any size, time, space, type, id and value bits) through
// process and flush, blocks of any length and samples, and the parameter calls with any id,
// value, text and capacity, in any order the interface's life allows. After every call it checks
// what the interface promises: texts stay inside their capacity and end in a zero, values stay in
// their ranges, a processed output is the same on both channels, finite, within the converter's
// range and no longer marked constant, a call without usable buffers writes nothing, and a saved
// state loads back as the same values.

#include "clap.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" const clap_plugin_entry clap_entry;

namespace {

constexpr std::uint32_t kMaxFrames = 2048;
constexpr std::size_t kGuard = 32; // sentinel bytes behind every text the plug-in may write
constexpr char kSentinel = '\xA7';

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

const clap_host kHost = {{1, 2, 0},
                         nullptr,
                         "fuzz",
                         "",
                         "",
                         "1",
                         [](const clap_host*, const char*) -> const void* { return nullptr; },
                         [](const clap_host*) {},
                         [](const clap_host*) {},
                         [](const clap_host*) {}};

// Events, each in a block of exactly its declared size, so reading past one is a finding.
class Events {
public:
    Events(FuzzedDataProvider& in, std::uint32_t frames) {
        const int count = in.ConsumeIntegralInRange(0, 12);
        for (int i = 0; i < count; ++i) {
            clap_event_param_value event{};
            const bool plain = in.ConsumeBool();
            event.header.size = plain ? sizeof(event)
                                      : in.ConsumeIntegralInRange<std::uint32_t>(
                                            sizeof(clap_event_header), sizeof(event));
            event.header.time = in.ConsumeBool() ? in.ConsumeIntegralInRange(0u, frames)
                                                 : in.ConsumeIntegral<std::uint32_t>();
            event.header.space_id =
                plain ? CLAP_CORE_EVENT_SPACE_ID : in.ConsumeIntegral<std::uint16_t>();
            event.header.type =
                plain ? CLAP_EVENT_PARAM_VALUE : in.ConsumeIntegral<std::uint16_t>();
            event.param_id = in.ConsumeBool() ? in.ConsumeIntegralInRange(0u, 2u)
                                              : in.ConsumeIntegral<std::uint32_t>();
            event.note_id = event.port_index = event.channel = event.key = -1;
            event.value = anyDouble(in);
            std::vector<unsigned char> bytes(event.header.size);
            std::memcpy(bytes.data(), &event, bytes.size());
            events.push_back(std::move(bytes));
        }
    }
    const clap_input_events* list() { return &record; }
    static double anyDouble(FuzzedDataProvider& in) {
        if (in.ConsumeBool()) return in.ConsumeFloatingPointInRange(-100.0, 100.0);
        const auto bits = in.ConsumeIntegral<std::uint64_t>();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    static std::uint32_t size(const clap_input_events* list) {
        return static_cast<std::uint32_t>(static_cast<Events*>(list->ctx)->events.size());
    }
    static const clap_event_header* get(const clap_input_events* list, std::uint32_t index) {
        const auto& events = static_cast<Events*>(list->ctx)->events;
        return index < events.size()
                   ? reinterpret_cast<const clap_event_header*>(events[index].data())
                   : nullptr;
    }
    std::vector<std::vector<unsigned char>> events;
    clap_input_events record{this, size, get};
};

// A byte stream that moves at most `step` bytes per call.
struct Stream {
    std::vector<unsigned char> bytes;
    std::size_t step;
    std::size_t at = 0;
    static std::int64_t read(const clap_istream* s, void* buffer, std::uint64_t size) {
        auto& self = *static_cast<Stream*>(s->ctx);
        std::size_t n = std::min<std::uint64_t>({size, self.step, self.bytes.size() - self.at});
        if (n > 0) std::memcpy(buffer, self.bytes.data() + self.at, n);
        self.at += n;
        return static_cast<std::int64_t>(n);
    }
    static std::int64_t write(const clap_ostream* s, const void* buffer, std::uint64_t size) {
        auto& self = *static_cast<Stream*>(s->ctx);
        const auto* from = static_cast<const unsigned char*>(buffer);
        std::size_t n = std::min<std::uint64_t>(size, self.step);
        self.bytes.insert(self.bytes.end(), from, from + n);
        return static_cast<std::int64_t>(n);
    }
};

class Session {
public:
    explicit Session(FuzzedDataProvider& in) : in(in) { create(); }
    ~Session() { destroy(); }

    void step() {
        switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0:
            toggleActive();
            break;
        case 1:
            if (processing)
                plugin->stop_processing(plugin);
            else if (active && !plugin->start_processing(plugin))
                fail("start_processing refused");
            processing = active && !processing;
            break;
        case 2:
            if (processing) process();
            break;
        case 3:
            if (!processing) { // flush comes only instead of process
                Events events(in, 0);
                params->flush(plugin, events.list(), nullptr);
            }
            break;
        case 4:
            checkValues();
            break;
        case 5:
            texts();
            break;
        case 6:
            loadAny();
            break;
        case 7:
            saveAndLoadBack();
            break;
        case 8:
            if (active) plugin->reset(plugin);
            break;
        default:
            destroy();
            create();
            break;
        }
    }

private:
    void create() {
        static const auto* factory = [] {
            if (!clap_entry.init("")) fail("entry init");
            return static_cast<const clap_plugin_factory*>(
                clap_entry.get_factory(CLAP_PLUGIN_FACTORY_ID));
        }();
        plugin = factory->create_plugin(factory, &kHost, "com.tervik.slopecrush");
        if (plugin == nullptr || !plugin->init(plugin)) fail("no instance");
        params =
            static_cast<const clap_plugin_params*>(plugin->get_extension(plugin, "clap.params"));
        state = static_cast<const clap_plugin_state*>(plugin->get_extension(plugin, "clap.state"));
        if (params == nullptr || state == nullptr) fail("no params or state");
    }
    void destroy() {
        if (processing) plugin->stop_processing(plugin);
        if (active) plugin->deactivate(plugin);
        processing = active = false;
        plugin->destroy(plugin);
    }
    void toggleActive() {
        if (processing) {
            plugin->stop_processing(plugin);
            processing = false;
        }
        if (active) {
            plugin->deactivate(plugin);
            active = false;
            return;
        }
        const double rates[] = {8000.0, 44100.0, 48000.0, 192000.0};
        maxFrames = in.ConsumeIntegralInRange(1u, kMaxFrames);
        active = plugin->activate(plugin, rates[in.ConsumeIntegralInRange(0, 3)], 1, maxFrames);
        if (!active) fail("activate refused");
    }

    void checkValues() {
        const double limits[2][2] = {{-60.0, 12.0412}, {0.0, 15.0}};
        for (std::uint32_t id = 0; id < 2; ++id) {
            double value = NAN;
            if (!params->get_value(plugin, id, &value) || !(value >= limits[id][0]) ||
                !(value <= limits[id][1]))
                fail("a value outside its range");
        }
    }

    void texts() {
        const std::uint32_t id = in.ConsumeBool() ? in.ConsumeIntegralInRange(0u, 2u)
                                                  : in.ConsumeIntegral<std::uint32_t>();
        const double value = Events::anyDouble(in);
        const auto capacity = in.ConsumeIntegralInRange<std::uint32_t>(0, 40);
        std::vector<char> buffer(capacity + kGuard, kSentinel);
        const bool whole = params->value_to_text(plugin, id, value, buffer.data(), capacity);
        for (std::size_t i = capacity; i < buffer.size(); ++i)
            if (buffer[i] != kSentinel) fail("a text past its capacity");
        if (capacity > 0 && id < 2 && std::memchr(buffer.data(), 0, capacity) == nullptr)
            fail("a text without its zero");
        if (whole && id < 2) {
            double back = NAN;
            if (!params->text_to_value(plugin, id, buffer.data(), &back) || !std::isfinite(back))
                fail("a text the plug-in wrote does not read back");
        }
        const std::string text = in.ConsumeRandomLengthString(64);
        double read = NAN;
        if (params->text_to_value(plugin, id, text.c_str(), &read) && !std::isfinite(read))
            fail("a text read as a value that is not finite");
    }

    void loadAny() {
        Stream stream{in.ConsumeBytes<unsigned char>(in.ConsumeIntegralInRange(0, 40)),
                      in.ConsumeIntegralInRange<std::size_t>(1, 32)};
        const clap_istream from{&stream, Stream::read};
        (void)state->load(plugin, &from);
        checkValues();
    }

    void saveAndLoadBack() {
        double before[2];
        for (std::uint32_t id = 0; id < 2; ++id)
            params->get_value(plugin, id, &before[id]);
        Stream stream{{}, in.ConsumeIntegralInRange<std::size_t>(1, 32)};
        const clap_ostream to{&stream, Stream::write};
        if (!state->save(plugin, &to)) fail("save failed");
        const clap_istream from{&stream, Stream::read};
        if (!state->load(plugin, &from)) fail("a saved state does not load");
        for (std::uint32_t id = 0; id < 2; ++id) {
            double after = NAN;
            params->get_value(plugin, id, &after);
            if (std::memcmp(&after, &before[id], sizeof after) != 0)
                fail("a state changed a value");
        }
    }

    void process() {
        const std::uint32_t frames = in.ConsumeIntegralInRange(0u, maxFrames);
        Events events(in, frames);
        std::vector<float> left(frames + 1);
        std::vector<float> right(frames + 1);
        for (std::uint32_t i = 0; i < frames; ++i) {
            if (i < 32 && in.remaining_bytes() >= 8) {
                left[i] = in.ConsumeFloatingPoint<float>();
                right[i] = in.ConsumeFloatingPoint<float>();
            } else {
                left[i] = (i / 50) % 2 == 0 ? 0.9f : -0.9f;
                right[i] = i < 32 ? 0.0f : left[i % 32];
            }
        }
        std::vector<float> out0(frames + 1, 9.0f);
        std::vector<float> out1(frames + 1, -9.0f);
        const bool inPlace = in.ConsumeBool();
        const bool broken = in.ConsumeIntegralInRange(0, 15) == 0; // a buffer the ports never offer
        float* ins[2] = {left.data(), right.data()};
        float* outs[2] = {out0.data(), broken ? nullptr : out1.data()};
        float** outputs = inPlace ? ins : outs;
        const clap_audio_buffer input{ins, nullptr, 2, 0, 0};
        clap_audio_buffer output{outputs, nullptr, 2, 0, ~0ull};
        const clap_process call{-1, frames, nullptr, &input, &output, 1, 1, events.list(), nullptr};
        const std::int32_t status = plugin->process(plugin, &call);
        if (broken && !inPlace) {
            if (frames > 0 && (status != CLAP_PROCESS_ERROR || out0[0] != 9.0f))
                fail("a call without usable buffers wrote or succeeded");
            return;
        }
        if (status != CLAP_PROCESS_CONTINUE) fail("a good call failed");
        if (frames > 0 && output.constant_mask != 0) fail("the output still marked constant");
        for (std::uint32_t i = 0; i < frames; ++i) {
            const float a = outputs[0][i];
            const float b = outputs[1][i];
            if (std::memcmp(&a, &b, sizeof a) != 0) fail("output channels differ");
            if (!std::isfinite(a) || a < -1.03125f || a > 1.0f) fail("output out of range");
        }
        if (!inPlace && (out0[frames] != 9.0f || out1[frames] != -9.0f))
            fail("wrote beyond the block");
    }

    FuzzedDataProvider& in;
    const clap_plugin* plugin = nullptr;
    const clap_plugin_params* params = nullptr;
    const clap_plugin_state* state = nullptr;
    bool active = false;
    bool processing = false;
    std::uint32_t maxFrames = 1;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Session session(in);
    for (int calls = 0; calls < 64 && in.remaining_bytes() > 0; ++calls)
        session.step();
    return 0;
}
