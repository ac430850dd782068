#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vaultor::test {

// A message bus of the test's own with a mock notification service and a
// mock logind on it, so desktop calls are made for real without reaching the
// user's desktop or the machine's logind. The one bus stands in for both the
// session and the system bus. The destructor kills the bus and both services
// and waits for them, also when the test failed; should the test program die
// instead, they are killed with it.
class PrivateBus {
  public:
    PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus();

    // Empty when the bus and both services are up; otherwise why not.
    const std::string& Error() const { return error_; }
    std::string Address() const { return address_; }
    // Points DBUS_SESSION_BUS_ADDRESS and DBUS_SYSTEM_BUS_ADDRESS at this bus;
    // the destructor puts back what they were before, whatever the test set
    // in between.
    void PointEnvironmentHere();
    // The calls each service received, one line each.
    std::string NotifyLog() const;
    std::string LogindLog() const;
    // logind's reply to ListInhibitors, as dbus-send prints it.
    std::string Inhibitors() const;

  private:
    bool StartDaemon();
    bool StartServices();
    pid_t Start(const std::vector<std::string>& args, const std::string& output,
                const std::string& errors, const std::vector<std::string>& environment);
    bool WaitUntil(const std::string& what, const std::function<bool()>& ready);
    bool AllRunning();
    void StopAll();
    void RestoreEnvironment();

    TempDir dir_;
    std::string address_;
    std::vector<pid_t> pids_;
    bool pointed_ = false;
    std::optional<std::string> saved_session_, saved_system_;
    std::string error_;
};

}  // namespace vaultor::test
