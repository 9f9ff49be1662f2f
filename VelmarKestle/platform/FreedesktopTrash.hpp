#pragma once

#include <expected>

#include "support/Url.hpp"
#include "updates/PlatformError.hpp"

namespace kestle {

// The platform's move to the Trash that AppTrash is given: moves the item at a file
// URL to the freedesktop.org Trash and returns its URL in the Trash's "files" folder.
// Callable from any thread. Failures are file errors (PlatformError::fileDomain, the
// Cocoa file codes the trash flow expects) with the system error number beneath
// where one is known; the item is then where it was.
std::expected<Url, PlatformError> moveToFreedesktopTrash(const Url& url);

} // namespace kestle
