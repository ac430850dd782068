#include "engine/content_check.h"

#include <algorithm>
#include <cstring>

#include "fs/drive_table.h"
#include "fs/file_info.h"
#include "fs/i18n.h"
#include "fs/text_lines.h"
#include "target/target_path.h"

namespace vaultor {

void ContentCheck::Add(const std::string& source, std::int64_t size) {
    files_.push_back({source, size});
    total_ += size;
}

ContentCheckResult ContentCheck::Run(RunObserver& observer) {
    const std::int64_t began = state_.Ui.NowMs();
    std::string name;
    ContentReader reader(state_, [&](std::int64_t done) {
        observer.Status(name);
        observer.ContentProgress(std::min(base_ + done, total_), total_, state_.Ui.NowMs() - began);
    });
    for (const File& file : files_) {
        if (state_.AbortRequested) break;
        name = fs::OnlyName(file.source);
        if (CheckOne(file, reader) == Next::End) break;
        base_ += file.size;
    }
    observer.ContentProgress(base_, total_, state_.Ui.NowMs() - began);
    std::vector<File>().swap(files_);
    return result_;
}

ContentCheck::Next ContentCheck::CheckOne(const File& file, ContentReader& reader) {
    const std::string target = TargetPathOf(state_.TargetRoot, file.source);
    if (use_sums_ && !file.source.empty()) {
        const SumsManifest& manifest = ManifestOf(file.source[0], reader);
        auto kept = manifest.find(target.substr(state_.TargetRoot.size()));
        if (kept != manifest.end())
            return CompareWithSum(file.source, target, kept->second, reader);
    }
    return CompareBoth(file.source, target, reader);
}

ContentCheck::Next ContentCheck::CompareBoth(const std::string& source, const std::string& target,
                                             ContentReader& reader) {
    auto outcome = reader.Compare(source, target);
    if (!outcome) return NotAnswering(source, target, reader);
    switch (outcome->end) {
        case fs::ReadEnd::Stopped:
            return Next::End;
        case fs::ReadEnd::FirstFailed:
            return Unread(source, outcome->error_number);
        case fs::ReadEnd::SecondFailed:
            return Unread(target, outcome->error_number);
        case fs::ReadEnd::Done:
            break;
    }
    if (!outcome->same) Differs(_("Inhoud verschilt: ") + target);
    return Next::Go;
}

// The copy against its line; the source is read only when they disagree.
ContentCheck::Next ContentCheck::CompareWithSum(const std::string& source,
                                                const std::string& target, const fs::Sum128& kept,
                                                ContentReader& reader) {
    auto copy = reader.Sum(target, true);
    if (!copy) return NotAnswering(source, target, reader);
    if (copy->end == fs::ReadEnd::Stopped) return Next::End;
    if (copy->end != fs::ReadEnd::Done) return Unread(target, copy->error_number);
    if (copy->sum == kept) return Next::Go;
    auto original = reader.Sum(source, false);
    if (!original) return NotAnswering(source, target, reader);
    if (original->end == fs::ReadEnd::Stopped) return Next::End;
    if (original->end != fs::ReadEnd::Done) return Unread(source, original->error_number);
    // The source still as it was copied: the copy changed on the target by
    // itself. Both changed alike: the line is of an older copy, made while
    // Sums was off.
    if (original->sum == kept)
        Differs(_("Beschadigd op de doeldrive (bitrot): ") + target);
    else if (!(original->sum == copy->sum))
        Differs(_("Inhoud verschilt: ") + target);
    return Next::Go;
}

ContentCheck::Next ContentCheck::Unread(const std::string& path, int error) {
    Differs(Printf(_("Niet te lezen: %s: %s"), path.c_str(), std::strerror(error)));
    return Next::Go;
}

// A drive that stopped answering ends the check: every file after would wait
// a minute for it too.
ContentCheck::Next ContentCheck::NotAnswering(const std::string& source, const std::string& target,
                                              ContentReader& reader) {
    if (state_.AbortRequested) return Next::End;
    result_.target_not_answering = reader.Slow(target);
    Differs(result_.target_not_answering
                ? Printf(_("De doeldrive antwoordt niet meer: %s"), target.c_str())
                : Printf(_("De bron antwoordt niet meer: %s"), source.c_str()));
    return Next::End;
}

const SumsManifest& ContentCheck::ManifestOf(char letter, ContentReader& reader) {
    auto known = manifests_.find(letter);
    if (known != manifests_.end()) return known->second;
    SumsManifest& manifest = manifests_[letter];
    const std::string path = SumsManifestPath(state_.TargetRoot, letter);
    auto native = fs::Drives().ToNative(path);
    if (!native) return manifest;
    auto file = reader.OnDrive<fs::SmallFile>(
        path, [native = *native] { return fs::ReadSmallFile(native, kMaxManifestBytes); });
    if (file && file->status == fs::SmallFile::Status::Ok)
        manifest = ParseSumsManifest(file->bytes);
    return manifest;
}

void ContentCheck::Differs(const std::string& line) {
    log_.WriteLine(line);
    ++result_.differences;
}

}  // namespace vaultor
