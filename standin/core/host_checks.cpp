#include "standin/core/host_checks.h"

namespace standin {
namespace {

std::string g_firstMisbehaviour;
HostileAnswers g_hostile;

} // namespace

namespace host_checks_detail {
#if defined(__GNUC__) && !defined(_WIN32)
[[gnu::visibility("hidden")]]
#endif
const HostileAnswers *hostile = nullptr;
} // namespace host_checks_detail

void ResetMisbehaviour() { g_firstMisbehaviour.clear(); }

const std::string &FirstMisbehaviour() { return g_firstMisbehaviour; }

void ReportMisbehaviour(const std::string &what) {
    if (g_firstMisbehaviour.empty()) g_firstMisbehaviour = what.empty() ? "(unnamed)" : what;
}

void SetHostileAnswers(const HostileAnswers &answers) {
    g_hostile = answers;
    host_checks_detail::hostile = &g_hostile;
}

void ClearHostileAnswers() { host_checks_detail::hostile = nullptr; }

} // namespace standin
