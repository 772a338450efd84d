// What tells a saved-cookies file this agent wrote from one that another
// process made or changed: the SHA-256 of the whole file, kept where sandboxed
// Low-integrity processes cannot write (the product folder under the local
// application data folder, never the registry), one small file for each of
// the two saved files. The restore accepts nothing else.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bpriv {

using Sha256Digest = std::array<uint8_t, 32>;

// SHA-256 through the platform's BCrypt; nothing when it cannot hash.
std::optional<Sha256Digest> Sha256(const void* data, size_t size);

// The digests accepted for the saved file of this mode (the EPM flag); none
// when the file is missing or malformed.
std::vector<Sha256Digest> ReadSavedDigests(bool epm);

// Replaces the accepted digests whole: written under a temporary name,
// flushed and renamed over the old list, the folder made when missing; an
// empty list removes the file. False when they could not be written.
bool WriteSavedDigests(bool epm, const std::vector<Sha256Digest>& digests);

}  // namespace bpriv
