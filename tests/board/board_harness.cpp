#include "tests/board/board_harness.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "board/store_postgres.h"
#include "board/store_sqlite.h"
#include "core/daily_round.h"
#include "core/keys.h"
#include "core/recording.h"

namespace {

std::string temporaryFolder(const std::string& stem) {
    std::string pattern = (std::filesystem::temp_directory_path() / (stem + "XXXXXX")).string();
    if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
    return pattern;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

size_t collect(char* data, size_t size, size_t count, void* into) {
    static_cast<std::string*>(into)->append(data, size * count);
    return size * count;
}

size_t collectHeader(char* data, size_t size, size_t count, void* into) {
    const std::string line(data, size * count);
    const size_t colon = line.find(':');
    if (colon != std::string::npos) {
        std::string name = line.substr(0, colon), value = line.substr(colon + 1);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        while (!value.empty() && (value.front() == ' ')) value.erase(0, 1);
        while (!value.empty() && (value.back() == '\r' || value.back() == '\n')) value.pop_back();
        (*static_cast<std::map<std::string, std::string>*>(into))[name] = value;
    }
    return size * count;
}

Answer perform(const std::string& url, const std::string* body, const std::vector<std::string>& headers) {
    Answer answer;
    CURL* curl = curl_easy_init();
    curl_slist* list = nullptr;
    for (const std::string& header : headers) list = curl_slist_append(list, header.c_str());
    if (body) list = curl_slist_append(list, "Content-Type: application/octet-stream");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer.headers);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    if (body) {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
    }
    if (curl_easy_perform(curl) == CURLE_OK) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    curl_slist_free_all(list);
    curl_easy_cleanup(curl);
    return answer;
}

}  // namespace

BoardProcess startBoard(const std::vector<std::string>& args, const std::string& log) {
    BoardProcess board;
    int out[2];
    if (pipe(out) != 0) return board;
    std::vector<std::string> all = {KORVADA_BOARD, "--address", "127.0.0.1", "--port", "0"};
    all.insert(all.end(), args.begin(), args.end());
    board.pid = fork();
    if (board.pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        if (!log.empty() && !freopen(log.c_str(), "a", stderr)) _exit(127);
        std::vector<char*> argv;
        for (std::string& arg : all) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    const size_t at = line.find("http://127.0.0.1:");
    if (at == std::string::npos) {
        ADD_FAILURE() << "korvada-board did not start: " << line;
        return board;
    }
    board.port = std::stoi(line.substr(at + 17));
    board.origin = "http://127.0.0.1:" + std::to_string(board.port);
    return board;
}

int stopBoard(BoardProcess& board, int signal) {
    if (board.pid <= 0) return -1;
    kill(board.pid, signal);
    int status = 0;
    waitpid(board.pid, &status, 0);
    board.pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> freshDatabase(const std::string& backend) {
    if (backend == "sqlite") return {"--state", temporaryFolder("korvada-board-test-")};
    const char* file = std::getenv("KORVADA_POSTGRES");
    const std::string cluster = file ? readFile(file) : "";
    if (cluster.empty()) {
        ADD_FAILURE() << "no PostgreSQL cluster: KORVADA_POSTGRES names no connection string";
        return {};
    }
    static std::mt19937_64 random(std::random_device{}());
    const std::string name = "board_" + std::to_string(random() % 1000000000000ull);
    PGconn* db = PQconnectdb(cluster.c_str());
    PGresult* made = PQexec(db, ("CREATE DATABASE " + name).c_str());
    EXPECT_EQ(PQresultStatus(made), PGRES_COMMAND_OK) << PQerrorMessage(db);
    PQclear(made);
    PQfinish(db);
    return {"--database", cluster + " dbname=" + name};
}

std::string ticketKey(const std::vector<std::string>& database) {
    BoardStore store;
    std::string trouble, key;
    const bool opened = database[0] == "--state"
                            ? openSqliteStore(std::filesystem::path(database[1]) / "board.sqlite", &store, &trouble)
                            : openPostgresStore(database[1], &store, &trouble);
    EXPECT_TRUE(opened) << trouble;
    if (!opened) return "";
    EXPECT_TRUE(store.sharedValue(store.db, "ticket-key", "", &key, &trouble)) << trouble;
    store.close(store.db);
    return key;
}

Answer httpGet(const std::string& origin, const std::string& path, const std::vector<std::string>& headers) {
    return perform(origin + path, nullptr, headers);
}

Answer httpPost(const std::string& origin, const std::string& path, const std::string& body,
                const std::vector<std::string>& headers) {
    return perform(origin + path, &body, headers);
}

std::string jsonField(const std::string& json, const std::string& field) {
    const std::string key = "\"" + field + "\":";
    const size_t at = json.find(key);
    if (at == std::string::npos) return "";
    size_t start = at + key.size();
    if (json[start] != '"') return json.substr(start, json.find_first_of(",}", start) - start);
    return json.substr(start + 1, json.find('"', start + 1) - start - 1);
}

int32_t todayUtc() {
    return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::hours>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count() /
                                24);
}

MadeRound makeRound(const SentRound& facts) {
    MadeRound made;
    const std::string folder = temporaryFolder("korvada-round-");
    const std::string file = folder + "/round.kvr";
    // Today's round by korvada-replay; or another layout claimed as today's.
    const bool layout = facts.kind == DailyRound && facts.bottles == kDailyBottles;
    std::string command = std::string(KORVADA_REPLAY) +
                          (layout ? " --daily " + dayText(static_cast<uint32_t>(facts.day))
                                  : " --seed " + std::to_string(dailyRandomState(static_cast<uint32_t>(facts.day))) +
                                        " --bottles " + std::to_string(facts.bottles)) +
                          " --steps " + std::to_string(facts.steps) + " --dt " + std::to_string(facts.dt) + " --record " +
                          file;
    if (!facts.keys.empty()) command += " --keys " + facts.keys;
    FILE* replay = popen(command.c_str(), "r");
    char line[512];
    while (replay && std::fgets(line, sizeof line, replay)) {
        int index, score;
        float values[8];
        if (std::sscanf(line, "bottle %d %f %f %f %f %f %f %f %f %d", &index, &values[0], &values[1], &values[2],
                        &values[3], &values[4], &values[5], &values[6], &values[7], &score) == 10 &&
            index == 0)
            made.score = score;
    }
    EXPECT_TRUE(replay && pclose(replay) == 0) << command;
    RoundRecording recording;
    std::string trouble;
    EXPECT_TRUE(readRecordingFile(file, &recording, &trouble)) << trouble;
    std::filesystem::remove_all(folder);
    if (facts.escape && recording.frameSeconds.size() == static_cast<size_t>(facts.steps))
        recording.keys.push_back({static_cast<uint32_t>(facts.steps), static_cast<uint8_t>(kKeyEscape), 1});
    for (float seconds : recording.frameSeconds) made.seconds += seconds;
    recording.kind = facts.kind;
    recording.day = static_cast<uint32_t>(facts.day);
    recording.name = facts.name;
    recording.ticket = facts.ticket;
    recording.realMilliseconds =
        static_cast<uint32_t>(facts.realMs >= 0 ? facts.realMs : static_cast<int64_t>(made.seconds * 1000) + 1);
    made.bytes = recordingBytes(recording);
    return made;
}
