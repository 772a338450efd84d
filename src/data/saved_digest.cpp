#include "data/saved_digest.h"

#include <bcrypt.h>

#include <algorithm>
#include <cstring>

#include "data/data_folder.h"
#include "safe/safe_file.h"

namespace bpriv {
namespace {

constexpr size_t kMostDigests = 2;  // the file before a save's rename, and the one after

// Owners for BCrypt's algorithm and hash handles.
struct AlgorithmTraits {
  using Type = BCRYPT_ALG_HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashTraits {
  using Type = BCRYPT_HASH_HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::BCryptDestroyHash(h); }
};

std::wstring DigestPath(bool epm) {
  return JoinFitting(ProductDataFolder(true), epm ? L"\\SavedLowFavCookies1.epm.sha256"
                                                  : L"\\SavedLowFavCookies1.low.sha256");
}

}  // namespace

std::optional<Sha256Digest> Sha256(const void* data, size_t size) {
  BCRYPT_ALG_HANDLE raw_algorithm = nullptr;
  if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&raw_algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
    return std::nullopt;
  Unique<AlgorithmTraits> algorithm(raw_algorithm);
  BCRYPT_HASH_HANDLE raw_hash = nullptr;
  if (!BCRYPT_SUCCESS(::BCryptCreateHash(algorithm.get(), &raw_hash, nullptr, 0, nullptr, 0, 0)))
    return std::nullopt;
  Unique<HashTraits> hash(raw_hash);
  auto* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
  for (size_t done = 0; done < size;) {  // in pieces a ULONG can count
    const ULONG piece = static_cast<ULONG>(std::min<size_t>(size - done, 1u << 30));
    if (!BCRYPT_SUCCESS(::BCryptHashData(hash.get(), bytes + done, piece, 0))) return std::nullopt;
    done += piece;
  }
  Sha256Digest digest;
  if (!BCRYPT_SUCCESS(::BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0)))
    return std::nullopt;
  return digest;
}

std::vector<Sha256Digest> ReadSavedDigests(bool epm) {
  std::vector<Sha256Digest> digests;
  const std::wstring path = DigestPath(epm);
  UniqueFile file(path.empty() ? INVALID_HANDLE_VALUE
                               : ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  if (!file || !ReadWholeFile(file.get(), &bytes) || bytes.empty() || bytes.size() % 32 != 0 ||
      bytes.size() > kMostDigests * 32)
    return digests;
  digests.resize(bytes.size() / 32);
  std::memcpy(digests.data(), bytes.data(), bytes.size());
  return digests;
}

bool WriteSavedDigests(bool epm, const std::vector<Sha256Digest>& digests) {
  const std::wstring folder = ProductDataFolder(true), path = DigestPath(epm);
  if (path.empty() || digests.size() > kMostDigests) return false;
  CSafeFolders folders({BaseFolder(true)});
  if (digests.empty()) return folders.Remove(path);
  std::string bytes(digests.size() * 32, '\0');
  std::memcpy(&bytes[0], digests.data(), bytes.size());
  // Never half a list: a kill leaves the old one or the new one.
  CSafeFile file;
  if (folders.MakeFolder(folder))
    file = folders.Open(path + L".new", {GENERIC_WRITE | DELETE, 0, SafeCreate::kExistingElseNew});
  if (file && WriteWholeFile(file.get(), bytes.data(), bytes.size()) && ::FlushFileBuffers(file.get()) &&
      file.Rename(path.substr(folder.size() + 1), true) == 0)
    return true;
  if (file) (void)file.Delete();
  return false;
}

}  // namespace bpriv
