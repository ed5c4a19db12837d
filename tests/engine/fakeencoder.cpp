// A stand-in encoder for the runner's and the pipeline's tests. Options, in any order:
//   --record FILE   append its arguments (one line, separated by "|") to FILE
//   --write FILE    create FILE with a few bytes (its "output")
//   --status N      print N ffmpeg-like status lines, 20 ms apart
//   --stderr-only   print the status lines to standard error only
//   --hang          after the status lines, wait for "q" on standard input (or forever)
//   --hang-if TEXT PART  --hang, when TEXT contains PART
//   --ignore-q      with --hang: read "q" but go on waiting
//   --exit CODE     exit with this code
//   --quiet MS      print nothing for MS milliseconds first
//   --say TEXT      print TEXT and a line break last
//   --quiet-field TEXT N  --quiet with the N-th "-"-separated number of TEXT (a job's name)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>

int main(int argc, char *argv[])
{
    int status = 0;
    int exitCode = 0;
    bool stderrOnly = false;
    bool hang = false;
    bool ignoreQ = false;
    int quietMs = 0;
    const char *say = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--record" && hasValue) {
            FILE *f = std::fopen(argv[++i], "a");
            if (f) {
                for (int k = 1; k < argc; ++k)
                    std::fprintf(f, "%s%s", k > 1 ? "|" : "", argv[k]);
                std::fprintf(f, "\n");
                std::fclose(f);
            }
        } else if (a == "--write" && hasValue) {
            FILE *f = std::fopen(argv[++i], "w");
            if (f) {
                std::fputs("fake output\n", f);
                std::fclose(f);
            }
        } else if (a == "--status" && hasValue) {
            status = std::atoi(argv[++i]);
        } else if (a == "--exit" && hasValue) {
            exitCode = std::atoi(argv[++i]);
        } else if (a == "--quiet" && hasValue) {
            quietMs = std::atoi(argv[++i]);
        } else if (a == "--quiet-field" && i + 2 < argc) {
            std::string text = argv[i + 1];
            for (int field = std::atoi(argv[i + 2]); field > 0; --field)
                text = text.substr(std::min(text.size(), text.find('-') + 1));
            quietMs = std::atoi(text.c_str());
            i += 2;
        } else if (a == "--say" && hasValue) {
            say = argv[++i];
        } else if (a == "--stderr-only") {
            stderrOnly = true;
        } else if (a == "--hang") {
            hang = true;
        } else if (a == "--hang-if" && i + 2 < argc) {
            // --hang-if TEXT PART: hangs when TEXT (a job's name) contains PART.
            hang = hang || std::string(argv[i + 1]).find(argv[i + 2]) != std::string::npos;
            i += 2;
        } else if (a == "--ignore-q") {
            ignoreQ = true;
        }
    }
    FILE *out = stderrOnly ? stderr : stdout;
    std::this_thread::sleep_for(std::chrono::milliseconds(quietMs));
    for (int n = 1; n <= status; ++n) {
        std::fprintf(
            out,
            "frame=%5d fps=25.0 q=3.2 size=%8dkB time=00:00:%02d.%02d bitrate= 100.0kbits/s "
            "speed=1.00x    \r",
            n * 25,
            n * 10,
            n % 60,
            n % 100);
        std::fflush(out);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (hang) {
        char c = 0;
        for (;;) {
            const ssize_t got = ::read(0, &c, 1);
            if (got == 1 && c == 'q' && !ignoreQ)
                break;
            if (got <= 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
    if (say)
        std::fprintf(out, "%s\n", say);
    return exitCode;
}
