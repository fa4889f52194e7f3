#pragma once

#include "analysis/AnalysisResult.h"

#include <cstdint>
#include <functional>
#include <string>

namespace larkspan {
class ProgramFolder;
struct Platform;
}

namespace larkspan::profiles {
struct RunProfile;
}

namespace larkspan::analysis {

class StatisticsTable;

// What one pass reads: the web and range of a loaded profile.
struct PassInput {
    std::string dataDirectory;  // ends with a separator
    std::string web;
    std::string profile;
    int firstDay = 0;
    int lastDay = -1;
    bool ftpWeb = false;
    long long preDate = 0;  // as stored; the pass keeps its low eight bits
    bool demographics = false;
    bool trackBySessions = false;
    bool noRobots = false;  // robots' requests tallied apart, counted nowhere else
    bool details = false;   // keep the traffic-detail tallies
    // Threads that read day files at once; 0 takes workerThreadCount().
    // With 1 every day is read on the calling thread.
    unsigned threads = 0;
    // A pass whose days all fall to the calling thread (fewer day files
    // than threads) counts their pages, downloads, referrers and error
    // addresses on a second thread when they hold this many bytes in all;
    // smaller days do not repay the thread.
    std::uintmax_t sideTallyFrom = std::uintmax_t{16} << 20;

    static PassInput from(const profiles::RunProfile& profile, const std::string& dataDirectory);
};

// Runs the import of one web; the front end supplies it so the pass does
// not depend on the import code. Used when the operator answers Yes to the
// missing-days question of an FTP web.
using ImportRunner = std::function<void(const std::string& web)>;

// The one scan of a web's imported days that a report run makes: lists the
// day files of the range, reads every record, filters and classifies it,
// tallies it into the statistics table and writes the demographic data
// file. See AnalysisResult for the result codes. The caller empties the
// table first (StatisticsTable::reset), as the report run does.
//
// Throws Error when a day file cannot be opened (after showing
// "File Access Error : " and the system's error number).
AnalysisResult runAnalysisPass(Platform& platform, const ProgramFolder& folder, const PassInput& input,
                               StatisticsTable& table, const ImportRunner& importRun = {});

// The bucket mode of a pass: from pre-date's low eight bits, the number of
// files found and the month count.
BucketMode chooseBucketMode(long long preDate, int fileCount, int monthCount);

// The path of one canonical day file: <web folder>yyyy/LKLTmmdd.log.
std::string dayFilePath(const std::string& webFolder, int dayNumber);

}  // namespace larkspan::analysis
