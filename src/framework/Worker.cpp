#include "framework/Worker.h"

#include "win32/Handles.h"

namespace framework {

namespace {

struct Start {
    WorkerProc proc;
    void* param;
};

DWORD WINAPI ThreadEntry(void* raw)
{
    Start start = *static_cast<Start*>(raw);
    delete static_cast<Start*>(raw);
    return start.proc(start.param);
}

}  // namespace

bool StartWorker(WorkerProc proc, void* param)
{
    auto* start = new Start{proc, param};
    win32::UniqueKernelHandle thread(::CreateThread(nullptr, 0, ThreadEntry, start, 0, nullptr));
    if (!thread) {
        delete start;
        return false;
    }
    return true;  // closing our handle leaves the thread running
}

}  // namespace framework
