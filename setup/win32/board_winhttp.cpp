#include "setup/win32/board_winhttp.h"

#include <winhttp.h>

#include <cstdlib>

#include <utility>

#include "win32/utf16.h"

namespace {
// WinHTTP's handles, closed in the reverse order of their opening.
struct Handles {
    HINTERNET session = nullptr, connection = nullptr, request = nullptr;
    ~Handles() {
        if (request) WinHttpCloseHandle(request);
        if (connection) WinHttpCloseHandle(connection);
        if (session) WinHttpCloseHandle(session);
    }
};

// Windows' WinHTTP gives its own codes; Wine's gives some of the sockets'
// (WSAETIMEDOUT, WSAECONNRESET, WSAECONNREFUSED) as they come.
constexpr DWORD kSocketTimedOut = 10060, kSocketReset = 10054, kSocketRefused = 10061;

std::string failure(const char* step, const BoardRequest& request) {
    const DWORD code = GetLastError();
    switch (code) {
        case kSocketTimedOut:
        case ERROR_WINHTTP_TIMEOUT: return "no answer within " + std::to_string(request.seconds) + " s";
        case ERROR_WINHTTP_NAME_NOT_RESOLVED: return "no answer: the board's host name is not known";
        case kSocketRefused:
        case ERROR_WINHTTP_CANNOT_CONNECT: return "no answer: cannot connect to the board";
        case kSocketReset:
        case ERROR_WINHTTP_CONNECTION_ERROR: return "no answer: the connection to the board broke";
        case ERROR_WINHTTP_SECURE_FAILURE: return "no answer: the board's certificate is refused";
        case ERROR_WINHTTP_INVALID_SERVER_RESPONSE: return "no answer: the board's answer is no HTTP";
        case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
        case ERROR_WINHTTP_INVALID_URL: return "no answer: the board's address cannot be used";
        default: return std::string("no answer: ") + step + " failed (WinHTTP error " + std::to_string(code) + ")";
    }
}

// The body, bounded: false (with the reason) as soon as it would pass
// `longest`, or the exchange's time is up (WinHTTP's own timeouts count each
// step alone, and a board could hand its answer out a byte at a time).
bool readBody(HINTERNET request, const BoardRequest& asked, ULONGLONG deadline, std::string* body,
              std::string* trouble) {
    const std::size_t longest = asked.longestAnswer;
    for (;;) {
        if (GetTickCount64() > deadline) {
            *trouble = "no answer within " + std::to_string(asked.seconds) + " s";
            return false;
        }
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available)) {
            *trouble = failure("reading the answer", asked);
            return false;
        }
        if (available == 0) return true;
        if (body->size() + available > longest) {
            *trouble = "the board's answer is longer than " + std::to_string(longest) + " bytes";
            return false;
        }
        const std::size_t at = body->size();
        body->resize(at + available);
        DWORD read = 0;
        if (!WinHttpReadData(request, &(*body)[at], available, &read)) {
            *trouble = failure("reading the answer", asked);
            return false;
        }
        body->resize(at + read);
    }
}

struct Job {
    BoardRequest request;
    HWND window;
    UINT message;
    WPARAM tag;
};

DWORD WINAPI work(LPVOID data) {
    Job* job = static_cast<Job*>(data);
    BoardAnswer* answer = new BoardAnswer(exchangeWithWinHttp(job->request));
    if (!PostMessageW(job->window, job->message, job->tag, reinterpret_cast<LPARAM>(answer))) delete answer;
    delete job;
    return 0;
}
}  // namespace

BoardAnswer exchangeWithWinHttp(const BoardRequest& request) {
    BoardAnswer answer;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(request.seconds) * 1000;
    std::wstring url = utf16FromUtf8(request.url.c_str());
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (url.empty() || !WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) {
        answer.trouble = "no answer: the board's address cannot be used";
        return answer;
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength + parts.dwExtraInfoLength);
    Handles h;
    h.session = WinHttpOpen(L"KorvadaSetup", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                            WINHTTP_NO_PROXY_BYPASS, 0);
    if (!h.session)  // before Windows 8.1, or a WinHTTP that knows no automatic proxy
        h.session = WinHttpOpen(L"KorvadaSetup", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0);
    const int whole = request.seconds * 1000;
    if (!h.session || !WinHttpSetTimeouts(h.session, 5000, 5000, whole, whole) ||
        !(h.connection = WinHttpConnect(h.session, host.c_str(), parts.nPort, 0)) ||
        !(h.request = WinHttpOpenRequest(h.connection, request.post ? L"POST" : L"GET", path.c_str(), nullptr,
                                         WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                         parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0))) {
        answer.trouble = failure("connecting", request);
        return answer;
    }
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER, waited = static_cast<DWORD>(whole);
    WinHttpSetOption(h.request, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);
    // The wait for the answer's first line has a bound of its own, which
    // WinHttpSetTimeouts leaves alone (Wine's: none at all).
    WinHttpSetOption(h.request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &waited, sizeof waited);
    std::wstring headers;
    if (request.post) headers += L"Content-Type: application/octet-stream\r\n";
    if (!request.secret.empty()) headers += L"Korvada-Secret: " + utf16FromUtf8(request.secret.c_str()) + L"\r\n";
    const DWORD length = static_cast<DWORD>(request.body.size());
    if (!WinHttpSendRequest(h.request, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                            static_cast<DWORD>(-1L), const_cast<char*>(request.body.data()), length, length, 0) ||
        !WinHttpReceiveResponse(h.request, nullptr)) {
        answer.trouble = failure("sending", request);
        return answer;
    }
    DWORD status = 0, size = sizeof status;
    if (!WinHttpQueryHeaders(h.request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        answer.trouble = failure("reading the answer", request);
        return answer;
    }
    if (!readBody(h.request, request, deadline, &answer.body, &answer.trouble)) {
        answer.body.clear();
        return answer;
    }
    answer.answered = true;
    answer.status = static_cast<int>(status);
    return answer;
}

void startBoardExchange(const BoardRequest& request, HWND window, UINT message, WPARAM tag) {
    Job* job = new Job{request, window, message, tag};
    HANDLE thread = CreateThread(nullptr, 0, work, job, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    delete job;
    BoardAnswer* answer = new BoardAnswer;
    answer->trouble = "no answer: no thread to ask the board on";
    if (!PostMessageW(window, message, tag, reinterpret_cast<LPARAM>(answer))) delete answer;
}

BoardAnswer takePostedAnswer(LPARAM posted) {
    BoardAnswer* answer = reinterpret_cast<BoardAnswer*>(posted);
    BoardAnswer taken = std::move(*answer);
    delete answer;
    return taken;
}

std::string makeBoardSecret() {
    unsigned char random[kBoardSecretBytes];
    for (std::size_t i = 0; i < kBoardSecretBytes; i += 4) {
        unsigned int number = 0;
        while (rand_s(&number) != 0) {
        }
        for (std::size_t k = 0; k < 4; ++k) random[i + k] = static_cast<unsigned char>(number >> (8 * k));
    }
    return boardSecretOf(random);
}
