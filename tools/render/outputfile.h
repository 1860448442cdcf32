// An output file that exists under its name only once it is complete. It is made unnamed in its
// destination folder and named by commit(); until then the name is untouched, and a render that
// fails, is interrupted or is killed leaves nothing behind. (On file systems that cannot make
// unnamed files, it is made under a hidden temporary name, removed on failure.)
#pragma once

#include "bufferedwriter.h"
#include "worker.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class OutputFile {
public:
    // format comes from outputFormatFor; frames is what the render will write, -1 when not known,
    // and framesAtMost the most it can write (-1: no telling), which picks the header a WAV file
    // needs. A symbolic link as name is followed: its target is written. Throws Failure
    // (ExitCode::Output) before anything is written when the name is taken and replace is false,
    // names a folder, a FIFO or a device, a link to nothing, when the format cannot hold that many
    // frames, or when the file cannot be created.
    OutputFile(const std::string& name, int format, int channels, int sampleRate,
               std::int64_t frames, std::int64_t framesAtMost, bool replace);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& name() const { return shownName; }
    int channels() const { return channelCount; }
    // Integer formats clip at full scale instead of wrapping around.
    bool clips() const { return clipping; }

    // Appends frames from one buffer per channel; the planes may be reused at once, the file is
    // written on a thread of its own. Throws Failure (ExitCode::Output), also for a failure of
    // an earlier write.
    void write(const float* const* planes, int frames);
    // Completes the file and flushes it to disk, still without a name; the step that fails on a
    // full disk, so files rendered together can all get there before any is named. Throws
    // Failure.
    void finish();
    // Finishes the file if that is still to do, and gives it its name. Without replace, a file
    // that appeared under that name meanwhile is not replaced either. A file it replaces is kept
    // under a hidden name until this object goes, for withdraw(). Throws Failure.
    void commit();
    // Takes the name away again from a committed file, when a file named with it could not be:
    // files rendered together exist all or none. A file it replaced gets its name back.
    void withdraw();

private:
    void create(const std::string& folder, const std::string& baseName);
    void keepOwnerAndMode();
    void encode(const float* samples, int frames); // on the worker
    std::string libraryFailure(const std::string& message) const;
    [[noreturn]] void writeFailed(const std::string& why);
    void nameIt();
    void keepReplaced();
    // Gives the replaced file its name back, when one was kept; false when there was none.
    bool restoreReplaced();
    void discard();

    std::string shownName;     // as the person gave it
    std::string path;          // where the file goes: the name, or where its links lead
    std::string temporaryPath; // the hidden name, when the file system makes no unnamed files
    std::string replacedPath;  // the hidden name of the file this one replaced, while kept
    bool replace;
    bool existed = false;
    struct stat previous {}; // the file being replaced
    int format;
    int channelCount;
    int sampleRate;
    std::int64_t frameLimit;
    std::int64_t written = 0;
    bool clipping = false;
    int descriptor = -1;
    std::unique_ptr<BufferedWriter> writer;
    SNDFILE* file = nullptr;
    bool finished = false;
    bool committed = false;
    // One buffer is filled while the worker writes the others.
    static constexpr std::size_t kQueued = 3;
    std::vector<float> interleaved[kQueued + 1];
    std::size_t nextBuffer = 0;
    Worker worker{kQueued}; // last: it stops before anything it uses goes
};

// True when both names lead to the same existing file (same device and inode), whatever links
// or spellings lead there.
bool isSameFile(const std::string& a, const std::string& b);
