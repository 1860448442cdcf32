// Which libsndfile format an output file gets: the container from the file name, the sample format
// asked for or kept from the input, and whether the container can hold the data at all.
#pragma once

#include "parameters.h"

#include <cstdint>
#include <optional>
#include <string>

// Sample formats a person can ask for with --format.
enum class SampleFormat { Pcm16, Pcm24, Pcm32, Float };
// "pcm16", "pcm24", "pcm32", "float"; anything else is refused with the choices.
parameters::Parsed<SampleFormat> parseSampleFormat(const std::string& text);

// The libsndfile format for an output file: the container from path's extension (wav, aiff or
// aif, flac, ogg), and the sample format requested, or else the input's where the container can
// hold it (inputSubtype is a libsndfile subtype). Throws Failure: ExitCode::Output for a name
// without a known extension, ExitCode::Usage for a requested format the container cannot hold.
int outputFormatFor(const std::string& path, std::optional<SampleFormat> requested,
                    int inputSubtype, int channels, int sampleRate);

// "WAV float", "FLAC pcm24", "Ogg Vorbis": a format as a person names it.
std::string formatName(int format);

// The most frames a file of this format can count in its header, or -1 for no limit a render
// could reach. WAV has none: see fileFormatFor.
std::int64_t maxFrames(int format, int channels);

// The format to open a file of frames frames (-1: not known in advance) with: a WAV file whose
// samples may outgrow the 4 GiB a RIFF header can count becomes RF64.
int fileFormatFor(int format, int channels, std::int64_t frames);
