#pragma once

#include <string>
#include <vector>

namespace larkspan {

// The texts a web's file list (<web>.wfl) travels in.

// The import source text: a single line as it is, in double quotes when it
// holds a space and no wildcard (also when it holds a comma or a double
// quote, which is then doubled, so that it reads back as one path); several lines joined by commas, each line
// with a space, control character, comma or double quote in double quotes
// (inner quotes doubled).
std::string importSourceText(const std::vector<std::string>& lines);

// The property editor's path field: the lines joined by commas, each with a
// blank, control character, double quote or comma in double quotes.
std::string pathFieldText(const std::vector<std::string>& lines);

// Splits a comma list whose items may be in double quotes (a doubled quote
// inside stands for one). Items are trimmed; empty items are dropped.
std::vector<std::string> parseCommaList(const std::string& text);

// The entries of a path field as the editor saves them: each piece up to a
// comma, trimmed, with one leading and one trailing double quote removed
// (trimming after each); empty pieces are skipped.
std::vector<std::string> splitPathField(const std::string& text);

// Checks the entries for the file list and returns them. Throws Error with
// the reason: a wildcard in a folder part, a mask among other entries, a
// folder that does not exist, or no entry at all.
std::vector<std::string> validateFileList(const std::vector<std::string>& entries);

bool hasWildcard(const std::string& text);
// The folder part with its trailing separator ("" when there is none).
std::string folderPart(const std::string& path);
std::string fileNamePart(const std::string& path);

}  // namespace larkspan
