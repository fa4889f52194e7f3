#pragma once

#include <string_view>

namespace larkspan::analysis {

enum class HitType { Page, Download, Image, Other };

// The hit-type lists: each entry an extension with its dot, each followed
// by ";".
inline constexpr std::string_view kPageExtensions =
    ".asa;.asp;.cdx;.cer;.cfm;.cfml;.dbm;.htm;.html;.htmls;.htp;.htpl;.htr;.htw;.ida;.idc;.idq;.mdl;.txt;.sht;.shtm;"
    ".shtml;.stm;";
inline constexpr std::string_view kDownloadExtensions =
    ".exe;.dll;.com;.zip;.pdf;.arc;.bin;.sit;.tar;.gz;.z;.arj;.bhx;.mp3;.mpg;.mpeg;.wav;.mov;.avi;";
inline constexpr std::string_view kImageExtensions = ".jpg;.jpeg;.gif;.bmp;.ico;.wmf;.emf;.pcx;";

// The request path: the logged path cut before its first "?".
inline std::string_view requestPath(std::string_view uriStem)
{
    return uriStem.substr(0, uriStem.find('?'));
}

// The hit type of a request path. The extension is the text from the
// path's last "." to its end, lower-cased and trimmed, or empty when a
// backslash or colon follows that "."; a path with an empty extension or
// ending in "/" is a page, then the download and image lists are tried.
HitType classify(std::string_view path);

// What the end of a request path tells the tallies: its hit type (as
// classify) and its extension as logged, without the dot ("html"; empty
// when the last segment has none), found in one scan from the end.
struct PathEnding {
    HitType type = HitType::Page;
    std::string_view extension;
};
PathEnding classifyEnding(std::string_view path);

// "GET" or "HEAD" in any case.
bool isCountedMethod(std::string_view method);

// Exactly three characters, the first "4" or "5".
inline bool isErrorStatus(std::string_view status)
{
    return status.size() == 3 && (status[0] == '4' || status[0] == '5');
}

} // namespace larkspan::analysis
