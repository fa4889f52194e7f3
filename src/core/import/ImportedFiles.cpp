#include "import/ImportedFiles.h"

#include "common/SafeFile.h"
#include "common/TextFile.h"

namespace larkspan {

namespace {

std::string entryText(const std::string& name, std::uint64_t size)
{
    return name + "|" + std::to_string(size);
}

} // namespace

void ImportedFiles::load()
{
    // A link here was not written by the program: it is read as no list
    // (and replaced by the list at the next save).
    entries_ = safefile::isSymbolicLink(path_) ? std::vector<std::string>{} : loadList(path_);
    whole_.clear();
    byName_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        index(i);
}

void ImportedFiles::index(std::size_t position)
{
    const std::string& entry = entries_[position];
    whole_.emplace(entry, position);
    // Every "name|" prefix of the entry could be the one a later record
    // looks for (names may hold "|"); the first entry for each wins.
    for (std::size_t bar = entry.find('|'); bar != std::string::npos; bar = entry.find('|', bar + 1))
        byName_.emplace(entry.substr(0, bar), position);
}

bool ImportedFiles::isImported(const std::string& name, std::uint64_t size) const
{
    return whole_.count(entryText(name, size)) > 0;
}

std::optional<std::uint64_t> ImportedFiles::importedSize(const std::string& name) const
{
    const auto found = byName_.find(name);
    if (found == byName_.end()) return std::nullopt;
    const std::string& entry = entries_[found->second];
    const std::string size = entry.substr(name.size() + 1);
    if (size.empty() || size.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return std::stoull(size);
}

void ImportedFiles::record(const std::string& name, std::uint64_t size)
{
    if (size == 0) return;
    const std::string entry = entryText(name, size);
    const auto found = byName_.find(name);
    if (found == byName_.end()) {
        entries_.push_back(entry);
        index(entries_.size() - 1);
        return;
    }
    const std::size_t position = found->second;
    // Rebuild the index: the replaced entry's prefixes may have been first.
    entries_[position] = entry;
    whole_.clear();
    byName_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        index(i);
}

std::string ImportedFiles::text() const
{
    return joinCrLf(entries_);
}

bool ImportedFiles::save() const
{
    return safefile::replaceFile(path_, text());
}

} // namespace larkspan
