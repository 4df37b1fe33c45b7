#include "update/upgrade_signature.h"

#include <windows.h>
#include <bcrypt.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tickra {

namespace {

constexpr size_t kCoordinate = 32;

std::optional<std::array<uint8_t, 2 * kCoordinate>> ParseKey(std::string_view hex) {
    std::array<uint8_t, 2 * kCoordinate> key{};
    if (hex.size() != 2 * key.size()) {
        return std::nullopt;
    }
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    for (size_t i = 0; i < key.size(); ++i) {
        const int high = digit(hex[2 * i]);
        const int low = digit(hex[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        key[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return key;
}

// An algorithm provider, closed when it goes.
class Provider {
public:
    explicit Provider(const wchar_t* algorithm) {
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, 0))) {
            handle_ = nullptr;
        }
    }
    ~Provider() {
        if (handle_ != nullptr) {
            BCryptCloseAlgorithmProvider(handle_, 0);
        }
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

std::optional<std::array<uint8_t, 32>> Sha256(std::string_view data) {
    const Provider sha(BCRYPT_SHA256_ALGORITHM);
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (sha.get() == nullptr ||
        !BCRYPT_SUCCESS(BCryptCreateHash(sha.get(), &hash, nullptr, 0, nullptr, 0, 0))) {
        return std::nullopt;
    }
    std::array<uint8_t, 32> digest{};
    const bool hashed =
        BCRYPT_SUCCESS(BCryptHashData(hash,
                                      reinterpret_cast<PUCHAR>(const_cast<char*>(data.data())),
                                      static_cast<ULONG>(data.size()), 0)) &&
        BCRYPT_SUCCESS(BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    BCryptDestroyHash(hash);
    return hashed ? std::optional(digest) : std::nullopt;
}

}  // namespace

bool VerifyUpgradeSignature(std::string_view image, std::string_view signature,
                            std::string_view public_key) {
    const auto key = ParseKey(public_key);
    if (!key || signature.size() != 2 * kCoordinate || image.size() > 0xFFFFFFFFu) {
        return false;
    }
    const auto digest = Sha256(image);
    const Provider ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
    if (!digest || ecdsa.get() == nullptr) {
        return false;
    }
    std::vector<uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key->size());
    auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
    header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header->cbKey = kCoordinate;
    std::copy(key->begin(), key->end(), blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB));
    BCRYPT_KEY_HANDLE imported = nullptr;
    if (!BCRYPT_SUCCESS(BCryptImportKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &imported,
                                            blob.data(), static_cast<ULONG>(blob.size()), 0))) {
        return false;
    }
    std::array<uint8_t, 2 * kCoordinate> raw{};
    std::copy(signature.begin(), signature.end(), raw.begin());
    const NTSTATUS verified = BCryptVerifySignature(
        imported, nullptr, const_cast<PUCHAR>(digest->data()), static_cast<ULONG>(digest->size()),
        raw.data(), static_cast<ULONG>(raw.size()), 0);
    BCryptDestroyKey(imported);
    return BCRYPT_SUCCESS(verified);
}

}  // namespace tickra
