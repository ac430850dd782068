// `vaultor-cli sums LIST on|off`: a list setting written without loading the
// list as the window would, as `schedule` is.
#include "cli/commands.h"
#include "fs/i18n.h"
#include "state/versions_settings.h"

namespace vaultor::cli {

int SetSums(const StartedProgram& program, const Command& c) {
    const std::string& list = c.args[0];
    const auto drv = CompanionOf(program, list);
    if (!drv) return 1;
    const std::string& word = c.args[1];
    if (word != "on" && word != "off") {
        TerminalUi::PrintLines(Printf(_("Gebruik: vaultor-cli %s"), _("sums LIJST on|off")));
        return 2;
    }
    std::string problem;
    VersionsSettings settings = ReadVersionsSettings(*drv, &problem);
    if (!problem.empty()) TerminalUi::PrintLines(problem);
    settings.sums = word == "on";
    WriteVersionsSettings(*drv, settings);
    TerminalUi::PrintLines(list + ": " +
                           (settings.sums ? _("een controlegetal van elke kopie wordt bewaard")
                                          : _("geen controlegetallen")));
    return 0;
}

}  // namespace vaultor::cli
