#include "claphost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

const clap_plugin_entry* loadEntry() {
#if defined(_WIN32)
    HMODULE module = LoadLibraryA(SLOPECRUSH_CLAP_PATH);
    void* symbol =
        module != nullptr ? reinterpret_cast<void*>(GetProcAddress(module, "clap_entry")) : nullptr;
#else
    void* module = dlopen(SLOPECRUSH_CLAP_PATH, RTLD_NOW | RTLD_LOCAL);
    void* symbol = module != nullptr ? dlsym(module, "clap_entry") : nullptr;
#endif
    if (symbol == nullptr) {
        std::fprintf(stderr, "cannot load clap_entry from %s\n", SLOPECRUSH_CLAP_PATH);
        std::abort();
    }
    const auto* entry = static_cast<const clap_plugin_entry*>(symbol);
    if (!entry->init(SLOPECRUSH_CLAP_PATH)) std::abort();
    return entry;
}

int hostCalls = 0;
const void* CLAP_ABI hostExtension(const clap_host* /*host*/, const char* /*id*/) {
    ++hostCalls;
    return nullptr;
}
void CLAP_ABI hostRequest(const clap_host* /*host*/) { ++hostCalls; }
std::atomic<int> processRequests{0};
void CLAP_ABI hostRequestProcess(const clap_host* /*host*/) { ++processRequests; }

// Streams over a byte vector that move at most `step` bytes per call.
struct Stream {
    std::vector<unsigned char> bytes;
    std::size_t step;
    std::size_t at = 0;
};
std::int64_t CLAP_ABI writeSome(const clap_ostream* stream, const void* buffer,
                                std::uint64_t size) {
    auto* s = static_cast<Stream*>(stream->ctx);
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(size, s->step));
    s->bytes.insert(s->bytes.end(), static_cast<const unsigned char*>(buffer),
                    static_cast<const unsigned char*>(buffer) + n);
    return static_cast<std::int64_t>(n);
}
std::int64_t CLAP_ABI readSome(const clap_istream* stream, void* buffer, std::uint64_t size) {
    auto* s = static_cast<Stream*>(stream->ctx);
    const auto n = std::min({static_cast<std::size_t>(std::min<std::uint64_t>(size, s->step)),
                             s->bytes.size() - s->at});
    if (n > 0) std::memcpy(buffer, s->bytes.data() + s->at, n);
    s->at += n;
    return static_cast<std::int64_t>(n);
}

} // namespace

const clap_plugin_entry& clapEntry() {
    static const clap_plugin_entry* entry = loadEntry();
    return *entry;
}

const clap_plugin_factory& clapFactory() {
    const auto* factory =
        static_cast<const clap_plugin_factory*>(clapEntry().get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (factory == nullptr) std::abort();
    return *factory;
}

clap_host testHost(clap_version version) {
    return {version, nullptr,       "test host", "SlopeCrush",       "",
            "1",     hostExtension, hostRequest, hostRequestProcess, hostRequest};
}

int hostCallCount() { return hostCalls; }
int processRequestCount() { return processRequests; }

EventList& EventList::value(std::uint32_t time, std::uint32_t id, double value,
                            std::uint16_t space) {
    clap_event_param_value event{};
    event.header = {sizeof(event), time, space, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = event.channel = event.key = -1;
    event.value = value;
    events.push_back(event);
    return *this;
}

EventList& EventList::other(std::uint32_t time, std::uint16_t type) {
    value(time, 0, -60.0); // a gain of silence, should it be read as a value
    events.back().header.type = type;
    return *this;
}

std::uint32_t CLAP_ABI EventList::size(const clap_input_events* list) {
    return static_cast<std::uint32_t>(static_cast<const EventList*>(list->ctx)->events.size());
}

const clap_event_header* CLAP_ABI EventList::get(const clap_input_events* list,
                                                 std::uint32_t index) {
    const auto& events = static_cast<const EventList*>(list->ctx)->events;
    return index < events.size() ? &events[index].header : nullptr;
}

ClapInstance::ClapInstance(double sampleRate) {
    plugin = clapFactory().create_plugin(&clapFactory(), &host, "com.tervik.slopecrush");
    if (plugin == nullptr || !plugin->init(plugin)) std::abort();
    params = static_cast<const clap_plugin_params*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
    state = static_cast<const clap_plugin_state*>(plugin->get_extension(plugin, CLAP_EXT_STATE));
    if (params == nullptr || state == nullptr || !plugin->activate(plugin, sampleRate, 1, 4096) ||
        !plugin->start_processing(plugin))
        std::abort();
}

ClapInstance::~ClapInstance() {
    plugin->stop_processing(plugin);
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
    EXPECT_EQ(hostCallCount(), 0) << "the plug-in called the host";
}

std::int32_t ClapInstance::process(const float* left, const float* right, float* out0, float* out1,
                                   std::uint32_t frames, const EventList* events) const {
    float* ins[2] = {const_cast<float*>(left), const_cast<float*>(right)};
    float* outs[2] = {out0, out1};
    const clap_audio_buffer input{ins, nullptr, 2, 0, 0};
    clap_audio_buffer output{outs, nullptr, 2, 0, ~0ull};
    const clap_process call{-1,      frames, nullptr, &input,
                            &output, 1,      1,       events != nullptr ? events->list() : nullptr,
                            nullptr};
    const std::int32_t status = plugin->process(plugin, &call);
    // A mask left set would let the host skip the audio as constant.
    if (status == CLAP_PROCESS_CONTINUE && frames > 0) {
        EXPECT_EQ(output.constant_mask, 0u);
    }
    return status;
}

std::vector<float> ClapInstance::render(const std::vector<float>& left,
                                        const std::vector<float>& right, std::uint32_t blockSize,
                                        const std::vector<EventList>& blockEvents) const {
    std::vector<float> out0(left.size(), -7.0f);
    std::vector<float> out1(left.size(), 7.0f);
    for (std::size_t at = 0, block = 0; at < left.size(); at += blockSize, ++block) {
        const auto n =
            static_cast<std::uint32_t>(std::min<std::size_t>(blockSize, left.size() - at));
        const EventList* events = block < blockEvents.size() ? &blockEvents[block] : nullptr;
        EXPECT_EQ(process(&left[at], &right[at], &out0[at], &out1[at], n, events),
                  CLAP_PROCESS_CONTINUE);
    }
    EXPECT_EQ(out0, out1) << "output channels differ";
    return out0;
}

void ClapInstance::flush(const EventList& events) const {
    params->flush(plugin, events.list(), nullptr);
}

double ClapInstance::value(std::uint32_t id) const {
    double v = -1234.0;
    EXPECT_TRUE(params->get_value(plugin, id, &v));
    return v;
}

std::string ClapInstance::text(std::uint32_t id, double value) const {
    char buffer[256] = {};
    if (!params->value_to_text(plugin, id, value, buffer, sizeof(buffer))) return "(refused)";
    return buffer;
}

std::vector<unsigned char> ClapInstance::save(std::size_t step) const {
    Stream stream{{}, step};
    const clap_ostream out{&stream, writeSome};
    EXPECT_TRUE(state->save(plugin, &out));
    return stream.bytes;
}

bool ClapInstance::load(const std::vector<unsigned char>& bytes, std::size_t step) const {
    Stream stream{bytes, step};
    const clap_istream in{&stream, readSome};
    return state->load(plugin, &in);
}
