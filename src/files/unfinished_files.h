#pragma once

#include <QByteArray>

// Temporary files that a save has begun and not yet put in place. Closing the window ends the
// program at once, even in the middle of a save; it removes these first, so nothing is left
// beside the file the user meant to save. They are removed too when the program ends through
// exit() while a save works, as Qt does when the connection to the display is lost.
namespace UnfinishedFiles {

void Add(const QByteArray& path);
void Forget(const QByteArray& path);
void RemoveAll();
// The same from a signal handler that is about to end the program: only async-signal-safe
// work, and nothing forgotten, as the program does not go on.
void RemoveAllFromSignal();

// While it lives, a file is being rewritten in place, and a signal that would end the program
// at once (SIGQUIT, or a fault's signal sent by kill) waits until the file is whole: the
// handler asks DeferEnd, and the signal is raised again when the rewrite is over.
class RewritingInPlace {
public:
    RewritingInPlace();
    ~RewritingInPlace();
    RewritingInPlace(const RewritingInPlace&) = delete;
    RewritingInPlace& operator=(const RewritingInPlace&) = delete;
};
// From a signal handler: true, with the signal kept for later, while a file is rewritten in
// place.
bool DeferEnd(int signal);

}  // namespace UnfinishedFiles
