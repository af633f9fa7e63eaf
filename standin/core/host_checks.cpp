#include "standin/core/host_checks.h"

namespace standin {
namespace {

std::string g_firstMisbehaviour;
bool g_hostileOn = false;
HostileAnswers g_hostile;

} // namespace

void ResetMisbehaviour() { g_firstMisbehaviour.clear(); }

const std::string &FirstMisbehaviour() { return g_firstMisbehaviour; }

void ReportMisbehaviour(const std::string &what) {
    if (g_firstMisbehaviour.empty()) g_firstMisbehaviour = what.empty() ? "(unnamed)" : what;
}

void SetHostileAnswers(const HostileAnswers &answers) {
    g_hostile = answers;
    g_hostileOn = true;
}

void ClearHostileAnswers() { g_hostileOn = false; }

const HostileAnswers *Hostile() { return g_hostileOn ? &g_hostile : nullptr; }

} // namespace standin
