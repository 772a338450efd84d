// The saved-cookies file "SavedLowFavCookies1": a record count, then that many
// SavedCookieRecord records back to back. Integers are unsigned little-endian,
// strings UTF-16LE without terminator, no padding. Pure code.
//
//   count u32 | { url_len u32, url, file_len u32, file,
//                 [content_len u32, content]   (only when file_len != 0)
//                 expire u64, last_modified u64, type u32 } * count
//
// The file lies in a folder that sandboxed processes can write: the reader
// treats it as untrusted and checks every length against what is left.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace bpriv {

struct SavedCookieRecord {
  std::u16string url;        // empty: the entry had no source URL
  std::u16string file_name;  // empty: no local file, and no content field
  std::string content;       // the cookie file's bytes
  uint64_t expire_time = 0;  // FILETIME, low half first on the disk
  uint64_t last_modified = 0;
  uint32_t type = 0;
};

void AppendUint32Le(uint32_t value, std::string* bytes);
// The record as it lies in the file: 28 + 2u bytes, and 4 + 2f + c more with
// a file name. Lengths beyond 32 bits are the caller's
// to refuse.
void AppendSavedRecord(const SavedCookieRecord& record, std::string* bytes);

// Where the reader takes its bytes from.
class CByteSource {
 public:
  virtual ~CByteSource() = default;
  // Bytes left; a length beyond this is never allocated.
  virtual uint64_t Remaining() const = 0;
  // True when exactly `size` bytes were read into `out`.
  virtual bool Read(void* out, size_t size) = 0;
};

class CMemorySource final : public CByteSource {
 public:
  CMemorySource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  uint64_t Remaining() const override { return size_ - pos_; }
  bool Read(void* out, size_t size) override;

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// False on a short read.
[[nodiscard]] bool ReadSavedCount(CByteSource& source, uint32_t* count);
// False when a field is cut short or a length runs past what is left; such a
// length is refused before anything is allocated for it.
[[nodiscard]] bool ReadSavedRecord(CByteSource& source, SavedCookieRecord* record);

}  // namespace bpriv
