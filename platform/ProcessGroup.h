#pragma once
// A child that leads a process group of its own, so that it and everything
// it starts can be ended together (a hung build must always be stoppable).
#include <QtGlobal>

class QProcess;

namespace kep {

// Call before start(): the child becomes the leader of a new group, and its
// output pipe holds up to 1 MB (where the system allows it).
void OwnProcessGroup(QProcess& process);
// Sends the group led by `pid` a polite stop, or a kill when `hard`.
void StopProcessGroup(qint64 pid, bool hard);

// Ends the group led by `pid` whatever its members do with signals: a polite
// stop now, a kill for whatever is left `graceMs` later. The kill belongs to
// the program, not to the caller, so it comes when the caller (or the group's
// leader) is long gone; a group still pending when the program ends is
// killed before it exits.
void EndProcessGroup(qint64 pid, int graceMs = 1500);
// Some member of the group, zombies aside, is still alive.
bool ProcessGroupAlive(qint64 pid);

} // namespace kep
