#pragma once

#include <optional>
#include <string>

namespace larkspan {

inline constexpr std::size_t kMaxWebNameLength = 8;

// Why a (trimmed, non-empty) web name cannot name a folder, or nullopt
// when it can: more than 8 characters, a path separator, "." or "..", a
// control character, or one of < > : " | ? * that file names must not hold.
std::optional<std::string> webNameProblem(const std::string& name);

}  // namespace larkspan
