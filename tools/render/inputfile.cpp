#include "inputfile.h"

#include "failure.h"
#include "interrupt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <regex>

namespace {

std::string inQuotes(const std::string& path) { return "'" + path + "'"; }

std::string systemError() { return std::strerror(errno); }

// Bytes per sample of the uncompressed subtypes; 0 for the others.
int sampleBytes(int subtype) {
    switch (subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    default:
        return 0;
    }
}

// The frame count the header announces. libsndfile counts only the frames the file holds, but
// its log keeps what the header said: a frame count (AIFF, RF64, WAV's fact chunk) or, where the
// data chunk runs past the end of the file (WAV, AU), the bytes the chunk claims.
std::int64_t announcedFrames(SNDFILE* file, const SF_INFO& info) {
    std::string log(1 << 14, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    log.resize(std::strlen(log.c_str()));
    static const std::regex kFrames(R"(^\s*frames\s*:\s*(\d+)\s*$)",
                                    std::regex::icase | std::regex::multiline);
    static const std::regex kDataBytes(R"(^\s*(?:data|data size)\s*:\s*(\d+) \(should be)",
                                       std::regex::icase | std::regex::multiline);
    std::int64_t announced = info.frames;
    std::smatch found;
    if (std::regex_search(log, found, kFrames))
        announced = std::max<std::int64_t>(announced, std::stoll(found[1].str()));
    const int frameBytes = sampleBytes(info.format & SF_FORMAT_SUBMASK) * info.channels;
    if (frameBytes > 0 && std::regex_search(log, found, kDataBytes))
        announced = std::max<std::int64_t>(announced, std::stoll(found[1].str()) / frameBytes);
    return announced;
}

// The frame count a stream's header announces, or -1. A header written before the length was
// known holds a placeholder instead (sox writes 0x7FFFF000 bytes, others 0xFFFFFFFF): only a
// smaller length is a promise.
std::int64_t streamPromise(const SF_INFO& info) {
    constexpr std::int64_t kPlaceholderBytes = 0x7FFFF000;
    const int frameBytes = sampleBytes(info.format & SF_FORMAT_SUBMASK) * info.channels;
    if (frameBytes == 0 || info.frames >= kPlaceholderBytes / frameBytes) return -1;
    return info.frames;
}

// Why libsndfile could not open a file, in words about the file: it calls a header with no sample
// rate "SF_INFO struct incomplete", as if the program had left something out.
std::string openFailure() {
    std::string why = sf_strerror(nullptr);
    std::string log(1 << 14, '\0');
    sf_command(nullptr, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    log.resize(std::strlen(log.c_str()));
    // The summary at the end of the log of a header libsndfile could parse.
    static const std::regex kRate(R"(^ Sample rate\s*:\s*(-?\d+)\s*$)", std::regex::multiline);
    std::smatch found;
    if (std::regex_search(log, found, kRate) && (found[1] == "0" || found[1].str()[0] == '-'))
        return "its header gives a sample rate of " + found[1].str() + " Hz";
    return why;
}

} // namespace

InputFile::InputFile(const std::string& name) : path(name) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT)
            throw Failure(ExitCode::Input, "the input " + inQuotes(path) + " does not exist");
        throw Failure(ExitCode::Input,
                      "cannot read the input " + inQuotes(path) + ": " + systemError());
    }
    if (S_ISDIR(status.st_mode))
        throw Failure(ExitCode::Input,
                      "the input " + inQuotes(path) + " is a folder, not an audio file");
    // Without O_NONBLOCK, opening a FIFO waits for its writer, and a signal noted just before
    // the open would not end that wait. The relay waits for the writer instead.
    descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        throw Failure(ExitCode::Input,
                      "cannot read the input " + inQuotes(path) + ": " + systemError());
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    interrupt::stopIfCaught();
    // Only a stream (through /dev/stdin too) can keep a read waiting for ever.
    int readFrom = descriptor;
    if (fstat(descriptor, &status) == 0 && !S_ISREG(status.st_mode) && !S_ISBLK(status.st_mode)) {
        relay = std::make_unique<StreamRelay>(descriptor);
        readFrom = relay->descriptor();
    }
    posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
    file = sf_open_fd(readFrom, SFM_READ, &info, SF_FALSE);
    if (file == nullptr) {
        const std::string why = openFailure();
        relay.reset();
        close(descriptor);
        interrupt::stopIfCaught();
        throw Failure(ExitCode::Input,
                      "cannot read the input " + inQuotes(path) + " as audio: " + why);
    }
    rightChannel = info.channels > 1 ? 1 : 0;
    promised = InputFile::frames() >= 0 ? announcedFrames(file, info) : streamPromise(info);
}

InputFile::~InputFile() {
    sf_close(file);
    relay.reset(); // it reads the descriptor until then
    close(descriptor);
}

void InputFile::pick(int left, int right) {
    leftChannel = left;
    rightChannel = right;
}

bool InputFile::readToTheEnd() const {
    struct stat status {};
    return relay == nullptr && fstat(descriptor, &status) == 0 &&
           lseek(descriptor, 0, SEEK_CUR) >= status.st_size;
}

int InputFile::read(float* left, float* right, int count) {
    if (cutShort) return 0;
    interleaved.resize(static_cast<size_t>(count) * static_cast<size_t>(info.channels));
    const sf_count_t got = sf_readf_float(file, interleaved.data(), count);
    // A stream's relay ends it early at a signal or a failed read.
    interrupt::stopIfCaught();
    const int relayError = relay != nullptr ? relay->error() : 0;
    if (relayError != 0)
        throw Failure(ExitCode::Input, "reading the input " + inQuotes(path) +
                                           " failed: " + std::strerror(relayError));
    if (sf_error(file) != SF_ERR_NO_ERROR) {
        // A decoder (FLAC's) that stops at the end of a file cut short gives what it decoded,
        // and an error; in the middle of a file, the error is damage to report.
        if (!readToTheEnd())
            throw Failure(ExitCode::Input,
                          "reading the input " + inQuotes(path) + " failed: " + sf_strerror(file));
        cutShort = true;
    }
    const int frames = static_cast<int>(got);
    const int channels = info.channels;
    const float* from = interleaved.data();
    if (channels == 2 && leftChannel == 0 && rightChannel == 1) { // the usual case, vectorised
        for (size_t i = 0; i < static_cast<size_t>(frames); ++i) {
            left[i] = from[2 * i];
            right[i] = from[2 * i + 1];
        }
        return frames;
    }
    for (int i = 0; i < frames; ++i) {
        const float* frame = interleaved.data() + static_cast<size_t>(i) * channels;
        left[i] = frame[leftChannel];
        right[i] = frame[rightChannel];
    }
    return frames;
}
