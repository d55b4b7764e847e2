#include "rotation/disk_call.h"

#include <process.h>

#include <memory>

DiskCall::DiskCall(Read read, const std::wstring& path)
    : read_(read), path_(path), found_(path.c_str()), ended_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

void DiskCall::run()
{
    answer_ = read_(path_, found_);
    SetEvent(ended_.get());
    release();
}

bool DiskCall::endsWithin(DWORD milliseconds) const
{
    return WaitForSingleObject(ended_.get(), milliseconds) == WAIT_OBJECT_0;
}

void DiskCall::release()
{
    if (--owners_ == 0)
        delete this;
}

DiskWorker::DiskWorker() : work_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

// The thread calls the C run-time (the listing allocates), so it is begun by
// the run-time's own function rather than CreateThread.
DiskWorker* DiskWorker::start()
{
    std::unique_ptr<DiskWorker> worker(new DiskWorker);
    if (!worker->work_.valid())
        return nullptr;
    ScopedHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, loop, worker.get(), 0, nullptr)));
    if (!thread.valid())
        return nullptr;
    // The thread is never waited for: it ends on its own and frees its part.
    return worker.release();
}

unsigned __stdcall DiskWorker::loop(void* parameter)
{
    DiskWorker* worker = static_cast<DiskWorker*>(parameter);
    do {
        WaitForSingleObject(worker->work_.get(), INFINITE);
        if (DiskCall* call = worker->pending_.exchange(nullptr))
            call->run();
    } while (!worker->retired_);
    worker->release();
    return 0;
}

void DiskWorker::run(DiskCall* call)
{
    pending_ = call;
    SetEvent(work_.get());
}

void DiskWorker::retire()
{
    retired_ = true;
    SetEvent(work_.get());
    release();
}

void DiskWorker::release()
{
    if (--owners_ == 0)
        delete this;
}
