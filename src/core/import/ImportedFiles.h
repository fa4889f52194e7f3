#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/Text.h"

namespace larkspan {

// The web's list of imported source files (<web>.lkfl): one entry per line,
// name + "|" + size in bytes. An entry means this file, at this size, has
// been imported. Names compare without regard to case.
class ImportedFiles {
  public:
    ImportedFiles() = default;
    explicit ImportedFiles(std::string path) : path_(std::move(path)) {}

    // Reads the list from path(); a missing file is an empty list.
    void load();
    // Writes the whole list to a temporary file and renames it over the
    // list, so a crash never leaves half a list. False when that fails.
    bool save() const;
    // The list's text as save() writes it.
    std::string text() const;

    bool isImported(const std::string& name, std::uint64_t size) const;
    // The size the first entry for name records, if there is one.
    std::optional<std::uint64_t> importedSize(const std::string& name) const;
    // Replaces the first entry for name (any size) or appends one; a size of
    // 0 is never recorded. Does not save.
    void record(const std::string& name, std::uint64_t size);

    const std::vector<std::string>& entries() const { return entries_; }
    const std::string& path() const { return path_; }

  private:
    void index(std::size_t position);

    std::string path_;
    std::vector<std::string> entries_;
    // Whole entries, and the first entry for each name ("name|" prefix).
    std::unordered_map<std::string, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> whole_;
    std::unordered_map<std::string, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> byName_;
};

} // namespace larkspan
