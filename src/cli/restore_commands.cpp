#include "cli/restore_commands.h"

#include <unistd.h>

#include <cstdio>

#include "app/restore.h"
#include "app/run_status.h"
#include "fs/drive_mapping.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/i18n.h"
#include "fs/time_text.h"

namespace vaultor::cli {
namespace {

void Say(const std::string& text) {
    TerminalUi::PrintLines(text);
}

// A wrong command line: one line on standard error, exit status 2.
int Wrong(const std::string& text) {
    std::fprintf(stderr, "vaultor-cli: %s\n", TerminalUi::Printable(text).c_str());
    return 2;
}

// "E:\" for "E", "e:" or "E:\"; empty for anything else.
std::string DriveRoot(const std::string& text) {
    const bool form = text.size() == 1 ||
                      (text.size() <= 3 && text[1] == ':' && (text.size() == 2 || text[2] == '\\'));
    const char letter = form ? fs::NormaliseLetter(text[0]) : 0;
    return letter ? std::string(1, letter) + ":\\" : std::string();
}

// The list's target root ("E:\"); empty, and said why, when there is none.
std::string ListTargetRoot(const StartedProgram& program, const std::string& list) {
    if (::access((program.ProgramDir + list + ".vlt").c_str(), F_OK) != 0) {
        Say(Printf(_("Er is geen lijst %s."), list.c_str()));
        return {};
    }
    const char letter = TargetLetterOf(program.ProgramDir + list + ".drv");
    if (!letter) Say(Printf(_("De lijst %s heeft geen doeldrive."), list.c_str()));
    return letter ? std::string(1, letter) + ":\\" : std::string();
}

// A path as given: letter form, or a path of this machine turned into it.
std::optional<std::string> SourceArgument(const std::string& text) {
    const bool letter_form = text.size() >= 2 && text[1] == ':';
    return SourcePathOf(letter_form ? text : fs::Drives().ToLetterPath(text));
}

void SayResult(const RestoreResult& result) {
    for (const auto& name : result.kept_names) Say(Printf(_("Bewaard als %s"), name.c_str()));
    for (const auto& line : result.failures) Say(line);
    Say(RestoreSummary(result));
}

}  // namespace

int RestoreFromTarget(const StartedProgram& program, const Command& c) {
    const bool from_drive = c.from.has_value();
    if (c.args.size() != (from_drive ? 1u : 2u))
        return Wrong(Printf(_("Gebruik: vaultor-cli %s"), from_drive
                                                              ? _("restore --from X: PAD --to MAP")
                                                              : _("restore LIJST PAD")));
    if (from_drive && !c.to) return Wrong(_("restore --from vraagt om --to MAP."));
    if (c.version && !IsVersionStamp(*c.version))
        return Wrong(
            Printf(_("%s is geen versie van de vorm \"JJJJ-MM-DD UUMMSS\"."), c.version->c_str()));
    auto source = SourceArgument(c.args.back());
    if (!source)
        return Wrong(Printf(_("%s is geen pad met een stationsletter."), c.args.back().c_str()));
    RestoreRequest request;
    if (from_drive) {
        request.target_root = DriveRoot(*c.from);
        if (request.target_root.empty())
            return Wrong(Printf(_("%s is geen drive; gebruik --from X:."), c.from->c_str()));
    } else {
        request.list = c.args[0];
        request.target_root = ListTargetRoot(program, request.list);
        if (request.target_root.empty()) return 1;
    }
    request.path = *source;
    request.version = c.version.value_or("");
    request.to = c.to.value_or("");
    request.overwrite = c.overwrite;
    // Ctrl-C lets the file in hand be finished: a copy is written under a
    // temporary name, which a kill would leave in the user's folder.
    request.stop_requested = [] { return TerminalUi::Interrupted(); };
    TerminalUi::CatchInterrupts();
    RestoreResult result = Restore(request);
    TerminalUi::ReleaseInterrupts();
    SayResult(result);
    return result.Complete() ? 0 : 1;
}

int ListVersions(const StartedProgram& program, const Command& c) {
    const bool from_drive = c.from.has_value();
    if (c.args.size() != (from_drive ? 1u : 2u))
        return Wrong(Printf(_("Gebruik: vaultor-cli %s"),
                            from_drive ? _("versions --from X: PAD") : _("versions LIJST PAD")));
    // From the drive alone every list's run folders count.
    const std::string list = from_drive ? std::string() : c.args[0];
    auto source = SourceArgument(c.args.back());
    if (!source)
        return Wrong(Printf(_("%s is geen pad met een stationsletter."), c.args.back().c_str()));
    std::string root;
    if (from_drive) {
        root = DriveRoot(*c.from);
        if (root.empty())
            return Wrong(Printf(_("%s is geen drive; gebruik --from X:."), c.from->c_str()));
    } else {
        root = ListTargetRoot(program, list);
        if (root.empty()) return 1;
    }
    if (!fs::IsDriveReady(root[0])) {
        Say(Printf(_("De doeldrive %s is niet gereed."), root.substr(0, 2).c_str()));
        return 1;
    }
    std::vector<FileVersion> versions = VersionsOf(root, list, *source);
    if (versions.empty()) {
        Say(Printf(_("Er is geen kopie van %s op %s."), source->c_str(),
                   root.substr(0, 2).c_str()));
        return 1;
    }
    for (const auto& v : versions) {
        std::string line = Printf("%s\t%lld\t%s", v.stamp.empty() ? _("huidig") : v.stamp.c_str(),
                                  static_cast<long long>(v.size),
                                  fs::LocalTimeText(v.modified, "%Y-%m-%d %H:%M:%S").c_str());
        // Several lists may share the drive: say whose run kept it.
        if (from_drive && !v.list.empty()) line += "\t" + v.list;
        Say(line);
    }
    return 0;
}

}  // namespace vaultor::cli
