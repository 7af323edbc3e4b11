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

} // namespace kep
