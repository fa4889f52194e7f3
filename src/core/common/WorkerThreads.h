#pragma once

#include <string_view>

namespace larkspan {

// How many threads a pass that can split its work may use: the value of
// LARKSPAN_THREADS when it is a whole number from 1 up (1 keeps the pass on
// the calling thread, as a single-core machine would), else the machine's
// cores, and at least 2.
unsigned workerThreadCount();

// The same rule over a given setting text and core count, for the tests.
unsigned workerThreadCount(std::string_view setting, unsigned cores);

} // namespace larkspan
