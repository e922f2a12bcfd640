// Small hand-built byte images of tags and stream headers for the reader tests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sondrel::test {

std::string readAll(const std::string& path);
void writeAll(const std::string& path, const std::string& bytes);

std::string le16s(uint16_t v);
std::string le32s(uint32_t v);
std::string be32s(uint32_t v);
std::string be24s(uint32_t v);
std::string synchsafe(uint32_t v);

// A 128-byte ID3v1 tag from its raw fields (each padded with zero bytes).
std::string id3v1Tag(const std::string& title, const std::string& artist, const std::string& album,
                     const std::string& year, const std::string& comment30, uint8_t genre);

// An ID3v2 frame of version 3 or 4 (4-character ID) or 2 (3-character ID).
std::string id3v2Frame(int version, const std::string& id, const std::string& body, uint8_t formatFlags = 0);
// An ID3v2 tag whose size field covers the frames plus `padding` zero bytes.
std::string id3v2Tag(int version, const std::string& frames, size_t padding = 0, uint8_t flags = 0);

// An APE tag: items of (name, value); with a header for version 2000.
std::string apeTag(const std::vector<std::pair<std::string, std::string>>& items, uint32_t version = 2000,
                   bool withHeader = true);

// A FLAC metadata block.
std::string flacBlock(int type, bool last, const std::string& body);
std::string flacStreamInfo(int sampleRate, int channels, int bits, uint64_t samples);

// An Ogg page holding whole packets (each below 255 * 255 bytes).
std::string oggPage(uint32_t serial, uint32_t sequence, uint64_t granule, uint8_t flags,
                    const std::vector<std::string>& packets);
std::string vorbisIdentification(int channels, uint32_t sampleRate, int32_t nominalBitRate);

// An MPEG audio frame header followed by zero bytes up to `length`.
std::string mpegFrame(const std::string& header4, size_t length);

}  // namespace sondrel::test
