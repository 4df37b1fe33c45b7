// The rules of an upgrade offer that need no window: which image may be handed over, and how much
// of the offer's description is shown.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tickra {

// Versions are dotted decimal numbers ("2.0.20080708"), compared part by part with missing parts
// as 0. Negative, zero or positive as a is older, the same or newer; nothing when either is not
// such a version.
std::optional<int> CompareVersions(std::string_view a, std::string_view b);

// What a verified image's version resource says of it.
struct ImageVersion {
    std::string product_name;
    std::string file_version;
};

// Only Tickra, only the version the notice offered, and only a newer one than runs now: a valid
// signature alone would let anyone on the way replay an older release, or any other program the
// key ever signed.
bool IsOfferedUpgrade(const ImageVersion& image, std::string_view offered,
                      std::string_view running);

// At most this many bytes of the description are shown: the offer arrives over plain HTTP.
inline constexpr size_t kMaxDescriptionBytes = 4096;

// The description as the dialog shows it: line breaks expanded, and cut at a character boundary,
// marked with "…", when it is longer than kMaxDescriptionBytes.
std::string DescriptionText(std::string_view description);

}  // namespace tickra
