#pragma once

#include <functional>

// Runs `work` on a thread of its own while the window's events go on, and
// returns when it is done, raising again what it raised. The one place the
// window waits for work of its own: meanwhile it repaints, moves and takes a
// close, which the busy rules make wait.
void runOffTheWindow(const std::function<void()> &work);
