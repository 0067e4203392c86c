#include "cli/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace {

constexpr std::size_t ERROR_TEXT_LIMIT = 512;
constexpr std::size_t CHUNK_SIZE = 65536;
// How often the loop looks whether the child has ended.
constexpr int CHECK_INTERVAL_MS = 20;

using Clock = std::chrono::steady_clock;

void close_fd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

int milliseconds_left(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() <= 0 ? 0 : static_cast<int>(left.count());
}

// Where one output pipe's bytes go: all of them into `bytes` up to `limit`,
// or the first ERROR_TEXT_LIMIT of them into `text`.
struct Sink {
    int fd;
    std::vector<unsigned char>* bytes;
    std::string* text;
    std::size_t limit;
    bool over;  // more than `limit` arrived
};

enum class ReadResult { Data, Nothing, End };

ReadResult read_some(Sink& sink) {
    unsigned char chunk[CHUNK_SIZE];
    const ssize_t n = ::read(sink.fd, chunk, sizeof chunk);
    if (n < 0) return errno == EINTR || errno == EAGAIN ? ReadResult::Nothing : ReadResult::End;
    if (n == 0) return ReadResult::End;
    const auto count = static_cast<std::size_t>(n);
    if (sink.bytes != nullptr) {
        if (sink.bytes->size() + count > sink.limit) {
            sink.over = true;
            return ReadResult::End;
        }
        sink.bytes->insert(sink.bytes->end(), chunk, chunk + count);
    } else if (sink.text->size() < ERROR_TEXT_LIMIT) {
        sink.text->append(reinterpret_cast<const char*>(chunk), count);
        if (sink.text->size() > ERROR_TEXT_LIMIT) sink.text->resize(ERROR_TEXT_LIMIT);
    }
    return ReadResult::Data;
}

// Once the child has ended, all it wrote is in the pipe. A process it left
// behind (a clipboard tool's server) may hold the pipe open, so this reads
// only what is there now.
void read_rest(Sink& sink, Clock::time_point deadline) {
    if (sink.fd < 0) return;
    ::fcntl(sink.fd, F_SETFL, ::fcntl(sink.fd, F_GETFL) | O_NONBLOCK);
    while (read_some(sink) == ReadResult::Data && milliseconds_left(deadline) > 0) {
    }
    close_fd(sink.fd);
}

void record_exit(int wait_status, ChildRun& run) {
    run.exited = WIFEXITED(wait_status);
    run.exit_status = run.exited ? WEXITSTATUS(wait_status) : -1;
}

}  // namespace

ChildRun run_child(const ChildRequest& request) {
    ChildRun run{false, false, false, false, -1, ""};
    const auto deadline = Clock::now() + std::chrono::milliseconds(request.timeout_ms);

    // Pipe ends: [0] read, [1] write. All close on exec; the child's copies
    // are made by dup2, which clears that flag.
    int in_pipe[2] = {-1, -1}, out_pipe[2] = {-1, -1}, err_pipe[2] = {-1, -1};
    bool pipes_ok = true;
    if (request.input != nullptr) pipes_ok = ::pipe2(in_pipe, O_CLOEXEC) == 0 && pipes_ok;
    if (request.output != nullptr) pipes_ok = ::pipe2(out_pipe, O_CLOEXEC) == 0 && pipes_ok;
    if (request.capture_errors) pipes_ok = ::pipe2(err_pipe, O_CLOEXEC) == 0 && pipes_ok;
    const int pipe_error = errno;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in_pipe[0] >= 0)
        posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out_pipe[1] >= 0)
        posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (err_pipe[1] >= 0)
        posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(request.program.c_str()));
    for (const std::string& argument : request.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int spawn_error =
        pipes_ok ? posix_spawn(&pid, request.program.c_str(), &actions, nullptr, argv.data(), environ) : pipe_error;
    posix_spawn_file_actions_destroy(&actions);
    close_fd(in_pipe[0]);
    close_fd(out_pipe[1]);
    close_fd(err_pipe[1]);
    if (spawn_error != 0) {
        close_fd(in_pipe[1]);
        close_fd(out_pipe[0]);
        close_fd(err_pipe[0]);
        run.error_text = std::strerror(spawn_error);
        return run;
    }
    run.started = true;

    // A tool that ends before taking all its input must not end this program.
    struct sigaction ignore_pipe {}, old_pipe {};
    ignore_pipe.sa_handler = SIG_IGN;
    sigemptyset(&ignore_pipe.sa_mask);
    ::sigaction(SIGPIPE, &ignore_pipe, &old_pipe);

    int input_fd = in_pipe[1];
    std::size_t written = 0;
    if (input_fd >= 0) ::fcntl(input_fd, F_SETFL, ::fcntl(input_fd, F_GETFL) | O_NONBLOCK);
    if (input_fd >= 0 && request.input->empty()) close_fd(input_fd);
    Sink out{out_pipe[0], request.output, nullptr, request.max_output, false};
    Sink err{err_pipe[0], nullptr, &run.error_text, 0, false};

    // Feeds and reads until the child ends, the deadline passes, or it writes
    // too much.
    bool ended = false;
    int wait_status = 0;
    for (;;) {
        pollfd fds[3];
        nfds_t count = 0;
        if (input_fd >= 0) fds[count++] = pollfd{input_fd, POLLOUT, 0};
        if (out.fd >= 0) fds[count++] = pollfd{out.fd, POLLIN, 0};
        if (err.fd >= 0) fds[count++] = pollfd{err.fd, POLLIN, 0};
        const int left = milliseconds_left(deadline);
        if (left == 0) {
            run.timed_out = true;
            break;
        }
        if (::poll(fds, count, left < CHECK_INTERVAL_MS ? left : CHECK_INTERVAL_MS) > 0) {
            for (nfds_t i = 0; i < count; ++i) {
                if (fds[i].revents == 0) continue;
                if (fds[i].fd == input_fd) {
                    const std::string& input = *request.input;
                    const std::size_t rest = input.size() - written;
                    const ssize_t n = ::write(input_fd, input.data() + written,
                                              rest < CHUNK_SIZE ? rest : CHUNK_SIZE);
                    if (n > 0) written += static_cast<std::size_t>(n);
                    if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size())
                        close_fd(input_fd);
                } else {
                    Sink& sink = fds[i].fd == out.fd ? out : err;
                    if (read_some(sink) == ReadResult::End) close_fd(sink.fd);
                }
            }
        }
        if (out.over) break;
        if (::waitpid(pid, &wait_status, WNOHANG) == pid) {
            ended = true;
            break;
        }
    }
    close_fd(input_fd);
    if (ended) {
        read_rest(out, deadline);
        read_rest(err, deadline);
    } else {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, &wait_status, 0) < 0 && errno == EINTR) {
        }
        close_fd(out.fd);
        close_fd(err.fd);
    }
    run.output_too_large = out.over;
    record_exit(wait_status, run);
    ::sigaction(SIGPIPE, &old_pipe, nullptr);
    return run;
}
