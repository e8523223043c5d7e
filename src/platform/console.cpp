#include "platform/console.h"

#ifdef _WIN32
#include <windows.h>

#include <io.h>
#include <shellapi.h>
#include <stdio.h>
#else
#include <unistd.h>
#endif

#include <csignal>

#include "platform/utf8.h"

namespace tagwright {

bool StandardInputIsTerminal() {
#ifdef _WIN32
    return ::_isatty(::_fileno(stdin)) != 0;
#else
    return ::isatty(STDIN_FILENO) != 0;
#endif
}

bool StandardOutputIsTerminal() {
#ifdef _WIN32
    return ::_isatty(::_fileno(stdout)) != 0;
#else
    return ::isatty(STDOUT_FILENO) != 0;
#endif
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    std::vector<std::string> out;
#ifdef _WIN32
    (void)argv;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide != nullptr) {
        for (int i = 0; i < count; ++i)
            out.push_back(utf8::FromWide(wide[i]));
        ::LocalFree(wide);
        return out;
    }
    (void)argc;
#endif
    for (int i = 0; i < argc; ++i)
        out.emplace_back(argv[i]);
    return out;
}

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void OnStopSignal(int signal) {
    g_stopSignal = signal;
}

}  // namespace

void CatchStopSignals() {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
#ifdef SIGBREAK
    std::signal(SIGBREAK, OnStopSignal);
#endif
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

int StopSignal() {
    return g_stopSignal;
}

void UseUtf8Console() {
#ifdef _WIN32
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
#endif
}

}  // namespace tagwright
