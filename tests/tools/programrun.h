// Runs programs as a person would from a shell, and captures what they say: the built
// slopecrush-render, and the host programs other tests compare it with.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

struct ProgramRun {
    int exitCode = -1; // the exit status, or 128 + the signal that ended the program
    std::string out;
    std::string err;
};

// Where the program runs, beyond its arguments.
struct RunSetup {
    std::string cwd;                        // empty: the test's own folder
    std::map<std::string, std::string> env; // extra environment variables
    std::string stdoutTo;                   // a file for standard output ("-": closed); empty: kept
    long long fileSizeLimit = 0;            // bytes any file may grow to (writes then fail)
    // Called once the program started. ("|" as stdoutTo: a pipe nobody reads.)
    std::function<void(int pid)> whileRunning = nullptr;
    // A signal blocked and sent before the program starts: it arrives once the program unblocks it.
    int pendingSignal = 0;
};

// Runs the program at path with args. Standard input is empty.
ProgramRun runProgram(const std::string& path, const std::vector<std::string>& args,
                      const RunSetup& setup = {});

// runProgram for slopecrush-render.
ProgramRun runRender(const std::vector<std::string>& args, const RunSetup& setup);
ProgramRun runRender(const std::vector<std::string>& args, const std::string& cwd = {},
                     const std::map<std::string, std::string>& env = {});

// strace, or "" where it is not installed (scripts/install-deps.sh --all installs it).
std::string stracePath();
// runRender under strace, its options first. LeakSanitizer, which cannot work under a tracer, is
// off.
ProgramRun runRenderTraced(const std::vector<std::string>& straceOptions,
                           const std::vector<std::string>& args);

// The bytes of a file; "" when there is none.
std::string contents(const std::string& path);

// A fresh folder for one test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return root; }
    std::string operator/(const std::string& name) const { return root + "/" + name; }
    // The names in the folder, sorted, hidden ones included.
    std::vector<std::string> names() const;

private:
    std::string root;
};
