#include "framework/win_thread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "framework/dialog.h"
#include "framework/message_pump.h"
#include "framework/native_thread.h"

struct ThreadRecord {
    CWinThread* owner = nullptr;
    AFX_THREADPROC entry = nullptr;
    LPVOID parameter = nullptr;
    std::weak_ptr<MessageQueue> creatorQueue;
    NativeThread thread = nullptr;  // null once the thread has released itself
    std::mutex mutex;
    std::condition_variable changed;
    bool resumed = false;
    bool finished = false;
};

namespace {

std::atomic<int> runningThreads{0};

}  // namespace

int AfxRunningThreadCount() {
    return runningThreads;
}

std::uint32_t RunFrameworkThread(ThreadRecord* record) {
    return CWinThread::Run(record);
}

UINT CWinThread::Run(ThreadRecord* record) {
    {
        std::unique_lock lock(record->mutex);
        record->changed.wait(lock, [record] { return record->resumed; });
    }
    const UINT exitCode = record->entry(record->parameter);

    // A loop that waits for the queue learns that one source of messages is gone. The count
    // drops first, so that the loop sees it when the wake-up arrives; both happen before the
    // thread counts as ended, so no one waiting for it sees a post still under way.
    --runningThreads;
    if (const std::shared_ptr<MessageQueue> creator = record->creatorQueue.lock())
        creator->PostInvoke([] {});
    bool autoDelete = false;
    {
        std::lock_guard lock(record->mutex);
        record->finished = true;
        autoDelete = record->owner->m_bAutoDelete != FALSE;
    }
    record->changed.notify_all();
    if (autoDelete) {
        DetachNativeThread(std::exchange(record->thread, nullptr));
        delete record->owner;
    }
    return exitCode;
}

CWinThread* AfxBeginThread(AFX_THREADPROC entry, LPVOID parameter, int, UINT, DWORD createFlags,
                           void*) {
    auto thread = std::make_unique<CWinThread>();
    ThreadRecord* record = thread->record_.get();
    record->owner = thread.get();
    record->entry = entry;
    record->parameter = parameter;
    record->creatorQueue = AfxGetThreadQueue();
    record->resumed = (createFlags & CREATE_SUSPENDED) == 0;
    ++runningThreads;
    // The new thread takes the lock before anything else, so it sees its handle stored.
    std::unique_lock lock(record->mutex);
    record->thread = StartNativeThread(record);
    if (record->thread == nullptr) {
        --runningThreads;
        return nullptr;
    }
    return thread.release();
}

CWinThread::CWinThread() : record_(std::make_unique<ThreadRecord>()) {
    m_hThread = record_.get();
}

CWinThread::~CWinThread() {
    if (record_->thread != nullptr)
        JoinNativeThread(record_->thread);
}

DWORD CWinThread::ResumeThread() {
    ThreadRecord* record = record_.get();
    {
        std::lock_guard lock(record->mutex);
        if (record->resumed)
            return 0;
        record->resumed = true;
    }
    record->changed.notify_all();
    return 1;
}

BOOL CWinThread::PreTranslateMessage(MSG* message) {
    auto* dialog = dynamic_cast<CDialog*>(m_pMainWnd);
    if (dialog == nullptr || message->hwnd == nullptr)
        return FALSE;
    const CWnd* target = CWnd::FromHandlePermanent(message->hwnd);
    const bool forDialog = target != nullptr && (target == dialog || target->GetParent() == dialog);
    return forDialog ? dialog->PreTranslateMessage(message) : FALSE;
}

DWORD WaitForSingleObject(HANDLE thread, DWORD) {
    auto* record = static_cast<ThreadRecord*>(thread);
    std::unique_lock lock(record->mutex);
    record->changed.wait(lock, [record] { return record->finished; });
    return WAIT_OBJECT_0;
}
