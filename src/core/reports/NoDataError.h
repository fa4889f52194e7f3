#pragma once

#include "common/Error.h"

namespace larkspan {

// Raised by a report builder that has nothing to report. The run writes no
// files for that report and lists it in the index as not generated with this
// message.
class NoDataError : public Error {
  public:
    explicit NoDataError(const std::string& message) : Error(message) {}
};

inline constexpr const char* kNoDataForReport = "No Data for Report";
inline constexpr const char* kDataNotLogged = "Data not logged in selected log file format.";

} // namespace larkspan
