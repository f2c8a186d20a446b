#include "board/board_rules.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <cmath>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int64_t kDayMs = 86400000;

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

const char kBase64Url[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::string base64Url(const unsigned char* data, size_t size) {
    std::string text;
    for (size_t i = 0; i < size; i += 3) {
        const uint32_t chunk = (uint32_t{data[i]} << 16) | (i + 1 < size ? uint32_t{data[i + 1]} << 8 : 0) |
                               (i + 2 < size ? uint32_t{data[i + 2]} : 0);
        text += kBase64Url[chunk >> 18 & 63];
        text += kBase64Url[chunk >> 12 & 63];
        if (i + 1 < size) text += kBase64Url[chunk >> 6 & 63];
        if (i + 2 < size) text += kBase64Url[chunk & 63];
    }
    return text;
}

bool fromBase64Url(const std::string& text, std::string* bytes) {
    uint32_t bits = 0;
    int count = 0;
    bytes->clear();
    for (char c : text) {
        const char* at = c ? std::strchr(kBase64Url, c) : nullptr;
        if (!at) return false;
        bits = bits << 6 | static_cast<uint32_t>(at - kBase64Url);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes->push_back(static_cast<char>(bits >> count & 0xFF));
        }
    }
    return (bits & ((1u << count) - 1)) == 0;  // the unused bits of the last character are 0
}

bool allBase64Url(const std::string& text, size_t length) {
    if (text.size() != length) return false;
    for (char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
    return true;
}

constexpr size_t kTicketRandomBytes = 8;
constexpr size_t kTicketMacBytes = 16;

std::string ticketMac(const std::string& key, const std::string& signedPart) {
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
         reinterpret_cast<const unsigned char*>(signedPart.data()), signedPart.size(), mac, &length);
    return std::string(reinterpret_cast<char*>(mac), kTicketMacBytes);
}

}  // namespace

int32_t utcDay(int64_t unixMs) { return static_cast<int32_t>(floorDiv(unixMs, kDayMs)); }

std::string utcTimeText(int64_t unixMs) {
    const int64_t seconds = floorDiv(unixMs, 1000);
    const int64_t inDay = seconds - floorDiv(seconds, 86400) * 86400;
    char text[48];
    std::snprintf(text, sizeof text, "%sT%02d:%02d:%02dZ", dayText(static_cast<uint32_t>(utcDay(unixMs))).c_str(),
                  static_cast<int>(inDay / 3600), static_cast<int>(inDay / 60 % 60), static_cast<int>(inDay % 60));
    return text;
}

std::string dayTrouble(int32_t roundDay, int64_t ticketMs) {
    const int32_t today = utcDay(ticketMs);
    if (roundDay == today || roundDay == today - 1) return "";
    return "the round of " + dayText(static_cast<uint32_t>(roundDay)) + " is not the day's round here (" +
           dayText(static_cast<uint32_t>(today)) +
           ", or the day before)";
}

std::string clockTrouble(const RoundTimes& times) {
    const int64_t wallMs = times.arrivedMs - times.ticketMs;
    if (wallMs < 0) return "the ticket is from the future";
    if (wallMs > kTicketLifetimeMs) return "the ticket is too old (taken more than 30 minutes before the round came)";
    const double recordedMs = times.recordedSeconds * 1000.0;
    const auto seconds = [](double ms) { return std::to_string(static_cast<long long>(std::lround(ms / 1000))); };
    if (!(recordedMs <= static_cast<double>(wallMs) * (1 + kClockDrift) + kClockDriftMs))
        return "the round's frames add up to " + seconds(recordedMs) + " s, more than the " + seconds(wallMs) +
               " s since its ticket";
    if (!(recordedMs <= static_cast<double>(times.realMs) * (1 + kClockDrift) + kClockDriftMs))
        return "the round's frames add up to " + seconds(recordedMs) + " s, more than its real time of " +
               seconds(static_cast<double>(times.realMs)) + " s";
    if (wallMs - times.realMs > kClockSlackMs)
        return "the round came " + seconds(static_cast<double>(wallMs)) + " s after its ticket, but took " +
               seconds(static_cast<double>(times.realMs)) + " s with its pauses";
    return "";
}

std::string makeTicket(const std::string& key, int64_t issuedMs) {
    std::string signedPart(8 + kTicketRandomBytes, '\0');
    for (int i = 0; i < 8; ++i) signedPart[i] = static_cast<char>(static_cast<uint64_t>(issuedMs) >> (8 * i) & 0xFF);
    RAND_bytes(reinterpret_cast<unsigned char*>(&signedPart[8]), kTicketRandomBytes);
    const std::string whole = signedPart + ticketMac(key, signedPart);
    return base64Url(reinterpret_cast<const unsigned char*>(whole.data()), whole.size());
}

bool readTicket(const std::string& key, const std::string& ticket, int64_t* issuedMs) {
    std::string bytes;
    if (!allBase64Url(ticket, 43) || !fromBase64Url(ticket, &bytes) ||
        bytes.size() != 8 + kTicketRandomBytes + kTicketMacBytes)
        return false;
    const std::string signedPart = bytes.substr(0, 8 + kTicketRandomBytes);
    const std::string mac = ticketMac(key, signedPart);
    if (CRYPTO_memcmp(mac.data(), bytes.data() + signedPart.size(), kTicketMacBytes) != 0) return false;
    uint64_t time = 0;
    for (int i = 7; i >= 0; --i) time = time << 8 | static_cast<unsigned char>(bytes[i]);
    *issuedMs = static_cast<int64_t>(time);
    return true;
}

std::string randomToken(size_t bytes) {
    std::string random(bytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(&random[0]), static_cast<int>(bytes)) != 1) std::abort();
    return base64Url(reinterpret_cast<const unsigned char*>(random.data()), random.size());
}

std::string sha256Hex(const std::string& bytes) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : digest) {
        text += hex[byte >> 4];
        text += hex[byte & 15];
    }
    return text;
}

bool wellFormedSecret(const std::string& secret) { return allBase64Url(secret, (kSecretBytes * 4 + 2) / 3); }
bool wellFormedRoundId(const std::string& id) { return allBase64Url(id, kRoundIdBytes * 4 / 3); }
