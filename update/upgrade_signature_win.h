// The publisher's signature over an upgrade image: ECDSA P-256 over the SHA-256 of the image
// bytes exactly as received, given as r then s, 32 bytes each, big-endian. Verified with the
// system's own cryptography (CNG), so no library comes along.
#pragma once

#include <string_view>

namespace tickra {

// public_key: X then Y as 128 hexadecimal digits. False for anything else: an empty or malformed
// key, a signature that is not 64 bytes, or one that does not match.
bool VerifyUpgradeSignature(std::string_view image, std::string_view signature,
                            std::string_view public_key);

}  // namespace tickra
