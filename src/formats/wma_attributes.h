// Reading and writing the attributes of WMA files (title, author, genre...)
// through TagLib's ASF support.
#pragma once

#include <string>

namespace sondrel {

struct WMAAttributes {
  // Up to 255 characters each.
  std::string EncodedBy, Genre, Author, Title, AlbumTitle, Composer, URL, TrackNumber, Year, Copyright;
  std::string Description, Lyrics;
};

// False when the file cannot be opened as ASF.
bool ReadWMAAttributes(const std::string& path, WMAAttributes& record);
// Sets every attribute (WM/Lyrics only when not empty) and saves the file;
// true only when all of it was saved.
bool WriteWMAAttributes(const std::string& path, const WMAAttributes& record);

}  // namespace sondrel
