// The stand-in host's checks of what the plug-in asks of it, and its hostile
// mode.
//
// Misbehaviour: a call the plug-in should not have made is refused (as the
// modeller would) and also recorded in one log, so a test or vexolin-run
// sees it even where refusing it hides the mistake. Three groups of host
// functions write to it:
//   - the document functions: a call that names a deleted face, or a
//     vertex, face or line index outside the object's slots (and, with the
//     thread check on, any host call on another thread);
//   - the settings functions: an unknown message or element code, a null
//     record, a settings request without "pluginsettings", an element
//     handle the store did not hand out, a null or impossible element name,
//     a null text;
//   - the toolkit: every request it refuses (standin::toolkit::Violations).
// The document functions keep their first misbehaviour only (they are called
// per element, and later ones build no text); the settings functions and the
// toolkit keep every refusal, in order.
// Tests reset the log before they drive the plug-in and fail when it holds
// anything afterwards.
//
// Hostile mode: the host answers with values no real document has (counts
// that are enormous or negative, point lists naming vertex -1, arrays left
// unwritten), for tests of a plug-in that must survive them. Off by default.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// The group of host functions that refused a call.
enum class Functions { Document, Settings, Toolkit };

struct Misbehaviour {
    Functions by = Functions::Document;
    std::string what; // the call, described, and why it was refused
};

// Forgets what the document and settings functions recorded (the toolkit's
// refusals are forgotten by standin::toolkit::Reset).
void ResetMisbehaviour();
// The first misbehaviour the document or settings functions recorded since
// the last reset, or "" when there was none.
std::string FirstMisbehaviour();
// Records a misbehaviour; one of the document functions only while that
// group has recorded none.
void ReportMisbehaviour(Functions by, const std::string &what);
// Whether `by` has recorded a misbehaviour since its last reset.
bool MisbehaviourRecorded(Functions by);
// The whole log, in the order of the calls.
std::vector<Misbehaviour> RecordedMisbehaviour();
// Forgets what one group recorded.
void ForgetMisbehaviour(Functions by);

// The calling thread: the plug-in may call the host only on the thread the
// host called it on (it may compute on threads of its own). With the check
// on, a host function reached on any thread but the one that turned the
// check on is recorded as a misbehaviour. Off by default; tests turn it on.
void CheckCallingThread(bool on);

struct HostileAnswers {
    std::optional<int32_t> vertexCount;      // reported by MQObj_GetVertexCount
    std::optional<int32_t> faceCount;        // reported by MQObj_GetFaceCount
    std::optional<int32_t> facePointCount;   // reported for every face slot
    std::optional<int32_t> pointsNameVertex; // every face point array holds only this index
    bool arraysLeftUnwritten = false;        // point arrays and positions are not written
};

// Turns hostile mode on with these answers (every other answer is true).
void SetHostileAnswers(const HostileAnswers &answers);
// Turns hostile mode off.
void ClearHostileAnswers();

namespace host_checks_detail {
// The answers in force, null when hostile mode is off. Read inline: every
// host function asks, and the benchmarks time the plug-in through them.
// Private to each host library (only its own host functions read it): a
// test process loads several variants of the host, each with its own.
#if defined(__GNUC__) && !defined(_WIN32)
[[gnu::visibility("hidden")]]
#endif
extern const HostileAnswers *hostile;
#if defined(__GNUC__) && !defined(_WIN32)
[[gnu::visibility("hidden")]]
#endif
extern bool threadChecked;
void CheckThread();
} // namespace host_checks_detail

// Called by every host function that takes a document or object handle: one
// test of a flag while the thread check is off.
inline void CheckThread() {
    if (host_checks_detail::threadChecked) host_checks_detail::CheckThread();
}

// The answers in force, or null when hostile mode is off.
inline const HostileAnswers *Hostile() { return host_checks_detail::hostile; }

} // namespace standin
