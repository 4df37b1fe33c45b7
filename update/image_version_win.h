// The version resource of a program file, read without running or loading it as code.
#pragma once

#include <optional>
#include <string>

#include "update/upgrade_offer.h"

namespace tickra {

// The product name and file version of the first language the file lists; nothing when it has no
// version resource.
std::optional<ImageVersion> ReadImageVersion(const std::wstring& path);

}  // namespace tickra
