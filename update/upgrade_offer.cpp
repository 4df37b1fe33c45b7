#include "update/upgrade_offer.h"

#include <vector>

#include "base/mbcs.h"
#include "update/update_notice.h"

namespace tickra {

namespace {

std::optional<std::vector<unsigned long long>> VersionParts(std::string_view text) {
    std::vector<unsigned long long> parts;
    size_t start = 0;
    for (;;) {
        const size_t dot = text.find('.', start);
        const std::string_view part =
            text.substr(start, dot == std::string_view::npos ? dot : dot - start);
        constexpr size_t kMaxDigits = 18;  // no overflow, and no real version is longer
        if (part.empty() || part.size() > kMaxDigits) {
            return std::nullopt;
        }
        unsigned long long value = 0;
        for (char c : part) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        parts.push_back(value);
        if (dot == std::string_view::npos) {
            return parts;
        }
        start = dot + 1;
    }
}

}  // namespace

std::optional<int> CompareVersions(std::string_view a, std::string_view b) {
    const auto left = VersionParts(a);
    const auto right = VersionParts(b);
    if (!left || !right) {
        return std::nullopt;
    }
    for (size_t i = 0; i < left->size() || i < right->size(); ++i) {
        const unsigned long long l = i < left->size() ? (*left)[i] : 0;
        const unsigned long long r = i < right->size() ? (*right)[i] : 0;
        if (l != r) {
            return l < r ? -1 : 1;
        }
    }
    return 0;
}

bool IsOfferedUpgrade(const ImageVersion& image, std::string_view offered,
                      std::string_view running) {
    return image.product_name == "Tickra" && CompareVersions(image.file_version, offered) == 0 &&
           CompareVersions(offered, running) > 0;
}

std::string DescriptionText(std::string_view description) {
    if (description.size() <= kMaxDescriptionBytes) {
        return ExpandLineBreaks(description);
    }
    // Cut before the line breaks are expanded: a cut "\n" would show as a stray backslash.
    std::string_view cut = CutAtCharBoundary(description, kMaxDescriptionBytes);
    const bool ends_in_backslash = !cut.empty() && cut.back() == '\\' &&
                                   CutAtCharBoundary(cut, cut.size() - 1).size() == cut.size() - 1;
    if (ends_in_backslash) {  // a single-byte one, not the trail byte of a character
        cut.remove_suffix(1);
    }
    return ExpandLineBreaks(cut) + "…";
}

}  // namespace tickra
