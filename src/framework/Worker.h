// Worker-thread start: the procedure runs at once on a new thread with normal priority and the
// default stack. The thread object is not kept; it goes away when the thread ends.
#pragma once

namespace framework {

using WorkerProc = unsigned (*)(void* param);

// True when the thread was started; on false the procedure never runs and param stays the
// caller's to release.
bool StartWorker(WorkerProc proc, void* param);

}  // namespace framework
