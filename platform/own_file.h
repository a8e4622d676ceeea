#pragma once
// Files whose contents decide what runs as this user (stored tasks, profiles with commands):
// trusted only when no one else can have written them.

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

// True when `path` is a regular file owned by this user (or by the system when `systemOwnerToo`)
// that neither its group nor others may write.
bool IsTrustedFile(const std::string& path, bool systemOwnerToo);

// The contents of `path` when it is a regular file of this user's own, not writable by its
// group or others and at most `limit` bytes; nothing else. A pipe or a device in its place is
// never waited on.
std::optional<std::string> ReadOwnFile(const std::string& path, std::size_t limit);

} // namespace platform
