#include "clapplugin.h"

#include "effect.h"
#include "numbertext.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace clapplugin {

namespace {

constexpr std::uint32_t kMainPortId = 0; // on either side; the two form an in-place pair
constexpr std::uint32_t kChannels = 2;

// Who sets the values: while the instance is inactive the main thread sets everything. While it is
// active only the audio thread sets them (events come with process and flush), and a state loaded
// on the main thread reaches the sound at the audio thread's next process or flush, before that
// call's events; the values it holds are shown from the load on.
class Instance {
public:
    Instance(const clap_plugin_descriptor* descriptor, const clap_host* host);

    static Instance& of(const clap_plugin* plugin) {
        return *static_cast<Instance*>(plugin->plugin_data);
    }

    clap_plugin record{};
    const clap_host* host;
    deltamod::Effect effect;
    bool active = false; // main thread only

    void applyAll(const clap_input_events* events);
    std::int32_t process(const clap_process& call);
    // A state was loaded: taken at once while inactive, else by the next audio call.
    void loaded();
    void setValue(std::uint32_t id, double value) {
        if (deltamod::isParameter(id)) effect.setPlain(static_cast<int>(id), value);
    }

private:
    void run(float* const (&in)[kChannels], float* const (&out)[kChannels], std::uint32_t from,
             std::uint32_t to);
};

// ---- Events ----

std::uint32_t countOf(const clap_input_events* events) {
    return events != nullptr && events->size != nullptr ? events->size(events) : 0;
}

const clap_event_header* eventAt(const clap_input_events* events, std::uint32_t index) {
    return events->get != nullptr ? events->get(events, index) : nullptr;
}

// The parameter value event this is, or null: other types, other spaces and events too short to
// hold a value change nothing.
const clap_event_param_value* asParamValue(const clap_event_header* event) {
    if (event == nullptr || event->space_id != CLAP_CORE_EVENT_SPACE_ID ||
        event->type != CLAP_EVENT_PARAM_VALUE || event->size < sizeof(clap_event_param_value))
        return nullptr;
    return reinterpret_cast<const clap_event_param_value*>(event);
}

// ---- Buffers ----

// The two channels of the first buffer, when it is a 32-bit buffer with at least two. A call
// that offers only 64-bit samples, one channel or none is one the ports never asked for.
bool stereoChannels(const clap_audio_buffer* buffers, std::uint32_t count,
                    float* (&channels)[kChannels]) {
    if (buffers == nullptr || count == 0 || buffers[0].data32 == nullptr ||
        buffers[0].channel_count < kChannels)
        return false;
    for (std::uint32_t c = 0; c < kChannels; ++c)
        if ((channels[c] = buffers[0].data32[c]) == nullptr) return false;
    return true;
}

Instance::Instance(const clap_plugin_descriptor* descriptor, const clap_host* host) : host(host) {
    record.desc = descriptor;
    record.plugin_data = this;
}

void Instance::loaded() {
    if (!active)
        effect.takeLoadedState();
    else if (host != nullptr && host->request_process != nullptr)
        host->request_process(host); // a host that lets an idle instance sleep wakes it
}

void Instance::applyAll(const clap_input_events* events) {
    effect.takeLoadedState();
    const std::uint32_t count = countOf(events);
    for (std::uint32_t i = 0; i < count; ++i)
        if (const clap_event_param_value* change = asParamValue(eventAt(events, i)))
            setValue(change->param_id, change->value);
}

void Instance::run(float* const (&in)[kChannels], float* const (&out)[kChannels],
                   std::uint32_t from, std::uint32_t to) {
    effect.process(in[0] + from, in[1] + from, out[0] + from, out[1] + from, to - from);
}

std::int32_t Instance::process(const clap_process& call) {
    const std::uint32_t frames = call.frames_count;
    float* in[kChannels] = {};
    float* out[kChannels] = {};
    effect.takeLoadedState();
    // Without audio the call still delivers its changes, so no value the host sent is lost.
    if (frames > 0 && !(stereoChannels(call.audio_inputs, call.audio_inputs_count, in) &&
                        stereoChannels(call.audio_outputs, call.audio_outputs_count, out))) {
        applyAll(call.in_events);
        return CLAP_PROCESS_ERROR;
    }

    // Each change takes effect from its frame: the frames before it run with the old value. The
    // host sends events in time order; one that is not (earlier than the frames already run)
    // takes effect at once, and one at or past the end of the call after its last frame.
    std::uint32_t done = 0;
    const std::uint32_t count = countOf(call.in_events);
    for (std::uint32_t i = 0; i < count; ++i) {
        const clap_event_param_value* change = asParamValue(eventAt(call.in_events, i));
        if (change == nullptr) continue;
        const std::uint32_t at = std::min(change->header.time, frames);
        if (at > done) {
            run(in, out, done, at);
            done = at;
        }
        setValue(change->param_id, change->value);
    }
    run(in, out, done, frames);
    if (frames > 0) call.audio_outputs[0].constant_mask = 0; // the output changes every frame
    return CLAP_PROCESS_CONTINUE;
}

// ---- The instance's functions ----

// Main thread; nothing to set up beyond the constructor.
bool CLAP_ABI init(const clap_plugin* /*plugin*/) { return true; }

// Main thread, not active; frees the instance.
void CLAP_ABI destroy(const clap_plugin* plugin) { delete &Instance::of(plugin); }

// Main thread, not active; allocates nothing. The sample rate is not the converter's to know.
bool CLAP_ABI activate(const clap_plugin* plugin, double /*sampleRate*/,
                       std::uint32_t /*minFrames*/, std::uint32_t /*maxFrames*/) {
    Instance& instance = Instance::of(plugin);
    instance.effect.reset();
    instance.active = true;
    return true;
}

// Main thread; releases nothing. A state loaded since the last audio call takes effect here.
void CLAP_ABI deactivate(const clap_plugin* plugin) {
    Instance& instance = Instance::of(plugin);
    instance.active = false;
    instance.effect.takeLoadedState();
}

// Audio thread; never blocks or allocates.
bool CLAP_ABI startProcessing(const clap_plugin* /*plugin*/) { return true; }

// Audio thread; never blocks or allocates.
void CLAP_ABI stopProcessing(const clap_plugin* /*plugin*/) {}

// Audio thread; never blocks or allocates. The state of a new instance; the values stay.
void CLAP_ABI reset(const clap_plugin* plugin) { Instance::of(plugin).effect.reset(); }

// Audio thread; never blocks, allocates, locks or calls the host.
std::int32_t CLAP_ABI process(const clap_plugin* plugin, const clap_process* call) {
    return call != nullptr ? Instance::of(plugin).process(*call) : CLAP_PROCESS_ERROR;
}

// Main thread; never called, as the instance never asks for it.
void CLAP_ABI onMainThread(const clap_plugin* /*plugin*/) {}

// ---- Audio ports ----

// Main thread; never blocks or allocates.
std::uint32_t CLAP_ABI portCount(const clap_plugin* /*plugin*/, bool /*isInput*/) { return 1; }

// Main thread; never blocks or allocates.
bool CLAP_ABI portInfo(const clap_plugin* /*plugin*/, std::uint32_t index, bool isInput,
                       clap_audio_port_info* info) {
    if (index != 0 || info == nullptr) return false;
    std::memset(info, 0, sizeof(*info));
    info->id = kMainPortId;
    numbertext::copyText(info->name, isInput ? "Input" : "Output", CLAP_NAME_SIZE - 1);
    info->flags = CLAP_AUDIO_PORT_IS_MAIN; // 32-bit samples only
    info->channel_count = kChannels;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = kMainPortId;
    return true;
}

const clap_plugin_audio_ports kAudioPorts = {portCount, portInfo};

// ---- Parameters ----

// Main thread; never blocks or allocates. Ids are the table's indices; values are plain.
std::uint32_t CLAP_ABI paramCount(const clap_plugin* /*plugin*/) {
    return deltamod::kNumParameters;
}

// Main thread; never blocks or allocates.
bool CLAP_ABI paramInfo(const clap_plugin* /*plugin*/, std::uint32_t index, clap_param_info* info) {
    if (info == nullptr || !deltamod::isParameter(index)) return false;
    const deltamod::Parameter& parameter = deltamod::kParameters[index];
    std::memset(info, 0, sizeof(*info));
    info->id = index;
    // A stepped parameter is a choice among the rates, which hosts show by their texts.
    info->flags = CLAP_PARAM_IS_AUTOMATABLE |
                  (parameter.stepped ? CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM : 0U);
    numbertext::copyText(info->name, parameter.name, CLAP_NAME_SIZE - 1);
    info->min_value = parameter.minimum;
    info->max_value = parameter.maximum;
    info->default_value = parameter.defaultValue;
    return true;
}

// Main thread (any thread is safe); never blocks or allocates.
bool CLAP_ABI paramValue(const clap_plugin* plugin, std::uint32_t id, double* value) {
    if (!deltamod::isParameter(id) || value == nullptr) return false;
    *value = Instance::of(plugin).effect.plain(static_cast<int>(id));
    return true;
}

// Main thread; never blocks or allocates.
bool CLAP_ABI valueToText(const clap_plugin* /*plugin*/, std::uint32_t id, double value, char* text,
                          std::uint32_t capacity) {
    return deltamod::isParameter(id) &&
           deltamod::plainValueText(static_cast<int>(id), value, text, capacity);
}

// Main thread; never blocks or allocates.
bool CLAP_ABI textToValue(const clap_plugin* /*plugin*/, std::uint32_t id, const char* text,
                          double* value) {
    return deltamod::isParameter(id) &&
           deltamod::plainValueFromText(static_cast<int>(id), text, value);
}

// Audio thread while active, else main thread; never blocks, allocates, locks or calls the host.
void CLAP_ABI flush(const clap_plugin* plugin, const clap_input_events* in,
                    const clap_output_events* /*out*/) {
    Instance::of(plugin).applyAll(in);
}

const clap_plugin_params kParams = {paramCount,  paramInfo,   paramValue,
                                    valueToText, textToValue, flush};

// ---- State ----

// Main thread; allocates nothing, blocks only inside the host's stream. Loops over short writes.
bool CLAP_ABI saveState(const clap_plugin* plugin, const clap_ostream* stream) {
    if (stream == nullptr || stream->write == nullptr) return false;
    const deltamod::StateBytes bytes = Instance::of(plugin).effect.save();
    for (std::size_t done = 0; done < bytes.size();) {
        const std::int64_t wrote = stream->write(stream, bytes.data() + done, bytes.size() - done);
        // A stream that takes nothing would be asked forever; more than offered is broken.
        if (wrote <= 0 || static_cast<std::uint64_t>(wrote) > bytes.size() - done) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// Main thread; allocates nothing, blocks only inside the host's stream; while active it may ask
// the host for a process call. Reads the stream to its end, looping over short reads; a refused
// state changes no value.
bool CLAP_ABI loadState(const clap_plugin* plugin, const clap_istream* stream) {
    if (stream == nullptr || stream->read == nullptr) return false;
    // One byte more than a state, so a longer stream is noticed.
    unsigned char bytes[deltamod::kStateSize + 1];
    std::size_t done = 0;
    while (done < sizeof(bytes)) {
        const std::int64_t got = stream->read(stream, bytes + done, sizeof(bytes) - done);
        if (got == 0) break;
        if (got < 0 || static_cast<std::uint64_t>(got) > sizeof(bytes) - done) return false;
        done += static_cast<std::size_t>(got);
    }
    Instance& instance = Instance::of(plugin);
    if (!instance.effect.load(bytes, done)) return false;
    instance.loaded();
    return true;
}

const clap_plugin_state kState = {saveState, loadState};

// Any thread; never blocks or allocates.
const void* CLAP_ABI extension(const clap_plugin* /*plugin*/, const char* id) {
    if (id == nullptr) return nullptr;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &kAudioPorts;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kParams;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &kState;
    return nullptr;
}

} // namespace

const clap_plugin* create(const clap_plugin_descriptor* descriptor, const clap_host* host) {
    auto* instance = new (std::nothrow) Instance(descriptor, host);
    if (instance == nullptr) return nullptr;
    clap_plugin& record = instance->record;
    record.init = init;
    record.destroy = destroy;
    record.activate = activate;
    record.deactivate = deactivate;
    record.start_processing = startProcessing;
    record.stop_processing = stopProcessing;
    record.reset = reset;
    record.process = process;
    record.get_extension = extension;
    record.on_main_thread = onMainThread;
    return &record;
}

} // namespace clapplugin
