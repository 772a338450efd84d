// The cookie listing's texts: the cookie name, the record and the four-line
// block of the export file. Pure code over UTF-16 units.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bpriv {

// The key without a leading "Cookie:" (exact case), when something follows it.
std::u16string_view CookieNameOf(std::u16string_view key);

// PRIVILEGE 00 <n> "<file>" <key>. Nullopt when the text needs more than
// max_units (terminator not counted), or when the file name or the key holds a
// CR or LF: such a name would forge lines of the export file. No quote or blank
// is escaped.
std::optional<std::u16string> FormatFileRecord(int32_t listing_number, std::u16string_view local_file,
                                               std::u16string_view key, size_t max_units = SIZE_MAX);

// The cookie listing's records live in 410 units with the terminator.
constexpr size_t kCookieRecordMaxUnits = 409;

// One block of the export file as UTF-16LE bytes: URL, FILE, EXPIRETIME and
// LASTACCESSTIME lines, each ending with CR LF. Texts are written as given.
void AppendCookieExportBlock(std::u16string_view name, std::u16string_view local_file, std::u16string_view expire,
                             std::u16string_view last_access, std::string* bytes);

}  // namespace bpriv
