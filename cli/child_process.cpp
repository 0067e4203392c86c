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

// The pipes of one run, [0] the read end and [1] the write end; -1 where the
// request wants none.
struct Pipes {
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
};

// One standard stream of the child: a pipe end put in its place, or /dev/null.
void add_stream(posix_spawn_file_actions_t& actions, int pipe_end, int stream, int null_flags) {
    if (pipe_end >= 0)
        posix_spawn_file_actions_adddup2(&actions, pipe_end, stream);
    else
        posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", null_flags, 0);
}

// Opens the pipes the request asks for and starts the child. Every pipe end
// closes on exec; the child's copies are made by dup2, which clears that
// flag. Afterwards only this program's ends are open, and none of them when
// the start failed. 0, or the error number of what failed.
int spawn_child(const ChildRequest& request, Pipes& pipes, pid_t& pid) {
    bool pipes_ok = true;
    if (request.input != nullptr) pipes_ok = ::pipe2(pipes.in, O_CLOEXEC) == 0 && pipes_ok;
    if (request.output != nullptr) pipes_ok = ::pipe2(pipes.out, O_CLOEXEC) == 0 && pipes_ok;
    if (request.capture_errors) pipes_ok = ::pipe2(pipes.err, O_CLOEXEC) == 0 && pipes_ok;
    const int pipe_error = errno;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    add_stream(actions, pipes.in[0], 0, O_RDONLY);
    add_stream(actions, pipes.out[1], 1, O_WRONLY);
    add_stream(actions, pipes.err[1], 2, O_WRONLY);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(request.program.c_str()));
    for (const std::string& argument : request.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int error =
        pipes_ok ? posix_spawn(&pid, request.program.c_str(), &actions, nullptr, argv.data(), environ) : pipe_error;
    posix_spawn_file_actions_destroy(&actions);

    close_fd(pipes.in[0]);
    close_fd(pipes.out[1]);
    close_fd(pipes.err[1]);
    if (error != 0) {
        close_fd(pipes.in[1]);
        close_fd(pipes.out[0]);
        close_fd(pipes.err[0]);
    }
    return error;
}

// A started child with this program's ends of its pipes.
struct Running {
    pid_t pid;
    const std::string* input;
    int input_fd;         // -1 once all input is written, or writing failed
    std::size_t written;  // bytes of the input written so far
    Sink out;
    Sink err;
};

// Writes the next chunk of the input; closes the pipe once all of it is
// written or writing fails.
void feed_some(Running& child) {
    const std::string& input = *child.input;
    const std::size_t rest = input.size() - child.written;
    const ssize_t n = ::write(child.input_fd, input.data() + child.written, rest < CHUNK_SIZE ? rest : CHUNK_SIZE);
    if (n > 0) child.written += static_cast<std::size_t>(n);
    if ((n < 0 && errno != EAGAIN && errno != EINTR) || child.written == input.size()) close_fd(child.input_fd);
}

// Waits at most `wait_ms` for the pipes and serves those that are ready.
void serve_pipes(Running& child, int wait_ms) {
    pollfd fds[3];
    nfds_t count = 0;
    if (child.input_fd >= 0) fds[count++] = pollfd{child.input_fd, POLLOUT, 0};
    if (child.out.fd >= 0) fds[count++] = pollfd{child.out.fd, POLLIN, 0};
    if (child.err.fd >= 0) fds[count++] = pollfd{child.err.fd, POLLIN, 0};
    if (::poll(fds, count, wait_ms) <= 0) return;
    for (nfds_t i = 0; i < count; ++i) {
        if (fds[i].revents == 0) continue;
        if (fds[i].fd == child.input_fd) {
            feed_some(child);
        } else {
            Sink& sink = fds[i].fd == child.out.fd ? child.out : child.err;
            if (read_some(sink) == ReadResult::End) close_fd(sink.fd);
        }
    }
}

enum class RunEnd { Exited, TimedOut, TooMuchOutput };

// Feeds and reads until the child ends, the deadline passes, or it writes
// too much.
RunEnd pump(Running& child, Clock::time_point deadline, int& wait_status) {
    for (;;) {
        const int left = milliseconds_left(deadline);
        if (left == 0) return RunEnd::TimedOut;
        serve_pipes(child, left < CHECK_INTERVAL_MS ? left : CHECK_INTERVAL_MS);
        if (child.out.over) return RunEnd::TooMuchOutput;
        if (::waitpid(child.pid, &wait_status, WNOHANG) == child.pid) return RunEnd::Exited;
    }
}

// Takes what an ended child left in its pipes, or kills and reaps one that
// has not ended; closes every pipe.
void finish(Running& child, RunEnd end, Clock::time_point deadline, int& wait_status) {
    close_fd(child.input_fd);
    if (end == RunEnd::Exited) {
        read_rest(child.out, deadline);
        read_rest(child.err, deadline);
        return;
    }
    ::kill(child.pid, SIGKILL);
    while (::waitpid(child.pid, &wait_status, 0) < 0 && errno == EINTR) {
    }
    close_fd(child.out.fd);
    close_fd(child.err.fd);
}

}  // namespace

ChildRun run_child(const ChildRequest& request) {
    ChildRun run{false, false, false, false, -1, ""};
    const auto deadline = Clock::now() + std::chrono::milliseconds(request.timeout_ms);
    Pipes pipes;
    pid_t pid = -1;
    const int spawn_error = spawn_child(request, pipes, pid);
    if (spawn_error != 0) {
        run.error_text = std::strerror(spawn_error);
        return run;
    }
    run.started = true;

    // A tool that ends before taking all its input must not end this program.
    struct sigaction ignore_pipe {}, old_pipe {};
    ignore_pipe.sa_handler = SIG_IGN;
    sigemptyset(&ignore_pipe.sa_mask);
    ::sigaction(SIGPIPE, &ignore_pipe, &old_pipe);

    Running child{pid, request.input, pipes.in[1], 0,
                  Sink{pipes.out[0], request.output, nullptr, request.max_output, false},
                  Sink{pipes.err[0], nullptr, &run.error_text, 0, false}};
    if (child.input_fd >= 0) ::fcntl(child.input_fd, F_SETFL, ::fcntl(child.input_fd, F_GETFL) | O_NONBLOCK);
    if (child.input_fd >= 0 && child.input->empty()) close_fd(child.input_fd);
    int wait_status = 0;
    const RunEnd end = pump(child, deadline, wait_status);
    finish(child, end, deadline, wait_status);
    run.timed_out = end == RunEnd::TimedOut;
    run.output_too_large = child.out.over;
    record_exit(wait_status, run);
    ::sigaction(SIGPIPE, &old_pipe, nullptr);
    return run;
}
