// The descriptor of an output file as libsndfile writes it, through its virtual I/O: writes are
// gathered into large ones, written back to disk as the render goes, and the first failure of
// any call is kept. libsndfile moves a few kilobytes per call, and does not report every failure
// (not those while it finishes a FLAC or Ogg file), so the owner asks error() before it trusts the
// file.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <vector>

class BufferedWriter {
public:
    // descriptor stays the caller's; it must be open for reading and writing.
    explicit BufferedWriter(int fd);
    ~BufferedWriter() = default;
    BufferedWriter(const BufferedWriter&) = delete;
    BufferedWriter& operator=(const BufferedWriter&) = delete;

    // sf_open_virtual on this writer; null with sf_strerror(nullptr) telling why.
    SNDFILE* open(SF_INFO& info);
    // Writes what is gathered. False (and error() set) when any write so far failed.
    bool flush();
    // The errno value of the first failure, or 0.
    int error() const { return firstError; }

private:
    static sf_count_t length(void* self);
    static sf_count_t seek(sf_count_t offset, int whence, void* self);
    static sf_count_t read(void* data, sf_count_t bytes, void* self);
    static sf_count_t write(const void* data, sf_count_t bytes, void* self);
    static sf_count_t tell(void* self);

    bool writeOut(const char* data, std::size_t bytes, std::int64_t at);
    void fail(int error);

    int descriptor;
    std::vector<char> pending; // bytes that belong at pendingStart
    std::int64_t pendingStart = 0;
    std::int64_t position = 0; // where libsndfile reads or writes next
    std::int64_t end = 0;      // the file's length, pending bytes included
    std::int64_t syncing = 0;  // the first byte whose write-back may still be going on
    std::int64_t unsynced = 0; // the first byte not yet handed to write-back
    int firstError = 0;
};
