#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace larkspan {

// How many threads a pass that can split its work may use: the value of
// LARKSPAN_THREADS when it is a whole number from 1 up (1 keeps the pass on
// the calling thread, as a single-core machine would), else the machine's
// cores, and at least 2.
unsigned workerThreadCount();

// The same rule over a given setting text and core count, for the tests.
unsigned workerThreadCount(std::string_view setting, unsigned cores);

// Runs work(0, middle) on the calling thread and work(middle, count) on a
// second thread, middle being count / 2, when split is true, the setting
// allows two threads and one can be had; else both halves here, in order.
// Returns once both are done, rethrowing a failure of either.
void splitInTwo(std::size_t count, bool split, const std::function<void(std::size_t, std::size_t)>& work);

} // namespace larkspan
