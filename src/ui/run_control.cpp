// The control of a run: start, the worker's notifications, completion, Cancel, Exit and close.
#include <new>

#include "framework/win_app.h"
#include "platform/file_attributes.h"
#include "platform/folder_path.h"
#include "report/list_file_name.h"
#include "ui/hashwick_dlg.h"
#include "ui/resource.h"

namespace {

constexpr const char16_t* kIdleCaption = u"ファイルのＭＤ生成";
constexpr const char16_t* kBusyCaption = u"★Hashwick中★";
constexpr const char16_t* kQuestionCaption = u"確認";
constexpr const char16_t* kStartQuestion = u"ＭＤ５リストを生成しますか？";
constexpr const char16_t* kCancelQuestion = u"キャンセルしてもよいですか？";
constexpr const char16_t* kExitQuestion = u"終了してもよいですか";
constexpr const char16_t* kNoSuchFolder = u"存在しないディレクトリが指定されています。";
constexpr const char16_t* kNoWorker = u"作業スレッドを開始できませんでした。";
constexpr const char16_t* kListNotWritten = u"リストファイルを書き込めませんでした。";
constexpr const char16_t* kOutOfMemory = u"メモリが足りません。";

}  // namespace

void ProgressCallback(std::int32_t count) {
    if (g_hMainDialog == nullptr)
        return;
    PostMessageW(g_hMainDialog, UM_PROGRESS, static_cast<WPARAM>(count), 0);
}

void CHashwickDlg::OnStart() {
    BeginWaitCursor();
    if (MessageBox(kStartQuestion, kQuestionCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        StartRun();
    }
    EndWaitCursor();
}

void CHashwickDlg::StartRun() {
    UpdateData(TRUE);
    if (m_worker != nullptr) {
        m_job.stopHashing = true;
        DisposeWorker();
    }
    // The flag is set whenever an earlier run of this dialog started a worker.
    if (m_job.stopHashing) {
        m_digests.clear();
        m_job.failures.clear();
        m_total = 0;
        m_processed = 0;
        UpdateData(FALSE);
    }
    // "data/" is the folder "data": its paths, and the list's name, are those of "data".
    const std::u16string root = WithoutTrailingSeparators(m_folder);
    const DWORD attributes = GetFileAttributesW(root.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        m_autoMode = 0;
        MessageBox(kNoSuchFolder, nullptr, MB_OK);
        return;
    }
    GetDlgItem(IDC_START)->EnableWindow(FALSE);
    GetDlgItem(IDC_CANCEL_RUN)->EnableWindow(TRUE);
    SetWindowText(kBusyCaption);
    // The worker gets its own copy of the root: a browse during the run cannot touch it.
    m_startBlock.rootPath = root;
    m_runStartTick = CurrentTick();
    // Cleared here, before the worker exists, and by nothing else: a stop requested at any
    // moment after this stops this run, and no request of an earlier run can.
    ResetStopRequests(m_job);
    m_worker = AfxBeginThread(WorkerThreadProc, &m_startBlock, THREAD_PRIORITY_NORMAL, 0,
                              CREATE_SUSPENDED, nullptr);
    if (m_worker == nullptr) {
        ShowIdle();
        MessageBox(kNoWorker, nullptr, MB_OK | MB_ICONERROR);
        return;
    }
    m_worker->m_bAutoDelete = FALSE;
    m_worker->ResumeThread();
}

LRESULT CHashwickDlg::OnScanComplete(WPARAM wParam, LPARAM) {
    m_walkEndTick = CurrentTick();
    m_total = static_cast<int>(wParam);
    UpdateData(FALSE);
    return 0;
}

LRESULT CHashwickDlg::OnProgress(WPARAM wParam, LPARAM) {
    m_processed = static_cast<int>(wParam);
    UpdateData(FALSE);
    if (m_processed < m_total)
        return 0;
    m_hashEndTick = CurrentTick();
    const ListFileResult list = WriteListFile();
    ShowIdle();
    if (!list.written) {
        const CString text = CString(kListNotWritten) + u"\n" + list.fileName + u"\n" + list.reason;
        MessageBox(text.c_str(), nullptr, MB_OK | MB_ICONERROR);
    }
    if (m_autoMode == 1) {
        DisposeWorker();
        EndDialog(IDOK);
    }
    return 0;
}

// A run without memory to end in: no list, the earlier one kept, and the user told so.
LRESULT CHashwickDlg::OnOutOfMemory(WPARAM, LPARAM) {
    DisposeWorker();
    m_listWritten = false;
    ShowIdle();
    const CString text = CString(kListNotWritten) + u"\n" + kOutOfMemory;
    MessageBox(text.c_str(), nullptr, MB_OK | MB_ICONERROR);
    if (m_autoMode == 1)
        EndDialog(IDOK);
    return 0;
}

ListFileResult CHashwickDlg::WriteListFile() {
    ListFileResult list;
    try {
        list = WriteDigestList(m_collector.roots.front(),
                               static_cast<std::int32_t>(m_collector.collectedCount), m_digests,
                               m_job.failures, m_runStartTick, m_walkEndTick, m_hashEndTick, u"");
    } catch (const std::bad_alloc&) {
        list.fileName = MakeListFileName(m_collector.roots.front());
        list.reason = kOutOfMemory;
    }
    m_listFileName = list.fileName;
    m_listWritten = list.written;
    return list;
}

void CHashwickDlg::OnCancelRun() {
    if (MessageBox(kCancelQuestion, kQuestionCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_autoMode = 0;
    StopAndDisposeWorker();
    ShowIdle();
}

void CHashwickDlg::OnExit() {
    if (MessageBox(kExitQuestion, kQuestionCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    StopAndDisposeWorker();
    EndDialog(IDOK);
}

// The window's close command: the steps of Exit without its question, so that no worker is left
// using the tables when the dialog goes.
void CHashwickDlg::OnClose() {
    StopAndDisposeWorker();
    EndDialog(IDCANCEL);
}

void CHashwickDlg::StopAndDisposeWorker() {
    m_collector.stopWalk = true;
    m_job.stopHashing = true;
    DisposeWorker();
}

void CHashwickDlg::DisposeWorker() {
    if (m_worker == nullptr)
        return;
    WaitForSingleObject(m_worker->m_hThread, INFINITE);
    delete m_worker;
    m_worker = nullptr;
}

void CHashwickDlg::ShowIdle() {
    GetDlgItem(IDC_START)->EnableWindow(TRUE);
    GetDlgItem(IDC_CANCEL_RUN)->EnableWindow(FALSE);
    SetWindowText(kIdleCaption);
}
