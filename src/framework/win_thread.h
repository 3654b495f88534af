// Threads: the framework's thread object, created with an entry function and a parameter.
#pragma once

#include <memory>

#include "framework/cmd_target.h"

class CWnd;

using AFX_THREADPROC = UINT (*)(LPVOID parameter);

constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr DWORD CREATE_SUSPENDED = 0x4;
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;

struct ThreadRecord;

class CWinThread : public CCmdTarget {
  public:
    CWinThread();
    ~CWinThread() override;  // the thread must have ended or be about to
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // TRUE: the object deletes itself when its thread ends. Clear it before resuming a suspended
    // thread to keep the object, and its handle, valid for a later wait.
    BOOL m_bAutoDelete = TRUE;
    HANDLE m_hThread = nullptr;
    CWnd* m_pMainWnd = nullptr;

    // Lets a thread created suspended run.
    DWORD ResumeThread();

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }
    // The default pre-translation: the main window's dialog manager sees its keys.
    virtual BOOL PreTranslateMessage(MSG* message);

  private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, void*);
    friend std::uint32_t RunFrameworkThread(ThreadRecord* record);
    static UINT Run(ThreadRecord* record);

    std::unique_ptr<ThreadRecord> record_;  // m_hThread names it
};

// Starts a thread running the entry with the parameter; null when no thread can be created.
// Threads run at normal priority with the platform's default stack, whatever is asked.
CWinThread* AfxBeginThread(AFX_THREADPROC entry, LPVOID parameter,
                           int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                           DWORD createFlags = 0, void* security = nullptr);

// Waits for a thread to end, without time limit (INFINITE is the only wait the framework offers).
DWORD WaitForSingleObject(HANDLE thread, DWORD milliseconds);

// The number of framework threads whose entry functions are still running.
int AfxRunningThreadCount();
