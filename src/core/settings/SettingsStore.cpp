#include "settings/SettingsStore.h"

#include "common/Error.h"
#include "common/SafeFile.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "settings/FileLock.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace larkspan {

namespace {

std::string normaliseKey(const std::string& key)
{
    std::size_t b = 0, e = key.size();
    while (b < e && (key[b] == '\\' || key[b] == '/')) ++b;
    while (e > b && (key[e - 1] == '\\' || key[e - 1] == '/')) --e;
    std::string out = key.substr(b, e - b);
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

// Percent-encodes the bytes that would break the line format.
std::string encode(const std::string& s, bool name)
{
    std::string out;
    for (unsigned char c : s) {
        const bool special = c == '%' || c == '\r' || c == '\n' || (name && (c == '=' || c == '[' || c == ']'));
        if (!special) {
            out += static_cast<char>(c);
            continue;
        }
        static const char hex[] = "0123456789ABCDEF";
        out += '%';
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    c = text::upper(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string decode(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() + 0 && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

SettingsStore::Key* findKey(std::vector<SettingsStore::Key>& keys, const std::string& path)
{
    for (auto& key : keys)
        if (text::iequals(key.path, path)) return &key;
    return nullptr;
}

const SettingsStore::Key* findKey(const std::vector<SettingsStore::Key>& keys, const std::string& path)
{
    for (const auto& key : keys)
        if (text::iequals(key.path, path)) return &key;
    return nullptr;
}

SettingsStore::Key& ensureKey(std::vector<SettingsStore::Key>& keys, const std::string& path)
{
    if (auto* key = findKey(keys, path)) return *key;
    // Parents exist whenever a child does, as in the registry.
    const std::size_t slash = path.rfind('\\');
    if (slash != std::string::npos) ensureKey(keys, path.substr(0, slash));
    keys.push_back({path, {}});
    return keys.back();
}

bool isBelow(const std::string& path, const std::string& parent)
{
    return path.size() > parent.size() + 1 && text::istartsWith(path, parent) && path[parent.size()] == '\\';
}

}  // namespace

SettingsStore::SettingsStore(std::string filePath) : path_(std::move(filePath)) {}

std::vector<SettingsStore::Key> SettingsStore::load() const
{
    std::vector<Key> keys;
    std::string content;
    if (!readWholeFile(path_, content)) return keys;
    Key* current = nullptr;
    for (const std::string& line : text::splitLines(content)) {
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            current = &ensureKey(keys, normaliseKey(decode(line.substr(1, line.size() - 2))));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!current || eq == std::string::npos || eq + 2 >= line.size() + 0 || line.size() < eq + 3) continue;
        const char type = line[eq + 1];
        if ((type != 's' && type != 'i') || line[eq + 2] != ':') continue;
        current->values.push_back({decode(line.substr(0, eq)), type == 'i', decode(line.substr(eq + 3))});
    }
    return keys;
}

void SettingsStore::store(const std::vector<Key>& keys) const
{
    std::string out = "# Larkspan settings. Edit only while no Larkspan program runs.\n";
    for (const auto& key : keys) {
        out += "[" + encode(key.path, true) + "]\n";
        for (const auto& value : key.values)
            out += encode(value.name, true) + "=" + (value.integer ? "i:" : "s:") + encode(value.data, false) + "\n";
    }
    // The temporary file is private from its creation and never left behind.
    if (!safefile::replaceFile(path_, out)) throw Error("Unable to write the settings file " + path_);
}

bool SettingsStore::update(const std::function<bool(std::vector<Key>&)>& change)
{
    safefile::makePrivateFolderTree(fs::path(path_).parent_path().string());
    FileLock lock(path_ + ".lock");
    if (!lock.acquire()) throw Error("The settings file " + path_ + " is locked by another program.");
    std::vector<Key> keys = load();
    if (!change(keys)) return false;
    store(keys);
    return true;
}

bool SettingsStore::keyExists(const std::string& key) const
{
    const auto keys = load();
    return findKey(keys, normaliseKey(key)) != nullptr;
}

void SettingsStore::createKey(const std::string& key)
{
    const std::string path = normaliseKey(key);
    update([&](std::vector<Key>& keys) {
        if (findKey(keys, path)) return false;
        ensureKey(keys, path);
        return true;
    });
}

bool SettingsStore::deleteKey(const std::string& key)
{
    const std::string path = normaliseKey(key);
    return update([&](std::vector<Key>& keys) {
        const auto before = keys.size();
        std::erase_if(keys, [&](const Key& k) { return text::iequals(k.path, path) || isBelow(k.path, path); });
        return keys.size() != before;
    });
}

std::vector<std::string> SettingsStore::subKeys(const std::string& key) const
{
    const std::string path = normaliseKey(key);
    std::vector<std::string> names;
    for (const auto& k : load()) {
        if (!isBelow(k.path, path)) continue;
        const std::string rest = k.path.substr(path.size() + 1);
        if (rest.find('\\') == std::string::npos) names.push_back(rest);
    }
    return names;
}

std::vector<std::string> SettingsStore::valueNames(const std::string& key) const
{
    std::vector<std::string> names;
    const auto keys = load();
    if (const Key* k = findKey(keys, normaliseKey(key)))
        for (const auto& value : k->values) names.push_back(value.name);
    return names;
}

bool SettingsStore::valueExists(const std::string& key, const std::string& name) const
{
    return readString(key, name).has_value();
}

std::optional<std::string> SettingsStore::readString(const std::string& key, const std::string& name) const
{
    const auto keys = load();
    const Key* k = findKey(keys, normaliseKey(key));
    if (!k) return std::nullopt;
    for (const auto& value : k->values)
        if (text::iequals(value.name, name)) return value.data;
    return std::nullopt;
}

std::optional<long long> SettingsStore::readInteger(const std::string& key, const std::string& name) const
{
    const auto data = readString(key, name);
    long long value = 0;
    if (!data || !text::parseInteger(*data, value)) return std::nullopt;
    return value;
}

static void setValue(std::vector<SettingsStore::Key>& keys, const std::string& path, const std::string& name,
                     bool integer, const std::string& data)
{
    SettingsStore::Key& key = ensureKey(keys, path);
    for (auto& value : key.values) {
        if (text::iequals(value.name, name)) {
            value.integer = integer;
            value.data = data;
            return;
        }
    }
    key.values.push_back({name, integer, data});
}

void SettingsStore::writeString(const std::string& key, const std::string& name, const std::string& value)
{
    const std::string path = normaliseKey(key);
    update([&](std::vector<Key>& keys) {
        setValue(keys, path, name, false, value);
        return true;
    });
}

void SettingsStore::writeInteger(const std::string& key, const std::string& name, long long value)
{
    const std::string path = normaliseKey(key);
    update([&](std::vector<Key>& keys) {
        setValue(keys, path, name, true, std::to_string(value));
        return true;
    });
}

bool SettingsStore::deleteValue(const std::string& key, const std::string& name)
{
    const std::string path = normaliseKey(key);
    return update([&](std::vector<Key>& keys) {
        Key* k = findKey(keys, path);
        if (!k) return false;
        const auto before = k->values.size();
        std::erase_if(k->values, [&](const Value& v) { return text::iequals(v.name, name); });
        return k->values.size() != before;
    });
}

}  // namespace larkspan
