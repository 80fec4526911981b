#include "base/spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace qvpc {
namespace {

// One of posix_spawn's set-up objects, destroyed on every way out.
template <typename T, auto Init, auto Destroy>
class SpawnObject {
  public:
    SpawnObject() : m_ready(Init(&m_object) == 0) {}
    ~SpawnObject() {
        if (m_ready) {
            Destroy(&m_object);
        }
    }
    SpawnObject(const SpawnObject&) = delete;
    SpawnObject& operator=(const SpawnObject&) = delete;

    bool ready() const { return m_ready; }
    T* get() { return &m_object; }

  private:
    T m_object;
    bool m_ready;
};

using FileActions = SpawnObject<posix_spawn_file_actions_t, posix_spawn_file_actions_init,
                                posix_spawn_file_actions_destroy>;
using SpawnAttributes =
    SpawnObject<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;

bool AddDescriptor(FileActions& actions, int fd, int target, int nullMode) {
    if (fd < 0) {
        return posix_spawn_file_actions_addopen(actions.get(), target, "/dev/null", nullMode, 0) ==
               0;
    }
    return posix_spawn_file_actions_adddup2(actions.get(), fd, target) == 0;
}

bool SetUpFiles(FileActions& actions, const SpawnOptions& options) {
    return actions.ready() && AddDescriptor(actions, options.input, STDIN_FILENO, O_RDONLY) &&
           AddDescriptor(actions, options.output, STDOUT_FILENO, O_WRONLY) &&
           AddDescriptor(actions, options.error, STDERR_FILENO, O_WRONLY) &&
           (options.workingDirectory.empty() ||
            posix_spawn_file_actions_addchdir_np(actions.get(), options.workingDirectory.c_str()) ==
                0);
}

bool SetUpAttributes(SpawnAttributes& attributes, ProcessStart start) {
    if (!attributes.ready()) {
        return false;
    }
    // We ignore SIGPIPE (a write to a shell that has just ended must fail, not
    // end the program) and may block or catch more; the child starts clean.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM}) {
        sigaddset(&defaults, signal);
    }
    const int apart =
        start == ProcessStart::NewSession ? POSIX_SPAWN_SETSID : POSIX_SPAWN_SETPGROUP;
    const auto flags = static_cast<short>(apart | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    // A process group id of 0 makes the child the leader of a new group.
    return posix_spawnattr_setflags(attributes.get(), flags) == 0 &&
           posix_spawnattr_setpgroup(attributes.get(), 0) == 0 &&
           posix_spawnattr_setsigmask(attributes.get(), &none) == 0 &&
           posix_spawnattr_setsigdefault(attributes.get(), &defaults) == 0;
}

// The strings as exec takes them: pointers ended by a null pointer.
std::vector<char*> NullEnded(const std::vector<std::string>& items) {
    std::vector<char*> pointers;
    pointers.reserve(items.size() + 1);
    for (const std::string& item : items) {
        pointers.push_back(const_cast<char*>(item.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

std::optional<pid_t> Spawn(const std::vector<std::string>& argv, const SpawnOptions& options) {
    if (argv.empty()) {
        return std::nullopt;
    }
    FileActions actions;
    SpawnAttributes attributes;
    if (!SetUpFiles(actions, options) || !SetUpAttributes(attributes, options.start)) {
        return std::nullopt;
    }
    std::vector<char*> args = NullEnded(argv);
    std::vector<char*> env;
    if (options.environment) {
        env = NullEnded(*options.environment);
    }
    pid_t pid = -1;
    if (::posix_spawnp(&pid, args[0], actions.get(), attributes.get(), args.data(),
                       options.environment ? env.data() : environ) != 0) {
        return std::nullopt;
    }
    return pid;
}

std::vector<std::string> ChangedEnvironment(std::string_view name,
                                            const std::optional<std::string>& value) {
    std::vector<std::string> environment;
    const std::string prefix = std::string(name) + "=";
    for (char** entry = environ; *entry; ++entry) {
        if (!std::string_view(*entry).starts_with(prefix)) {
            environment.emplace_back(*entry);
        }
    }
    if (value) {
        environment.push_back(prefix + *value);
    }
    return environment;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

}  // namespace qvpc
