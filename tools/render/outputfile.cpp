#include "outputfile.h"

#include "failure.h"
#include "outputformat.h"
#include "standardstreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace {

constexpr int kMaxLinks = 40;         // as the kernel follows them
constexpr std::size_t kMaxName = 255; // bytes in one file name
constexpr const char* kSuffix = ".XXXXXX";

std::string inQuotes(const std::string& path) { return "'" + path + "'"; }

std::string systemError(int error = errno) { return std::strerror(error); }

std::string folderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}

std::string kindOf(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// Where name leads: itself, or the file at the end of its symbolic links, whose status is left in
// status; exists tells whether there is one. Throws Failure for anything but a regular file or
// nothing, and for a link that leads nowhere.
std::string followLinks(const std::string& name, struct stat& status, bool& exists) {
    std::string at = name;
    for (int hops = 0;; ++hops) {
        if (lstat(at.c_str(), &status) != 0) {
            if (errno != ENOENT)
                throw Failure(ExitCode::Output,
                              "cannot write " + inQuotes(name) + ": " + systemError());
            if (hops > 0)
                throw Failure(ExitCode::Output, "the output " + inQuotes(name) +
                                                    " is a symbolic link to " + inQuotes(at) +
                                                    ", which does not exist; name the file itself");
            exists = false;
            return at;
        }
        if (!S_ISLNK(status.st_mode)) break;
        if (hops == kMaxLinks)
            throw Failure(ExitCode::Output,
                          "cannot write " + inQuotes(name) + ": " + systemError(ELOOP));
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(at, error);
        if (error)
            throw Failure(ExitCode::Output,
                          "cannot write " + inQuotes(name) + ": " + error.message());
        at = target.is_absolute() ? target.string()
                                  : (std::filesystem::path(at).parent_path() / target).string();
    }
    if (S_ISDIR(status.st_mode))
        throw Failure(ExitCode::Output, "the output " + inQuotes(name) + " is a folder");
    if (!S_ISREG(status.st_mode))
        throw Failure(ExitCode::Output, "the output " + inQuotes(name) + " is " +
                                            kindOf(status.st_mode) +
                                            ", not a regular file; name a file");
    exists = true;
    return at;
}

// "folder/.name.XXXXXX": hidden, and named after the output so a person knows whose it is; the
// name is cut so that the whole stays within the longest legal file name.
std::string hiddenPattern(const std::string& folder, const std::string& baseName) {
    const std::string kept = baseName.substr(0, kMaxName - 1 - std::strlen(kSuffix));
    return folder + "/." + kept + kSuffix;
}

// The pattern with its X's replaced by random letters and digits.
std::string randomName(std::string pattern) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof(kLetters) - 2);
    for (std::size_t i = pattern.size() - std::strlen(kSuffix) + 1; i < pattern.size(); ++i)
        pattern[i] = kLetters[pick(random)];
    return pattern;
}

// Calls make(name) with random names from the pattern until one is free, and returns that name;
// "" with errno set when make fails for another reason than a name taken.
template <typename Make> std::string freeHiddenName(const std::string& pattern, Make make) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string hidden = randomName(pattern);
        if (make(hidden.c_str()) == 0) return hidden;
        if (errno != EEXIST) break;
    }
    return {};
}

std::string procPath(int descriptor) { return "/proc/self/fd/" + std::to_string(descriptor); }

} // namespace

OutputFile::OutputFile(const std::string& name, int fileFormat, int channels, int rate,
                       std::int64_t frames, std::int64_t framesAtMost, bool replaceExisting)
    : shownName(name), replace(replaceExisting), format(fileFormat), channelCount(channels),
      sampleRate(rate), frameLimit(maxFrames(fileFormat, channels)) {
    path = followLinks(name, previous, existed);
    if (existed && !replace)
        throw Failure(ExitCode::Output,
                      "the output " + inQuotes(name) + " exists; add --force to replace it");
    if (frameLimit >= 0 && frames > frameLimit) {
        char length[64];
        std::snprintf(length, sizeof(length), "%.3f s", static_cast<double>(frames) / rate);
        throw Failure(ExitCode::Output, "cannot write " + inQuotes(name) + ": " + length + " of " +
                                            std::to_string(channels) + "-channel " +
                                            formatName(format) + " at " + std::to_string(rate) +
                                            " Hz is more than the 4 GiB its header can count; "
                                            "name it .wav, which becomes RF64 when it needs to");
    }

    create(folderOf(path), std::filesystem::path(path).filename().string());
    try {
        if (existed) keepOwnerAndMode();
        writer = std::make_unique<BufferedWriter>(descriptor);
        SF_INFO info{};
        // A stream has no length in advance, but its header bounds it: plain WAV when that fits,
        // so it gets the bytes the same file would.
        info.format = fileFormatFor(format, channels, framesAtMost);
        info.channels = channels;
        info.samplerate = rate;
        file = writer->open(info);
        if (file == nullptr)
            throw Failure(ExitCode::Output, "cannot write " + inQuotes(name) + " as " +
                                                formatName(info.format) + ", " +
                                                std::to_string(channels) + " channels at " +
                                                std::to_string(rate) +
                                                " Hz: libsndfile says: " + sf_strerror(nullptr));
        // RF64 turns back into plain WAV when the data fits after all (a stream of unknown
        // length). Plain WAV and AIFF go without the peak chunk and its time stamp, so the same
        // render gives the same bytes.
        if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RF64)
            sf_command(file, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
        else
            sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
        // Without clipping, libsndfile wraps samples beyond full scale around to the opposite
        // sign.
        const int subtype = format & SF_FORMAT_SUBMASK;
        clipping = subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_VORBIS;
        if (clipping) sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    } catch (...) {
        discard();
        throw;
    }
}

OutputFile::~OutputFile() {
    if (!committed) discard();
    // Kept for withdraw(), which can no longer come: the render stands.
    if (!replacedPath.empty()) unlink(replacedPath.c_str());
}

void OutputFile::create(const std::string& folder, const std::string& baseName) {
    descriptor = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    // Naming an unnamed file later goes through /proc.
    if (descriptor >= 0 && access(procPath(descriptor).c_str(), F_OK) == 0) return;
    if (descriptor >= 0) {
        close(descriptor);
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        throw Failure(ExitCode::Output,
                      "cannot create the output in " + inQuotes(folder) + ": " + systemError());
    }
    // The temporary file lives in the destination folder, so the final rename stays on one file
    // system and is atomic.
    std::string pattern = hiddenPattern(folder, baseName);
    descriptor = mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor < 0)
        throw Failure(ExitCode::Output,
                      "cannot create the output in " + inQuotes(folder) + ": " + systemError());
    temporaryPath = pattern;
    // mkostemp makes the file private; the finished file gets the permissions of any new file.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
}

void OutputFile::keepOwnerAndMode() {
    // Only root may give a file away; anyone may keep one of their groups.
    if (fchown(descriptor, previous.st_uid, previous.st_gid) != 0 &&
        fchown(descriptor, static_cast<uid_t>(-1), previous.st_gid) != 0) {
        // The new file stays ours, as with any program that replaces a file.
    }
    fchmod(descriptor, previous.st_mode & 0777);
}

void OutputFile::discard() {
    try {
        worker.wait();
    } catch (...) { // the failure being handled, or one after it
    }
    if (file != nullptr) sf_close(file);
    file = nullptr;
    writer.reset();
    if (descriptor >= 0) close(descriptor);
    descriptor = -1;
    if (!temporaryPath.empty()) unlink(temporaryPath.c_str());
}

std::string OutputFile::libraryFailure(const std::string& message) const {
    // libsndfile's words ("Format not recognised") do not say what was asked of it.
    return "libsndfile cannot write " + formatName(format) + ", " + std::to_string(channelCount) +
           " channels at " + std::to_string(sampleRate) + " Hz: " + message;
}

void OutputFile::writeFailed(const std::string& why) {
    throw Failure(ExitCode::Output, "writing " + inQuotes(shownName) + " failed: " + why);
}

void OutputFile::write(const float* const* planes, int frames) {
    if (frameLimit >= 0 && written + frames > frameLimit)
        writeFailed("the samples outgrow the 4 GiB an " + formatName(format) +
                    " header can count; name it .wav, which becomes RF64 when it needs to");
    // The job that used this buffer last has run: no more than kQueued jobs are in hand.
    std::vector<float>& buffer = interleaved[nextBuffer];
    nextBuffer = (nextBuffer + 1) % (kQueued + 1);
    buffer.resize(static_cast<size_t>(frames) * static_cast<size_t>(channelCount));
    float* to = buffer.data();
    if (channelCount == 2) { // the usual case, in a loop the compiler turns into vector code
        const float* left = planes[0];
        const float* right = planes[1];
        for (size_t i = 0; i < static_cast<size_t>(frames); ++i) {
            to[2 * i] = left[i];
            to[2 * i + 1] = right[i];
        }
    } else {
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < channelCount; ++c)
                to[static_cast<size_t>(i) * channelCount + c] = planes[c][i];
    }
    written += frames;
    worker.post([this, to, frames] { encode(to, frames); });
}

void OutputFile::encode(const float* samples, int frames) {
    if (sf_writef_float(file, samples, frames) != frames || writer->error() != 0)
        writeFailed(writer->error() != 0 ? systemError(writer->error())
                                         : libraryFailure(sf_strerror(file)));
}

void OutputFile::finish() {
    if (finished) return;
    worker.wait();
    const int closed = sf_close(file);
    file = nullptr;
    // libsndfile does not report every failure while it finishes a file; the writer saw them all.
    if (!writer->flush()) writeFailed(systemError(writer->error()));
    if (closed != 0) writeFailed(libraryFailure(sf_error_number(closed)));
    // On disk before it takes its name: a crash then leaves the old file or the new one.
    if (fsync(descriptor) != 0) writeFailed(systemError());
    finished = true;
}

void OutputFile::commit() {
    finish();
    nameIt();
    committed = true;
    if (existed && previous.st_nlink > 1) {
        const auto others = previous.st_nlink - 1;
        standardstreams::warn("the replaced " + inQuotes(shownName) + " had " +
                              std::to_string(others) +
                              (others == 1 ? " other name (a hard link), which keeps"
                                           : " other names (hard links), which keep") +
                              " the old content");
    }
}

void OutputFile::withdraw() {
    if (committed && !restoreReplaced()) unlink(path.c_str());
    committed = false;
}

void OutputFile::keepReplaced() {
    const std::string pattern =
        hiddenPattern(folderOf(path), std::filesystem::path(path).filename().string());
    // A second name for the old file: the name itself never goes missing.
    replacedPath =
        freeHiddenName(pattern, [this](const char* hidden) { return link(path.c_str(), hidden); });
    if (!replacedPath.empty() || errno == ENOENT) return;
    // No hard links here (vfat, exFAT, or a file of someone else's): the old file moves aside for
    // the instant until the new one takes its name. A folder in its place stays where it is.
    struct stat status {};
    if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        replacedPath = freeHiddenName(pattern, [this](const char* hidden) {
            return renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, hidden, RENAME_NOREPLACE);
        });
}

bool OutputFile::restoreReplaced() {
    if (replacedPath.empty()) return false;
    if (rename(replacedPath.c_str(), path.c_str()) != 0) {
        standardstreams::warn("the old content of " + inQuotes(shownName) + " is kept as " +
                              inQuotes(replacedPath) + ": " + systemError());
    } else {
        // Still there when it and the name were one file already (the new one never got the name).
        unlink(replacedPath.c_str());
    }
    replacedPath.clear();
    return true;
}

void OutputFile::nameIt() {
    const auto cannotName = [this](const std::string& why) {
        throw Failure(ExitCode::Output, "cannot write " + inQuotes(shownName) + ": " + why);
    };
    const std::string appeared = "it appeared while rendering; add --force to replace it";
    // The finished file under a name of its own, ready to be renamed over the old one in one step.
    std::string ready = temporaryPath;
    if (!temporaryPath.empty()) {
        const int closed = close(descriptor);
        descriptor = -1;
        if (closed != 0) writeFailed(systemError());
        if (!replace) {
            bool moved = renameat2(AT_FDCWD, temporaryPath.c_str(), AT_FDCWD, path.c_str(),
                                   RENAME_NOREPLACE) == 0;
            // File systems without the no-replace rename: a hard link refuses an existing name.
            if (!moved && (errno == EINVAL || errno == ENOSYS) &&
                link(temporaryPath.c_str(), path.c_str()) == 0) {
                unlink(temporaryPath.c_str());
                moved = true;
            }
            if (!moved) cannotName(errno == EEXIST ? appeared : systemError());
            temporaryPath.clear();
            return;
        }
    } else if (!replace) {
        if (linkat(AT_FDCWD, procPath(descriptor).c_str(), AT_FDCWD, path.c_str(),
                   AT_SYMLINK_FOLLOW) != 0)
            cannotName(errno == EEXIST ? appeared : systemError());
    } else {
        // A link cannot replace a file: the file is linked under a hidden name for a moment.
        const std::string unnamed = procPath(descriptor);
        ready = freeHiddenName(
            hiddenPattern(folderOf(path), std::filesystem::path(path).filename().string()),
            [&unnamed](const char* hidden) {
                return linkat(AT_FDCWD, unnamed.c_str(), AT_FDCWD, hidden, AT_SYMLINK_FOLLOW);
            });
        if (ready.empty()) cannotName(systemError());
    }
    if (replace) {
        keepReplaced();
        if (rename(ready.c_str(), path.c_str()) != 0) {
            const int error = errno;
            unlink(ready.c_str());
            temporaryPath.clear();
            restoreReplaced();
            cannotName(systemError(error));
        }
        temporaryPath.clear();
    }
    if (descriptor < 0) return;
    const int closed = close(descriptor);
    descriptor = -1;
    if (closed != 0) {
        const int error = errno;
        if (!restoreReplaced()) unlink(path.c_str());
        writeFailed(systemError(error));
    }
}

bool isSameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
