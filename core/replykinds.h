#pragma once

#include <QString>

namespace atlume {

// What a line of the module says, for the console to colour it: a success,
// a failure, a message from the cloud, or anything else.
enum class ReplyKind { Other, Success, Failure, CloudMessage };

// line is one line of the module with its line break, as the receive path
// hands it out.
ReplyKind replyKind(const QString &line);

} // namespace atlume
