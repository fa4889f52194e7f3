#pragma once

#include <array>
#include <string_view>

namespace larkspan::profiles {

enum class KeyType { Text, Boolean, Integer, Date };

struct ProfileKey {
    std::string_view name;
    KeyType type;
};

// The keys the editor writes, in the order it appends them when missing.
inline constexpr std::array<ProfileKey, 30> kProfileKeys{{
    {"url", KeyType::Text},        {"admin", KeyType::Text},       {"admin-email", KeyType::Text},
    {"cons-email", KeyType::Text}, {"pre-date", KeyType::Integer}, {"start", KeyType::Date},
    {"end", KeyType::Date},        {"path", KeyType::Text},        {"rtitle", KeyType::Text},
    {"browser", KeyType::Boolean}, {"usage", KeyType::Boolean},    {"page", KeyType::Boolean},
    {"referrers", KeyType::Boolean}, {"demogs", KeyType::Boolean}, {"oadmin", KeyType::Boolean},
    {"oconsumer", KeyType::Boolean}, {"obrowser", KeyType::Boolean}, {"ocsv", KeyType::Boolean},
    {"ovrwrite", KeyType::Boolean}, {"csvpath", KeyType::Text},   {"gengraph", KeyType::Boolean},
    {"g3d", KeyType::Boolean},     {"maxrows", KeyType::Text},     {"trackbyses", KeyType::Boolean},
    {"hitoth", KeyType::Boolean},  {"hitimg", KeyType::Boolean},   {"hitdf", KeyType::Boolean},
    {"hitpage", KeyType::Boolean},
    {"norobots", KeyType::Boolean}, {"details", KeyType::Boolean},
}};

// The entries of the editor's "items to display" list.
inline constexpr std::array<std::string_view, 7> kMaxRowsChoices{{"10", "25", "50", "100", "250", "500", "ALL"}};

// The known key of name (any case), or nullptr.
const ProfileKey* findProfileKey(std::string_view name);

}  // namespace larkspan::profiles
