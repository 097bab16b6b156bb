#include "convert/outdated.h"

#include "cli/depfile.h"
#include "files/utf8path.h"

namespace rastix {

std::optional<std::filesystem::file_time_type> fileModifiedTime(const std::string& path) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(utf8Path(path), ec);
    if (ec)
        return std::nullopt;
    return time;
}

namespace {

bool ruleOutdated(const DependencyRule& rule, const ModifiedTime& modified) {
    std::optional<std::filesystem::file_time_type> oldestOutput;
    for (const std::string& target : rule.targets) {
        const auto time = modified(target);
        if (!time)
            return true;
        if (!oldestOutput || *time < *oldestOutput)
            oldestOutput = time;
    }
    for (const std::string& input : rule.inputs) {
        const auto time = modified(input);
        // As make does, an output made in the same instant as what it was made from is not
        // outdated.
        if (!time || !oldestOutput || *time > *oldestOutput)
            return true;
    }
    return false;
}

} // namespace

std::vector<Job> outdatedJobs(const std::vector<Job>& jobs,
                              const std::vector<std::string>& argumentFiles,
                              const ModifiedTime& modified) {
    std::vector<bool> convert(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i)
        convert[i] = !jobs[i].settings.update;
    const std::vector<DependencyRule> rules = dependenciesOf(jobs, argumentFiles);
    for (const DependencyRule& rule : rules)
        if (ruleOutdated(rule, modified))
            for (const std::size_t job : rule.jobs)
                convert[job] = true;
    // A set's rules name all of its pictures: one of them converted takes the others along.
    for (const DependencyRule& rule : rules) {
        bool any = false;
        for (const std::size_t job : rule.jobs)
            any = any || convert[job];
        for (const std::size_t job : rule.jobs)
            convert[job] = convert[job] || any;
    }
    std::vector<Job> outdated;
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (convert[i])
            outdated.push_back(jobs[i]);
    return outdated;
}

} // namespace rastix
