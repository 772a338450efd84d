#include "data/saved_cookies.h"

#include <cstring>

namespace bpriv {
namespace {

void AppendUint64Le(uint64_t value, std::string* bytes) {
  AppendUint32Le(static_cast<uint32_t>(value), bytes);
  AppendUint32Le(static_cast<uint32_t>(value >> 32), bytes);
}

void AppendUnits(const std::u16string& text, std::string* bytes) {
  AppendUint32Le(static_cast<uint32_t>(text.size()), bytes);
  for (char16_t unit : text) {
    bytes->push_back(static_cast<char>(unit & 0xFF));
    bytes->push_back(static_cast<char>(unit >> 8));
  }
}

// Assembled byte by byte: the host's byte order does not matter.
bool ReadUint32(CByteSource& source, uint32_t* value) {
  uint8_t b[4];
  if (!source.Read(b, 4)) return false;
  *value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  return true;
}

bool ReadUint64(CByteSource& source, uint64_t* value) {
  uint32_t low = 0, high = 0;
  if (!ReadUint32(source, &low) || !ReadUint32(source, &high)) return false;
  *value = low | (static_cast<uint64_t>(high) << 32);
  return true;
}

bool ReadUnits(CByteSource& source, std::u16string* text) {
  uint32_t length = 0;
  if (!ReadUint32(source, &length)) return false;
  if (2ull * length > source.Remaining()) return false;
  std::string bytes(2ull * length, '\0');
  if (length && !source.Read(&bytes[0], bytes.size())) return false;
  text->resize(length);
  for (uint32_t i = 0; i < length; ++i)
    (*text)[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                       (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  return true;
}

}  // namespace

void AppendUint32Le(uint32_t value, std::string* bytes) {
  for (int shift = 0; shift < 32; shift += 8) bytes->push_back(static_cast<char>((value >> shift) & 0xFF));
}

void AppendSavedRecord(const SavedCookieRecord& r, std::string* bytes) {
  AppendUnits(r.url, bytes);
  AppendUnits(r.file_name, bytes);
  if (!r.file_name.empty()) {
    AppendUint32Le(static_cast<uint32_t>(r.content.size()), bytes);
    bytes->append(r.content);
  }
  AppendUint64Le(r.expire_time, bytes);
  AppendUint64Le(r.last_modified, bytes);
  AppendUint32Le(r.type, bytes);
}

bool CMemorySource::Read(void* out, size_t size) {
  if (size > size_ - pos_) return false;
  if (size) std::memcpy(out, data_ + pos_, size);
  pos_ += size;
  return true;
}

bool ReadSavedCount(CByteSource& source, uint32_t* count) { return ReadUint32(source, count); }

bool ReadSavedRecord(CByteSource& source, SavedCookieRecord* r) {
  *r = SavedCookieRecord();
  if (!ReadUnits(source, &r->url) || !ReadUnits(source, &r->file_name)) return false;
  if (!r->file_name.empty()) {
    uint32_t length = 0;
    if (!ReadUint32(source, &length) || length > source.Remaining()) return false;
    r->content.resize(length);
    if (length && !source.Read(&r->content[0], length)) return false;
  }
  return ReadUint64(source, &r->expire_time) && ReadUint64(source, &r->last_modified) &&
         ReadUint32(source, &r->type);
}

}  // namespace bpriv
