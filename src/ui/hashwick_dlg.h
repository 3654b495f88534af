// The main dialog: the folder field, the buttons, the two counts, and the control of a run on
// its worker thread.
#pragma once

#include "digest/worker.h"
#include "framework/dialog.h"
#include "framework/win_thread.h"
#include "framework/window_handles.h"
#include "platform/clock.h"
#include "report/list_writer.h"

// Posts a count of processed files to the main dialog; runs on the worker thread.
void ProgressCallback(std::int32_t count);

class CHashwickDlg : public CDialog {
  public:
    explicit CHashwickDlg(CWnd* parent = nullptr);
    ~CHashwickDlg() override;

    // Set by start-up: 1 runs at once, without a question, and ends the dialog when the list
    // has been written; m_folder is the text of the folder field.
    int m_autoMode = 0;
    CString m_folder;
    // Whether the last list was written completely.
    bool m_listWritten = false;

  private:
    HICON m_icon;
    FileCollector m_collector;
    DigestTable m_digests;
    HashJob m_job{.collector = &m_collector, .digests = &m_digests, .failures = {}};
    CWinThread* m_worker = nullptr;
    WorkerStartBlock m_startBlock{{}, &m_job, ProgressCallback};
    Tick m_runStartTick = 0;
    Tick m_walkEndTick = 0;
    Tick m_hashEndTick = 0;
    CString m_listFileName;
    int m_total = 0;
    int m_processed = 0;

  protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnBrowse();
    void OnDropFiles(HDROP drop);
    void OnShowResult();
    void OnStart();
    void OnCancelRun();
    void OnExit();
    void OnClose();
    LRESULT OnScanComplete(WPARAM wParam, LPARAM lParam);
    LRESULT OnProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnOutOfMemory(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

  private:
    void StartRun();
    void DisposeWorker();
    void StopAndDisposeWorker();
    void ShowIdle();
    ListFileResult WriteListFile();
};
