#include "rotation/disk_call.h"

#include <process.h>

#include <memory>

DiskCall::DiskCall(Read read, const std::wstring& path)
    : read_(read), path_(path), found_(path.c_str()), ended_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

// The thread calls the C run-time (the listing allocates), so it is begun by
// the run-time's own function rather than CreateThread.
DiskCall* DiskCall::start(Read read, const std::wstring& path)
{
    std::unique_ptr<DiskCall> call(new DiskCall(read, path));
    if (!call->ended_.valid())
        return nullptr;
    ScopedHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, run, call.get(), 0, nullptr)));
    if (!thread.valid())
        return nullptr;
    // The thread is never waited for: it ends on its own and frees its part.
    return call.release();
}

unsigned __stdcall DiskCall::run(void* parameter)
{
    DiskCall* call = static_cast<DiskCall*>(parameter);
    call->answer_ = call->read_(call->path_, call->found_);
    SetEvent(call->ended_.get());
    call->release();
    return 0;
}

bool DiskCall::endsWithin(DWORD milliseconds) const
{
    return WaitForSingleObject(ended_.get(), milliseconds) == WAIT_OBJECT_0;
}

void DiskCall::release()
{
    if (InterlockedDecrement(&owners_) == 0)
        delete this;
}
