// The CLAP 1.x plug-in interface: the declarations an audio effect with parameters and saved state
// needs, and the test host that loads it. Every struct is pinned to its size and field offsets on
// 64-bit targets, where the layout is fixed by the ordinary C rules; other targets get no CLAP
// module.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define CLAP_ABI __cdecl
#else
#define CLAP_ABI
#endif

extern "C" {

constexpr std::uint32_t CLAP_INVALID_ID = UINT32_MAX;
constexpr std::size_t CLAP_NAME_SIZE = 256;
constexpr std::size_t CLAP_PATH_SIZE = 1024;

struct clap_version {
    std::uint32_t major;
    std::uint32_t minor;
    std::uint32_t revision;
};

// Every structure here matches interface version 1.2, which adds the enumeration flag; a host
// of any version 1.x can load what is declared with it.
constexpr clap_version CLAP_VERSION_1_2 = {1, 2, 0};

// The structs below name their version field like its type: the qualified name keeps the type.
struct clap_plugin_descriptor {
    ::clap_version clap_version;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features; // ends with a null pointer
};

struct clap_host {
    ::clap_version clap_version;
    void* host_data;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void*(CLAP_ABI* get_extension)(const clap_host* host, const char* extension_id);
    void(CLAP_ABI* request_restart)(const clap_host* host);
    void(CLAP_ABI* request_process)(const clap_host* host);
    void(CLAP_ABI* request_callback)(const clap_host* host);
};

// ---- Events ----

constexpr std::uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;
constexpr std::uint16_t CLAP_EVENT_PARAM_VALUE = 5;

struct clap_event_header {
    std::uint32_t size; // of the whole event
    std::uint32_t time; // frame offset inside the processing call
    std::uint16_t space_id;
    std::uint16_t type;
    std::uint32_t flags;
};

struct clap_event_param_value {
    clap_event_header header;
    std::uint32_t param_id;
    void* cookie;
    std::int32_t note_id;
    std::int16_t port_index;
    std::int16_t channel;
    std::int16_t key;
    double value; // the new plain value
};

struct clap_input_events {
    void* ctx;
    std::uint32_t(CLAP_ABI* size)(const clap_input_events* list);
    const clap_event_header*(CLAP_ABI* get)(const clap_input_events* list, std::uint32_t index);
};

struct clap_output_events {
    void* ctx;
    bool(CLAP_ABI* try_push)(const clap_output_events* list, const clap_event_header* event);
};

// ---- Processing ----

constexpr std::int32_t CLAP_PROCESS_ERROR = 0;
constexpr std::int32_t CLAP_PROCESS_CONTINUE = 1;

struct clap_audio_buffer {
    float** data32;
    double** data64;
    std::uint32_t channel_count;
    std::uint32_t latency;
    std::uint64_t constant_mask;
};

struct clap_process {
    std::int64_t steady_time;
    std::uint32_t frames_count;
    const void* transport; // an effect has no use for the transport
    const clap_audio_buffer* audio_inputs;
    clap_audio_buffer* audio_outputs;
    std::uint32_t audio_inputs_count;
    std::uint32_t audio_outputs_count;
    const clap_input_events* in_events;
    const clap_output_events* out_events;
};

// ---- The instance ----

struct clap_plugin {
    const clap_plugin_descriptor* desc;
    void* plugin_data;
    bool(CLAP_ABI* init)(const clap_plugin* plugin);
    void(CLAP_ABI* destroy)(const clap_plugin* plugin);
    bool(CLAP_ABI* activate)(const clap_plugin* plugin, double sample_rate,
                             std::uint32_t min_frames_count, std::uint32_t max_frames_count);
    void(CLAP_ABI* deactivate)(const clap_plugin* plugin);
    bool(CLAP_ABI* start_processing)(const clap_plugin* plugin);
    void(CLAP_ABI* stop_processing)(const clap_plugin* plugin);
    void(CLAP_ABI* reset)(const clap_plugin* plugin);
    std::int32_t(CLAP_ABI* process)(const clap_plugin* plugin, const clap_process* process);
    const void*(CLAP_ABI* get_extension)(const clap_plugin* plugin, const char* id);
    void(CLAP_ABI* on_main_thread)(const clap_plugin* plugin);
};

// ---- The entry and the factory ----

struct clap_plugin_entry {
    ::clap_version clap_version;
    bool(CLAP_ABI* init)(const char* plugin_path);
    void(CLAP_ABI* deinit)();
    const void*(CLAP_ABI* get_factory)(const char* factory_id);
};

constexpr const char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";

struct clap_plugin_factory {
    std::uint32_t(CLAP_ABI* get_plugin_count)(const clap_plugin_factory* factory);
    const clap_plugin_descriptor*(CLAP_ABI* get_plugin_descriptor)(
        const clap_plugin_factory* factory, std::uint32_t index);
    const clap_plugin*(CLAP_ABI* create_plugin)(const clap_plugin_factory* factory,
                                                const clap_host* host, const char* plugin_id);
};

// ---- Extension: audio ports ----

constexpr const char CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports";
constexpr std::uint32_t CLAP_AUDIO_PORT_IS_MAIN = 1u << 0;
constexpr std::uint32_t CLAP_AUDIO_PORT_SUPPORTS_64BITS = 1u << 1;
constexpr const char CLAP_PORT_STEREO[] = "stereo";

struct clap_audio_port_info {
    std::uint32_t id;
    char name[CLAP_NAME_SIZE];
    std::uint32_t flags;
    std::uint32_t channel_count;
    const char* port_type;
    std::uint32_t in_place_pair;
};

struct clap_plugin_audio_ports {
    std::uint32_t(CLAP_ABI* count)(const clap_plugin* plugin, bool is_input);
    bool(CLAP_ABI* get)(const clap_plugin* plugin, std::uint32_t index, bool is_input,
                        clap_audio_port_info* info);
};

// ---- Extension: parameters ----

constexpr const char CLAP_EXT_PARAMS[] = "clap.params";
constexpr std::uint32_t CLAP_PARAM_IS_STEPPED = 1u << 0;
constexpr std::uint32_t CLAP_PARAM_IS_AUTOMATABLE = 1u << 5;
constexpr std::uint32_t CLAP_PARAM_IS_ENUM = 1u << 16;

struct clap_param_info {
    std::uint32_t id;
    std::uint32_t flags;
    void* cookie;
    char name[CLAP_NAME_SIZE];
    char module[CLAP_PATH_SIZE];
    double min_value;
    double max_value;
    double default_value;
};

struct clap_plugin_params {
    std::uint32_t(CLAP_ABI* count)(const clap_plugin* plugin);
    bool(CLAP_ABI* get_info)(const clap_plugin* plugin, std::uint32_t param_index,
                             clap_param_info* param_info);
    bool(CLAP_ABI* get_value)(const clap_plugin* plugin, std::uint32_t param_id, double* out_value);
    bool(CLAP_ABI* value_to_text)(const clap_plugin* plugin, std::uint32_t param_id, double value,
                                  char* out_buffer, std::uint32_t out_buffer_capacity);
    bool(CLAP_ABI* text_to_value)(const clap_plugin* plugin, std::uint32_t param_id,
                                  const char* param_value_text, double* out_value);
    void(CLAP_ABI* flush)(const clap_plugin* plugin, const clap_input_events* in,
                          const clap_output_events* out);
};

// ---- Extension: state ----

constexpr const char CLAP_EXT_STATE[] = "clap.state";

struct clap_ostream {
    void* ctx;
    // Bytes written, or -1 on error; may write fewer than asked.
    std::int64_t(CLAP_ABI* write)(const clap_ostream* stream, const void* buffer,
                                  std::uint64_t size);
};

struct clap_istream {
    void* ctx;
    // Bytes read, 0 at the end, or -1 on error; may read fewer than asked.
    std::int64_t(CLAP_ABI* read)(const clap_istream* stream, void* buffer, std::uint64_t size);
};

struct clap_plugin_state {
    bool(CLAP_ABI* save)(const clap_plugin* plugin, const clap_ostream* stream);
    bool(CLAP_ABI* load)(const clap_plugin* plugin, const clap_istream* stream);
};

} // extern "C"

// The layout hosts rely on, on 64-bit targets.
#define CLAP_ASSERT_LAYOUT(type, bytes)                                                            \
    static_assert(sizeof(void*) != 8 || sizeof(type) == (bytes), #type " has the wrong size")
#define CLAP_ASSERT_FIELD(type, field, at)                                                         \
    static_assert(sizeof(void*) != 8 || offsetof(type, field) == (at),                             \
                  #type "::" #field " is not where hosts look for it")

CLAP_ASSERT_LAYOUT(clap_version, 12);
CLAP_ASSERT_FIELD(clap_version, minor, 4);
CLAP_ASSERT_FIELD(clap_version, revision, 8);

CLAP_ASSERT_LAYOUT(clap_plugin_entry, 40);
CLAP_ASSERT_FIELD(clap_plugin_entry, init, 16);
CLAP_ASSERT_FIELD(clap_plugin_entry, deinit, 24);
CLAP_ASSERT_FIELD(clap_plugin_entry, get_factory, 32);

CLAP_ASSERT_LAYOUT(clap_plugin_factory, 24);
CLAP_ASSERT_FIELD(clap_plugin_factory, get_plugin_descriptor, 8);
CLAP_ASSERT_FIELD(clap_plugin_factory, create_plugin, 16);

CLAP_ASSERT_LAYOUT(clap_plugin_descriptor, 88);
CLAP_ASSERT_FIELD(clap_plugin_descriptor, id, 16);
CLAP_ASSERT_FIELD(clap_plugin_descriptor, name, 24);
CLAP_ASSERT_FIELD(clap_plugin_descriptor, vendor, 32);
CLAP_ASSERT_FIELD(clap_plugin_descriptor, url, 40);
CLAP_ASSERT_FIELD(clap_plugin_descriptor, manual_url, 48);
CLAP_ASSERT_FIELD(clap_plugin_descriptor, support_url, 56);
CLAP_ASSERT_FIELD(clap_plugin_descriptor, version, 64);
CLAP_ASSERT_FIELD(clap_plugin_descriptor, description, 72);
CLAP_ASSERT_FIELD(clap_plugin_descriptor, features, 80);

CLAP_ASSERT_LAYOUT(clap_host, 88);
CLAP_ASSERT_FIELD(clap_host, host_data, 16);
CLAP_ASSERT_FIELD(clap_host, name, 24);
CLAP_ASSERT_FIELD(clap_host, vendor, 32);
CLAP_ASSERT_FIELD(clap_host, url, 40);
CLAP_ASSERT_FIELD(clap_host, version, 48);
CLAP_ASSERT_FIELD(clap_host, get_extension, 56);
CLAP_ASSERT_FIELD(clap_host, request_restart, 64);
CLAP_ASSERT_FIELD(clap_host, request_process, 72);
CLAP_ASSERT_FIELD(clap_host, request_callback, 80);

CLAP_ASSERT_LAYOUT(clap_plugin, 96);
CLAP_ASSERT_FIELD(clap_plugin, plugin_data, 8);
CLAP_ASSERT_FIELD(clap_plugin, init, 16);
CLAP_ASSERT_FIELD(clap_plugin, destroy, 24);
CLAP_ASSERT_FIELD(clap_plugin, activate, 32);
CLAP_ASSERT_FIELD(clap_plugin, deactivate, 40);
CLAP_ASSERT_FIELD(clap_plugin, start_processing, 48);
CLAP_ASSERT_FIELD(clap_plugin, stop_processing, 56);
CLAP_ASSERT_FIELD(clap_plugin, reset, 64);
CLAP_ASSERT_FIELD(clap_plugin, process, 72);
CLAP_ASSERT_FIELD(clap_plugin, get_extension, 80);
CLAP_ASSERT_FIELD(clap_plugin, on_main_thread, 88);

CLAP_ASSERT_LAYOUT(clap_process, 64);
CLAP_ASSERT_FIELD(clap_process, frames_count, 8);
CLAP_ASSERT_FIELD(clap_process, transport, 16);
CLAP_ASSERT_FIELD(clap_process, audio_inputs, 24);
CLAP_ASSERT_FIELD(clap_process, audio_outputs, 32);
CLAP_ASSERT_FIELD(clap_process, audio_inputs_count, 40);
CLAP_ASSERT_FIELD(clap_process, audio_outputs_count, 44);
CLAP_ASSERT_FIELD(clap_process, in_events, 48);
CLAP_ASSERT_FIELD(clap_process, out_events, 56);

CLAP_ASSERT_LAYOUT(clap_audio_buffer, 32);
CLAP_ASSERT_FIELD(clap_audio_buffer, data64, 8);
CLAP_ASSERT_FIELD(clap_audio_buffer, channel_count, 16);
CLAP_ASSERT_FIELD(clap_audio_buffer, latency, 20);
CLAP_ASSERT_FIELD(clap_audio_buffer, constant_mask, 24);

CLAP_ASSERT_LAYOUT(clap_input_events, 24);
CLAP_ASSERT_FIELD(clap_input_events, size, 8);
CLAP_ASSERT_FIELD(clap_input_events, get, 16);
CLAP_ASSERT_LAYOUT(clap_output_events, 16);
CLAP_ASSERT_FIELD(clap_output_events, try_push, 8);

CLAP_ASSERT_LAYOUT(clap_event_header, 16);
CLAP_ASSERT_FIELD(clap_event_header, time, 4);
CLAP_ASSERT_FIELD(clap_event_header, space_id, 8);
CLAP_ASSERT_FIELD(clap_event_header, type, 10);
CLAP_ASSERT_FIELD(clap_event_header, flags, 12);

CLAP_ASSERT_LAYOUT(clap_event_param_value, 56);
CLAP_ASSERT_FIELD(clap_event_param_value, param_id, 16);
CLAP_ASSERT_FIELD(clap_event_param_value, cookie, 24);
CLAP_ASSERT_FIELD(clap_event_param_value, note_id, 32);
CLAP_ASSERT_FIELD(clap_event_param_value, port_index, 36);
CLAP_ASSERT_FIELD(clap_event_param_value, channel, 38);
CLAP_ASSERT_FIELD(clap_event_param_value, key, 40);
CLAP_ASSERT_FIELD(clap_event_param_value, value, 48);

CLAP_ASSERT_LAYOUT(clap_audio_port_info, 288);
CLAP_ASSERT_FIELD(clap_audio_port_info, name, 4);
CLAP_ASSERT_FIELD(clap_audio_port_info, flags, 260);
CLAP_ASSERT_FIELD(clap_audio_port_info, channel_count, 264);
CLAP_ASSERT_FIELD(clap_audio_port_info, port_type, 272);
CLAP_ASSERT_FIELD(clap_audio_port_info, in_place_pair, 280);
CLAP_ASSERT_LAYOUT(clap_plugin_audio_ports, 16);
CLAP_ASSERT_FIELD(clap_plugin_audio_ports, get, 8);

CLAP_ASSERT_LAYOUT(clap_param_info, 1320);
CLAP_ASSERT_FIELD(clap_param_info, flags, 4);
CLAP_ASSERT_FIELD(clap_param_info, cookie, 8);
CLAP_ASSERT_FIELD(clap_param_info, name, 16);
CLAP_ASSERT_FIELD(clap_param_info, module, 272);
CLAP_ASSERT_FIELD(clap_param_info, min_value, 1296);
CLAP_ASSERT_FIELD(clap_param_info, max_value, 1304);
CLAP_ASSERT_FIELD(clap_param_info, default_value, 1312);
CLAP_ASSERT_LAYOUT(clap_plugin_params, 48);
CLAP_ASSERT_FIELD(clap_plugin_params, get_info, 8);
CLAP_ASSERT_FIELD(clap_plugin_params, get_value, 16);
CLAP_ASSERT_FIELD(clap_plugin_params, value_to_text, 24);
CLAP_ASSERT_FIELD(clap_plugin_params, text_to_value, 32);
CLAP_ASSERT_FIELD(clap_plugin_params, flush, 40);

CLAP_ASSERT_LAYOUT(clap_ostream, 16);
CLAP_ASSERT_FIELD(clap_ostream, write, 8);
CLAP_ASSERT_LAYOUT(clap_istream, 16);
CLAP_ASSERT_FIELD(clap_istream, read, 8);
CLAP_ASSERT_LAYOUT(clap_plugin_state, 16);
CLAP_ASSERT_FIELD(clap_plugin_state, load, 8);

#undef CLAP_ASSERT_FIELD
#undef CLAP_ASSERT_LAYOUT
