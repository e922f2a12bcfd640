// APE tags (versions 1.0 and 2.0 read, 2.0 written) at the end of a file, in
// front of an optional ID3v1 tag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/bytes.h"

namespace sondrel {

class TAPETag {
 public:
  struct Item {
    std::string name;
    std::string value;  // UTF-8 text, trimmed and cut as readers show it
    uint32_t flags = 0;
    // The value's bytes as stored, written back unchanged unless the value
    // was replaced, so binary items survive a rewrite.
    Bytes stored;
    bool storedValid = false;
  };

  TAPETag() { Reset(); }

  void Reset();
  // False when the file cannot be opened or is too short to hold a footer.
  bool Read(const std::string& path);
  // The same on a file its owner has open already.
  bool Read(class InputFile& file);
  // Writes every item as a version 2.0 tag, replacing any APE tag and keeping
  // an ID3v1 tag last. False when nothing was written.
  bool Write(const std::string& path);

  bool Present() const { return present_; }
  uint32_t Version() const { return version_; }
  uint32_t Size() const { return size_; }
  const std::vector<Item>& Items() const { return items_; }

  // Value of the first item with this name, ignoring letter case.
  std::string GetField(std::string_view name) const;
  // Appends an item, even when one of that name exists (GetField keeps
  // returning the earlier one).
  void AddField(std::string_view name, std::string_view value);
  // Replaces the value of the first item of that name, or appends one.
  void SetField(std::string_view name, std::string_view value);

 private:
  bool present_ = false;
  uint32_t version_ = 0;
  uint32_t size_ = 0;
  std::vector<Item> items_;
};

}  // namespace sondrel
