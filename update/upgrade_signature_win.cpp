#include "update/upgrade_signature_win.h"

#include <windows.h>
#include <bcrypt.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/library_win.h"

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

// The system's cryptography, loaded only while a signature is checked: under Wine it brings a
// large library with it, and most runs never check one.
class Cng {
public:
    Cng() {
        ok_ = bcrypt_.Load(open_, "BCryptOpenAlgorithmProvider") &&
              bcrypt_.Load(close_, "BCryptCloseAlgorithmProvider") &&
              bcrypt_.Load(create_hash_, "BCryptCreateHash") &&
              bcrypt_.Load(hash_data_, "BCryptHashData") &&
              bcrypt_.Load(finish_hash_, "BCryptFinishHash") &&
              bcrypt_.Load(destroy_hash_, "BCryptDestroyHash") &&
              bcrypt_.Load(import_, "BCryptImportKeyPair") &&
              bcrypt_.Load(verify_, "BCryptVerifySignature") &&
              bcrypt_.Load(destroy_key_, "BCryptDestroyKey");
    }

    std::optional<std::array<uint8_t, 32>> Sha256(std::string_view data) const {
        BCRYPT_ALG_HANDLE sha = nullptr;
        if (!ok_ || !BCRYPT_SUCCESS(open_(&sha, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
            return std::nullopt;
        }
        BCRYPT_HASH_HANDLE hash = nullptr;
        std::array<uint8_t, 32> digest{};
        bool hashed = BCRYPT_SUCCESS(create_hash_(sha, &hash, nullptr, 0, nullptr, 0, 0));
        hashed =
            hashed &&
            BCRYPT_SUCCESS(hash_data_(hash,
                                      reinterpret_cast<PUCHAR>(const_cast<char*>(data.data())),
                                      static_cast<ULONG>(data.size()), 0)) &&
            BCRYPT_SUCCESS(finish_hash_(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
        if (hash != nullptr) {
            destroy_hash_(hash);
        }
        close_(sha, 0);
        return hashed ? std::optional(digest) : std::nullopt;
    }

    bool Verify(const std::array<uint8_t, 2 * kCoordinate>& key,
                const std::array<uint8_t, 32>& digest,
                std::array<uint8_t, 2 * kCoordinate> signature) const {
        BCRYPT_ALG_HANDLE ecdsa = nullptr;
        if (!ok_ || !BCRYPT_SUCCESS(open_(&ecdsa, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
            return false;
        }
        std::vector<uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
        auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
        header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
        header->cbKey = kCoordinate;
        std::copy(key.begin(), key.end(), blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB));
        BCRYPT_KEY_HANDLE imported = nullptr;
        bool verified = BCRYPT_SUCCESS(import_(ecdsa, nullptr, BCRYPT_ECCPUBLIC_BLOB, &imported,
                                               blob.data(), static_cast<ULONG>(blob.size()), 0));
        if (verified) {
            verified = BCRYPT_SUCCESS(verify_(imported, nullptr, const_cast<PUCHAR>(digest.data()),
                                              static_cast<ULONG>(digest.size()), signature.data(),
                                              static_cast<ULONG>(signature.size()), 0));
            destroy_key_(imported);
        }
        close_(ecdsa, 0);
        return verified;
    }

private:
    Library bcrypt_{L"bcrypt.dll"};
    bool ok_ = false;
    decltype(&BCryptOpenAlgorithmProvider) open_ = nullptr;
    decltype(&BCryptCloseAlgorithmProvider) close_ = nullptr;
    decltype(&BCryptCreateHash) create_hash_ = nullptr;
    decltype(&BCryptHashData) hash_data_ = nullptr;
    decltype(&BCryptFinishHash) finish_hash_ = nullptr;
    decltype(&BCryptDestroyHash) destroy_hash_ = nullptr;
    decltype(&BCryptImportKeyPair) import_ = nullptr;
    decltype(&BCryptVerifySignature) verify_ = nullptr;
    decltype(&BCryptDestroyKey) destroy_key_ = nullptr;
};

}  // namespace

bool VerifyUpgradeSignature(std::string_view image, std::string_view signature,
                            std::string_view public_key) {
    const auto key = ParseKey(public_key);
    if (!key || signature.size() != 2 * kCoordinate || image.size() > 0xFFFFFFFFu) {
        return false;
    }
    const Cng cng;
    const auto digest = cng.Sha256(image);
    std::array<uint8_t, 2 * kCoordinate> raw{};
    std::copy(signature.begin(), signature.end(), raw.begin());
    return digest && cng.Verify(*key, *digest, raw);
}

}  // namespace tickra
