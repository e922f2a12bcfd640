#include "formats/wma_attributes.h"

#include <taglib/asffile.h>
#include <taglib/asftag.h>

#include "formats/file_rewrite.h"
#include "formats/text_encoding.h"

namespace sondrel {
namespace {

constexpr size_t kShortLimit = 255;

std::string fromTagLib(const TagLib::String& s) { return s.to8Bit(true); }
TagLib::String toTagLib(const std::string& s) { return TagLib::String(s, TagLib::String::UTF8); }

std::string attributeText(TagLib::ASF::Tag& tag, const char* name) {
  const auto& map = tag.attributeListMap();
  auto it = map.find(name);
  if (it == map.end() || it->second.isEmpty()) return {};
  const auto& attribute = it->second.front();
  switch (attribute.type()) {
    case TagLib::ASF::Attribute::UnicodeType: return fromTagLib(attribute.toString());
    case TagLib::ASF::Attribute::DWordType: return std::to_string(attribute.toUInt());
    case TagLib::ASF::Attribute::QWordType: return std::to_string(attribute.toULongLong());
    case TagLib::ASF::Attribute::WordType: return std::to_string(attribute.toUShort());
    default: return {};
  }
}

}  // namespace

bool ReadWMAAttributes(const std::string& path, WMAAttributes& record) {
  record = WMAAttributes{};
  try {
    TagLib::ASF::File file(path.c_str(), false);
    if (!file.isValid() || !file.tag()) return false;
    TagLib::ASF::Tag& tag = *file.tag();
    auto cut = [](std::string s) { return utf8Prefix(s, kShortLimit); };
    record.Title = cut(fromTagLib(tag.title()));
    record.Author = cut(fromTagLib(tag.artist()));
    record.Copyright = cut(fromTagLib(tag.copyright()));
    record.Description = fromTagLib(tag.comment());
    record.EncodedBy = cut(attributeText(tag, "WM/EncodedBy"));
    record.Genre = cut(attributeText(tag, "WM/Genre"));
    record.AlbumTitle = cut(attributeText(tag, "WM/AlbumTitle"));
    record.Composer = cut(attributeText(tag, "WM/Composer"));
    record.URL = cut(attributeText(tag, "WM/URL"));
    record.Year = cut(attributeText(tag, "WM/Year"));
    record.TrackNumber = cut(attributeText(tag, "WM/TrackNumber"));
    record.Lyrics = attributeText(tag, "WM/Lyrics");
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool WriteWMAAttributes(const std::string& path, const WMAAttributes& record) {
  return editCopyThenReplace(path, [&](const std::string& copy) {
    TagLib::ASF::File file(copy.c_str(), false);
    if (!file.isValid() || !file.tag()) return false;
    TagLib::ASF::Tag& tag = *file.tag();
    auto cut = [](const std::string& s) { return toTagLib(utf8Prefix(s, kShortLimit)); };
    tag.setAttribute("WM/EncodedBy", cut(record.EncodedBy));
    tag.setAttribute("WM/Genre", cut(record.Genre));
    tag.setArtist(cut(record.Author));
    tag.setAttribute("WM/Composer", cut(record.Composer));
    tag.setTitle(cut(record.Title));
    tag.setAttribute("WM/AlbumTitle", cut(record.AlbumTitle));
    tag.setAttribute("WM/Year", cut(record.Year));
    tag.setAttribute("WM/TrackNumber", cut(record.TrackNumber));
    tag.setAttribute("WM/URL", cut(record.URL));
    tag.setCopyright(cut(record.Copyright));
    tag.setComment(toTagLib(record.Description));
    if (!record.Lyrics.empty()) tag.setAttribute("WM/Lyrics", toTagLib(record.Lyrics));
    return file.save();
  });
}

}  // namespace sondrel
