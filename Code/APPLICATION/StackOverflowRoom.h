// Room on every thread's stack for handling its own stack overflow.
//
// A stack overflow is raised on the thread whose stack is exhausted, and the
// crash handler runs there: it asks the module for a folder and may show a
// box. Without room kept for that, the platform's own exception dispatch
// overflows again and the thread dies without a dump (under Wine the
// process then ends with code 0, or hangs on the loader lock the dying
// thread held).
#pragma once

// Keeps the room on the calling thread now, and on every thread started
// from now on, as it starts.
void KeepRoomForStackOverflows();
