#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace larkspan {

// The settings tree that stands in for the system registry: keys such as
// "\Software\Quennet\Larkspan\webs\mysite" holding typed string and integer
// values. Key and value names compare without regard to case.
//
// The whole tree lives in one text file. Every change re-reads the file,
// applies itself and writes a temporary file that replaces the old one,
// under a lock file, so the desktop program and the command line can share
// it. The file is readable by its owner only (it holds FTP passwords).
// Writes throw Error when the file cannot be written.
class SettingsStore {
public:
    explicit SettingsStore(std::string filePath);

    const std::string& filePath() const { return path_; }

    bool keyExists(const std::string& key) const;
    void createKey(const std::string& key);
    // Removes the key, its values and its subkeys; false when it was missing.
    bool deleteKey(const std::string& key);
    // Names of the direct subkeys, as first written.
    std::vector<std::string> subKeys(const std::string& key) const;
    std::vector<std::string> valueNames(const std::string& key) const;

    bool valueExists(const std::string& key, const std::string& name) const;
    // Reads either type as text; std::nullopt when missing.
    std::optional<std::string> readString(const std::string& key, const std::string& name) const;
    // std::nullopt when missing or not an integer.
    std::optional<long long> readInteger(const std::string& key, const std::string& name) const;
    // Writing creates the key when it is missing.
    void writeString(const std::string& key, const std::string& name, const std::string& value);
    void writeInteger(const std::string& key, const std::string& name, long long value);
    bool deleteValue(const std::string& key, const std::string& name);

    struct Value {
        std::string name;
        bool integer = false;
        std::string data;
    };
    struct Key {
        std::string path;  // normalised: no leading or trailing separator
        std::vector<Value> values;
    };

private:
    std::vector<Key> load() const;
    // Runs a change on a fresh copy of the tree and writes it back.
    bool update(const std::function<bool(std::vector<Key>&)>& change);
    void store(const std::vector<Key>& keys) const;

    std::string path_;
};

}  // namespace larkspan
