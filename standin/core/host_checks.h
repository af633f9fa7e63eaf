// The stand-in host's checks of what the plug-in asks of it, and its hostile
// mode.
//
// Misbehaviour: a host call that names a deleted face, or a vertex, face or
// line index outside the object's slots, is refused (as the modeller would)
// and also recorded here, so a test sees a call the plug-in should not have
// made even where refusing it hides the mistake. The first misbehaviour is
// kept; later ones do not overwrite it. Tests reset it before they drive the
// plug-in and fail when it is set afterwards.
//
// Hostile mode: the host answers with values no real document has (counts
// that are enormous or negative, point lists naming vertex -1, arrays left
// unwritten), for tests of a plug-in that must survive them. Off by default.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace standin {

// Forgets the recorded misbehaviour.
void ResetMisbehaviour();
// The first misbehaviour since the last reset, or "" when there was none.
const std::string &FirstMisbehaviour();
// Records a misbehaviour unless one is already recorded.
void ReportMisbehaviour(const std::string &what);

// The calling thread: the plug-in may call the host only on the thread the
// host called it on (it may compute on threads of its own). With the check
// on, a host function reached on any thread but the one that turned the
// check on is recorded as a misbehaviour. Off by default; tests turn it on.
void CheckCallingThread(bool on);

struct HostileAnswers {
    std::optional<int32_t> vertexCount;      // reported by MQObj_GetVertexCount
    std::optional<int32_t> faceCount;        // reported by MQObj_GetFaceCount
    std::optional<int32_t> facePointCount;   // reported for every face slot
    bool pointsNameVertexMinusOne = false;   // every face point array holds -1s
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
