#include "app/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "fs/i18n.h"

namespace vaultor {
namespace {

constexpr std::int64_t kWaitMs = 5000;
constexpr auto kLookEvery = std::chrono::milliseconds(100);

}  // namespace

std::optional<RunLock> RunLock::Take(AppState& state) {
    fs::UniqueFd folder(::open(state.ProgramDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // A folder that cannot be opened for the lock cannot hold a run's files
    // either: the run says so itself.
    if (!folder) return RunLock(fs::UniqueFd());
    const std::int64_t began = state.Ui.NowMs();
    while (::flock(folder.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) return RunLock(fs::UniqueFd());
        if (state.Ui.NowMs() - began >= kWaitMs) return std::nullopt;
        state.Ui.ProcessMessages();
        std::this_thread::sleep_for(kLookEvery);
    }
    return RunLock(std::move(folder));
}

std::optional<RunLock> RunLock::TakeOrSay(AppState& state) {
    auto lock = Take(state);
    if (!lock) state.Ui.ToonMelding(BusyText(state));
    return lock;
}

std::string BusyText(const AppState& state) {
    return Printf(_("Er loopt al een back-up of test in de programmamap %s; probeer het later "
                    "opnieuw."),
                  state.ProgramDir.c_str());
}

}  // namespace vaultor
