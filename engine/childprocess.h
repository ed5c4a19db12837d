#pragma once

class QProcess;

// Sets up a child before it starts: a session of its own, so that a Ctrl-C in a terminal is
// ours to handle (as Stop) and a pause can stop its whole group; and it dies with us, even by
// SIGKILL, so that a killed program never leaves an ffmpeg writing for minutes. The death
// signal follows the thread that forks, so the thread must outlive the child.
void SetUpOwnedChild(QProcess &process);
