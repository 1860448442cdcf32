#include "bufferedwriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Large enough that system calls cost little beside the audio work, small enough to stay in the
// processor's cache until the kernel copies it (a 1 MiB buffer made the whole render 40 % dearer).
constexpr std::size_t kBufferBytes = std::size_t{64} << 10;
// Written data is handed to the disk in steps of this much, and each step is waited for while the
// next one is written: the wait overlaps the audio work, and the final fsync has at most two
// steps left to wait for instead of the whole file.
constexpr std::int64_t kWriteBackBytes = std::int64_t{8} << 20;

BufferedWriter& writer(void* self) { return *static_cast<BufferedWriter*>(self); }

} // namespace

BufferedWriter::BufferedWriter(int fd) : descriptor(fd) { pending.reserve(kBufferBytes); }

SNDFILE* BufferedWriter::open(SF_INFO& info) {
    static SF_VIRTUAL_IO callbacks = {&BufferedWriter::length, &BufferedWriter::seek,
                                      &BufferedWriter::read, &BufferedWriter::write,
                                      &BufferedWriter::tell};
    return sf_open_virtual(&callbacks, SFM_WRITE, &info, this);
}

void BufferedWriter::fail(int error) {
    if (firstError == 0) firstError = error != 0 ? error : EIO;
}

bool BufferedWriter::writeOut(const char* data, std::size_t bytes, std::int64_t at) {
    while (bytes > 0) {
        const ssize_t done = pwrite(descriptor, data, bytes, at);
        if (done < 0 && errno == EINTR) continue; // a caught signal; the render loop sees it
        if (done <= 0) {
            fail(done < 0 ? errno : ENOSPC);
            return false;
        }
        data += done;
        bytes -= static_cast<std::size_t>(done);
        at += done;
    }
    if (at - unsynced >= kWriteBackBytes) {
        // Failures show in the final fsync.
        (void)sync_file_range(descriptor, syncing, unsynced - syncing,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                  SYNC_FILE_RANGE_WAIT_AFTER);
        (void)sync_file_range(descriptor, unsynced, at - unsynced, SYNC_FILE_RANGE_WRITE);
        syncing = unsynced;
        unsynced = at;
    }
    return true;
}

bool BufferedWriter::flush() {
    if (firstError == 0 && !pending.empty()) writeOut(pending.data(), pending.size(), pendingStart);
    pending.clear();
    return firstError == 0;
}

sf_count_t BufferedWriter::length(void* self) { return writer(self).end; }

sf_count_t BufferedWriter::seek(sf_count_t offset, int whence, void* self) {
    BufferedWriter& w = writer(self);
    const std::int64_t base = whence == SEEK_CUR ? w.position : whence == SEEK_END ? w.end : 0;
    if (base + offset < 0) {
        w.fail(EINVAL);
        return -1;
    }
    w.position = base + offset;
    return w.position;
}

sf_count_t BufferedWriter::read(void* data, sf_count_t bytes, void* self) {
    BufferedWriter& w = writer(self);
    if (!w.flush()) return 0;
    ssize_t done = 0;
    do
        done = pread(w.descriptor, data, static_cast<std::size_t>(bytes), w.position);
    while (done < 0 && errno == EINTR);
    if (done < 0) {
        w.fail(errno);
        return 0;
    }
    w.position += done;
    return done;
}

sf_count_t BufferedWriter::write(const void* data, sf_count_t bytes, void* self) {
    BufferedWriter& w = writer(self);
    if (w.firstError != 0) return 0;
    const auto* from = static_cast<const char*>(data);
    const auto size = static_cast<std::size_t>(bytes);
    const auto pendingEnd = w.pendingStart + static_cast<std::int64_t>(w.pending.size());
    // Only writes that continue the gathered ones join them (libsndfile seeks back to headers).
    if (!w.pending.empty() && (w.position != pendingEnd || w.pending.size() + size > kBufferBytes))
        if (!w.flush()) return 0;
    if (size >= kBufferBytes) {
        if (!w.writeOut(from, size, w.position)) return 0;
    } else {
        if (w.pending.empty()) w.pendingStart = w.position;
        w.pending.insert(w.pending.end(), from, from + size);
    }
    w.position += bytes;
    w.end = std::max(w.end, w.position);
    return bytes;
}

sf_count_t BufferedWriter::tell(void* self) { return writer(self).position; }
