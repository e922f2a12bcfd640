// The texts of a row's columns.
#pragma once

#include <cstdint>
#include <string>

namespace sondrel {

// "1024 Bytes", "1 KB", "3 MB", "2 GB": whole numbers, truncated.
std::string SizeText(int64_t bytes);
// SizeText of the file's size, or empty when it cannot be found.
std::string FileSizeText(const std::string& path);
// Estimated size of a CD track of `seconds`: "10.09 MB".
std::string CdTrackSizeText(double seconds);
// "hh:nn:ss", the fraction of a second dropped, hours counted modulo 24.
std::string LengthText(double seconds);
// "Sampele Rate:44100 Hz,Channel:2,BPS:16bit" (BPS:undefined for 0 bits).
std::string InformationText(int sampleRate, int channels, int bitsPerSample);
// The extension without its dot, in capitals: "MP3".
std::string TypeText(const std::string& extension);
// The extension of a path with its dot, as written ("" when it has none).
std::string ExtensionOf(const std::string& path);
// The file name without its folder.
std::string FileNameOf(const std::string& path);

}  // namespace sondrel
