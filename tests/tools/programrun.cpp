#include "programrun.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

std::string contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

ProgramRun runProgram(const std::string& path, const std::vector<std::string>& args,
                      const RunSetup& setup) {
    // Output goes to files rather than pipes: nothing can block however much the program says.
    TempFolder captures;
    const std::string outPath = captures / "out";
    const std::string errPath = captures / "err";

    std::vector<std::string> words{path};
    if (setup.pendingSignal != 0)
        words = {SLOPECRUSH_PENDING_SIGNAL, std::to_string(setup.pendingSignal), path};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const std::string& outTo = setup.stdoutTo.empty() ? outPath : setup.stdoutTo;
        int pipeEnds[2] = {-1, -1};
        if (outTo == "|" && pipe(pipeEnds) == 0) close(pipeEnds[0]);
        const int out = outTo == "-"   ? 1
                        : outTo == "|" ? pipeEnds[1]
                                       : open(outTo.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
            _exit(126);
        if (outTo == "-") close(1);
        if (!setup.cwd.empty() && chdir(setup.cwd.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : setup.env)
            setenv(name.c_str(), value.c_str(), 1);
        if (setup.fileSizeLimit > 0) {
            // As on a full disk: writes fail (EFBIG) instead of the signal ending the program.
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(setup.fileSizeLimit),
                               static_cast<rlim_t>(setup.fileSizeLimit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (setup.whileRunning) setup.whileRunning(child);
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    ProgramRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = contents(outPath);
    run.err = contents(errPath);
    return run;
}

ProgramRun runRender(const std::vector<std::string>& args, const RunSetup& setup) {
    return runProgram(SLOPECRUSH_RENDER, args, setup);
}

ProgramRun runRender(const std::vector<std::string>& args, const std::string& cwd,
                     const std::map<std::string, std::string>& env) {
    return runRender(args, RunSetup{cwd, env, {}, 0});
}

std::string stracePath() {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && access((folder + "/strace").c_str(), X_OK) == 0)
            return folder + "/strace";
    return {};
}

ProgramRun runRenderTraced(const std::vector<std::string>& straceOptions,
                           const std::vector<std::string>& args) {
    std::vector<std::string> words = straceOptions;
    words.push_back(SLOPECRUSH_RENDER);
    words.insert(words.end(), args.begin(), args.end());
    const char* asan = std::getenv("ASAN_OPTIONS");
    return runProgram(
        stracePath(), words,
        RunSetup{{}, {{"ASAN_OPTIONS", std::string(asan ? asan : "") + ":detect_leaks=0"}}, {}, 0});
}

TempFolder::TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "slopecrush-render-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root, ignored);
}

std::vector<std::string> TempFolder::names() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(root))
        found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
}
