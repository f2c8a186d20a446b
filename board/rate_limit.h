#pragma once
// How many requests of a kind each address may make in a minute. The
// addresses are kept in memory for the current minute only and forgotten
// as the next begins: the board keeps no address longer than that.

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

struct RateLimit {
    int32_t perMinute = 0;  // 0: no limit
    std::mutex mutex;
    int64_t minute = -1;    // the minute the counts are of (since 1970)
    std::unordered_map<std::string, int32_t> counts;
};

constexpr size_t kMaxAddresses = 100000;

// Counts one request of `address` at `unixMs`; false when it is one too many.
bool allowRequest(RateLimit& limit, const std::string& address, int64_t unixMs);
