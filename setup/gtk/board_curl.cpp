#include "setup/gtk/board_curl.h"

#include <curl/curl.h>
#include <glib.h>
#include <sys/random.h>

#include <mutex>
#include <thread>

namespace {
struct Received {
    std::string* body;
    std::size_t longest;
    bool tooLong = false;
};

size_t receive(char* data, size_t size, size_t count, void* into) {
    Received& received = *static_cast<Received*>(into);
    const size_t length = size * count;
    if (received.body->size() + length > received.longest) {
        received.tooLong = true;
        return 0;  // curl ends the transfer: nothing past the bound is read
    }
    received.body->append(data, length);
    return length;
}

struct Finished {
    BoardAnswered done;
    BoardAnswer answer;
};

// Once, before any exchange, on the thread that starts the first.
void startCurl() {
    static std::once_flag started;
    std::call_once(started, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

gboolean deliver(gpointer data) {
    Finished* finished = static_cast<Finished*>(data);
    finished->done(finished->answer);
    delete finished;
    return G_SOURCE_REMOVE;
}
}  // namespace

BoardAnswer exchangeWithCurl(const BoardRequest& request) {
    startCurl();
    BoardAnswer answer;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        answer.trouble = "no answer: libcurl cannot start";
        return answer;
    }
    char error[CURL_ERROR_SIZE] = "";
    Received received{&answer.body, request.longestAnswer};
    curl_slist* headers = curl_slist_append(nullptr, "Expect:");  // the whole body at once, no wait for 100
    if (request.post) headers = curl_slist_append(headers, "Content-Type: application/octet-stream");
    const std::string secret = "Korvada-Secret: " + request.secret;
    if (!request.secret.empty()) headers = curl_slist_append(headers, secret.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 5L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(request.seconds));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.longestAnswer));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "korvada-setup");
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, receive);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
    if (request.post) {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    }
    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (result == CURLE_OK) {
        answer.answered = true;
        answer.status = static_cast<int>(status);
    } else if (received.tooLong || result == CURLE_FILESIZE_EXCEEDED) {
        answer.trouble = "the board's answer is longer than " + std::to_string(request.longestAnswer) + " bytes";
    } else if (result == CURLE_OPERATION_TIMEDOUT) {
        answer.trouble = "no answer within " + std::to_string(request.seconds) + " s";
    } else {
        answer.trouble = std::string("no answer: ") + (*error ? error : curl_easy_strerror(result));
    }
    if (!answer.answered) answer.body.clear();
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return answer;
}

void startBoardExchange(const BoardRequest& request, BoardAnswered done) {
    startCurl();
    std::thread([request, done = std::move(done)]() mutable {
        Finished* finished = new Finished{std::move(done), exchangeWithCurl(request)};
        g_idle_add(deliver, finished);
    }).detach();
}

std::string makeBoardSecret() {
    unsigned char random[kBoardSecretBytes];
    std::size_t got = 0;
    while (got < sizeof random) {
        const ssize_t read = getrandom(random + got, sizeof random - got, 0);
        if (read > 0) got += static_cast<std::size_t>(read);
    }
    return boardSecretOf(random);
}
