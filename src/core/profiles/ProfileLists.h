#pragma once

#include <string>
#include <vector>

namespace larkspan::profiles {

// --- Reading for a report run -------------------------------------------

// ".adds" and ".affs": trimmed, blank lines and lines with a blank or TAB
// dropped, a leading scheme ("...://") removed, and a trailing "/" removed
// when it is the entry's only "/".
std::vector<std::string> cleanDomainList(const std::vector<std::string>& lines);

// ".refd": as above, but each entry is cut at its first "/" and dropped
// when nothing remains.
std::vector<std::string> cleanReferringDomainList(const std::vector<std::string>& lines);

// --- The editor's Add rules, applied to a list's text --------------------

struct ListAddition {
    enum Outcome { Added, Unchanged, Refused };
    Outcome outcome = Unchanged;
    std::string message;  // the error text when Refused
};

// Appends entry to a list's text as the editor's text box does: with a
// line break after it when the text is empty or already ends with one,
// else after a new line break.
std::string appendEntry(const std::string& listText, const std::string& entry);

// True when some line of the text equals entry without regard to case.
bool hasLine(const std::string& listText, const std::string& entry);

// IP list: the address, or "address,lastOctet" when a last octet is given.
// An entry with "*" is refused: the filter would ignore it, and the message
// says how to give the range instead.
ListAddition addIpFilter(std::string& listText, const std::string& address, const std::string& lastOctet);
// The refusal message for the first line of an IP list's text that holds
// "*"; empty when there is none.
std::string ipListWildcardProblem(const std::string& listText);

// Sub-web list: "dir,SubDomain" inserted as the first line (refused when a
// sub-web is already listed) or "dir,Exclude" appended.
ListAddition addWebFilter(std::string& listText, const std::string& directory, bool subWeb);

// Advertising and affiliate lists: the answer trimmed, its scheme removed,
// one trailing "/" removed by each list's own rule; blanks are refused.
ListAddition addAdvertisingDomain(std::string& listText, const std::string& answer);
ListAddition addAffiliateDomain(std::string& listText, const std::string& answer);

// Referring-domain list: the host part of the answer; blank and duplicate
// entries are refused.
ListAddition addReferringDomain(std::string& listText, const std::string& answer);

}  // namespace larkspan::profiles
