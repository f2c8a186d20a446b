// One exchange with a board through KorvadaSetup's WinHTTP transport, for
// the Wine tests:
//
//   board_exchange [--post] [--body FILE] [--secret S] [--longest N] [--seconds N] [--posted] URL
//   board_exchange --make-secrets     two new secrets for a name, one a line
//
// prints "answered STATUS" and the body, or "trouble: WHY". With --posted
// the exchange runs on its worker thread, as the dialog's do, and comes back
// as a posted message to a window whose 50 ms timer ticks meanwhile; the
// ticks are printed first ("ticks N"). Exit 0 when an answer came, 1 when
// none did, 2 for a bad command line.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "setup/win32/board_winhttp.h"

namespace {
constexpr UINT kAnswered = WM_APP + 1;

struct Waiting {
    int ticks = 0;
    bool done = false;
    DWORD thread = 0;
    bool onOwnThread = false;
    BoardAnswer answer;
};

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Waiting* waiting = reinterpret_cast<Waiting*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_TIMER && waiting) {
        ++waiting->ticks;
        return 0;
    }
    if (message == kAnswered && waiting) {
        waiting->answer = takePostedAnswer(lParam);
        waiting->onOwnThread = GetCurrentThreadId() == waiting->thread;
        waiting->done = true;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

BoardAnswer posted(const BoardRequest& request, int* ticks) {
    WNDCLASSW kind{};
    kind.lpfnWndProc = windowProcedure;
    kind.hInstance = GetModuleHandleW(nullptr);
    kind.lpszClassName = L"board_exchange";
    RegisterClassW(&kind);
    HWND window = CreateWindowW(L"board_exchange", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, kind.hInstance, nullptr);
    Waiting waiting;
    waiting.thread = GetCurrentThreadId();
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&waiting));
    SetTimer(window, 1, 50, nullptr);
    startBoardExchange(request, window, kAnswered, 7);
    MSG message;
    while (!waiting.done && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    *ticks = waiting.onOwnThread ? waiting.ticks : -1;
    DestroyWindow(window);
    return waiting.answer;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--make-secrets") == 0) {
        std::printf("%s\n%s\n", makeBoardSecret().c_str(), makeBoardSecret().c_str());
        return 0;
    }
    BoardRequest request;
    bool viaMessage = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool valued = i + 1 < argc;
        if (option == "--post") {
            request.post = true;
        } else if (option == "--posted") {
            viaMessage = true;
        } else if (option == "--body" && valued) {
            std::ifstream in(argv[++i], std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            request.body = bytes.str();
        } else if (option == "--secret" && valued) {
            request.secret = argv[++i];
        } else if (option == "--longest" && valued) {
            request.longestAnswer = std::strtoul(argv[++i], nullptr, 10);
        } else if (option == "--seconds" && valued) {
            request.seconds = std::atoi(argv[++i]);
        } else if (option.rfind("--", 0) != 0 && request.url.empty()) {
            request.url = option;
        } else {
            std::fprintf(stderr, "board_exchange: %s?\n", option.c_str());
            return 2;
        }
    }
    int ticks = 0;
    const BoardAnswer answer = viaMessage ? posted(request, &ticks) : exchangeWithWinHttp(request);
    if (viaMessage) std::printf("ticks %d\n", ticks);
    if (!answer.answered) {
        std::printf("trouble: %s\n", answer.trouble.c_str());
        return 1;
    }
    std::printf("answered %d\n", answer.status);
    std::fwrite(answer.body.data(), 1, answer.body.size(), stdout);
    std::printf("\n");
    return 0;
}
