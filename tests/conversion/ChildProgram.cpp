// A stand-in for an encoder: carries out its arguments in order, so that a test
// decides exactly which bytes reach the pipe, when, and how the process ends.
//   fill:N:HH    append N bytes of the hex value HH to the pending output
//   hex:HHHH...  append the bytes given in hex
//   text:STRING  append STRING
//   cwd          append the working directory
//   fds          append the open descriptors, as "0 1 2"
//   stdin        append what standard input is: "pipe eof", "pipe data",
//                "pipe waits" or "not a pipe"
//   args         append the number of the remaining arguments, then each one
//                after a 0x1f byte, and stop reading actions
//   flush        write the pending output to stdout in one write
//   flush-err    the same, to stderr
//   sleep:MS     pause
//   exit:CODE    end with that exit code
//   signal:SIG   end by that signal
//   ticks:MS:N   write "tick K\r" N times, MS apart, each in one write
//   no-term      go on when asked to end (SIGTERM); only a kill ends it
// Without exit or signal the program ends with code 0.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string pending;

bool startsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

unsigned char hexByte(const std::string &digits)
{
    return static_cast<unsigned char>(std::stoul(digits, nullptr, 16));
}

void appendHex(const std::string &digits)
{
    for (std::size_t at = 0; at + 1 < digits.size(); at += 2)
        pending.push_back(static_cast<char>(hexByte(digits.substr(at, 2))));
}

void appendFill(const std::string &fillText)
{
    const std::size_t colon = fillText.find(':');
    const std::size_t count = std::stoul(fillText.substr(0, colon));
    pending.append(count, static_cast<char>(hexByte(fillText.substr(colon + 1))));
}

void appendWorkingDirectory()
{
    char folder[4096];
    if (::getcwd(folder, sizeof folder))
        pending += folder;
}

void appendDescriptors()
{
    DIR *listing = ::opendir("/proc/self/fd");
    if (!listing)
        return;
    std::vector<int> open;
    while (const dirent *entry = ::readdir(listing)) {
        if (entry->d_name[0] == '.')
            continue;
        const int fd = std::atoi(entry->d_name);
        if (fd != ::dirfd(listing))
            open.push_back(fd);
    }
    ::closedir(listing);
    for (std::size_t i = 0; i < open.size(); ++i)
        pending += (i ? " " : "") + std::to_string(open[i]);
}

void appendStandardInput()
{
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) != 0 || !S_ISFIFO(info.st_mode)) {
        pending += "not a pipe";
        return;
    }
    pollfd watched{STDIN_FILENO, POLLIN, 0};
    if (::poll(&watched, 1, 2000) <= 0) {
        pending += "pipe waits";
        return;
    }
    char byte;
    pending += ::read(STDIN_FILENO, &byte, 1) == 0 ? "pipe eof" : "pipe data";
}

void appendArguments(int argc, char **argv, int from)
{
    pending += std::to_string(argc - from);
    for (int i = from; i < argc; ++i)
        pending += std::string("\x1f") + argv[i];
}

void writeAll(int fd)
{
    std::size_t done = 0;
    while (done < pending.size()) {
        const ssize_t wrote = ::write(fd, pending.data() + done, pending.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            std::_Exit(90);
        done += static_cast<std::size_t>(wrote);
    }
    pending.clear();
}

void writeTicks(const std::string &ticks)
{
    const std::size_t colon = ticks.find(':');
    const unsigned long every = std::stoul(ticks.substr(0, colon));
    const unsigned long count = std::stoul(ticks.substr(colon + 1));
    for (unsigned long k = 1; k <= count; ++k) {
        pending = "tick " + std::to_string(k) + "\r";
        writeAll(STDOUT_FILENO);
        ::usleep(static_cast<useconds_t>(every * 1000));
    }
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string action = argv[i];
        if (startsWith(action, "fill:"))
            appendFill(action.substr(5));
        else if (startsWith(action, "hex:"))
            appendHex(action.substr(4));
        else if (startsWith(action, "text:"))
            pending += action.substr(5);
        else if (action == "cwd")
            appendWorkingDirectory();
        else if (action == "fds")
            appendDescriptors();
        else if (action == "stdin")
            appendStandardInput();
        else if (action == "args") {
            appendArguments(argc, argv, i + 1);
            break;
        } else if (action == "flush")
            writeAll(STDOUT_FILENO);
        else if (action == "flush-err")
            writeAll(STDERR_FILENO);
        else if (startsWith(action, "sleep:"))
            ::usleep(static_cast<useconds_t>(std::stoul(action.substr(6)) * 1000));
        else if (startsWith(action, "exit:"))
            std::_Exit(std::atoi(action.substr(5).c_str()));
        else if (startsWith(action, "signal:"))
            ::raise(std::atoi(action.substr(7).c_str()));
        else if (startsWith(action, "ticks:"))
            writeTicks(action.substr(6));
        else if (action == "no-term")
            std::signal(SIGTERM, SIG_IGN);
        else
            std::_Exit(91);
    }
    if (!pending.empty())
        writeAll(STDOUT_FILENO);
    return 0;
}
