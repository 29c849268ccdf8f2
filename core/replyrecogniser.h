#pragma once

#include "devicesignal.h"

#include <QString>
#include <optional>

namespace atlume {

// Recognises one complete line (with its CR LF) as one of the module's
// replies; the rules are tried in a fixed order and the first that holds wins.
std::optional<DEVICE_SIGNAL> recogniseReply(const QString &line);

} // namespace atlume
