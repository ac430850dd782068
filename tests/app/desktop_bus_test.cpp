// Desktop notifications and the sleep inhibitor, on a private bus with mock
// services, and without any bus at all.
#include "app/desktop_bus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

#include "support/private_bus.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using ::testing::HasSubstr;

// logind lets go of an inhibitor when it notices the descriptor closed, which
// it does in its own time.
bool Eventually(const std::function<bool()>& condition) {
    return test::WaitFor(condition, std::chrono::seconds(10), std::chrono::milliseconds(20));
}

TEST(DesktopBus, NotifiesAndHoldsOffSleepOnTheBusAndGoesOnQuietlyWithoutOne) {
    test::PrivateBus bus;
    ASSERT_EQ(bus.Error(), "");
    bus.PointEnvironmentHere();

    EXPECT_TRUE(NotifyDesktop("Back-up klaar", "Lijst Foto's: 12 bestanden gekopieerd"));
    EXPECT_THAT(bus.NotifyLog(), HasSubstr("Notify \"Vaultor\" 0 \"vaultor\" \"Back-up klaar\" "
                                           "\"Lijst Foto's: 12 bestanden gekopieerd\" [] {} -1"));

    {
        SleepInhibitor inhibitor = SleepInhibitor::Take("Back-up van Foto's");
        EXPECT_TRUE(inhibitor.Held());
        EXPECT_THAT(bus.Inhibitors(), HasSubstr("\"Vaultor\""));
        EXPECT_THAT(bus.Inhibitors(), HasSubstr("\"Back-up van Foto's\""));
        // Taking the next one in its place lets go of the first.
        inhibitor = SleepInhibitor::Take("Test van Muziek");
        EXPECT_TRUE(inhibitor.Held());
        EXPECT_TRUE(Eventually([&] {
            return bus.Inhibitors().find("Foto's") == std::string::npos;
        })) << bus.Inhibitors();
        EXPECT_THAT(bus.Inhibitors(), HasSubstr("\"Test van Muziek\""));
        SleepInhibitor moved = std::move(inhibitor);
        EXPECT_TRUE(moved.Held());
    }
    EXPECT_TRUE(Eventually([&] { return bus.Inhibitors().find("Vaultor") == std::string::npos; }))
        << bus.Inhibitors();
    EXPECT_THAT(bus.LogindLog(),
                HasSubstr("Inhibit \"sleep\" \"Vaultor\" \"Test van Muziek\" \"block\""));

    // No bus at all, as on a machine without a desktop session or logind.
    test::TempDir elsewhere;
    const std::string nowhere = "unix:path=" + elsewhere / "no-bus";
    ::setenv("DBUS_SESSION_BUS_ADDRESS", nowhere.c_str(), 1);
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", nowhere.c_str(), 1);
    EXPECT_FALSE(NotifyDesktop("Back-up klaar", "Niemand ziet dit"));
    EXPECT_FALSE(SleepInhibitor::Take("Back-up van Foto's").Held());
}

}  // namespace
}  // namespace vaultor
