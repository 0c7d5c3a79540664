// What the toolbox does to other programs' input on X11: synthetic copy keys through XTest,
// and the owner of the selections it reads. Each call opens its own display connection, so
// the calls are safe on the capture workers' threads.
#pragma once

#include <cstdint>

namespace yv::toolbox::x11input {

enum class Selection { Primary, Clipboard };
enum class CopyKey { Insert, C };

// Ctrl down, the key down and up, Ctrl up, as a keyboard would send them. False without a
// display or the XTest extension.
bool pressCtrlWith(CopyKey key);
// Whether some client owns the selection (it can be asked for its text).
bool hasOwner(Selection selection);
// Whether the selection's owner is the program (X client) that made `window`: only then is
// what it holds what the user has selected there, not something left from another program.
bool ownedByProgramOf(Selection selection, unsigned long window);
// Takes the selection away from its owner, leaving it empty.
void clear(Selection selection);

// The top-level window of a program (the one carrying WM_STATE, not a window manager's frame)
// shown at the screen point; 0 when there is none.
unsigned long windowAt(int x, int y);

} // namespace yv::toolbox::x11input
