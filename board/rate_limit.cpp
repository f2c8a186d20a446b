#include "board/rate_limit.h"

bool allowRequest(RateLimit& limit, const std::string& address, int64_t unixMs) {
    if (limit.perMinute <= 0) return true;
    std::lock_guard<std::mutex> lock(limit.mutex);
    const int64_t minute = unixMs / 60000;
    if (minute != limit.minute) {
        limit.counts.clear();
        limit.minute = minute;
    }
    // A flood from more addresses than any board meets in a minute is
    // refused rather than remembered.
    if (limit.counts.size() >= kMaxAddresses && limit.counts.find(address) == limit.counts.end()) return false;
    return ++limit.counts[address] <= limit.perMinute;
}
